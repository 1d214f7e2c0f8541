#!/usr/bin/env python3
"""Trace comparisons for the end-to-end run.

games SIM RUN_TRACE FILE...   each recording of one game, run alone through nibbly-sim, traces
                              exactly as a stretch of the run's own trace, times shifted by the
                              game's start (tick numbers count from the start of a run)
segments WATCHED SIM_TRACE    a watched trace with jumps is, stretch by stretch, the simulator's
                              trace from each jump's target on; prints the stretches' starts
reached TRACE T               whether the trace has an event at game time T or later
recording FILE MS SEED        writes a recording of MS ms of play: random steering and starts,
                              coins enough
"""
import json
import os
import random
import subprocess
import sys


def events(path):
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


def untimed(e, start):
    e = dict(e)
    e.pop("n", None)
    e["t"] -= start
    if e["ev"] == "input":
        e["line"] = e["line"].split(" ", 1)[1]
    return e


def games(sim, run_trace, files):
    run = [e for e in events(run_trace) if e["ev"] != "end"]
    at = 0
    for path in files:
        out = subprocess.run([sim, path], capture_output=True, text=True, check=True).stdout
        game = [untimed(json.loads(l), 0) for l in out.splitlines() if l.strip()]
        game = [e for e in game if e["ev"] != "end" and e.get("line") != "end"]
        found = None
        for i in range(at, len(run)):
            e = run[i]
            if e["ev"] != "input" or untimed(e, e["t"]) != game[0]:
                continue
            if [untimed(x, e["t"]) for x in run[i:i + len(game)]] == game:
                found = e["t"]
                at = i + len(game)
                break
        if found is None:
            sys.exit(f"{os.path.basename(path)}: no stretch of the run traces as the game alone")
        ticks = sum(e["ev"] == "tick" for e in game)
        print(f"    {os.path.basename(path)}: {ticks} ticks, {len(game)} events, "
              f"the same as the run's from {found} ms")


def segments(watched_trace, sim_trace):
    watched = [e for e in events(watched_trace) if e["ev"] != "end"]
    sim = [e for e in events(sim_trace) if e["ev"] != "end"]
    index = {}
    for i, e in enumerate(sim):
        index.setdefault(json.dumps(e, sort_keys=True), i)
    starts = []
    p = None
    for e in watched:
        if p is not None and p < len(sim) and sim[p] == e:
            p += 1
            continue
        q = index.get(json.dumps(e, sort_keys=True))
        if q is None:
            sys.exit(f"watched event not in the simulator's trace: {json.dumps(e)[:200]}")
        starts.append(e["t"])
        p = q + 1
    print(" ".join(str(t) for t in starts))


def reached(trace, t):
    try:
        found = any(e["t"] >= t for e in events(trace))
    except (OSError, ValueError):
        found = False
    sys.exit(0 if found else 1)


def recording(path, length, seed):
    r = random.Random(seed)
    t, lines = 0, ["# setting GameCoins 99"]
    while t < length:
        t += r.randint(200, 2500)
        lines.append(f"{t} " + r.choice(["hold L", "hold R", "hold U", "hold D", "hold -", "key 1"]))
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command == "games":
        games(args[0], args[1], args[2:])
    elif command == "segments":
        segments(args[0], args[1])
    elif command == "reached":
        reached(args[0], int(args[1]))
    elif command == "recording":
        recording(args[0], int(args[1]), int(args[2]))
    else:
        sys.exit(__doc__)
