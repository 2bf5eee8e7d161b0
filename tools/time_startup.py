#!/usr/bin/env python3
"""Times the whole program from exec to its window mapped on the X display, on a
design-maximum data folder and on an empty collection, several runs each, and prints
the median (wall time, and the CPU time the program used until then).

    tools/time_startup.py [--build BUILD] [--runs N] [--keep FOLDER]

Needs Xvfb and xev (Debian: xvfb, x11-utils). The folders are written by
BUILD/bench/bench_makefolder (built with the benches) into a temporary folder, or into
--keep to reuse them on later runs. The window is seen mapped through the root window's
MapNotify events, so no polling delay is added to the figure.
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def start_display():
    for n in range(90, 110):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            server = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                    return server, f":{n}"
                time.sleep(0.05)
            server.terminate()
    sys.exit("no free X display for Xvfb")


def child_cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def time_once(program, folder, env):
    watcher = subprocess.Popen(["xev", "-root", "-event", "substructure"], env=env,
                               stdout=subprocess.PIPE, text=True, bufsize=1)
    time.sleep(0.2)  # xev selects its events before the program starts
    started = time.monotonic()
    app = subprocess.Popen([program, folder], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = None
    cpu = None
    for line in watcher.stdout:
        if line.startswith("MapNotify"):
            mapped = time.monotonic() - started
            cpu = child_cpu_seconds(app.pid)
            break
    app.send_signal(signal.SIGTERM)
    app.wait()
    watcher.terminate()
    watcher.wait()
    return mapped, cpu


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(here, "..", "build"))
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--keep", help="folder to write the collections into once and reuse")
    args = parser.parse_args()
    program = os.path.join(args.build, "utabako")
    maker = os.path.join(args.build, "bench", "bench_makefolder")
    root = args.keep or tempfile.mkdtemp(prefix="utabako-startup-")
    folders = {"empty": os.path.join(root, "empty"), "max": os.path.join(root, "max")}
    for kind, folder in folders.items():
        if not os.path.exists(os.path.join(folder, "データ.TXT")):
            subprocess.run([maker, folder, kind], check=True)

    server, display = start_display()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    try:
        print(f"load average before: {os.getloadavg()[0]:.2f}")
        for kind in ("empty", "max"):
            time_once(program, folders[kind], env)  # warms the disk cache
            runs = [time_once(program, folders[kind], env) for _ in range(args.runs)]
            walls = [w * 1000 for w, _ in runs if w is not None]
            cpus = [c * 1000 for _, c in runs if c is not None]
            if not walls:
                sys.exit(f"{kind}: the window was never mapped")
            print(f"{kind:>5}: median {statistics.median(walls):6.0f} ms to the mapped window, "
                  f"CPU {statistics.median(cpus):6.0f} ms  (runs: {', '.join(f'{w:.0f}' for w in walls)})")
        print(f"load average after: {os.getloadavg()[0]:.2f}")
    finally:
        server.terminate()
        server.wait()
        if not args.keep:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
