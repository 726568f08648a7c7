#!/usr/bin/env python3
"""Turns fwbench's JSON output into the engine table and the scaling table."""
import json
import sys

ENGINES = ["fwpack", "std::regex", "PCRE2", "PCRE2-JIT", "RE2", "Boost.Regex"]
WORKLOADS = [
    ("qlogic", "line", "QLogic query output, 3 patterns per line, a fresh compile per line"),
    ("qlogic-reuse", "line", "the same, patterns compiled once per output, a matcher per line"),
    ("qlogic-settext", "line", "the same, one matcher per pattern per output, setText for each line"),
    ("emulex", "line", "Emulex query line, 7 groups, a fresh compile per line"),
    ("emulex-reuse", "line", "the same, compiled once per output, a matcher per line"),
    ("emulex-settext", "line", "the same, one matcher per output, setText for each line"),
    ("versions", "pair", "CompareVersions"),
    ("normalize", "text", "Brocade NormalizeVersion"),
    ("release", "text", "release-file patterns"),
]
UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load(path):
    with open(path) as f:
        data = json.load(f)
    runs = {}
    for b in data.get("benchmarks", []):
        # With repetitions only the median is used; a single run is used as is.
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        if b.get("run_type") != "aggregate" and name in runs:
            continue
        runs[name] = b
    return data.get("context", {}), runs


def per_unit_ns(b, counter):
    n = b.get(counter, 0) or 1
    return b["cpu_time"] * UNIT_NS[b.get("time_unit", "ns")] / n


def fmt_ns(ns):
    if ns >= 1e6:
        return "%.2f ms" % (ns / 1e6)
    if ns >= 1e3:
        return "%.2f us" % (ns / 1e3)
    return "%.1f ns" % ns


def main():
    if len(sys.argv) != 2:
        print("usage: report.py RESULTS.json", file=sys.stderr)
        return 1
    context, runs = load(sys.argv[1])
    misses = []
    print("Time per item (CPU time, median of the repetitions); (xN) = that engine's time / fwpack's,")
    print("so above 1 means fwpack is faster. '-' = not timed (its results differed, see MISMATCH).")
    print()
    head = ["workload", "per"] + ENGINES
    rows = [head]
    for key, per, _ in WORKLOADS:
        base = runs.get(key + "/fwpack")
        base_ns = per_unit_ns(base, "items") if base else None
        row = [key, per]
        for e in ENGINES:
            b = runs.get(key + "/" + e)
            if b is None:
                row.append("-")
                if e == "fwpack":
                    misses.append("%s: fwpack not timed" % key)
                continue
            ns = per_unit_ns(b, "items")
            if e == "fwpack" or base_ns is None:
                row.append(fmt_ns(ns))
            else:
                ratio = ns / base_ns
                row.append("%s (x%.2f)" % (fmt_ns(ns), ratio))
                if ratio <= 1.0:
                    misses.append("%s: fwpack %s per %s, %s %s" % (key, fmt_ns(base_ns), per, e, fmt_ns(ns)))
        rows.append(row)
    widths = [max(len(r[i]) for r in rows) for i in range(len(head))]
    for r in rows:
        print("  ".join(c.ljust(widths[i]) for i, c in enumerate(r)).rstrip())
    print()
    for key, per, what in WORKLOADS:
        print("  %-15s %s" % (key, what))
    print()

    print("Scaling: whole-text QLogic instance-line pattern (DOT_ALL) on one line; CPU time per byte")
    sizes = sorted({int(n.split("/")[1]) for n in runs if n.startswith("scaling/")})
    srows = [["bytes", "fwpack", "memchr", "fwpack/memchr"]]
    per_byte = {}
    for s in sizes:
        f = runs.get("scaling/%d/fwpack" % s)
        m = runs.get("scaling/%d/memchr" % s)
        fb = per_unit_ns(f, "bytes") if f else None
        mb = per_unit_ns(m, "bytes") if m else None
        per_byte[s] = (fb, mb)
        srows.append([str(s), "%.3f ns" % fb if fb else "-", "%.4f ns" % mb if mb else "-",
                      "x%.1f" % (fb / mb) if fb and mb else "-"])
    widths = [max(len(r[i]) for r in srows) for i in range(4)]
    for r in srows:
        print("  ".join(c.ljust(widths[i]) for i, c in enumerate(r)).rstrip())
    big, mid = per_byte.get(10000000, (None, None)), per_byte.get(10000, (None, None))
    if big[0] and mid[0]:
        r = big[0] / mid[0]
        print("10 MB per byte / 10 KB per byte: x%.2f (target at most 2)" % r)
        if r > 2:
            misses.append("scaling: 10 MB per byte is x%.2f of 10 KB" % r)
    else:
        misses.append("scaling: 10 MB or 10 KB not timed for fwpack")
    if big[0] and big[1]:
        r = big[0] / big[1]
        print("10 MB fwpack / memchr: x%.1f (target at most 30)" % r)
        if r > 30:
            misses.append("scaling: 10 MB is x%.1f of memchr" % r)
    print()
    if misses:
        print("Targets missed:")
        for m in misses:
            print("  " + m)
    else:
        print("All targets met.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
