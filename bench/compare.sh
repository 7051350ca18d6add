#!/usr/bin/env bash
# Side by side in one run: `tallowmark-cli export` of the 64 MiB synthetic file against
# `cat FILE > /dev/null`, msiecfexport and pasco, with peak memory; then `timeline` over
# 1,000 files on every core, on one, and one process per file, and the peak memory of the
# timeline of one huge record; then the benchmarks of the desktop program and the core.
# Usage: bench/compare.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cli="$build/tallowmark-cli"
fixtures="$(cd "$(dirname "$0")/.." && pwd)/../shared/fixtures/real"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file="$work/index.dat"
"$build/bench/tallowmark-genindex" "$file" 64 >/dev/null
size_kb=$(( $(stat -c %s "$file") / 1024 ))

# The machine may be busy: say how busy, and take means over many runs.
echo "cores: $(nproc), load average: $(cut -d' ' -f1-3 /proc/loadavg)"

# mean seconds of each command, all output to /dev/null, as hyperfine measures it
hyperfine -N --warmup 3 --runs 15 --style none --export-csv "$work/export.csv" \
  "cat $file" "$cli export $file" >/dev/null
hyperfine -N --runs 3 --style none --export-csv "$work/msiecf.csv" "msiecfexport $file" >/dev/null
hyperfine -N --runs 2 --style none --export-csv "$work/pasco.csv" "pasco $file" >/dev/null
mean() { awk -F, -v n="$2" 'NR == n + 1 { print $2 }' "$1"; }
cat_s=$(mean "$work/export.csv" 1)
ours_s=$(mean "$work/export.csv" 2)
msiecf_s=$(mean "$work/msiecf.csv" 1)
pasco_s=$(mean "$work/pasco.csv" 1)
/usr/bin/time -f "%M" -o "$work/peak" "$cli" export "$file" >/dev/null
ours_kb=$(cat "$work/peak")

ms() { awk -v s="$1" 'BEGIN { printf "%8.1f ms", s * 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
echo "export of the 64 MiB file to /dev/null (mean of 15 runs; msiecfexport 3, pasco 2):"
echo "  cat FILE              $(ms "$cat_s")"
echo "  tallowmark-cli export $(ms "$ours_s")   $(ratio "$ours_s" "$cat_s")x cat (target at most 5x)"
echo "  msiecfexport          $(ms "$msiecf_s")   tallowmark $(ratio "$msiecf_s" "$ours_s")x faster (target at least 20x)"
echo "  pasco                 $(ms "$pasco_s")   tallowmark $(ratio "$pasco_s" "$ours_s")x faster"
echo "  peak memory of export: $((ours_kb / 1024)) MiB for a $((size_kb / 1024)) MiB file (target at most $((size_kb / 1024 + 32)) MiB)"
/usr/bin/time -f "  export -o OUT (a 31 MB file written): %e s, peak %M KiB" "$cli" export "$file" -o "$work/out.csv"

# 1,000 files: the real samples where they are, and generated ones of 1 and 2 MiB, as
# hard links so that every one reads as a file of its own.
mkdir -p "$work/many"
"$build/bench/tallowmark-genindex" "$work/gen1.dat" 1 >/dev/null
"$build/bench/tallowmark-genindex" "$work/gen2.dat" 2 >/dev/null
sources=("$work/gen1.dat" "$work/gen2.dat")
[[ -d "$fixtures" ]] && sources+=("$fixtures"/*.dat)
for i in $(seq 0 999); do
  ln "${sources[i % ${#sources[@]}]}" "$work/many/$i-index.dat" 2>/dev/null ||
    cp "${sources[i % ${#sources[@]}]}" "$work/many/$i-index.dat"
done
ls "$work"/many/*.dat >"$work/list"
lines=$("$cli" timeline $(cat "$work/list") | wc -l)
hyperfine --warmup 1 --runs 3 --style none --export-csv "$work/timeline.csv" \
  "$cli timeline \$(cat $work/list)" \
  "$cli timeline --jobs 1 \$(cat $work/list)" \
  "for f in \$(cat $work/list); do $cli timeline \$f; done" >/dev/null
all_s=$(mean "$work/timeline.csv" 1)
one_s=$(mean "$work/timeline.csv" 2)
each_s=$(mean "$work/timeline.csv" 3)
total_mib=$(xargs stat -L -c %s <"$work/list" | awk '{ s += $1 } END { printf "%.0f", s / 1048576 }')
echo "timeline of 1,000 files ($total_mib MiB, $lines lines) to /dev/null (mean of 3 runs):"
echo "  one process, every core   $(ms "$all_s")"
echo "  one process, --jobs 1     $(ms "$one_s")   $(ratio "$one_s" "$all_s")x the time"
echo "  one process per file      $(ms "$each_s")   $(ratio "$each_s" "$all_s")x the time"

# One record whose URL, file name and headers are the same 64 MiB of control bytes: the
# timeline's memory is bounded by the work, not by what the fields claim.
"$build/bench/tallowmark-genindex" --one-record "$work/one-record.dat" 64 >/dev/null
/usr/bin/time -f "%M %e" -o "$work/one-peak" "$cli" timeline "$work/one-record.dat" >/dev/null
read -r one_kb one_s <"$work/one-peak"
echo "timeline of one 64 MiB record (a line of 1.1 GB): peak memory $((one_kb / 1024)) MiB (target at most 256 MiB), $one_s s"

if [[ -x "$build/bench/tallowmark_gui_bench" ]]; then
  QT_QPA_PLATFORM=offscreen "$build/bench/tallowmark_gui_bench" "$file" 2>/dev/null
  # The peak on a larger file (target: at most 1.5x the file), the extra columns shown and sorted by each.
  "$build/bench/tallowmark-genindex" "$work/large.dat" 200 >/dev/null
  echo "the desktop program on a 200 MiB file:"
  QT_QPA_PLATFORM=offscreen "$build/bench/tallowmark_gui_bench" "$work/large.dat" 2>/dev/null |
    grep -E '^(open|memory|sort by the extra|peak)'
  rm -f "$work/large.dat"
fi
"$build/bench/tallowmark_core_bench" --benchmark_filter='Load|ExportCsv|FillRows|SortByColumn' 2>/dev/null
