#!/usr/bin/env python3
"""Measures whole runs of tunaro.exe under Wine against the stand-in player.

Side by side in one run: tunaro.exe answering a page for a playlist of N
entries, and floor_cgi.exe, which only writes the header block, both started
the same way. Prints the medians, their ratio and the peak resident memory of
each process. Two more floors split the difference: floor_window_cgi.exe
also loads user32 and finds the player's window, and with the argument 3 it
also has the player write its playlist file three times, as every status
refresh must. Everything runs in a private Wine prefix that is removed at the
end; the player is stopped by its process id and the prefix's wineserver by
the prefix.

With --status it measures the status answer instead (QUERY_STRING=status)
against a full page read and the floors, with a player that writes its
playlist file only when it changed (--like-current, a 5.x player).

With --before EXE it also runs that tunaro.exe (an earlier build) for the
same page, to show what a change costs every run.

With --library it measures the music folders' answers against
floor_files_cgi.exe, which has user32 loaded as tunaro.exe has and reads what
each answer must read: the page of a folder of 10,000 files against listing
that folder; the find over 100,000 files in 5,000 album folders against walking them;
the cover from a folder image and from a picture in an mp3's ID3v2 tag
against reading that file, each after one playlist write.
"""
import argparse
import os
import random
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "windows")


def wine_env(prefix):
    """The variables of tests/lib/lib.sh's tunaro_wine_vars: those of the tests' constants file
    (cmake/test_constants.cmake, NAME=value a line), and the same WINEPREFIX and TMPDIR for
    every Wine process, which puts them on one wineserver."""
    with open(os.path.join(BIN, "test-constants.env")) as f:
        entries = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line and line[0] != "#")
    env = dict(os.environ)
    env.update({name[len("wine."):]: value for name, value in entries.items() if name.startswith("wine.")})
    env.update(WINEPREFIX=prefix, TMPDIR=os.environ.get("TMPDIR") or "/tmp")
    return env


