#!/usr/bin/python3
"""Before/after figures of two rkdb builds on one table: queries answered from the tags and not,
info and a listing in TITIT order. Per command: median CPU (user+sys) of interleaved runs, peak RSS,
bytes read by read/pread system calls (strace, one extra run), minor page faults, and whether
both printed the same.

Usage: RUNS=7 query_compare.py BEFORE_RKDB AFTER_RKDB TABLE.DBF   (e.g. the titles-1000000
catalogue of store_bench in $RK_BENCH_DATA)
"""
import os, statistics, subprocess, sys, re

before, after, table = sys.argv[1], sys.argv[2], sys.argv[3]
runs = int(os.environ.get("RUNS", "7"))
cmds = [
    ("count CATEGORY = \"Drama\"", ["count", table, "--query", 'CATEGORY = "Drama"']),
    ("count YEAR = \"1977\"", ["count", table, "--query", 'YEAR = "1977"']),
    ("count UPPER(CATEGORY) = \"DRAMA\"", ["count", table, "--query", 'UPPER(CATEGORY) = "DRAMA"']),
    ("count MARKED (untagged)", ["count", table, "--query", "MARKED"]),
    ("count STAR1 = \"Anna\" (untagged)", ["count", table, "--query", 'STAR1 = "Anna"']),
    ("info", ["info", table]),
    ("list --order TITIT", ["list", table, "--order", "TITIT"]),
]

def run(rkdb, args):
    p = subprocess.Popen([rkdb] + args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out = p.stdout.read()
    _, status, ru = os.wait4(p.pid, 0)
    if status != 0:
        raise SystemExit("failed: %s %s" % (rkdb, args))
    return ru.ru_utime + ru.ru_stime, ru.ru_maxrss, ru.ru_minflt, out

def bytes_read(rkdb, args):
    tr = "/tmp/rk-query-compare-strace.txt"
    subprocess.run(["strace", "-f", "-e", "trace=read,pread64", "-o", tr, rkdb] + args,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    total = calls = 0
    for line in open(tr):
        m = re.search(r"= (\d+)$", line.strip())
        if m:
            total += int(m.group(1)); calls += 1
    return total, calls

for rkdb in (before, after):
    run(rkdb, ["info", table])  # an open that checks what it must, before anything is timed
for label, args in cmds:
    res = {"before": [], "after": []}
    outs = {}
    for i in range(runs):
        for who, rkdb in (("before", before), ("after", after)):
            cpu, rss, flt, out = run(rkdb, args)
            res[who].append((cpu, rss, flt))
            outs[who] = out
    same = "same output" if outs["before"] == outs["after"] else "OUTPUT DIFFERS"
    line = "%-36s" % label
    cpus = {}
    for who, rkdb in (("before", before), ("after", after)):
        cpu = statistics.median(r[0] for r in res[who]) * 1000
        cpus[who] = cpu
        rss = max(r[1] for r in res[who]) / 1024
        flt = statistics.median(r[2] for r in res[who])
        b, c = bytes_read(rkdb, args)
        line += " | %s %8.1f ms CPU %6.0f MB %7d flt %8.1f MB/%6d reads" % (who[0], cpu, rss, flt, b / 1e6, c)
    line += " | x%.3f %s" % (cpus["after"] / max(cpus["before"], 1e-9), same)
    print(line, flush=True)
