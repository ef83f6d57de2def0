#!/usr/bin/env bash
# Builds the program and starts it. Until the desktop window lands, this is the
# command line: it shows its help and converts a sample LUT into every cube
# output profile, printing what it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
cmake --preset release >/dev/null
cmake --build --preset release --target zelvo-lut
cli=build/release/zelvo-lut
if [ $# -gt 0 ]; then
  exec "$cli" "$@"
fi
"$cli" --help
out=$(mktemp -d)
sample="$out/sample.cube"
{
  echo "# A warm grade"
  echo "LUT_3D_SIZE 2"
  echo "0.02 0.00 0.00"; echo "1.00 0.05 0.00"; echo "0.05 0.95 0.00"; echo "1.00 0.98 0.05"
  echo "0.00 0.00 0.90"; echo "0.98 0.05 0.88"; echo "0.05 0.96 0.90"; echo "1.00 1.00 0.95"
} > "$sample"
for profile in "Cube 3D Davinci" "Cube 3D Truelight" "Nucoda 3D" "Cube 1D"; do
  mkdir -p "$out/$profile"
  "$cli" convert -p "$profile" -o "$out/$profile" "$sample"
done
"$cli" info "$sample" "$out"/*/sample.*
echo "Converted files are in $out"
