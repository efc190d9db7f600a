#!/usr/bin/python3
"""Whole-process timings: rkdb commands against a floor that only reads the file (wc -c of
the table, cat to /dev/null). Medians of 7 runs each, and the ratio to the floor."""
import os
import statistics
import subprocess
import sys
import time

rkdb = sys.argv[1]
data = os.environ.get("RK_BENCH_DATA", "/tmp/rk-bench-data")


def median_ms(cmd, runs=7):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


for n in (100000, 1000000):
    table = os.path.join(data, "titles-%d" % n, "VIDEO.DBF")
    if not os.path.exists(table):
        print("no table of %d titles (run store_bench first)" % n)
        continue
    size = os.path.getsize(table) / 1e6
    floor_wc = median_ms(["wc", "-c", table])
    floor_cat = median_ms(["sh", "-c", "cat '%s' > /dev/null" % table])
    print("%d titles, %.0f MB" % (n, size))
    print("  wc -c (floor)                 %8.1f ms" % floor_wc)
    print("  cat > /dev/null (read floor)  %8.1f ms" % floor_cat)
    for label, args in (("rkdb count", ["count", table]),
                        ("rkdb count CATEGORY", ["count", table, "--query", 'CATEGORY = "Drama"']),
                        ("rkdb count MARKED", ["count", table, "--query", "MARKED"])):
        ms = median_ms([rkdb] + args)
        print("  %-29s %8.1f ms  (%.1f x cat)" % (label, ms, ms / floor_cat))
