#!/usr/bin/env bash
# Builds the fuzzers with clang and runs each for its share of a set time: the loader
# (the document and everything shown of it), the streamed reader with the timeline, and
# the carver (the candidate checks and the walk of files found in an image).
# Fails on any finding.
# Usage: scripts/fuzz.sh [seconds]   (build dir: $FUZZ_DIR, default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
dir=${FUZZ_DIR:-build-fuzz}
max_len=${FUZZ_MAX_LEN:-1048576}  # the largest sample is 480 KiB
targets=(loader stream carve)
share=$(( seconds / ${#targets[@]} ))
(( share > 0 )) || share=1

scripts/install-deps.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ scripts/configure.sh "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALLOWMARK_FUZZ=ON -DTALLOWMARK_GUI=OFF -DTALLOWMARK_BENCH=OFF
cmake --build "$dir" --target tallowmark_fuzz_seeds tallowmark_loader_fuzzer tallowmark_stream_fuzzer tallowmark_carve_fuzzer

# Seeds: small builder-made files, the real samples when they sit beside the checkout,
# and every earlier finding of either fuzzer (fuzz/regressions), which is replayed first
# on each run.
seeds="$dir/seeds"
mkdir -p "$seeds" "$dir/findings"
"$dir/fuzz/tallowmark_fuzz_seeds" "$seeds"
if [ -d ../shared/fixtures/real ]; then
  for sample in ../shared/fixtures/real/*.dat; do cp -f "$sample" "$seeds/"; done
fi

for target in "${targets[@]}"; do
  echo "== $target fuzzer, $share s"
  mkdir -p "$dir/corpus-$target"
  "$dir/fuzz/tallowmark_${target}_fuzzer" -max_total_time="$share" -timeout=60 -report_slow_units=30 -rss_limit_mb=2048 \
    -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$dir/findings/$target-" \
    "$dir/corpus-$target" "$seeds" fuzz/regressions
done
