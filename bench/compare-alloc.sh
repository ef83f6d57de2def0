#!/usr/bin/env bash
# Whether the large-block allocator (src/base/LargeAlloc.cpp) still earns its
# place: the same conversions run by zelvo-lut as built, by a build that takes
# every block from the standard allocator, and by that build over mimalloc
# where it is installed (libmimalloc2.0), side by side in one hyperfine run.
#
#   bench/compare-alloc.sh           # 65 to 65 and 65 to 33 points
#   RUNS=50 bench/compare-alloc.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }
cmake --preset release >/dev/null
cmake --build --preset release --target zelvo-lut >/dev/null
cmake -S . -B build/heaponly -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELVO_BUILD_TESTS=OFF -DZELVO_BUILD_APP=OFF \
  -DCMAKE_CXX_FLAGS=-DZELVO_HEAP_ONLY=1 >/dev/null
cmake --build build/heaponly --target zelvo-lut >/dev/null
ours=$PWD/build/release/zelvo-lut
heap=$PWD/build/heaponly/zelvo-lut
mimalloc=$(ls /usr/lib/*/libmimalloc.so.2 2>/dev/null | head -n 1 || true)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v n=65 'BEGIN { s = n - 1; print "LUT_3D_SIZE " n
  for (b = 0; b < n; b++) for (g = 0; g < n; g++) for (r = 0; r < n; r++)
    printf "%.6f %.6f %.6f\n", (r / s) ^ (1 / 2.2), (g / s) ^ (1 / 2.2), (b / s) ^ (1 / 2.2) }' > "$work/in.cube"
mkdir -p "$work/a" "$work/b" "$work/c"
for size in 65 33; do
  commands=("$ours convert -p 7 --size $size --overwrite -o $work/a $work/in.cube"
            "$heap convert -p 7 --size $size --overwrite -o $work/b $work/in.cube")
  [ -n "$mimalloc" ] && commands+=("env LD_PRELOAD=$mimalloc $heap convert -p 7 --size $size --overwrite -o $work/c $work/in.cube")
  echo "65 to $size points: large-block allocator, standard allocator${mimalloc:+, mimalloc}"
  hyperfine -N -w 3 -r "${RUNS:-30}" "${commands[@]}" | grep -E "Time|faster"
done
