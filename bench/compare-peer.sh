#!/usr/bin/env bash
# Converts a cube LUT with zelvo-lut and with OpenColorIO's ociobakelut, side by
# side in one hyperfine run (the machine is shared, so only the ratio of the
# medians means much), and reports the peak memory of each from GNU time.
# Then applies a 33-point LUT to a 3840 x 2160 picture: JPEG to JPEG beside
# ffmpeg's lut3d filter, float OpenEXR to OpenEXR beside OpenColorIO's
# ocioconvert --lut (the peer column: ffmpeg, then ocioconvert).
# Last, our own costs side by side: convert --verify beside convert at 65
# points (target: at most 1.5x), and diff of two 65-point cubes (target:
# under 50 ms).
#
#   bench/compare-peer.sh            # 65 to 65, 65 to 33 and 33 to 33 points,
#                                    # and a camera CLF chain to 33 points;
#                                    # bake: a 65-point cube inverted into 33
#                                    # and 65 points, two 65-point cubes
#                                    # combined into 65; apply: JPEG and OpenEXR
#   RUNS=50 bench/compare-peer.sh    # more runs per command
#
# Both write over an existing output file, as a repeated conversion does.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(hyperfine opencolorio-tools openimageio-tools ffmpeg time)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

bash scripts/bootstrap.sh
cmake --preset release >/dev/null
cmake --build --preset release --target zelvo-lut >/dev/null
zelvo=$PWD/build/release/zelvo-lut

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=${RUNS:-30}

# A graded cube as a tool would bake it: a colour matrix and a display gamma,
# six decimals per value, red fastest.
# make_cube N FILE [GAMMA]
make_cube() {
  awk -v n="$1" -v gamma="${3:-2.4}" 'BEGIN {
    s = n - 1; print "LUT_3D_SIZE " n
    for (b = 0; b < n; b++) for (g = 0; g < n; g++) for (r = 0; r < n; r++) {
      x = r / s; y = g / s; z = b / s
      printf "%.6f %.6f %.6f\n", (0.8123*x + 0.1377*y + 0.05*z)^(1/gamma), (0.0731*x + 0.8892*y + 0.0377*z)^(1/gamma),
                                 (0.0213*x + 0.1044*y + 0.8743*z)^(1/gamma)
    }
  }' > "$2"
}
make_cube 65 "$work/in65.cube"
make_cube 33 "$work/in33.cube"
# A look to combine with it: channels mixed by products of each other.
awk -v n=65 'BEGIN {
  s = n - 1; print "LUT_3D_SIZE " n
  for (b = 0; b < n; b++) for (g = 0; g < n; g++) for (r = 0; r < n; r++) {
    x = r / s; y = g / s; z = b / s
    printf "%.6f %.6f %.6f\n", 0.9*x + 0.05*y*z + 0.05*x*x, 0.1*x + 0.8*y + 0.1*z*z, 0.05 + 0.9*z*(0.8 + 0.2*y)
  }
}' > "$work/look65.cube"
mkdir -p "$work/zelvo" "$work/peer"

# The median of a command's peak resident memory in kB over five runs.
peak_kb() {
  for _ in 1 2 3 4 5; do /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; done | sort -n | sed -n 3p
}

# Times the commands in the arrays ours and peer side by side (after a run of
# each, so that both write over an existing file) and prints a row: the case,
# both medians, their ratio and both peaks of memory.
compare() {
  local name=$1 warmup=$2 count=$3
  "${ours[@]}"
  "${peer[@]}" >/dev/null
  [ -n "${VERBOSE:-}" ] && echo "${ours[*]} | ${peer[*]}" >&2
  hyperfine -N -w "$warmup" -r "$count" --export-json "$work/run.json" \
    "$(printf '%q ' "${ours[@]}")" "$(printf '%q ' "${peer[@]}")" >/dev/null
  medians=($(grep -o '"median": *[0-9.e+-]*' "$work/run.json" | awk '{print $2 * 1000}'))
  ours_kb=$(peak_kb "${ours[@]}")
  peer_kb=$(peak_kb "${peer[@]}")
  awk -v c="$name" -v a="${medians[0]}" -v b="${medians[1]}" -v m="$ours_kb" -v p="$peer_kb" \
    'BEGIN { printf "%-14s %12.1f %12.1f %7.2fx %14.1f %14.1f\n", c, a, b, b / a, m / 1024, p / 1024 }'
}

