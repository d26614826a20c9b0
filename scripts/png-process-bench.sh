#!/usr/bin/env bash
# Whole-process PNG timings: varnet-img against the libpng-based peer converter on the bench
# corpus (PNG -> BMP for every file, BMP -> PNG for the large pixel art), median of several runs
# with hyperfine, and the peak memory of converting the large pixel art to BMP. Usage:
#   scripts/png-process-bench.sh [BUILD_DIR]   (default build-bench, built with VARNET_BENCH=ON)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
img=$build/varnet-img
peer=$build/varnet_png_peer
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
VARNET_PNG_CORPUS=$work "$build/varnet_bench" png_corpus >/dev/null
# Median of each command's runs, in milliseconds.
median() { python3 -c 'import json,sys; print("%.2f" % (json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]["median"]*1e3))' "$@"; }
compare() { # label, our command, peer command; leaves our median in $ours
  hyperfine -N --warmup 3 --runs "${RUNS:-15}" --export-json "$work/t.json" "$2" "$3" >/dev/null
  local peer
  ours=$(median "$work/t.json" 0)
  peer=$(median "$work/t.json" 1)
  printf '%-40s ours %9s ms   peer %9s ms   ratio %5.2f\n' "$1" "$ours" "$peer" \
    "$(python3 -c "print($ours / $peer)")"
}
# Median milliseconds that the fsync before the rename took in runs of the command, by strace.
fsync_ms() {
  for _ in $(seq "${RUNS:-15}"); do
    strace -T -e trace=fsync "$@" 2>&1 >/dev/null | sed -n 's/^fsync.*<\([0-9.]*\)>$/\1/p'
  done | sort -n | awk '{t[NR] = $1} END {printf "%.2f", t[int((NR + 1) / 2)] * 1e3}'
}
# Ours syncs the file before renaming it over the old one (a crash leaves the old file or the
# whole new one); the peer only writes. What that safety costs, against our last median:
sync_share() { # our command...
  local sync
  sync=$(fsync_ms "$@")
  printf '%-40s fsync %8s ms = %.0f %% of ours\n' "  of which" "$sync" \
    "$(python3 -c "print(100 * $sync / $ours)")"
}
for f in "$work"/*.png; do
  name=$(basename "$f" .png)
  compare "$name PNG -> BMP" "$img convert $f $work/ours.bmp" "$peer tobmp $f $work/peer.bmp"
  sync_share "$img" convert "$f" "$work/ours.bmp"
done
# What starting a process costs each side before any work (the usage text; the peer's exits 2):
# on the small sprite sheet most of both times.
hyperfine -N -i --warmup 3 --runs "${RUNS:-15}" --export-json "$work/t.json" "$img --help" \
  "$peer" >/dev/null 2>&1
printf '%-40s ours %9s ms   peer %9s ms\n' "start-up alone" "$(median "$work/t.json" 0)" \
  "$(median "$work/t.json" 1)"
"$img" convert "$work/pixelart-4096.png" "$work/pixelart-4096.bmp"
compare "pixelart-4096 BMP -> PNG" "$img convert $work/pixelart-4096.bmp $work/ours.png" \
  "$peer topng $work/pixelart-4096.bmp $work/peer.png"
sync_share "$img" convert "$work/pixelart-4096.bmp" "$work/ours.png"
printf '%-40s ours %9s B    peer %9s B\n' "  sizes" "$(stat -c %s "$work/ours.png")" \
  "$(stat -c %s "$work/peer.png")"
pngcheck -q "$work/ours.png" && echo "  pngcheck: ours.png OK"
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
image_kib=$((4096 * 4096 / 1024))
ours_kib=$(peak "$img" convert "$work/pixelart-4096.png" "$work/ours.bmp")
start_kib=$(peak "$img" convert "$work/sprites-256x128.png" "$work/ours.bmp")
printf 'peak RSS of varnet-img convert pixelart-4096.png: %s KiB (the sprite sheet: %s KiB); ' \
  "$ours_kib" "$start_kib"
printf 'growth %s KiB = %.2f x the %s KiB image\n' "$((ours_kib - start_kib))" \
  "$(python3 -c "print(($ours_kib - $start_kib) / $image_kib)")" "$image_kib"
