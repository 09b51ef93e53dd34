#!/usr/bin/env python3
"""Prints line and branch coverage per room from a gcovr JSON summary.

A room is a library folder: src/platform/<room> (and the device's sub-rooms), src/<room>, res and
tools. Files straight under src/ (main.cpp) form the room "src".
"""
import json
import sys
from collections import defaultdict


def room_of(path):
    parts = path.split("/")
    if parts[0] == "tools":
        return "tools"
    if parts[0] == "res":
        return "res"
    if parts[0] != "src" or len(parts) == 2:
        return parts[0]
    if parts[1] == "platform":
        if len(parts) == 3:
            return "platform"
        if parts[2] == "device" and len(parts) > 4:
            return "platform/device/" + parts[3]
        return "platform/" + parts[2]
    return parts[1]


def percent(covered, total):
    return f"{100.0 * covered / total:5.1f}%" if total else "    -"


def main(summary_path):
    with open(summary_path) as f:
        summary = json.load(f)
    rooms = defaultdict(lambda: [0, 0, 0, 0])
    for entry in summary["files"]:
        counts = rooms[room_of(entry["filename"])]
        counts[0] += entry["line_covered"]
        counts[1] += entry["line_total"]
        counts[2] += entry["branch_covered"]
        counts[3] += entry["branch_total"]
    print(f"{'room':<28} {'lines':>16} {'':>6} {'branches':>16} {'':>6}")
    total = [0, 0, 0, 0]
    for room in sorted(rooms):
        c = rooms[room]
        total = [a + b for a, b in zip(total, c)]
        print(f"{room:<28} {c[0]:>7}/{c[1]:<8} {percent(c[0], c[1])} {c[2]:>7}/{c[3]:<8} {percent(c[2], c[3])}")
    c = total
    print(f"{'all':<28} {c[0]:>7}/{c[1]:<8} {percent(c[0], c[1])} {c[2]:>7}/{c[3]:<8} {percent(c[2], c[3])}")


if __name__ == "__main__":
    main(sys.argv[1])
