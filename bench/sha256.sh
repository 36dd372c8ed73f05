#!/bin/sh
# Throughput of file_sha256 beside `openssl dgst -sha256` on the same 1 GiB file in the page cache, run
# alternately, and the peak memory of both for a 1 GiB and a 4 KiB file. Linux build only.
#   bench/sha256.sh            (ROUNDS=5 by default; TAVO_BENCH_DIR for the work folder, default /tmp)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench-sha256"
rounds="${ROUNDS:-5}"
work=$(mktemp -d "${TAVO_BENCH_DIR:-/tmp}/tavo-sha256-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVO_BUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF \
  >/dev/null
cmake --build "$build" --target tavo-sha256-bench >/dev/null
driver="$build/bin/tavo-sha256-bench"

big="$work/big.bin"
small="$work/small.bin"
head -c 1073741824 /dev/urandom >"$big"
head -c 4096 /dev/urandom >"$small"
cat "$big" >/dev/null # into the page cache
size=$(stat -c %s "$big")

now() { date +%s.%N; }
rate() { awk -v b="$size" -v s="$1" -v e="$2" 'BEGIN { printf "%.0f", b / (e - s) / 1e6 }'; }

# Same digest first: a fast wrong answer is worth nothing.
ours=$("$driver" "$big" | cut -d' ' -f1)
theirs=$(openssl dgst -sha256 -r "$big" | cut -d' ' -f1)
if [ "$ours" != "$theirs" ]; then
  echo "digests differ: $ours (file_sha256) vs $theirs (openssl)" >&2
  exit 1
fi
echo "digest agrees: $ours"

echo "round  file_sha256 MB/s  openssl MB/s"
ours_total=0
theirs_total=0
i=1
while [ "$i" -le "$rounds" ]; do
  t0=$(now); "$driver" "$big" >/dev/null; t1=$(now)
  openssl dgst -sha256 "$big" >/dev/null; t2=$(now)
  a=$(rate "$t0" "$t1"); b=$(rate "$t1" "$t2")
  printf "%5d  %16s  %12s\n" "$i" "$a" "$b"
  ours_total=$((ours_total + a)); theirs_total=$((theirs_total + b))
  i=$((i + 1))
done
awk -v a="$ours_total" -v b="$theirs_total" -v n="$rounds" \
  'BEGIN { printf "mean   %16.0f  %12.0f   ratio %.3f\n", a / n, b / n, a / b }'

# Whole-process peak (maximum resident set, KiB) of both programs on both files.
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
echo "peak memory (max RSS, KiB):   1 GiB file   4 KiB file"
printf "  file_sha256 program        %10s   %10s\n" "$(peak "$driver" "$big")" "$(peak "$driver" "$small")"
printf "  openssl dgst -sha256       %10s   %10s\n" "$(peak openssl dgst -sha256 "$big")" \
  "$(peak openssl dgst -sha256 "$small")"
