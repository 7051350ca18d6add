#!/usr/bin/env bash
# Side by side on NTFS images this script makes (nothing mounted, the page cache warm):
# `tallowmark-cli find --image` over an image of 100,000 files against The Sleuth Kit's
# `fls -r -p`; on an image holding three 64 MiB index files, reading the files found
# (hashed by find --image, read alone by tallowmark-readimage) against `fls` then `icat`
# of each, and saving them; the peak memory of find and of timeline on it; and the
# desktop opening the 64 MiB index from inside the image against the loose file. The
# images live in a temporary folder, removed at the end.
# Usage: bench/image-compare.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cli="$build/tallowmark-cli"
helper="$build/tests/tallowmark_ntfs_helper"
fixtures="$(cd "$(dirname "$0")/.." && pwd)/../shared/fixtures/real"
if [[ ! -x $helper ]] || "$cli" --help | grep -q "reads no file systems inside disk images"; then
  echo "image benchmark skipped: the build has no libtsk or no NTFS test helper (libntfs-3g)"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "cores: $(nproc), load average: $(cut -d' ' -f1-3 /proc/loadavg)"

mean() { awk -F, -v n="$2" 'NR == n + 1 { print $2 }' "$1"; }
ms() { awk -v s="$1" 'BEGIN { printf "%8.1f ms", s * 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ntfs() {  # IMAGE MIB: an empty NTFS file system
  truncate -s "${2}M" "$1"
  mkfs.ntfs -q -F -f "$1" >/dev/null 2>&1
}

# 100,000 files in 10,000 folders (a thousand named index.dat, holding no index), and the
# real samples in a profile.
"$build/bench/tallowmark_search_bench" make-tree "$work/tree" >/dev/null
profile="$work/tree/Users/ann/AppData/Local/Microsoft/Windows"
mkdir -p "$profile/History/History.IE5" "$profile/Temporary Internet Files/Content.IE5"
if [[ -d $fixtures ]]; then
  cp "$fixtures/history-ie5-index.dat" "$profile/History/History.IE5/index.dat"
  cp "$fixtures/content-ie5-index.dat" "$profile/Temporary Internet Files/Content.IE5/index.dat"
fi
many="$work/many.img"
ntfs "$many" 512
printf 'tree\t%s\t/data\n' "$work/tree" | "$helper" "$many"
rm -rf "$work/tree"
files=$(fls -r -p "$many" | wc -l)

hyperfine -N --warmup 1 --runs 5 --style none --export-csv "$work/walk.csv" \
  "fls -r -p $many" "$cli find --image $many" >/dev/null
fls_s=$(mean "$work/walk.csv" 1)
find_s=$(mean "$work/walk.csv" 2)
/usr/bin/time -f "%M" -o "$work/peak" "$cli" find --image "$many" >"$work/found"
echo "find --image over an NTFS image of $files names ($(wc -l <"$work/found") index files listed), mean of 5 runs:"
echo "  fls -r -p                   $(ms "$fls_s")"
echo "  tallowmark-cli find --image $(ms "$find_s")   $(ratio "$find_s" "$fls_s")x fls (target at most 1.5x)," \
     "peak memory $(($(cat "$work/peak") / 1024)) MiB"

# Three index files of 64 MiB, in a profile each.
"$build/bench/tallowmark-genindex" "$work/index.dat" 64 >/dev/null
mkdir -p "$work/big"
for user in ann bob eve; do
  mkdir -p "$work/big/$user/AppData/Local/Microsoft/Windows/History/History.IE5"
  cp "$work/index.dat" "$work/big/$user/AppData/Local/Microsoft/Windows/History/History.IE5/index.dat"
done
big="$work/big.img"
ntfs "$big" 400
printf 'tree\t%s\t/Users\n' "$work/big" | "$helper" "$big"
rm -rf "$work/big"
found_mib=$((3 * $(stat -c %s "$work/index.dat") >> 20))
# What fls finds named index.dat, each read by icat (to nothing), or saved.
fls_icat() {
  fls -r -p "$big" | awk -F'\t' '$2 ~ /index\.dat$/ { split($1, a, " "); print a[2] }' |
    while read -r inode; do
      if [[ $1 == read ]]; then icat "$big" "${inode%%:}" >/dev/null; else icat "$big" "${inode%%:}" >"$2/${inode%%:}.dat"; fi
    done
}
export -f fls_icat
export big
hyperfine -N --warmup 1 --runs 5 --style none --export-csv "$work/read.csv" \
  "bash -c 'fls_icat read'" "$cli find --image $big" >/dev/null
# Reading alone, as the desktop and the timeline read a found file: no hash.
"$build/bench/tallowmark-readimage" "$big" >/dev/null
hyperfine -N --warmup 1 --runs 5 --style none --export-csv "$work/bytes.csv" \
  "$build/bench/tallowmark-readimage $big" >/dev/null
hyperfine -N --warmup 1 --runs 5 --style none --export-csv "$work/save.csv" \
  --prepare "bash -c 'rm -rf $work/out && mkdir $work/out'" \
  "bash -c 'fls_icat save $work/out'" "$cli find --image $big --extract $work/out" >/dev/null
rate() { awk -v m="$found_mib" -v s="$1" 'BEGIN { printf "%4.0f MiB/s", m / s }'; }
icat_s=$(mean "$work/read.csv" 1)
ours_s=$(mean "$work/read.csv" 2)
icat_save_s=$(mean "$work/save.csv" 1)
ours_save_s=$(mean "$work/save.csv" 2)
echo "the $found_mib MiB of index files of an image found and read, mean of 5 runs:"
echo "  fls, icat > /dev/null   $(ms "$icat_s")   $(rate "$icat_s")"
echo "  find --image            $(ms "$ours_s")   $(rate "$ours_s")   $(ratio "$icat_s" "$ours_s")x icat's rate, with the" \
     "SHA-256 of each (target at least 1x)"
echo "  read, not hashed        $(ms "$(mean "$work/bytes.csv" 1)")   $(rate "$(mean "$work/bytes.csv" 1)")" \
     "  (walk and read through each file's byte source, as the desktop and timeline do)"
echo "the same found and saved (find --image --extract reads each file twice: to hash it, then to save it):"
echo "  fls, icat > FILE        $(ms "$icat_save_s")   $(rate "$icat_save_s")"
echo "  find --image --extract  $(ms "$ours_save_s")   $(rate "$ours_save_s")"
/usr/bin/time -f "%M" -o "$work/peak" "$cli" find --image "$big" >/dev/null
find_kb=$(cat "$work/peak")
/usr/bin/time -f "%M" -o "$work/peak" "$cli" timeline --image "$big" --jobs 1 >/dev/null
timeline_kb=$(cat "$work/peak")
echo "peak memory with 64 MiB index files: find --image $((find_kb / 1024)) MiB, timeline --image --jobs 1" \
     "$((timeline_kb / 1024)) MiB (target at most 64 MiB plus the largest file, 128 MiB)"

if [[ -x "$build/bench/tallowmark_gui_bench" ]]; then
  QT_QPA_PLATFORM=offscreen "$build/bench/tallowmark_gui_bench" "$work/index.dat" "$big" 2>/dev/null |
    grep -E "^open to first rows painted \(best|^image:"
fi
