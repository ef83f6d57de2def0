#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset, clang) and runs each for a
# bounded time, seeded from the peers' LUT files and from fuzz/seeds/<name>/
# (small pictures of every kind the picture readers take, made with our own
# writers, libjpeg-turbo, OpenImageIO's oiiotool and OpenColorIO's ociolutimage). CI runs them briefly so that a regression shows
# at once; run longer on demand:
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]      (default 20 s, all)
# Crashing inputs are left in build/fuzz/crashes/<target>/; keep each as a test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

testdata="${ZELVO_TESTDATA_DIR:-../shared/testdata}"
# Leaks inside the libraries the picture module loads are theirs, not ours.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in build/fuzz/fuzz/fuzz_*; do targets+=("$(basename "$exe")"); done
fi
status=0
for target in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$target"
  crashes="build/fuzz/crashes/$target"
  mkdir -p "$corpus" "$crashes"
  seeds=()
  [ -d "$testdata" ] && seeds+=("$testdata")
  # Seeds of our own where the peers' files are no fit (pictures).
  [ -d "fuzz/seeds/${target#fuzz_}" ] && seeds+=("fuzz/seeds/${target#fuzz_}")
  echo "== $target: ${seconds} s"
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" "${seeds[@]}" 2>"build/fuzz/$target.log"; then
    echo "$target found a failure (build/fuzz/$target.log, inputs in $crashes)"
    tail -30 "build/fuzz/$target.log"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "build/fuzz/$target.log" || true
done
exit $status
