#!/usr/bin/env bash
# Side by side in one run, on a generated 2 GiB image (real samples where they are, and
# generated index files, scattered in clusters through noise): `tallowmark-cli carve`
# against `cat IMAGE > /dev/null` with the page cache warm, its peak memory and the cores
# it used, records and bytes per second; then the same image as E01 (ewfacquire) carved,
# against ewfexport to raw. The images live in a temporary folder, removed at the end.
# Usage: bench/carve-compare.sh BUILD_DIR [MIB]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
mib=${2:-2048}
cli="$build/tallowmark-cli"
fixtures="$(cd "$(dirname "$0")/.." && pwd)/../shared/fixtures/real"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The raw image, its E01 copy and room to spare.
need_kb=$(( mib * 1024 * 5 / 2 ))
free_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if (( free_kb < need_kb )); then
  echo "carve benchmark skipped: $((free_kb / 1024)) MiB free in $work, $((need_kb / 1024)) MiB needed"
  exit 0
fi
echo "cores: $(nproc), load average: $(cut -d' ' -f1-3 /proc/loadavg)"
image="$work/image.dd"
samples=()
[[ -d "$fixtures" ]] && samples=("$fixtures"/*.dat)
"$build/bench/tallowmark-genimage" "$image" "$mib" "${samples[@]}" >/dev/null
bytes=$(stat -c %s "$image")
cat "$image" >/dev/null

mean() { awk -F, -v n="$2" 'NR == n + 1 { print $2 }' "$1"; }
ms() { awk -v s="$1" 'BEGIN { printf "%8.1f ms", s * 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
rate() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.0f", n / s }'; }

hyperfine -N --warmup 1 --runs 5 --style none --export-csv "$work/raw.csv" \
  "cat $image" "$cli carve $image" >/dev/null
cat_s=$(mean "$work/raw.csv" 1)
carve_s=$(mean "$work/raw.csv" 2)
/usr/bin/time -f "%M %P" -o "$work/peak" "$cli" carve "$image" >"$work/lines"
read -r peak_kb cpu <"$work/peak"
records=$(wc -l <"$work/lines")
loose=$(grep -c '"carved_from":"loose"' "$work/lines" || true)
partial=$(grep -c '"partial":true' "$work/lines" || true)
echo "carve of a $((bytes >> 20)) MiB image to /dev/null (mean of 5 runs, page cache warm):"
echo "  cat IMAGE              $(ms "$cat_s")"
echo "  tallowmark-cli carve   $(ms "$carve_s")   $(ratio "$carve_s" "$cat_s")x cat (target at most 2x)"
echo "  peak memory $((peak_kb / 1024)) MiB (target at most 64 MiB), CPU $cpu of $(nproc) cores"
echo "  $records records ($loose loose, $partial partial): $(rate "$records" "$carve_s") records/s," \
     "$(rate $((bytes >> 20)) "$carve_s") MiB/s"

# The same bytes as an Expert Witness image, compressed as acquisitions usually are.
ewfacquire -u -q -c fast -t "$work/image" "$image" >/dev/null
rm -f "$image"
hyperfine -N --warmup 1 --runs 3 --style none --export-csv "$work/e01.csv" \
  "ewfexport -u -q -f raw -t - $work/image.E01" "$cli carve $work/image.E01" >/dev/null
export_s=$(mean "$work/e01.csv" 1)
e01_s=$(mean "$work/e01.csv" 2)
/usr/bin/time -f "%M %P" -o "$work/peak" "$cli" carve "$work/image.E01" >"$work/e01-lines"
read -r e01_kb e01_cpu <"$work/peak"
echo "the same image as E01 ($(( $(stat -c %s "$work/image.E01") >> 20 )) MiB, mean of 3 runs):"
echo "  ewfexport to raw       $(ms "$export_s")"
echo "  tallowmark-cli carve   $(ms "$e01_s")   $(ratio "$e01_s" "$export_s")x ewfexport," \
     "peak memory $((e01_kb / 1024)) MiB, CPU $e01_cpu"
if cmp -s <(sed 's/"source":"[^"]*"//' "$work/lines") <(sed 's/"source":"[^"]*"//' "$work/e01-lines"); then
  echo "  the same $records lines as from the raw image"
else
  echo "  DIFFERENT lines from the raw image"
  exit 1
fi
