#!/usr/bin/python3
"""rkdb report of the 100,000-title catalogue (5 columns, grid, to PDF) against groff on the
same rows: tbl with a box around every cell, and plain lines, each through ps2pdf. Whole
processes, interleaved, CPU (user + sys of the process and its children), peak memory of
the largest process and PDF size; medians of RUNS runs.

Usage: bench/report_vs_groff.py RKDB [RKDB_BEFORE]   (RK_BENCH_DATA as for the benchmarks;
store_bench makes the catalogue). Needs groff and ghostscript (Debian: groff, ghostscript)."""
import os
import resource
import statistics
import subprocess
import sys
import tempfile

rkdbs = {"after": sys.argv[1]}
if len(sys.argv) > 2:
    rkdbs = {"before": sys.argv[2], "after": sys.argv[1]}
runs = int(os.environ.get("RUNS", "3"))
data = os.environ.get("RK_BENCH_DATA", "/tmp/rk-bench-data")
table = os.path.join(data, "titles-100000", "VIDEO.DBF")
fields = "TITLE,CATEGORY,DIRECTOR,YEAR,PRICE"
work = tempfile.mkdtemp(prefix="rk-groff-")


def measure(cmd):
    """CPU seconds, peak resident MB and output bytes of one shell command."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(["bash", "-o", "pipefail", "-c", cmd], check=True, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return cpu, after.ru_maxrss / 1024.0


rows = os.path.join(work, "rows.txt")
subprocess.run("'%s' list '%s' --fields %s | cut -f2- > '%s'" % (rkdbs["after"], table, fields,
                                                                 rows), shell=True, check=True)
with open(rows) as f:
    lines = f.read().splitlines()
n = len(lines)
tbl = os.path.join(work, "rows.tbl")
with open(tbl, "w") as f:
    f.write(".TS H\nallbox tab(\t);\nl l l l l.\nTitle\tCategory\tDirector\tYear\tPrice\n.TH\n")
    f.write("\n".join(lines) + "\n.TE\n")
plain = os.path.join(work, "rows.tr")
with open(plain, "w") as f:
    f.write(".nf\n.ta 2.2i 3.5i 5.1i 5.7i\n" + "\n".join(lines) + "\n")

cases = {}
for who, rkdb in rkdbs.items():
    cases["rkdb report (%s)" % who] = (
        "'%s' report '%s' --fields %s --widths 2.2,1.3,1.6,0.6,0.8 --grid --pdf '%s/%s.pdf'"
        % (rkdb, table, fields, work, who), "%s/%s.pdf" % (work, who))
cases["groff tbl + ps2pdf"] = ("tbl '%s' | groff -ms -Tps | ps2pdf - '%s/tbl.pdf'" % (tbl, work),
                               "%s/tbl.pdf" % work)
cases["groff plain lines + ps2pdf"] = ("groff -Tps '%s' | ps2pdf - '%s/plain.pdf'"
                                       % (plain, work), "%s/plain.pdf" % work)

# RUSAGE_CHILDREN's peak is the largest child so far: run each case once in a fresh
# interpreter for its peak, and take the CPU from the interleaved runs.
cpu = {k: [] for k in cases}
peak = {}
for k, (cmd, _) in cases.items():
    out = subprocess.run([sys.executable, "-c",
                          "import resource,subprocess,sys;"
                          "subprocess.run(['bash','-o','pipefail','-c',sys.argv[1]],check=True,"
                          "stdout=subprocess.DEVNULL);"
                          "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)", cmd],
                         capture_output=True, text=True, check=True)
    peak[k] = int(out.stdout) / 1024.0
for _ in range(runs):
    for k, (cmd, _) in cases.items():
        cpu[k].append(measure(cmd)[0])

plain_cpu = statistics.median(cpu["groff plain lines + ps2pdf"])
tbl_size = os.path.getsize(cases["groff tbl + ps2pdf"][1])
print("%d rows x 5 columns; medians of %d runs" % (n, runs))
print("%-30s %9s %9s %10s %9s %9s" % ("", "CPU s", "peak MB", "PDF MB", "CPU/plain",
                                      "size/tbl"))
for k, (_, pdf) in cases.items():
    c = statistics.median(cpu[k])
    size = os.path.getsize(pdf)
    print("%-30s %9.2f %9.1f %10.2f %9.2f %9.2f" % (k, c, peak[k], size / 1e6, c / plain_cpu,
                                                   size / tbl_size))
