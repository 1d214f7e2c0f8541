#!/usr/bin/env python3
"""Plays nibbly for a while and runs bare-window as long with the same keys, then prints both programs' frame
pacing, start to first frame and memory side by side. Needs an X display with a keyboard
xdotool can drive, e.g.:

    xvfb-run -a -s "-screen 0 1280x1024x24" bench/pacing.py build/tests/bin [--seconds 60] [--busy]
        [--starts 10] [--starts-only]

--busy keeps one more core fully busy (yes > /dev/null) while both run. The last line sums up
the starts: medians, ranges and the game's median over the bare window's.
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ARROWS = ["Left", "Up", "Right", "Down"]


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


def memory(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.strip()
    with open(f"/proc/{pid}/stat") as f:
        ticks = sum(int(v) for v in f.read().rpartition(")")[2].split()[11:13])
    cpu = ticks * 1000 // os.sysconf("SC_CLK_TCK")
    return f"RSS {fields['VmRSS']}, peak {fields['VmHWM']}, CPU time {cpu} ms"


def play(seconds, title):
    """Coin, one-player start, then steering; restarts whenever a game has ended. The bare
    window gets the same keys, so both share the cost of the key traffic."""
    wid = xdotool("search", "--sync", "--onlyvisible", "--name", title)
    xdotool("windowfocus", "--sync", wid.split()[0])
    end = time.monotonic() + seconds
    next_start = 0
    while time.monotonic() < end:
        if time.monotonic() >= next_start:
            xdotool("key", "i", "1")
            next_start = time.monotonic() + 5
        arrow = random.choice(ARROWS)
        xdotool("keydown", arrow)
        time.sleep(0.12)
        xdotool("keyup", arrow)
        time.sleep(random.uniform(0.1, 0.3))


def launch(program, home, record):
    """Starts program recording its frames, with home as its only settings and runtime place."""
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home, TMPDIR=home,
               SDL_AUDIODRIVER=os.environ.get("SDL_AUDIODRIVER", "dummy"))
    return subprocess.Popen([program, "--frame-stats", record], env=env,
                            stderr=subprocess.DEVNULL)


def run(program, timer, title, seconds):
    with tempfile.TemporaryDirectory() as home:
        record = os.path.join(home, "frames.txt")
        launched = time.monotonic_ns()
        proc = launch(program, home, record)
        play(seconds, title)
        mem = memory(proc.pid)
        proc.terminate()
        proc.wait(timeout=10)
        print(f"== {os.path.basename(program)}: {mem}", flush=True)
        subprocess.run([sys.executable, os.path.join(HERE, "frame_stats.py"), record,
                        "--timer", timer, "--launched", str(launched)], check=False)


def first_frame(program):
    """Start to the first frame handed to the window system, in ms."""
    with tempfile.TemporaryDirectory() as home:
        record = os.path.join(home, "frames.txt")
        launched = time.monotonic_ns()
        proc = launch(program, home, record)
        time.sleep(1.5)
        proc.terminate()
        proc.wait(timeout=10)
        with open(record) as f:
            frames = [int(line.split()[-1]) for line in f if line.startswith("frame ")]
        return (frames[0] - launched) / 1e6 if frames else float("nan")


def starts(bindir, count):
    """Starts the two programs in turn, so a change in the machine's load hits both alike."""
    names = ("nibbly", "bare-window")
    times = {name: [] for name in names}
    for _ in range(count):
        for name in names:
            times[name].append(first_frame(os.path.join(bindir, name)))
    medians = {}
    for name in names:
        t = sorted(times[name])
        medians[name] = t[len(t) // 2]
        print(f"== {name}: start to first frame over {count} starts: "
              f"median {medians[name]:.1f} ms, min {t[0]:.1f} ms, max {t[-1]:.1f} ms", flush=True)
    ratio = medians["nibbly"] / medians["bare-window"]
    print(f"summary: start to first frame, median of {count}: nibbly {medians['nibbly']:.0f} ms "
          f"({min(times['nibbly']):.0f}-{max(times['nibbly']):.0f}), bare-window "
          f"{medians['bare-window']:.0f} ms ({min(times['bare-window']):.0f}-"
          f"{max(times['bare-window']):.0f}), {ratio:.2f}x", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bindir")
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--busy", action="store_true")
    parser.add_argument("--starts", type=int, default=10, help="start-up timings per program")
    parser.add_argument("--starts-only", action="store_true", help="time the starts, play nothing")
    args = parser.parse_args()
    busy = subprocess.Popen(["yes"], stdout=subprocess.DEVNULL) if args.busy else None
    try:
        if not args.starts_only:
            run(os.path.join(args.bindir, "nibbly"), "tmrKeyBoard", r"1\.0\.3", args.seconds)
            run(os.path.join(args.bindir, "bare-window"), "bare", "bare-window", args.seconds)
        starts(args.bindir, args.starts)
    finally:
        if busy:
            busy.terminate()


if __name__ == "__main__":
    main()
