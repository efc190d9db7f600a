#!/bin/sh
# Runs every benchmark program with five repetitions (medians in the *_median rows), then the
# whole-process comparisons. Usage: sh bench/run.sh BUILD_DIR
set -e
build=${1:-build-bench}
for b in "$build"/bin/*_bench; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
done
/usr/bin/python3 "$(dirname "$0")/process_compare.py" "$build/bin/rkdb"
# With RK_BEFORE_RKDB naming the rkdb of another build (main's, say), the whole-process figures
# of both builds side by side.
if [ -n "$RK_BEFORE_RKDB" ]; then
    /usr/bin/python3 "$(dirname "$0")/compare_engines.py" "$RK_BEFORE_RKDB" "$build/bin/rkdb"
fi
# The report against groff on the same 100,000 rows (needs groff and ghostscript).
if command -v groff > /dev/null && command -v ps2pdf > /dev/null; then
    /usr/bin/python3 "$(dirname "$0")/report_vs_groff.py" "$build/bin/rkdb" $RK_BEFORE_RKDB
fi
