#!/usr/bin/python3
"""Whole-process import of 100,000 titles: rkdb import of the earlier versions' data file
against rkdb import-from of a Tellico .tc and of a CSV file that our own exporter wrote from
the same titles, each into a fresh catalogue, without and with the full-text index. Medians of
three runs of CPU time (user + system) and peak memory, from /usr/bin/time -v.

Usage: bench/interchange_compare.py BUILD/bin/rkdb [N]"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile

rkdb = sys.argv[1]
n = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
data = os.environ.get("RK_BENCH_DATA", "/tmp/rk-bench-data")
WORDS = ("night day river city stone glass king queen ghost train star war love last "
         "return long road dark light blue red golden silent storm island winter").split()
NAMES = ("Anna Ben Carl Dora Emil Fay Gus Hana Ivan June Karl Lena Max Nora Otto "
         "Pia").split()


def old_file():
    """n lines of the earlier versions' layout (18 columns), made once and kept; every title
    differs, so that every format adds them all."""
    path = os.path.join(data, "interchange-titles-%d.dat" % n)
    if os.path.exists(path):
        return path
    os.makedirs(data, exist_ok=True)
    rng = random.Random(7)
    person = lambda: rng.choice(NAMES) + " " + rng.choice(NAMES) + "son"
    words = lambda k: " ".join(rng.choice(WORDS) for _ in range(k)).capitalize()
    with open(path, "w", newline="") as f:
        for i in range(1, n + 1):
            cols = [rng.choice(["Excellent", "Good", "Fair", "Poor"]),
                    rng.choice(["VHS", "SVHS", "Laser Disc", "BETA"]),
                    rng.choice(["Action", "Comedy", "Drama", "Family", "Western"]),
                    "%s %d" % (words(1 + rng.randrange(5)), i), "OLD-%d" % i, str(i % 10000),
                    str(60 + rng.randrange(120)), "Shelf %d" % rng.randrange(40), "",
                    words(10 + rng.randrange(30)), "0", person(), person(), person(),
                    person(), person(), "", ""]
            f.write(",".join(cols) + "\r\n")
    return path


def run(args, quiet=True):
    subprocess.run([rkdb] + args, check=True, stdout=subprocess.DEVNULL if quiet else None,
                   stderr=subprocess.DEVNULL if quiet else None)


def measured(args):
    """(CPU seconds, peak MB) of one rkdb run."""
    out = subprocess.run(["/usr/bin/time", "-v", rkdb] + args, check=True, text=True,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE).stderr
    fields = dict(line.strip().rsplit(": ", 1) for line in out.splitlines() if ": " in line)
    cpu = float(fields["User time (seconds)"]) + float(fields["System time (seconds)"])
    return cpu, int(fields["Maximum resident set size (kbytes)"]) / 1024


def fresh(work, indexed):
    cat = os.path.join(work, "cat")
    shutil.rmtree(cat, ignore_errors=True)
    run(["create", cat])
    if indexed:
        run(["index-text", cat])
    return cat


def main():
    work = tempfile.mkdtemp(prefix="rk-interchange-")
    try:
        old = old_file()
        source = fresh(work, False)
        run(["import", source, old])
        tc, csv = os.path.join(work, "titles.tc"), os.path.join(work, "titles.csv")
        run(["export-to", source, tc, "--format", "tellico"])
        run(["export-to", source, csv, "--format", "csv"])
        print("%d titles: old data file %.1f MB, .tc %.1f MB (tellico.xml inside), CSV %.1f MB"
              % (n, os.path.getsize(old) / 1e6, os.path.getsize(tc) / 1e6,
                 os.path.getsize(csv) / 1e6))
        for indexed in (False, True):
            print("with Titles.ia" if indexed else "without Titles.ia")
            base = None
            for label, args in (("rkdb import (old data file)", ["import", None, old]),
                                ("rkdb import-from .tc", ["import-from", None, tc]),
                                ("rkdb import-from .csv", ["import-from", None, csv])):
                runs = []
                for _ in range(3):
                    args[1] = fresh(work, indexed)
                    runs.append(measured(args))
                cpu = statistics.median(r[0] for r in runs)
                mb = statistics.median(r[1] for r in runs)
                base = base or cpu
                print("  %-30s CPU %6.2f s (%.2f x old)  peak %6.0f MB" % (label, cpu, cpu / base, mb))
    finally:
        shutil.rmtree(work, ignore_errors=True)


main()
