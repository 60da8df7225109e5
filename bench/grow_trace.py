#!/usr/bin/python3
"""Grows a trace from real runs' lines: grow_trace.py REAL.log OUT.log LINES DAYS

Each output line is one of the real lines (mostly the completed ones) with
its start and end moved onto one of DAYS days ending 2026-12-07, one of six
stations as its host, and its tool durations spread around the real ones;
the checksum tool gets slower day by day, as a tool that needs looking at
does. The same arguments always give the same file.
"""
import datetime
import json
import random
import sys


def main():
    real, out, lines, days = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    runs = [json.loads(line) for line in open(real, encoding="utf-8") if line.strip()]
    # Completed runs without messages are most of a line's day.
    weights = [40 if r["outcome"] == "completed" and not r["messages"] else 2 for r in runs]
    stations = ["ST-PLANT1-%02d" % n for n in range(1, 7)]
    rng = random.Random(4711)
    first = datetime.date(2026, 12, 7).toordinal() - days
    with open(out, "w", encoding="utf-8") as target:
        for n in range(lines):
            run = dict(rng.choices(runs, weights)[0])
            day = n * days // lines
            date = datetime.date.fromordinal(first + day + 1).isoformat()
            second = 6 * 3600 + (n * 86400 * days // lines) % (14 * 3600)
            clock = "%02d:%02d:%02d" % (second // 3600, second // 60 % 60, second % 60)
            run["start"] = "%sT%s+0100" % (date, clock)
            run["end"] = run["start"]
            run["host"] = stations[rng.randrange(len(stations))]
            run["pid"] = 1000 + n
            tools = []
            for tool in run["tools"]:
                tool = dict(tool)
                slower = 1 + day / days if tool["tool"] == "QSR" else 1
                tool["durationMs"] = int(tool["durationMs"] * slower * rng.uniform(0.7, 1.6))
                tools.append(tool)
            run["tools"] = tools
            target.write(json.dumps(run, ensure_ascii=False, separators=(",", ":")) + "\n")


main()
