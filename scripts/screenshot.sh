#!/usr/bin/env bash
# Takes screenshots of the desktop program's windows on a virtual X display
# and writes them to docs/screenshots/ (or the folder given): the main window
# with a few LUT files and the preview pane, its File menu open, the pane after
# a LUT that cannot be read, the "Convertion Settings" dialog, the progress
# dialog, the summary of a batch in which a file failed, the identity dialog,
# the About box, the curves window of a film look, two versions of it
# compared, the combine dialog with a three-step chain, the ICC dialog with a
# display profile (from icc-profiles-free, which the bootstrap script
# installs) and with a CMYK printer profile as a soft proof (ghostscript's,
# from libgs-common), the pane with a 16-bit TIFF and with an OpenEXR
# picture; then the main window at scale factor 2 on a 1600 x 1000 screen.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/screenshots}"
bash scripts/bootstrap.sh
need=()
for p in xvfb xauth fonts-dejavu-core libgs-common; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
cmake --preset release >/dev/null
cmake --build --preset release --target zelvo-screenshots
mkdir -p "$out"
# The X platform on a virtual display, with the fonts a desktop would have.
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x900x24" build/release/src/app/zelvo-screenshots "$out" \
  /usr/share/color/icc/compatibleWithAdobeRGB1998.icc /usr/share/color/icc/ghostscript/default_cmyk.icc
# The main window as it first opens at twice the size on a 1600 x 1000 screen.
QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 1600x1000x24" \
  build/release/src/app/zelvo-screenshots --screen "$out/main-window-scale2.png"
ls -l "$out"
