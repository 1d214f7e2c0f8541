#!/usr/bin/env python3
"""Summarises a frame-stats record (nibbly --frame-stats FILE, or bare-window's).

usage: frame_stats.py FILE [--timer NAME] [--launched NS]

--timer     the main tick's timer (default tmrKeyBoard; bare-window's is "bare")
--launched  the monotonic time in ns at which the program was started, for start to
            first frame
Times are the monotonic clock's; a key's effect is taken to be the first frame after the
first tick that read the key.
"""
import argparse
import bisect
import sys


def percentile(values, p):
    ordered = sorted(values)
    if not ordered:
        return float("nan")
    rank = max(0, min(len(ordered) - 1, round(p / 100 * len(ordered) + 0.5) - 1))
    return ordered[rank]


def read(path, timer):
    ticks, frames, keys, seen = [], [], [], []
    runs = []  # [first tick index, one past the last] of each stretch the timer ran
    with open(path) as f:
        for line in f:
            parts = line.split()
            if not line.endswith("\n") or len(parts) < 2:
                continue  # the end of a record cut short when the program was stopped
            kind, t = parts[0], int(parts[-1])
            if kind == "frame":
                frames.append(t)
            elif kind == "key":
                keys.append((int(parts[1]), t))
            elif kind == "seen":
                seen.append((int(parts[1]), t))
            elif parts[1] != timer:
                continue
            elif kind == "start":
                runs.append([len(ticks), len(ticks)])
            elif kind == "tick":
                if not runs:
                    runs.append([len(ticks), len(ticks)])
                ticks.append(t)
                runs[-1][1] = len(ticks)
    return ticks, runs, frames, keys, seen


def ms(ns):
    return ns / 1e6


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--timer", default="tmrKeyBoard")
    parser.add_argument("--launched", type=int)
    args = parser.parse_args()
    ticks, runs, frames, keys, seen = read(args.file, args.timer)
    if len(ticks) < 2:
        sys.exit(f"{args.file}: fewer than two ticks of timer {args.timer}")

    intervals = []
    for first, end in runs:
        intervals += [ticks[i + 1] - ticks[i] for i in range(first, end - 1)]
    running = sum(intervals)
    print(f"ticks               {len(ticks)} in {len(runs)} runs, {running / 1e9:.1f} s running")
    print(f"tick rate           {len(intervals) / (running / 1e9):.2f} /s")
    print(
        f"interval            median {ms(percentile(intervals, 50)):.2f} ms, "
        f"p99 {ms(percentile(intervals, 99)):.2f} ms, max {ms(max(intervals)):.2f} ms"
    )
    over15 = sum(1 for i in intervals if i > 15e6)
    over20 = sum(1 for i in intervals if i > 20e6)
    print(f"over 15 ms          {over15} ({100 * over15 / len(intervals):.2f} %), over 20 ms {over20}")

    # Each tick's frame: the first one handed over after the tick began. The last tick of a
    # run is left out: it may end a round, whose closing sound holds the next frame back.
    to_frame = []
    for first, end in runs:
        for t in ticks[first : end - 1]:
            at = bisect.bisect_left(frames, t)
            if at < len(frames):
                to_frame.append(frames[at] - t)
    if to_frame:
        print(
            f"tick to frame       median {ms(percentile(to_frame, 50)):.2f} ms, "
            f"p99 {ms(percentile(to_frame, 99)):.2f} ms, max {ms(max(to_frame)):.2f} ms"
        )

    # Only presses the running tick could read: between two ticks of one run.
    latencies = []
    for vk, pressed in keys:
        run = next((r for r in runs if r[1] - r[0] > 1 and ticks[r[0]] <= pressed < ticks[r[1] - 1]), None)
        if run is None:
            continue
        first_seen = next((t for k, t in seen if k == vk and pressed <= t <= ticks[run[1] - 1]), None)
        if first_seen is None:
            continue
        at = bisect.bisect_left(frames, first_seen)
        if at < len(frames):
            latencies.append(frames[at] - pressed)
    if latencies:
        print(
            f"key to frame        {len(latencies)} presses: median "
            f"{ms(percentile(latencies, 50)):.2f} ms, p99 {ms(percentile(latencies, 99)):.2f} ms, "
            f"max {ms(max(latencies)):.2f} ms"
        )
    if args.launched and frames:
        print(f"start to 1st frame  {ms(frames[0] - args.launched):.1f} ms")


if __name__ == "__main__":
    main()
