#!/usr/bin/env python3
"""Runs every bench binary, prints one table (each figure beside its reference of the same run and
its target) and writes the same as bench/results.json. Usage: run_all.py BIN_DIR [bench-args...]"""
import glob
import json
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def figure_name(bench):
    # "BM_DragStep/100/min_time:1.000/manual_time" -> "BM_DragStep/100"; aggregates by their median.
    parts = [p for p in bench["run_name"].split("/") if not re.match(r"(iterations|repeats|min_time|min_warmup_time):|(manual|real)_time$", p)]
    return "/".join(parts)


def run(binary, args):
    # Into files, not pipes: a program a bench started and left behind must not hold the run up.
    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        code = subprocess.run([binary, "--benchmark_format=json", *args], stdout=out, stderr=err).returncode
        out.seek(0)
        err.seek(0)
        try:
            return json.load(out)["benchmarks"]
        except (ValueError, KeyError):
            sys.stderr.write(f"{os.path.basename(binary)}: no results (exit {code})\n{err.read()[-2000:]}")
            return []


def measured(binaries, args, clocks):
    figures = {}
    for binary in binaries:
        print(f"running {os.path.basename(binary)} ...", file=sys.stderr, flush=True)
        for b in run(binary, args):
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            entry = {"bench": os.path.basename(binary), "unit": b.get("time_unit", "ns")}
            if b.get("error_occurred"):
                entry["error"] = b.get("error_message", "error")
            else:
                entry["clock"] = clocks.get(figure_name(b), "real_time")
                entry["ns"] = b[entry["clock"]] * TO_NS[entry["unit"]]
                entry["counters"] = {k: v for k, v in b.items() if k not in ("name", "run_name", "run_type", "family_index", "per_family_instance_index", "repetitions", "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit", "aggregate_name", "aggregate_unit")}
            figures[figure_name(b)] = entry
    return figures


def show(ns):
    if ns is None:
        return "not run"
    unit = next((u for u in ("s", "ms", "us") if ns >= TO_NS[u]), "ns")
    return f"{ns / TO_NS[unit]:.3g} {unit}"


def table(figures, targets):
    rows = []
    for name, f in figures.items():
        t = targets.get(name, {})
        value = f.get("ns")
        ref_name, ref_ns = "none", None
        if "reference" in t:
            ref_name = t["reference"]
            ref_ns = figures.get(ref_name, {}).get("ns")
        elif "budget_ms" in t:
            ref_name, ref_ns = "frame budget" if t["budget_ms"] == 16.7 else "budget", t["budget_ms"] * 1e6
        ratio = value / ref_ns if value is not None and ref_ns else None
        limit = t.get("limit")
        target, met = "-", None
        if "max_ratio" in t:
            target = f"ratio <= {t['max_ratio']:g}"
            met = ratio is not None and ratio <= t["max_ratio"]
        elif "max_over_ms" in t:
            target = f"<= ref + {t['max_over_ms']:g} ms"
            met = value is not None and ref_ns is not None and value - ref_ns <= t["max_over_ms"] * 1e6
        elif "max_ms" in t:
            target = f"<= {t['max_ms']:g} ms"
            met = value is not None and value <= t["max_ms"] * 1e6
        rows.append({
            "figure": name, "value_ns": value, "error": f.get("error"),
            "processor_time": f.get("clock") == "cpu_time" or t.get("processor_time", False),
            "reference": ref_name, "reference_ns": ref_ns, "ratio": ratio, "target": target,
            "met": met, "limit": limit, "limit_ns": figures.get(limit, {}).get("ns") if limit else None,
            "counters": f.get("counters", {}),
        })
    return rows


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    binaries = sorted(glob.glob(os.path.join(sys.argv[1], "*_bench")))
    with open(os.path.join(HERE, "targets.json")) as fh:
        targets = json.load(fh)
    clocks = {n: t["clock"] for n, t in targets.items() if isinstance(t, dict) and "clock" in t}
    rows = table(measured(binaries, sys.argv[2:], clocks), targets)
    load = os.getloadavg()
    cols = [("figure", 36), ("value", 10), ("reference", 44), ("ratio", 7), ("target", 17), ("met", 7), ("limit", 0)]
    print(f"load average {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}")
    print("  ".join(f"{c:<{w}}" for c, w in cols))
    for r in rows:
        value = r["error"] if r["error"] else show(r["value_ns"]) + ("*" if r["processor_time"] else "")
        ref = "none" if r["reference"] == "none" else f"{r['reference']} {show(r['reference_ns'])}"
        limit = f"{r['limit']} {show(r['limit_ns'])}" if r["limit"] else ""
        ratio = "-" if r["ratio"] is None else f"{r['ratio']:.3g}"
        met = "-" if r["target"] == "-" else ("met" if r["met"] else "NOT met")
        print("  ".join(f"{c:<{w}}" for c, w in zip([r["figure"], value, ref, ratio, r["target"], met, limit], [w for _, w in cols])).rstrip())
    print("* processor time, not wall time")
    missing = [n for n in targets if not n.startswith("_") and n not in {r["figure"] for r in rows}]
    if missing:
        print("not measured: " + ", ".join(missing))
    with open(os.path.join(HERE, "results.json"), "w") as fh:
        json.dump({"load_average": load, "figures": rows}, fh, indent=1)


if __name__ == "__main__":
    main()
