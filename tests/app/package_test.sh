#!/usr/bin/env bash
# Builds the Debian package from a built tree, lists it, and checks that it
# holds both programs, the picture module, the desktop entry, the icons, the
# metainfo and the MIME types, that those files pass the desktop's validators,
# that the entry opens every type the MIME file declares, that the types
# compile into a MIME database of their own that knows LUT files by name and
# by content, that it depends on the Qt and OpenImageIO runtimes the programs
# use, and that the installed command line finds its picture module.
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
         /usr/share/mime/packages/org.zelvo.lutconverter.xml \
         /usr/share/doc/zelvo-lut-converter/README.md \
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
metainfo="$work/root/usr/share/metainfo/org.zelvo.lutconverter.metainfo.xml"
appstreamcli validate --no-net --pedantic "$metainfo"
version=$(dpkg-deb -f "$deb" Version)
grep -q "<release version=\"$version\"" "$metainfo" || { echo "the metainfo has no release $version"; exit 1; }

mime="$work/root/usr/share/mime/packages/org.zelvo.lutconverter.xml"
xmllint --noout "$mime"
declared=$(grep -o '<mime-type type="[^"]*"' "$mime" | cut -d'"' -f2 | sort)
opened=$(sed -n 's/^MimeType=//p' "$work/root/usr/share/applications/org.zelvo.lutconverter.desktop" | tr ';' '\n' | sed '/^$/d' | sort)
[ "$declared" = "$opened" ] || { echo "MIME types declared and opened differ:"; diff <(echo "$declared") <(echo "$opened"); exit 1; }
# update-mime-database reports a bad rule on its output and still succeeds.
mkdir -p "$work/share/mime/packages"
cp "$mime" "$work/share/mime/packages/"
update-mime-database "$work/share/mime" >"$work/mime.log" 2>&1
if grep -Ei "error|warning|invalid" "$work/mime.log"; then exit 1; fi
for ext in cube 3dl clf ctf cms m3d look; do
  grep -q ":\*\.$ext\$" "$work/share/mime/globs2" || { echo "no glob for .$ext"; exit 1; }
done
for ext in dat txt xml lut; do
  if grep -q ":\*\.$ext\$" "$work/share/mime/globs2"; then echo "a generic extension claimed: .$ext"; exit 1; fi
done
# The database asked as a desktop asks it, where GLib's tool is present: a
# file by its name, one without an extension by its first words.
if command -v gio >/dev/null; then
  printf 'LUT_3D_SIZE 2\n' >"$work/graded.cube"
  printf 'TITLE "look"\nLUT_3D_SIZE 2\n' >"$work/no-extension"
  printf '<?xml version="1.0"?>\n<ProcessList id="1" compCLFversion="3">\n' >"$work/chain"
  for sample in graded.cube:application/x-cube-lut no-extension:application/x-cube-lut chain:application/x-clf-lut; do
    type=$(XDG_DATA_HOME="$work/none" XDG_DATA_DIRS="$work/share:/usr/share" gio info -a standard::content-type "$work/${sample%%:*}" |
           sed -n 's/.*standard::content-type: //p')
    [ "$type" = "${sample#*:}" ] || { echo "${sample%%:*} is known as '$type', not ${sample#*:}"; exit 1; }
  done
fi
echo "package $(basename "$deb") holds $(wc -l <"$work/files") paths; Depends: $depends"
