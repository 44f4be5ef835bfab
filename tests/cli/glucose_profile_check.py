#!/usr/bin/env python3
"""Recomputes every figure of the glucose profile from random patients' readings and
compares it with `meridane-cli report ID --type 11 --json`. Usage: CLI [PATIENTS]."""
import datetime as dt, json, math, random, subprocess, sys, tempfile

CLI, COUNT = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 6
KEYS = ("p10", "p25", "p50", "p75", "p90")


def run(data, *args):
    out = subprocess.run([CLI, "--data-dir", data, "--yes", *args], capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(f"{args}: {out.returncode} {out.stderr}")
    return out.stdout


def percentile(v, p):
    pos = (len(v) - 1) * p
    lo = math.floor(pos)
    return v[-1] if lo + 1 >= len(v) else v[lo] + (pos - lo) * (v[lo + 1] - v[lo])


def risk(bg):
    f = 1.509 * (math.log(min(max(bg, 20), 600)) ** 1.084 - 5.381)
    return (10 * f * f if f < 0 else 0.0, 10 * f * f if f > 0 else 0.0)


def expected(readings, first, last, mmol):
    inside = [(t, v) for t, v in readings if first <= t.date() <= last]
    n, days = len(inside), (last - first).days + 1
    want = {"unit": "mmol/L" if mmol else "mg/dL", "days": days, "readings": n,
            "readingsPerDay": n / days}
    ranges = [0] * 5
    for _, v in inside:
        ranges[0 if v < 54 else 1 if v < 70 else 2 if v <= 180 else 3 if v <= 250 else 4] += 1
    for i, c in enumerate(ranges):
        want[f"range{i}"], want[f"range{i}%"] = c, c * 100 / n if n else 0
    for b in range(8):
        vals = sorted(min(max(v, 20), 600) for t, v in inside if t.hour // 3 == b)
        want[f"bin{b}"] = len(vals)
        for k, p in zip(KEYS, (0.1, 0.25, 0.5, 0.75, 0.9)):
            want[f"bin{b}{k}"] = percentile(vals, p) if len(vals) >= 5 else None
    valid = [v for _, v in inside if 20 <= v <= 600]
    mean = sum(valid) / len(valid) if valid else None
    sd = math.sqrt(sum((v - mean) ** 2 for v in valid) / (len(valid) - 1)) if len(valid) > 1 else None
    want.update(mean=mean, sd=sd, cv=sd / mean * 100 if sd is not None else None)
    risks = [risk(v) for _, v in inside]
    want["lbgi"] = sum(r[0] for r in risks) / n if n >= 30 else None
    want["hbgi"] = sum(r[1] for r in risks) / n if n >= 30 else None
    by_day = {}
    for t, v in inside:
        by_day.setdefault(t.date(), []).append(risk(v))
    full = [rs for rs in by_day.values() if len(rs) >= 3]
    want["daysWithReadings"] = len(by_day)
    want["adrr"] = (sum(max(r[0] for r in rs) + max(r[1] for r in rs) for rs in full) / len(full)
                    if len(full) >= 14 else None)
    return want


def flatten(got):
    flat = {k: got[k] for k in ("unit", "days", "readings", "readingsPerDay", "daysWithReadings",
                                "mean", "sd", "cv", "lbgi", "hbgi", "adrr")}
    for i, r in enumerate(got["ranges"]):
        flat[f"range{i}"], flat[f"range{i}%"] = r["count"], r["percent"]
    for b, bin in enumerate(got["bins"]):
        flat[f"bin{b}"] = bin["count"]
        flat.update({f"bin{b}{k}": bin[k] for k in KEYS})
    return flat


def same(a, b):
    if isinstance(b, float) and isinstance(a, (int, float)):
        return abs(a - b) <= 1e-6 * max(1.0, abs(b))
    return a == b


def main():
    failures = []
    with tempfile.TemporaryDirectory() as data:
        for seed in range(COUNT):
            rnd, pid, mmol = random.Random(seed), f"P{seed}", seed % 2 == 1
            with open(f"{data}/p.json", "w") as f:
                json.dump({"HealthRecord": {"glucoUnit": 0 if mmol else 1}}, f)
            run(data, "patient", "add", "--name", f"Random {seed}", "--id", pid, "--profile", f"{data}/p.json")
            start, span = dt.datetime(2026, 1, 1), rnd.choice([3, 20, 60])
            readings = {}  # one reading a minute at most
            for _ in range(rnd.choice([0, 4, 29, 30, 45, 150, 400])):
                t = start + dt.timedelta(minutes=rnd.randrange(span * 24 * 60))
                odd = rnd.random() < 0.08  # LO or HI
                readings[t] = rnd.choice([rnd.randint(5, 19), rnd.randint(601, 700)]) if odd \
                    else max(1, int(rnd.gauss(150, 60)))
            readings = list(readings.items())
            with open(f"{data}/r.tsv", "w") as f:
                f.write("".join(f"{t:%Y-%m-%d %H:%M}\t{v}\n" for t, v in readings))
            if readings:
                run(data, "readings", "add", pid, "--file", f"{data}/r.tsv")
            for a, b in ((0, span), (2, 16)):
                first, last = (start + dt.timedelta(days=a)).date(), (start + dt.timedelta(days=b)).date()
                got = flatten(json.loads(run(data, "report", pid, "--type", "11", "--from", str(first),
                                             "--to", str(last), "--json")))
                want = expected(readings, first, last, mmol)
                failures += [f"{pid} {first}..{last} {k}: {got.get(k)} != {w}"
                             for k, w in want.items() if not same(got.get(k), w)]
    print("\n".join(failures + [f"{'FAIL' if failures else 'OK'}: {COUNT} random patients"]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
