#!/bin/sh
# The link check and tree copy beside `cp -r` on the same tree of about 2,000 files and 1 GiB (40 folders of
# 50 files, sizes spread from 4 KiB to 1 MiB), source in the page cache, run alternately. Linux build only.
#   bench/tree_copy.sh         (ROUNDS=3 by default; TAVO_BENCH_DIR for the work folder, default /tmp)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench-tree-copy"
rounds="${ROUNDS:-3}"
work=$(mktemp -d "${TAVO_BENCH_DIR:-/tmp}/tavo-tree-copy-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" --target tavo-tree-copy-bench >/dev/null
driver="$build/bin/tavo-tree-copy-bench"

src="$work/src"
for d in $(seq 1 40); do
  mkdir -p "$src/Ordner-$d/Unter"
  for f in $(seq 1 50); do
    head -c $(( (f * 41 + d * 7) % 1020 * 1024 + 4096 )) /dev/urandom >"$src/Ordner-$d/Unter/datei-$f.bin"
  done
done
echo "tree: $(find "$src" -type f | wc -l) files, $(du -sm "$src" | cut -f1) MiB"

now() { date +%s.%N; }
seconds() { awk -v s="$1" -v e="$2" 'BEGIN { printf "%.3f", e - s }'; }
# Each run starts from the same state: no earlier copy in the page cache or on disk, the source cached.
run_cp() {
  rm -rf "$work/copy"; sync; tar -cf - "$src" 2>/dev/null >/dev/null
  start=$(now); cp -r "$src" "$work/copy"; sync; end=$(now)
  echo "cp -r      $(seconds "$start" "$end") s (with sync)"
}
run_ours() {
  rm -rf "$work/copy"; sync; tar -cf - "$src" 2>/dev/null >/dev/null
  start=$(now); times=$("$driver" "$src" "$work/copy" | tr '\n' ' '); sync; end=$(now)
  echo "copy_tree  $(seconds "$start" "$end") s (with sync; $times)"
  diff -r "$src" "$work/copy" >/dev/null || { echo "copy differs from source" >&2; exit 1; }
}
for round in $(seq 1 "$rounds"); do
  echo "round $round:"
  if [ $((round % 2)) -eq 1 ]; then run_cp; run_ours; else run_ours; run_cp; fi
done
