#!/usr/bin/env bash
# Builds the Debian package from a built tree, lists it, and checks that it
# holds both programs, the picture module, the desktop entry, the icons and
# the metainfo, that those two files pass the desktop's validators, that it
# depends on the Qt and OpenImageIO runtimes the programs use, and that the
# installed command line finds its picture module.
#   package_test.sh BUILD_DIR
set -euo pipefail
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
module=$(grep -E '^/usr/lib/(.*/)?zelvo-lut-converter/libzelvo-pictures\.so$' "$work/files" || true)
[ -n "$module" ] || { echo "missing from the package: the picture module"; cat "$work/files"; exit 1; }
for f in /usr/bin/zelvo-lut-converter /usr/bin/zelvo-lut \
         /usr/share/applications/org.zelvo.lutconverter.desktop \
         /usr/share/metainfo/org.zelvo.lutconverter.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/org.zelvo.lutconverter.svg \
         /usr/share/icons/hicolor/48x48/apps/org.zelvo.lutconverter.png \
         /usr/share/icons/hicolor/256x256/apps/org.zelvo.lutconverter.png; do
  grep -qx "$f" "$work/files" || { echo "missing from the package: $f"; cat "$work/files"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6svg6 libc6 libopenimageio2.4; do
  [[ "$depends" == *"$p"* ]] || { echo "Depends lacks $p: $depends"; exit 1; }
done

dpkg-deb -x "$deb" "$work/root"
# The installed command line finds its picture module where the package puts
# it: a 1 x 1 bitmap through an identity LUT into a PNG file.
printf 'BM:\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0\x10\x20\x30\0' >"$work/one.bmp"
printf 'LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n' >"$work/identity.cube"
"$work/root/usr/bin/zelvo-lut" apply "$work/identity.cube" "$work/one.bmp" -o "$work/one.png"
[ "$(head -c 4 "$work/one.png" | od -An -c | tr -d ' ')" = "211PNG" ] || { echo "zelvo-lut wrote no PNG"; exit 1; }
desktop-file-validate "$work/root/usr/share/applications/org.zelvo.lutconverter.desktop"
appstreamcli validate --no-net --pedantic "$work/root/usr/share/metainfo/org.zelvo.lutconverter.metainfo.xml"
echo "package $(basename "$deb") holds $(wc -l <"$work/files") paths; Depends: $depends"
