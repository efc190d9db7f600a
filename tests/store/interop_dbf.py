#!/usr/bin/python3
"""Tables written by rkdb read back in python3-dbf with the same fields and values, and
tables that python3-dbf writes open in rkdb."""
import os
import subprocess
import sys
import tempfile

import dbf

RKDB = sys.argv[1]
FIELDS = ("TITLE CATEGORY FORMAT ID COUNTER RUNTIME USER1 USER2 USER3 USER4 RATED RATING "
          "SUMMARY PRODUCER DIRECTOR STAR1 STAR2 STAR3 STAR4 YEAR SPEED SOUND CLOSE_CAPT "
          "CONTENT PRICE MARKED MULTI_SET TAPES AV_CLIP CLIP_TYPE PICTURE SURROUND "
          "CLIP_FILE").split()
WIDTHS = {"TITLE": 100, "CATEGORY": 50, "FORMAT": 25, "ID": 25, "RUNTIME": 8, "SUMMARY": 255,
          "CLIP_FILE": 100}
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


def rkdb(*args):
    return subprocess.run([RKDB, *args], check=True, capture_output=True,
                          text=True).stdout


def as_text(value):
    if isinstance(value, bool):
        return "T" if value else "F"
    if value is None:
        return ""
    if isinstance(value, (int, float)):
        return str(int(value)) if float(value).is_integer() else str(value)
    return str(value).rstrip()


with tempfile.TemporaryDirectory() as d:
    rkdb("create", d, "--sample")
    path = os.path.join(d, "VIDEO.DBF")
    table = dbf.Table(path, codepage="cp1252")
    table.open(dbf.READ_ONLY)
    names = [n.upper() for n in table.field_names]
    check(names == FIELDS, "field names and order: %s" % names)
    for name, width in WIDTHS.items():
        info = table.field_info(name.lower())
        check(info.length == width, "%s has width %d" % (name, info.length))
    check(table.field_info("marked").field_type == dbf.FieldType.LOGICAL, "MARKED is logical")
    check(table.field_info("tapes").field_type == dbf.FieldType.NUMERIC, "TAPES is numeric")

    listing = rkdb("list", path, "--fields", ",".join(FIELDS)).splitlines()
    check(len(listing) == len(table), "record count %d vs %d" % (len(listing), len(table)))
    for line, record in zip(listing, table):
        cells = line.split("\t")
        theirs = [as_text(record[n.lower()]) for n in FIELDS]
        ours = cells[1:]
        # python3-dbf reads a blank numeric field as None and a blank logical as None (false).
        ours = [("" if (f in ("COUNTER",) and v == "") else v) for f, v in zip(FIELDS, ours)]
        theirs = ["F" if (f in ("CLOSE_CAPT", "MARKED", "MULTI_SET", "AV_CLIP", "SURROUND")
                          and v == "") else v for f, v in zip(FIELDS, theirs)]
        check(ours == theirs, "record %s differs:\n ours   %s\n theirs %s" % (cells[0], ours, theirs))
    table.close()

    # A table written by python3-dbf (dBase III layout, as FoxPro without memo).
    other = os.path.join(d, "OTHER.DBF")
    t = dbf.Table(other, "NAME C(20); QTY N(5,0); PRICE N(8,2); SEEN L; BORN D",
                  dbf_type="db3", codepage="cp1252")
    t.open(dbf.READ_WRITE)
    t.append(("Zo\u00e9", 12, 3.5, True, dbf.Date(1999, 12, 31)))
    t.append(("Second", -4, 0, False, None))
    t.close()
    out = rkdb("list", other, "--fields", "NAME,QTY,PRICE,SEEN,BORN")
    check(out == "1\tZo\u00e9\t12\t3.50\tT\t19991231\n2\tSecond\t-4\t0.00\tF\t\n",
          "python3-dbf table read back: %r" % out)
    check(rkdb("count", other, "--query", "QTY > 0 .AND. SEEN").strip() == "1", "query on it")
    rkdb("append", other, "NAME=Third", "QTY=7")
    t = dbf.Table(other)
    t.open(dbf.READ_ONLY)
    check(len(t) == 3 and t[2].name.rstrip() == "Third" and t[2].qty == 7,
          "our append read by python3-dbf")
    t.close()

if failures:
    print("%d failure(s)" % len(failures))
    sys.exit(1)
print("python3-dbf agrees")