def make_prefix(prefix):
    env = wine_env(prefix)
    subprocess.run(["wineboot", "-i"], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics",
                    "/d", "null", "/f"], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Let this first server end (its desktop started without the null
    # driver), then start one that stays up between players, so no run
    # pays a server start.
    subprocess.run(["wineserver", "-w"], env=env, check=True)
    subprocess.run(["wineserver", "-p"], env=env, check=True)


def high_water_kib(pid):
    """The peak resident size of the process's present image, or 0."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def run_cgi(exe, env, arguments=(), sample=False, query=""):
    """One run as a web server does it; returns (seconds, peak RSS in KiB, output size).

    Timed runs take the kernel's peak, which also covers the wine loader
    before it turns into the Windows process. With sample, the Windows
    process's own peak is read every millisecond until it ends instead
    (its last allocations may fall between two readings).
    """
    run_env = dict(env)
    run_env.update(REQUEST_METHOD="GET", QUERY_STRING=query, SCRIPT_NAME="/cgi-bin/tunaro/tunaro")
    with tempfile.TemporaryFile() as out:
        start = time.perf_counter()
        child = subprocess.Popen(["wine", exe, *arguments], env=run_env, stdin=subprocess.DEVNULL,
                                 stdout=out, stderr=subprocess.DEVNULL,
                                 cwd=os.path.dirname(exe))
        if sample:
            peak = 0
            while True:
                peak = max(peak, high_water_kib(child.pid))
                pid, status, _ = os.wait4(child.pid, os.WNOHANG)
                if pid:
                    break
                time.sleep(0.001)
        else:
            _, status, usage = os.wait4(child.pid, 0)
            peak = usage.ru_maxrss
        seconds = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0, os.SEEK_END)
        return seconds, peak, out.tell()


# What is measured, in the order of each round: name, program, its
# arguments, the query string.
FLOORS = (
    ("tunaro", "tunaro.exe", (), ""),
    ("floor", "floor_cgi.exe", (), ""),
    ("window", "floor_window_cgi.exe", (), ""),
    ("writes", "floor_window_cgi.exe", ("3",), ""),
)
STATUS_ROUND = (
    ("status", "tunaro.exe", (), "status"),
    ("page", "tunaro.exe", (), ""),
    ("floor", "floor_cgi.exe", (), ""),
    ("window", "floor_window_cgi.exe", (), ""),
    # As many messages as a status read sends to a 5.x player: against one
    # that writes its list only when it changed, these cost no writes.
    ("messages", "floor_window_cgi.exe", ("12",), ""),
)


def linux_path(windows_path, prefix):
    """Where a Windows path under Wine is: Z:\\a is /a, C:\\a is in the prefix's drive_c."""
    path = windows_path.replace("\\", "/")
    if path[:2].upper() == "Z:":
        return path[2:]
    if path[:2].upper() == "C:":
        return os.path.join(prefix, "drive_c") + path[2:]
    raise ValueError("not a path on Z: or C: " + windows_path)


def start_player(work, entries, env, player_args=()):
    """The stand-in player with N generated entries, once its window is up;
    with the path of the playlist file it writes (its ready file says)."""
    ready = os.path.join(work, f"ready-{entries}")
    with open(os.path.join(work, "player.err"), "wb") as err:
        player = subprocess.Popen(
            ["wine", os.path.join(work, "standin_player.exe"), "--entries", str(entries),
             *player_args, "--ready", "Z:" + ready.replace("/", "\\")],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err)
    deadline = time.time() + 60
    while not os.path.exists(ready):
        if time.time() > deadline or player.poll() is not None:
            player.kill()
            player.wait()
            with open(os.path.join(work, "player.err"), "rb") as err:
                sys.stderr.write(err.read().decode("latin-1"))
            sys.exit("the stand-in player did not come up")
        time.sleep(0.05)
    with open(ready) as lines:
        playlist = linux_path(lines.read().splitlines()[1], env["WINEPREFIX"])
    return player, playlist


def measure(work, entries, runs, env, round_=FLOORS, player_args=()):
    player, playlist_file = start_player(work, entries, env, player_args)
    try:
        programs = {name: (os.path.join(work, exe), arguments, query)
                    for name, exe, arguments, query in round_}
        for exe, arguments, query in programs.values():
            run_cgi(exe, env, arguments, query=query)  # warm the caches and the playlist file
        runs_of = {name: [] for name in programs}
        for _ in range(runs):
            for name, (exe, arguments, query) in programs.items():
                runs_of[name].append(run_cgi(exe, env, arguments, query=query))
        sampled = {name: max(run_cgi(exe, env, arguments, sample=True, query=query)[1]
                             for _ in range(3))
                   for name, (exe, arguments, query) in programs.items()}
        playlist = os.path.getsize(playlist_file)
        return runs_of, sampled, playlist
    finally:
        player.send_signal(signal.SIGKILL)
        player.wait()


def make_music(root, folders, per_folder, needle_every):
    """Artist NNN/Album NN/NN Track NNNNNN.mp3, empty files; every
    needle_every-th file also has "needle" in its name."""
    count = 0
    for folder in range(folders):
        album = os.path.join(root, f"Artist {folder // 20:03d}", f"Album {folder % 20:02d}")
        os.makedirs(album)
        for track in range(per_folder):
            count += 1
            needle = " needle" if count % needle_every == 0 else ""
            open(os.path.join(album, f"{track + 1:02d} Track {count:06d}{needle}.mp3"), "wb").close()
    return count


def fake_jpeg(size, seed):
    """Bytes that begin as a JPEG's do, `size` in all."""
    noise = random.Random(seed).randbytes(size - 10)
    return b"\xff\xd8\xff\xe0\x00\x10JFIF" + noise


def mp3_with_picture(picture, audio_bytes):
    """An ID3v2.3 tag with one front cover (APIC), then MPEG frames of silence."""
    body = b"\x00image/jpeg\x00\x03\x00" + picture
    frame = b"APIC" + struct.pack(">I", len(body)) + b"\x00\x00" + body
    size = len(frame)
    syncsafe = bytes((size >> shift) & 0x7F for shift in (21, 14, 7, 0))
    frames = (b"\xff\xfb\x90\x64" + bytes(413)) * (audio_bytes // 417)
    return b"ID3\x03\x00\x00" + syncsafe + frame + frames


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def measure_library(work, args, env):
    music = os.path.join(work, "music")
    big = os.path.join(music, "Big")
    os.makedirs(big)
    for i in range(10000):
        open(os.path.join(big, f"Track {i + 1:05d}.mp3"), "wb").close()
    album = os.path.join(music, "Album")
    os.makedirs(album)
    folder_image = os.path.join(album, "folder.jpg")
    with open(folder_image, "wb") as out:
        out.write(fake_jpeg(200 * 1024, 1))
    open(os.path.join(album, "01 Song.mp3"), "wb").close()
    tagged = os.path.join(music, "Tagged")
    os.makedirs(tagged)
    tagged_mp3 = os.path.join(tagged, "01 Tagged.mp3")
    with open(tagged_mp3, "wb") as out:
        out.write(mp3_with_picture(fake_jpeg(200 * 1024, 2), 1024 * 1024))
    # The find's tree, in a music folder of its own, for a tunaro.exe of its own.
    tree = os.path.join(work, "tree")
    files = make_music(tree, 5000, 20, 2000)
    finder = os.path.join(work, "find")
    os.makedirs(finder)
    shutil.copy(os.path.join(work, "tunaro.exe"), finder)
    for folder, where in ((music, work), (tree, finder)):
        with open(os.path.join(where, "tunaro.conf"), "wb") as conf:
            conf.write(b"IMGDIR /images/\r\nWWWPATH /cgi-bin/tunaro/\r\nMUSICDIR "
                       + windows_path(folder).encode() + b"\r\n")
    playlist = os.path.join(work, "covers.m3u")
    with open(playlist, "wb") as out:
        out.write(("#EXTM3U\r\n#EXTINF:200,Folder image\r\n" + windows_path(album)
                   + "\\01 Song.mp3\r\n#EXTINF:200,Tagged\r\n" + windows_path(tagged_mp3)
                   + "\r\n").encode())
    library_round = (
        ("listing", "tunaro.exe", (), "library=1%2FBig"),
        ("list floor", "floor_files_cgi.exe", ("list", windows_path(big)), ""),
        ("find", os.path.join("find", "tunaro.exe"), (), "find=needle"),
        ("walk floor", "floor_files_cgi.exe", ("walk", windows_path(tree)), ""),
        ("cover, folder image", "tunaro.exe", (), "cover=1"),
        ("read floor, image", "floor_files_cgi.exe", ("read", windows_path(folder_image), "1"), ""),
        ("cover, ID3v2", "tunaro.exe", (), "cover=2"),
        ("read floor, mp3", "floor_files_cgi.exe", ("read", windows_path(tagged_mp3), "1"), ""),
        ("window", "floor_window_cgi.exe", (), ""),
    )
    player, _ = start_player(work, 0, env, ("--like-current", "--playlist", windows_path(playlist)))
    try:
        programs = [(name, os.path.join(work, exe), arguments, query)
                    for name, exe, arguments, query in library_round]
        sizes = {}
        for name, exe, arguments, query in programs:
            sizes[name] = run_cgi(exe, env, arguments, query=query)[2]  # warm the caches
        runs_of = {name: [] for name, _, _, _ in programs}
        for _ in range(args.runs):
            for name, exe, arguments, query in programs:
                runs_of[name].append(run_cgi(exe, env, arguments, query=query)[0])
    finally:
        player.send_signal(signal.SIGKILL)
        player.wait()
    median = {name: statistics.median(runs) for name, runs in runs_of.items()}
    fastest = {name: min(runs) for name, runs in runs_of.items()}
    print(f"Music: a folder of 10,000 files; {files:,} files in 5,000 album folders (250 artist"
          " folders); a 200 KiB folder.jpg; an mp3 of 1 MiB with a 200 KiB picture in its tag.")
    print("| answer | output | tunaro.exe | its floor | ratio | fastest: ratio |")
    print("|---|---:|---:|---:|---:|---:|")
    for name, floor in (("listing", "list floor"), ("find", "walk floor"),
                        ("cover, folder image", "read floor, image"),
                        ("cover, ID3v2", "read floor, mp3"), ("window", None)):
        cells = [name, f"{sizes[name] / 1024:.1f} KiB", f"{median[name] * 1000:.1f} ms"]
        if floor:
            cells += [f"{median[floor] * 1000:.1f} ms", f"{median[name] / median[floor]:.2f}",
                      f"{fastest[name] / fastest[floor]:.2f}"]
        else:
            cells += ["", "", ""]
        print("| " + " | ".join(cells) + " |", flush=True)
    print(f"\nMedians of {args.runs} rounds, each round every program once in the order of the"
          " rows, the floors after their answer.")


def measure_before(work, args, env):
    round_ = (("tunaro", "tunaro.exe", (), ""), ("before", "tunaro-before.exe", (), ""),
              ("floor", "floor_cgi.exe", (), ""), ("window", "floor_window_cgi.exe", (), ""))
    print("| entries | tunaro.exe | before | ratio | fastest: ratio | floor | + window |"
          " peak, Windows process: tunaro | before |")
    print("|---:" * 9 + "|")
    for entries in [int(n) for n in args.entries.split(",")]:
        runs_of, sampled, _ = measure(work, entries, args.runs, env, round_)
        median = {name: statistics.median(s for s, _, _ in runs) for name, runs in runs_of.items()}
        fastest = {name: min(s for s, _, _ in runs) for name, runs in runs_of.items()}
        cells = [f"{entries}"] + [f"{median[name] * 1000:.1f} ms" for name in ("tunaro", "before")]
        cells += [f"{median['tunaro'] / median['before']:.2f}",
                  f"{fastest['tunaro'] / fastest['before']:.2f}"]
        cells += [f"{median[name] * 1000:.1f} ms" for name in ("floor", "window")]
        cells += [f"{sampled[name] / 1024:.1f} MiB" for name in ("tunaro", "before")]
        print("| " + " | ".join(cells) + " |", flush=True)
    print(f"\nMedians of {args.runs} rounds, each round every program once in the order of the"
          " columns.")


def measure_status(work, args, env):
    print(f"Player: standin_player.exe {args.player_args}")
    print("| entries | playlist file | status | page | floor | + window | + 12 messages |"
          " status / window | page / window | status / page | fastest: status / window |"
          " page / window | peak, Windows process: status | page |")
    print("|---:" * 14 + "|")
    for entries in [int(n) for n in args.entries.split(",")]:
        runs_of, sampled, playlist = measure(work, entries, args.runs, env, STATUS_ROUND,
                                             args.player_args.split())
        median = {name: statistics.median(s for s, _, _ in runs) for name, runs in runs_of.items()}
        cells = [f"{entries}", f"{playlist / 1024:.0f} KiB"]
        cells += [f"{median[name] * 1000:.1f} ms"
                  for name in ("status", "page", "floor", "window", "messages")]
        cells += [f"{median['status'] / median['window']:.2f}",
                  f"{median['page'] / median['window']:.2f}",
                  f"{median['status'] / median['page']:.2f}"]
        # On a shared machine the fastest runs are the ones nothing else slowed.
        fastest = {name: min(s for s, _, _ in runs) for name, runs in runs_of.items()}
        cells += [f"{fastest['status'] / fastest['window']:.2f}",
                  f"{fastest['page'] / fastest['window']:.2f}"]
        cells += [f"{sampled[name] / 1024:.1f} MiB" for name in ("status", "page")]
        print("| " + " | ".join(cells) + " |", flush=True)
    print(f"\nMedians of {args.runs} rounds, each round every program once in the order of the"
          " columns; the Windows process's peak is the largest of 3 more runs, sampled every"
          " millisecond.")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--entries", default="1000,100000")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--status", action="store_true",
                        help="the status answer against a page read and the floors")
    parser.add_argument("--player-args", default="--like-current",
                        help="the stand-in player's switches with --status")
    parser.add_argument("--before", metavar="EXE",
                        help="an earlier tunaro.exe to run for the same page")
    parser.add_argument("--library", action="store_true",
                        help="the music folders' answers against their floors")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="tunaro-bench.")
    prefix = os.path.join(work, "prefix")
    env = wine_env(prefix)
    try:
        for exe in ("tunaro.exe", "floor_cgi.exe", "floor_window_cgi.exe", "floor_files_cgi.exe",
                    "standin_player.exe"):
            shutil.copy(os.path.join(BIN, exe), work)
        if args.before:
            shutil.copy(args.before, os.path.join(work, "tunaro-before.exe"))
        with open(os.path.join(work, "tunaro.conf"), "wb") as conf:
            conf.write(b"IMGDIR /images/\r\nWWWPATH /cgi-bin/tunaro/\r\n")
        make_prefix(prefix)
        if args.status:
            measure_status(work, args, env)
            return
        if args.library:
            measure_library(work, args, env)
            return
        if args.before:
            measure_before(work, args, env)
            return
        print("| entries | playlist file | page | tunaro.exe | floor | ratio | + window | ratio |"
              " + 3 playlist writes | ratio | peak RSS: tunaro | floor | + window |"
              " Windows process alone: tunaro | floor | + window |")
        print("|---:" * 16 + "|")
        for entries in [int(n) for n in args.entries.split(",")]:
            runs_of, sampled, playlist = measure(work, entries, args.runs, env)
            median = {name: statistics.median(s for s, _, _ in runs) for name, runs in runs_of.items()}
            rss = {name: max(r for _, r, _ in runs) for name, runs in runs_of.items()}
            t = median["tunaro"]
            cells = [f"{entries}", f"{playlist / 1024:.0f} KiB", f"{runs_of['tunaro'][-1][2] / 1024:.0f} KiB",
                     f"{t * 1000:.1f} ms"]
            for name in ("floor", "window", "writes"):
                cells += [f"{median[name] * 1000:.1f} ms", f"{t / median[name]:.2f}"]
            cells += [f"{rss[name] / 1024:.1f} MiB" for name in ("tunaro", "floor", "window")]
            cells += [f"{sampled[name] / 1024:.1f} MiB" for name in ("tunaro", "floor", "window")]
            print("| " + " | ".join(cells) + " |", flush=True)
        print(f"\nMedians of {args.runs} rounds, each round every program once in the order of the"
              " columns. Peak RSS is the largest of the timed runs, the wine loader's start"
              " included; the Windows process alone is the largest of 3 more runs of each,"
              " sampled every millisecond.")
    finally:
        subprocess.run(["wineserver", "-k"], env=env, check=False)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
