#!/usr/bin/env bash
# Times `tallowmark-cli export` of the 64 MiB synthetic file against msiecfexport and
# pasco in the same run, and reports peak memory. Usage: bench/compare.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file="$work/index.dat"
"$build/bench/tallowmark-genindex" "$file" 64

# best of three: prints "seconds peak_kb"
best() {
  local best_s="" best_kb=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/t" "$@" >/dev/null 2>&1 || true
    read -r s kb <"$work/t"
    if [[ -z "$best_s" ]] || awk "BEGIN{exit !($s < $best_s)}"; then best_s=$s; best_kb=$kb; fi
  done
  echo "$best_s $best_kb"
}

read -r ours ours_kb < <(best "$build/tallowmark-cli" export "$file" -o "$work/out.csv")
read -r msiecf _ < <(best msiecfexport "$file")
read -r pasco _ < <(best pasco "$file")
size_kb=$(( $(stat -c %s "$file") / 1024 ))

printf 'tallowmark-cli export: %ss, peak %s KiB (%.2fx the file)\n' "$ours" "$ours_kb" "$(awk "BEGIN{print $ours_kb/$size_kb}")"
printf 'msiecfexport:          %ss  -> tallowmark %.1fx faster (target 10x)\n' "$msiecf" "$(awk "BEGIN{print $msiecf/($ours>0?$ours:0.01)}")"
printf 'pasco:                 %ss  -> tallowmark %.1fx faster (target 40x)\n' "$pasco" "$(awk "BEGIN{print $pasco/($ours>0?$ours:0.01)}")"
if [[ -x "$build/bench/tallowmark_gui_bench" ]]; then
  QT_QPA_PLATFORM=offscreen "$build/bench/tallowmark_gui_bench" "$file" 2>/dev/null
fi
"$build/bench/tallowmark_core_bench" --benchmark_filter='Load|ExportCsv|FillRows|SortByColumn' 2>/dev/null
