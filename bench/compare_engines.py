#!/usr/bin/python3
"""Whole-process figures of two rkdb builds on the synthetic catalogues that the benchmarks
make ($RK_BENCH_DATA/titles-N, run store_bench first): list in TITIT order, one update and one
append per process, re-index, pack with every tenth title deleted, and (where the build has
it) 10,000 appends from a file in one batch.

Usage: compare_engines.py BEFORE_RKDB AFTER_RKDB [SIZES...]

Each build works on copies of its own (an index keeps in its mark what the build wrote there),
opened once before anything is timed. Per operation: the median wall time and user+sys CPU
time of its runs, and the largest peak resident memory; the last column is after / before of
the CPU times. On a busy machine the CPU times are the figures to compare.
"""
import os
import shutil
import statistics
import subprocess
import sys
import time

before, after = sys.argv[1], sys.argv[2]
sizes = [int(s) for s in sys.argv[3:]] or [100000, 1000000]
data = os.environ.get("RK_BENCH_DATA", "/tmp/rk-bench-data")
here = os.path.dirname(os.path.abspath(__file__))


def run(cmd):
    """Wall seconds, CPU seconds and peak KB of one process; its output is dropped."""
    start = time.perf_counter()
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise SystemExit("failed (%d): %s" % (status, " ".join(cmd)))
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def copy_catalogue(n, who, deleted=False):
    src = os.path.join(data, "titles-%d" % n)
    dst = os.path.join(data, "compare-%s-%d" % (who, n))
    shutil.rmtree(dst, ignore_errors=True)
    os.makedirs(dst)
    for name in ("VIDEO.DBF", "VIDEO.CDX"):
        shutil.copy2(os.path.join(src, name), dst)
    table = os.path.join(dst, "VIDEO.DBF")
    if deleted:
        mark_every_tenth_deleted(table)
    rkdb = before if who == "before" else after
    run([rkdb, "info", table])  # the first open checks what it has to
    return table


def mark_every_tenth_deleted(table):
    with open(table, "r+b") as f:
        head = f.read(12)
        count = int.from_bytes(head[4:8], "little")
        hlen = int.from_bytes(head[8:10], "little")
        rlen = int.from_bytes(head[10:12], "little")
        for r in range(0, count, 10):
            f.seek(hlen + r * rlen)
            f.write(b"*")


def has_append_from(rkdb):
    out = subprocess.run([rkdb, "help"], capture_output=True, text=True)
    return "--from" in out.stdout + out.stderr


def line(label, figures):
    cells = []
    cpus = {}
    for who in ("before", "after"):
        runs = figures.get(who)
        if not runs:
            cells.append("%28s" % "n/a")
            continue
        wall = statistics.median(r[0] for r in runs)
        cpu = statistics.median(r[1] for r in runs)
        peak = max(r[2] for r in runs) / 1024
        cpus[who] = cpu
        cells.append("%8.3f s %8.3f s %6.0f MB" % (wall, cpu, peak))
    ratio = "%6.2f x" % (cpus["after"] / cpus["before"]) if len(cpus) == 2 and cpus["before"] else ""
    print("  %-30s %s  %s  %s" % (label, cells[0], cells[1], ratio), flush=True)


for n in sizes:
    if not os.path.exists(os.path.join(data, "titles-%d" % n, "VIDEO.DBF")):
        print("no catalogue of %d titles in %s (run store_bench first)" % (n, data))
        continue
    print("%d titles                       before: wall, cpu, peak          after: wall, cpu, peak"
          % n)
    tables = {who: copy_catalogue(n, who) for who in ("before", "after")}
    rkdbs = {"before": before, "after": after}

    figures = {w: [run([rkdbs[w], "list", tables[w], "--order", "TITIT"]) for _ in range(3)]
               for w in rkdbs}
    line("list --order TITIT", figures)

    figures = {w: [run([rkdbs[w], "update", tables[w], str(1 + i * 7919 % n),
                        "TITLE=Changed title %d" % i]) for i in range(7)] for w in rkdbs}
    line("update one title", figures)

    figures = {w: [run([rkdbs[w], "append", tables[w], "TITLE=Appended %d" % i])
                   for i in range(7)] for w in rkdbs}
    line("append one title", figures)

    lines = os.path.join(data, "compare-append-10000.txt")
    with open(lines, "w", encoding="utf-8") as f:
        for i in range(10000):
            f.write("TITLE=Batch title %d\tCATEGORY=Drama\tYEAR=%d\tMARKED=%s\n"
                    % (i, 1930 + i % 90, "T" if i % 10 == 0 else "F"))
    figures = {w: [run([rkdbs[w], "append", tables[w], "--from", lines])]
               for w in rkdbs if has_append_from(rkdbs[w])}
    line("append 10,000 --from a file", figures)

    figures = {w: [run([rkdbs[w], "index", tables[w]]) for _ in range(2)] for w in rkdbs}
    line("index (re-index 12 tags)", figures)

    figures = {}
    for w in rkdbs:
        table = copy_catalogue(n, w, deleted=True)
        figures[w] = [run([rkdbs[w], "pack", table])]
    line("pack (10 % deleted)", figures)
    for w in rkdbs:
        shutil.rmtree(os.path.join(data, "compare-%s-%d" % (w, n)), ignore_errors=True)
