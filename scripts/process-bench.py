#!/usr/bin/env python3
"""Measures whole runs of tunaro.exe under Wine against the stand-in player.

Side by side in one run: tunaro.exe answering a page for a playlist of N
entries, and floor_cgi.exe, which only writes the header block, both started
the same way. Prints the medians, their ratio and the peak resident memory of
each process. Everything runs in a private Wine prefix that is removed at the
end; the player is stopped by its process id and the prefix's wineserver by
the prefix.
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

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "windows")


def wine_env(prefix):
    env = dict(os.environ)
    env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    return env


def make_prefix(prefix):
    env = wine_env(prefix)
    subprocess.run(["wineserver", "-p"], env=env, check=True)
    subprocess.run(["wineboot", "-i"], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics",
                    "/d", "null", "/f"], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run_cgi(exe, env):
    """One run as a web server does it; returns (seconds, peak RSS in KiB, output size)."""
    run_env = dict(env)
    run_env.update(REQUEST_METHOD="GET", QUERY_STRING="", SCRIPT_NAME="/cgi-bin/tunaro/tunaro")
    with tempfile.TemporaryFile() as out:
        start = time.perf_counter()
        child = subprocess.Popen(["wine", exe], env=run_env, stdin=subprocess.DEVNULL,
                                 stdout=out, stderr=subprocess.DEVNULL,
                                 cwd=os.path.dirname(exe))
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0, os.SEEK_END)
        return seconds, usage.ru_maxrss, out.tell()


def measure(work, entries, runs, env):
    ready = os.path.join(work, f"ready-{entries}")
    player = subprocess.Popen(
        ["wine", os.path.join(work, "standin_player.exe"), "--entries", str(entries),
         "--ready", "Z:" + ready.replace("/", "\\")],
        env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.time() + 60
        while not os.path.exists(ready):
            if time.time() > deadline or player.poll() is not None:
                sys.exit("the stand-in player did not come up")
            time.sleep(0.05)
        tunaro = os.path.join(work, "tunaro.exe")
        floor = os.path.join(work, "floor_cgi.exe")
        run_cgi(tunaro, env)  # warm the caches and the playlist file
        run_cgi(floor, env)
        tunaro_runs, floor_runs = [], []
        for _ in range(runs):
            tunaro_runs.append(run_cgi(tunaro, env))
            floor_runs.append(run_cgi(floor, env))
        playlist = os.path.getsize(os.path.join(work, "standin_player.m3u"))
        return tunaro_runs, floor_runs, playlist
    finally:
        player.send_signal(signal.SIGKILL)
        player.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--entries", default="1000,100000")
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="tunaro-bench.")
    prefix = os.path.join(work, "prefix")
    env = wine_env(prefix)
    try:
        for exe in ("tunaro.exe", "floor_cgi.exe", "standin_player.exe"):
            shutil.copy(os.path.join(BIN, exe), work)
        with open(os.path.join(work, "tunaro.conf"), "wb") as conf:
            conf.write(b"IMGDIR /images/\r\nWWWPATH /cgi-bin/tunaro/\r\n")
        make_prefix(prefix)
        print("| entries | playlist file | tunaro.exe median | floor median | ratio |"
              " tunaro peak RSS | floor peak RSS | page |")
        print("|---:|---:|---:|---:|---:|---:|---:|---:|")
        for entries in [int(n) for n in args.entries.split(",")]:
            tunaro, floor, playlist = measure(work, entries, args.runs, env)
            t = statistics.median(s for s, _, _ in tunaro)
            f = statistics.median(s for s, _, _ in floor)
            t_rss = max(r for _, r, _ in tunaro)
            f_rss = max(r for _, r, _ in floor)
            page = tunaro[-1][2]
            print(f"| {entries} | {playlist / 1024:.0f} KiB | {t * 1000:.1f} ms | {f * 1000:.1f} ms |"
                  f" {t / f:.2f} | {t_rss / 1024:.1f} MiB | {f_rss / 1024:.1f} MiB |"
                  f" {page / 1024:.0f} KiB |", flush=True)
        print(f"\n{args.runs} runs of each, alternating; peak RSS is the largest of the runs "
              "(Wine's own share included, as the floor shows).")
    finally:
        subprocess.run(["wineserver", "-k"], env=env, check=False)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
