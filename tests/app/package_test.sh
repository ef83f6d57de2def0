#!/usr/bin/env bash
# Builds the Debian package from a built tree, lists it, and checks that it
# holds both programs, the desktop entry, the icons and the metainfo, that
# those two files pass the desktop's validators, and that it depends on the
# Qt runtime the desktop program links.
#   package_test.sh BUILD_DIR
set -euo pipefail
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for f in /usr/bin/zelvo-lut-converter /usr/bin/zelvo-lut \
         /usr/share/applications/org.zelvo.lutconverter.desktop \
         /usr/share/metainfo/org.zelvo.lutconverter.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/org.zelvo.lutconverter.svg \
         /usr/share/icons/hicolor/48x48/apps/org.zelvo.lutconverter.png \
         /usr/share/icons/hicolor/256x256/apps/org.zelvo.lutconverter.png; do
  grep -qx "$f" "$work/files" || { echo "missing from the package: $f"; cat "$work/files"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6svg6 libc6; do
  [[ "$depends" == *"$p"* ]] || { echo "Depends lacks $p: $depends"; exit 1; }
done

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/org.zelvo.lutconverter.desktop"
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/org.zelvo.lutconverter.metainfo.xml"
echo "package $(basename "$deb") holds $(wc -l <"$work/files") paths; Depends: $depends"
