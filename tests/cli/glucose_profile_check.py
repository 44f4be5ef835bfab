#!/usr/bin/env python3
"""Recomputes every figure of the glucose profile from random patients' readings and
compares it with `meridane-cli report ID --type 11 --json`. Usage: CLI [SEEDS]."""
import datetime as dt
import json
import math
import random
import subprocess
import sys
import tempfile

CLI = sys.argv[1]
SEEDS = int(sys.argv[2]) if len(sys.argv) > 2 else 6


def run(data, *args):
    out = subprocess.run([CLI, "--data-dir", data, "--yes", *args], capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(f"{args}: {out.returncode} {out.stderr}")
    return out.stdout


def percentile(sorted_values, p):
    pos = (len(sorted_values) - 1) * p
    lo = math.floor(pos)
    if lo + 1 >= len(sorted_values):
        return sorted_values[-1]
    return sorted_values[lo] + (pos - lo) * (sorted_values[lo + 1] - sorted_values[lo])


def risk(bg):
    f = 1.509 * (math.log(bg) ** 1.084 - 5.381)
    r = 10 * f * f
    return (r if f < 0 else 0.0, r if f > 0 else 0.0)


def expected(readings, first, last, mmol):
    inside = [(t, v) for t, v in readings if first <= t.date() <= last]
    n = len(inside)
    days = (last - first).days + 1
    ranges = [0] * 5
    for _, v in inside:
        ranges[0 if v < 54 else 1 if v < 70 else 2 if v <= 180 else 3 if v <= 250 else 4] += 1
    clamp = lambda v: min(max(v, 20), 600)
    bins = []
    for b in range(8):
        vals = sorted(clamp(v) for t, v in inside if t.hour // 3 == b)
        ps = [percentile(vals, p) for p in (0.1, 0.25, 0.5, 0.75, 0.9)] if len(vals) >= 5 else [None] * 5
        bins.append({"count": len(vals), "p": ps})
    valid = [v for _, v in inside if 20 <= v <= 600]
    mean = sum(valid) / len(valid) if valid else None
    sd = math.sqrt(sum((v - mean) ** 2 for v in valid) / (len(valid) - 1)) if len(valid) >= 2 else None
    cv = sd / mean * 100 if sd is not None else None
    risks = [risk(clamp(v)) for _, v in inside]
    lbgi = sum(r[0] for r in risks) / n if n >= 30 else None
    hbgi = sum(r[1] for r in risks) / n if n >= 30 else None
    by_day = {}
    for t, v in inside:
        by_day.setdefault(t.date(), []).append(risk(clamp(v)))
    full = [rs for rs in by_day.values() if len(rs) >= 3]
    adrr = (sum(max(r[0] for r in rs) + max(r[1] for r in rs) for rs in full) / len(full)
            if len(full) >= 14 else None)
    return {"unit": "mmol/L" if mmol else "mg/dL", "days": days, "readings": n,
            "daysWithReadings": len(by_day), "readingsPerDay": n / days,
            "ranges": [{"count": c, "percent": c * 100 / n if n else 0} for c in ranges],
            "bins": bins, "mean": mean, "sd": sd, "cv": cv, "lbgi": lbgi, "hbgi": hbgi, "adrr": adrr}


def close(a, b):
    if a is None or b is None:
        return a is None and b is None
    return abs(a - b) <= 1e-6 * max(1.0, abs(b))


def compare(got, want, where):
    bad = []
    for key in ("unit", "days", "readings", "daysWithReadings"):
        if got[key] != want[key]:
            bad.append(f"{key}: {got[key]} != {want[key]}")
    for key in ("readingsPerDay", "mean", "sd", "cv", "lbgi", "hbgi", "adrr"):
        if not close(got[key], want[key]):
            bad.append(f"{key}: {got[key]} != {want[key]}")
    for i, (g, w) in enumerate(zip(got["ranges"], want["ranges"])):
        if g["count"] != w["count"] or not close(g["percent"], w["percent"]):
            bad.append(f"range {i}: {g} != {w}")
    for i, (g, w) in enumerate(zip(got["bins"], want["bins"])):
        ps = [g[k] for k in ("p10", "p25", "p50", "p75", "p90")]
        if g["count"] != w["count"] or not all(close(a, b) for a, b in zip(ps, w["p"])):
            bad.append(f"bin {i}: {g} != {w}")
    if len(got["ranges"]) != 5 or len(got["bins"]) != 8:
        bad.append("shape")
    return [f"{where}: {b}" for b in bad]


def main():
    failures = []
    with tempfile.TemporaryDirectory() as data:
        run(data, "init")
        for seed in range(SEEDS):
            rnd = random.Random(seed)
            pid = f"P{seed}"
            mmol = seed % 2 == 1
            profile = f"{data}/p{seed}.json"
            with open(profile, "w") as f:
                json.dump({"HealthRecord": {"glucoUnit": 0 if mmol else 1}}, f)
            run(data, "patient", "add", "--name", f"Random {seed}", "--id", pid, "--profile", profile)
            start = dt.datetime(2026, 1, 1)
            span = rnd.choice([3, 20, 60])
            count = rnd.choice([0, 4, 29, 30, 45, 150, 400])
            readings, seen = [], set()
            for _ in range(count):
                t = start + dt.timedelta(minutes=rnd.randrange(span * 24 * 60))
                v = rnd.choice([rnd.randint(5, 19), rnd.randint(601, 700)]) if rnd.random() < 0.08 \
                    else int(rnd.gauss(150, 60))
                v = max(1, v)
                if t in seen:
                    continue
                seen.add(t)
                readings.append((t, v))
            lines = "".join(f"{t:%Y-%m-%d %H:%M}\t{v}\n" for t, v in readings)
            path = f"{data}/r{seed}.tsv"
            with open(path, "w") as f:
                f.write(lines)
            if readings:
                run(data, "readings", "add", pid, "--file", path)
            for first, last in ((start.date(), (start + dt.timedelta(days=span)).date()),
                                ((start + dt.timedelta(days=2)).date(), (start + dt.timedelta(days=16)).date())):
                got = json.loads(run(data, "report", pid, "--type", "11", "--from", str(first), "--to",
                                     str(last), "--json"))
                failures += compare(got, expected(readings, first, last, mmol), f"seed {seed} {first}..{last}")
    for f in failures:
        print(f)
    print(f"{'FAIL' if failures else 'OK'}: {SEEDS} random patients")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