printf '%-14s %12s %12s %8s %14s %14s\n' case "zelvo ms" "peer ms" ratio "zelvo MB" "peer MB"
# A camera log curve and gamut matrix as a CLF chain: we bake it whole, the
# peer evaluates its processor at each point of the cube.
clf="${ZELVO_TESTDATA_DIR:-../shared/testdata}/peer-luts/OpenColorIO-Config-ACES/arri/input/ARRI.Input.ARRI_LogC3_EI800_to_ACES2065-1.clf"
cases=("65 65" "65 33" "33 33")
[ -f "$clf" ] && cases+=("clf 33")
for c in "${cases[@]}"; do
  set -- $c
  in=$work/in$1.cube
  [ "$1" = clf ] && in=$clf
  ours=("$zelvo" convert -p "Cube 3D Davinci" --size "$2" --overwrite -o "$work/zelvo" "$in")
  peer=(ociobakelut --lut "$in" --format resolve_cube --cubesize "$2" "$work/peer/out.cube")
  compare "$1 to $2" 3 "$runs"
done

# bake: the inverse of the graded cube, and the cube then the look, as one
# table (the peer's --lut reads cubes tetrahedrally, so ours does too).
for size in 33 65; do
  ours=("$zelvo" bake --invlut "$work/in65.cube" -p "Cube 3D Davinci" --size "$size" --interp tetrahedral --overwrite
        -o "$work/zelvo/inverse.cube")
  peer=(ociobakelut --invlut "$work/in65.cube" --format resolve_cube --cubesize "$size" "$work/peer/inverse.cube")
  compare "inv 65 to $size" 2 "$(( runs < 10 ? runs : 10 ))"
done
ours=("$zelvo" bake --lut "$work/in65.cube" --lut "$work/look65.cube" -p "Cube 3D Davinci" --size 65 --interp tetrahedral
      --overwrite -o "$work/zelvo/combined.cube")
peer=(ociobakelut --lut "$work/in65.cube" --lut "$work/look65.cube" --format resolve_cube --cubesize 65
      "$work/peer/combined.cube")
compare "2 x 65 to 65" 2 "$(( runs < 10 ? runs : 10 ))"

# apply: the same picture for every tool, made once: a test card with grain,
# so that the JPEG coder has real work, as a photograph gives it.
ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=3840x2160:duration=1,noise=alls=12:allf=t" -frames:v 1 \
  -q:v 2 "$work/picture.jpg"
oiiotool "$work/picture.jpg" -d float -o "$work/picture.exr"
ours=("$zelvo" apply "$work/in33.cube" "$work/picture.jpg" -o "$work/zelvo/out.jpg" --overwrite)
peer=(ffmpeg -loglevel error -y -i "$work/picture.jpg" -vf "lut3d=$work/in33.cube" -q:v 2 "$work/peer/out.jpg")
compare "apply JPEG" 2 "$runs"
ours=("$zelvo" apply "$work/in33.cube" "$work/picture.exr" -o "$work/zelvo/out.exr" --overwrite)
peer=(ocioconvert --lut "$work/in33.cube" "$work/picture.exr" "$work/peer/out.exr")
compare "apply EXR" 1 "$(( runs < 10 ? runs : 10 ))"

# Our own costs, in one hyperfine run each: convert --verify beside convert
# (the ratio of the medians, verify over convert), and diff of two 65-point
# cubes a little apart.
make_cube 65 "$work/other65.cube" 2.45
printf '\n%-14s %12s %12s %8s\n' case "ms" "beside ms" ratio
verify=("$zelvo" convert -p "Cube 3D Davinci" --size 65 --overwrite --verify -o "$work/zelvo" "$work/in65.cube")
plain=("$zelvo" convert -p "Cube 3D Davinci" --size 65 --overwrite -o "$work/zelvo" "$work/in65.cube")
"${verify[@]}" 2>/dev/null
hyperfine -N -w 3 -r "$runs" --export-json "$work/run.json" \
  "$(printf '%q ' "${verify[@]}")" "$(printf '%q ' "${plain[@]}")" >/dev/null
medians=($(grep -o '"median": *[0-9.e+-]*' "$work/run.json" | awk '{print $2 * 1000}'))
awk -v a="${medians[0]}" -v b="${medians[1]}" 'BEGIN { printf "%-14s %12.1f %12.1f %7.2fx\n", "65 verify", a, b, a / b }'
# diff exits 1 for cubes that differ: hyperfine is told to accept it.
hyperfine -N -i -w 3 -r "$runs" --export-json "$work/run.json" \
  "$(printf '%q ' "$zelvo" diff "$work/in65.cube" "$work/other65.cube")" >/dev/null
median=$(grep -o '"median": *[0-9.e+-]*' "$work/run.json" | awk '{print $2 * 1000}')
awk -v a="$median" 'BEGIN { printf "%-14s %12.1f\n", "diff 65", a }'
