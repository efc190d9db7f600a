#!/bin/bash
# Re-index and pack of two rkdb builds at a size the benchmarks made ($RK_BENCH_DATA/titles-N,
# run store_bench first), interleaved, whole process, from /usr/bin/time: wall and CPU seconds,
# peak resident memory and voluntary context switches (the waits). Each re-index works on the
# build's own copy, opened once before (an index keeps in its mark what its build wrote); each
# pack on a fresh copy with every tenth title deleted, flushed to disk first.
#
# Usage: bench/rebuild_compare.sh BEFORE_RKDB AFTER_RKDB [N] [RUNS]
# One line per run: build operation wall user sys peak_kb voluntary_switches
set -e
before=$1 after=$2 n=${3:-1000000} runs=${4:-3}
data=${RK_BENCH_DATA:-/tmp/rk-bench-data}
src=$data/titles-$n
work=$(mktemp -d "$data/rebuild-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
declare -A rkdb=([before]=$before [after]=$after)

deleteEveryTenth() {
    python3 - "$1" <<'PY'
import sys
with open(sys.argv[1], "r+b") as f:
    head = f.read(12)
    count = int.from_bytes(head[4:8], "little")
    hlen = int.from_bytes(head[8:10], "little")
    rlen = int.from_bytes(head[10:12], "little")
    for r in range(0, count, 10):
        f.seek(hlen + r * rlen)
        f.write(b"*")
PY
}

timed() { # who op dir
    /usr/bin/time -f "$1 $2 %e %U %S %M %w" -o "$work/time" "${rkdb[$1]}" "$2" "$3/VIDEO.DBF" \
        >/dev/null 2>&1
    cat "$work/time"
}

for who in before after; do
    mkdir "$work/index-$who"
    cp "$src/VIDEO.DBF" "$src/VIDEO.CDX" "$work/index-$who/"
    "${rkdb[$who]}" info "$work/index-$who/VIDEO.DBF" >/dev/null
done
for _ in $(seq "$runs"); do
    for who in before after; do timed $who index "$work/index-$who"; done
done
for _ in $(seq "$runs"); do
    for who in before after; do
        rm -rf "$work/pack" && mkdir "$work/pack"
        cp "$src/VIDEO.DBF" "$src/VIDEO.CDX" "$work/pack/"
        deleteEveryTenth "$work/pack/VIDEO.DBF"
        "${rkdb[$who]}" info "$work/pack/VIDEO.DBF" >/dev/null
        sync
        timed $who pack "$work/pack"
    done
done
