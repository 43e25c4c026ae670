#!/usr/bin/env python3
"""Load test of the control page: concurrent clients against a running demo
instance (lighttpd on 127.0.0.1, tunaro.exe under Wine, the stand-in player).

tests/load/run.sh sets up the instance and runs this; on its own:

  load_test.py --base-url http://127.0.0.1:PORT --playlist-file PLAYER_DIR/standin_player.m3u \
      --player-log PLAYER_LOG [--entries N] [--clients 16] [--requests 320]

It first views the page once on its own (the reference: the player then has
written its playlist file, whose titles every page must list), then runs a
fixed, seeded mix of page views, commands and selections from C clients at
once, checks every answer, views the page once more on its own, and compares
the player's message log with what was sent. Only the standard library; the
player's numbers come from the tests' constants file (build/windows/
test-constants.env, or the file $TUNARO_CONSTANTS names).

Exit status: 0 when every check holds, 1 when one fails, 2 when the instance
does not answer as it should before the load starts. With --expect-races
(the build without the playlist lock) pages with missing or wrong titles are
counted and reported but fail nothing.
"""

import argparse
import collections
import concurrent.futures
import hashlib
import http.client
import json
import os
import random
import re
import socket
import sys
import threading
import time
import urllib.parse

PAGE_PATH = "/cgi-bin/tunaro/tunaro"

# Share of each kind of request in the mix (page views the most).
MIX = (
    ("view", 60),
    ("select", 12),
    ("play", 6),
    ("pause", 6),
    ("stop", 4),
    ("forward", 6),
    ("previous", 6),
)



def player_numbers():
    """The player's message numbers by their names in src/player/player_messages.h, from the
    tests' constants file that CMake writes (cmake/test_constants.cmake): NAME=value a line."""
    path = os.environ.get("TUNARO_CONSTANTS") or os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "windows", "test-constants.env")
    with open(path) as f:
        entries = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line and line[0] != "#")
    return {name[len("player."):]: value for name, value in entries.items() if name.startswith("player.")}


# As the player's log writes them: decimal text.
NUMBERS = player_numbers()
QUERY = NUMBERS["QueryMessage"]
COMMAND = NUMBERS["CommandMessage"]
WRITE_PLAYLIST = NUMBERS["WritePlaylist"]
SET_CURRENT_ENTRY = NUMBERS["SetCurrentEntry"]
QUERY_ENTRY_COUNT = NUMBERS["QueryEntryCount"]
QUERY_PATH_CHAR = NUMBERS["QueryPathChar"]
COMMAND_IDS = {"previous": NUMBERS["CommandPrevious"], "play": NUMBERS["CommandPlay"],
               "pause": NUMBERS["CommandPause"], "stop": NUMBERS["CommandStop"],
               "forward": NUMBERS["CommandNext"]}

# Kinds of failure: the first group is what the playlist lock is about.
RACE_KINDS = ("bad-titles", "bad-current")
STATES = ("Playing", "Paused", "Stopped")


def read_playlist_titles(path):
    """The titles of an extended .m3u as the player wrote it, in order."""
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    titles = []
    for line in text.replace("\r", "").split("\n"):
        if line.startswith("#EXTINF:"):
            comma = line.find(",")
            titles.append(line[comma + 1:] if comma >= 0 else "")
    return titles


def generated_titles(count):
    """The stand-in player's --entries N titles."""
    return ["Artist %04d - Title %04d" % (n, n) for n in range(1, count + 1)]


def html_unescape(text):
    # Exactly the four the page escapes; &amp; last so "&amp;lt;" stays "&lt;".
    return text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"').replace("&amp;", "&")


class PageShape:
    """The fixed parts of the control page, taken from a reference page: a
    page must equal it except for the play state, the option lines, the song
    name and the stream figures."""

    STATE_START = "<p>Winamp is Running (<b>"
    STATE_END = "</b>)</p>"
    LIST_START = "<select size=10 name=MP3List>\r\n"
    LIST_END = "</select>"
    SONG_START = "Song Name: <font color=#FF0000><b>"
    SONG_END = "</b></font><br>"
    INFO_START = "Kbps: "
    INFO_END = "<font size=1>"

    def __init__(self, reference):
        r = reference
        i1 = r.index(self.STATE_START) + len(self.STATE_START)
        i2 = r.index(self.STATE_END, i1)
        i3 = r.index(self.LIST_START, i2) + len(self.LIST_START)
        i4 = r.index(self.LIST_END, i3)
        i5 = r.index(self.SONG_START, i4) + len(self.SONG_START)
        i6 = r.index(self.SONG_END, i5)
        i7 = r.index(self.INFO_START, i6)
        i8 = r.index(self.INFO_END, i7)
        self.head = r[:i1]
        self.end_line = r[r.rindex("\r\n", 0, len(r) - 2) + 2:]
        if not r.endswith("</html>\r\n"):
            raise ValueError("the reference page does not end with </html> and a line end")
        self.pattern = re.compile(
            re.escape(r[:i1])
            + "(" + "|".join(STATES) + ")"
            + re.escape(r[i2:i3])
            + r"((?:<option[^\r\n]*\r\n)*)"
            + re.escape(r[i4:i5])
            + r"([^\r\n]*?)"
            + re.escape(r[i6:i7])
            + r"(Kbps: [^\r\n]*\r\nKHz: [^\r\n]*\r\nLength: [^\r\n]*\r\n)"
            + re.escape(r[i8:]),
            re.DOTALL,
        )


OPTION = re.compile(r"<option( selected)?>(\d+)\. (.*)</option>")


def check_page(text, shape, titles):
    """Returns (failure kinds, details) for one page body."""
    match = shape.pattern.fullmatch(text)
    if match is None:
        if not text.startswith(shape.head):
            return ["incomplete"], "does not start with the page head", False
        if not text.endswith(shape.end_line):
            return ["incomplete"], "does not end with %r (%d bytes)" % (shape.end_line, len(text)), False
        if shape.LIST_END not in text:
            return ["incomplete"], "the list box is not closed", False
        return ["malformed"], "does not have the page's shape", False
    lines = match.group(2).split("\r\n")[:-1]
    kinds = []
    details = []
    selected = []
    missing = wrong = 0
    if len(lines) != len(titles):
        wrong += abs(len(lines) - len(titles))
        details.append("%d options for %d entries" % (len(lines), len(titles)))
    for k, line in enumerate(lines):
        option = OPTION.fullmatch(line)
        if option is None or int(option.group(2)) != k + 1:
            wrong += 1
            continue
        title = html_unescape(option.group(3))
        if option.group(1):
            selected.append(title)
        if k < len(titles) and title != titles[k]:
            if title == "":
                missing += 1
            else:
                wrong += 1
    if missing or wrong:
        kinds.append("bad-titles")
        details.append("%d titles empty, %d wrong or out of place" % (missing, wrong))
        all_empty = missing == len(titles)
    else:
        all_empty = False
    song = html_unescape(match.group(3))
    if len(selected) != 1 or song != selected[0] or song == "":
        kinds.append("bad-current")
        details.append("song name %r, %d options selected" % (song, len(selected)))
    return kinds, "; ".join(details), all_empty


def build_plan(count, entries, seed):
    rng = random.Random(seed)
    names = [name for name, _ in MIX]
    weights = [weight for _, weight in MIX]
    plan = []
    for _ in range(count):
        kind = rng.choices(names, weights)[0]
        plan.append((kind, rng.randint(1, entries) if kind == "select" else None))
    return plan


class DigestLogin:
    """HTTP digest login (qop=auth) for a server behind one, such as
    tunaro-server.exe: one challenge, then a fresh count per request."""

    def __init__(self, host, port, user_password, timeout):
        self.user, _, self.password = user_password.partition(":")
        self.lock = threading.Lock()
        self.count = 0
        connection = http.client.HTTPConnection(host, port, timeout=timeout)
        try:
            connection.request("GET", PAGE_PATH)
            response = connection.getresponse()
            response.read()
            challenge = response.getheader("WWW-Authenticate", "")
        finally:
            connection.close()
        if response.status != 401 or not challenge.startswith("Digest "):
            raise ValueError("no digest challenge (HTTP %d)" % response.status)
        self.fields = dict(re.findall(r'(\w+)="?([^",]*)"?', challenge[7:]))

    def header(self, method, target):
        with self.lock:
            self.count += 1
            count = "%08x" % self.count
        md5 = lambda text: hashlib.md5(text.encode("utf-8")).hexdigest()
        realm, nonce = self.fields["realm"], self.fields["nonce"]
        cnonce = os.urandom(8).hex()
        answer = md5("%s:%s:%s:%s:auth:%s" % (md5("%s:%s:%s" % (self.user, realm, self.password)), nonce,
                                               count, cnonce, md5("%s:%s" % (method, target))))
        value = 'Digest username="%s", realm="%s", nonce="%s", uri="%s", qop=auth, nc=%s, cnonce="%s", response="%s"' % (
            self.user, realm, nonce, target, count, cnonce, answer)
        if "opaque" in self.fields:
            value += ', opaque="%s"' % self.fields["opaque"]
        return {"Authorization": value}


class Client:
    def __init__(self, host, port, timeout, shape, titles, keep_bad):
        self.host = host
        self.port = port
        self.timeout = timeout
        self.shape = shape
        self.titles = titles
        self.keep_bad = keep_bad
        self.login = None
        self.saved = 0
        self.lock = threading.Lock()

    def fetch(self, kind, number):
        """One request: returns a record with its latency and failures."""
        if kind == "view":
            method, target, body = "GET", PAGE_PATH, None
        elif kind == "select":
            method, target = "POST", PAGE_PATH + "?play"
            body = ("MP3List=" + urllib.parse.quote_plus("%d. %s" % (number, self.titles[number - 1]))).encode(
                "latin-1"
            )
        else:
            method, target, body = "GET", PAGE_PATH + "?" + kind, None
        headers = {"Connection": "close"}
        if self.login is not None:
            headers.update(self.login.header(method, target))
        if body is not None:
            headers["Content-Type"] = "application/x-www-form-urlencoded"
        record = {"kind": kind, "latency": None, "failures": [], "detail": ""}
        started = time.monotonic()
        connection = http.client.HTTPConnection(self.host, self.port, timeout=self.timeout)
        try:
            connection.request(method, target, body=body, headers=headers)
            response = connection.getresponse()
            data = response.read()
            status = response.status
        except (socket.timeout, TimeoutError):
            # Nothing came for --stall-seconds: a hang, not a slow machine.
            record["latency"] = time.monotonic() - started
            record["failures"] = ["hang"]
            return record
        except (OSError, http.client.HTTPException) as error:
            record["latency"] = time.monotonic() - started
            record["failures"] = ["connection"]
            record["detail"] = repr(error)
            return record
        finally:
            connection.close()
        record["latency"] = time.monotonic() - started
        if status != 200:
            record["failures"].append("http-status")
            record["detail"] = "HTTP %d" % status
        else:
            kinds, detail, all_empty = check_page(data.decode("latin-1"), self.shape, self.titles)
            record["failures"] += kinds
            record["detail"] = detail
            record["all_empty"] = all_empty
        if record["failures"] and self.keep_bad:
            self.save(kind, record, data)
        return record

    def save(self, kind, record, data):
        with self.lock:
            if self.saved >= 10:
                return
            self.saved += 1
            name = "bad-%02d-%s-%s.html" % (self.saved, kind, "+".join(record["failures"]))
        os.makedirs(self.keep_bad, exist_ok=True)
        with open(os.path.join(self.keep_bad, name), "wb") as f:
            f.write(data)


def read_log(path):
    """The player's logged messages, one (message, wParam, lParam) a line."""
    with open(path, "r", encoding="latin-1") as f:
        return [tuple(line.split()) for line in f]


def count_messages(messages):
    """Counts the messages that matter here by kind."""
    counts = collections.Counter()
    for parts in messages:
        if len(parts) != 3:
            continue
        message, wparam, lparam = parts
        if message == QUERY and lparam in (WRITE_PLAYLIST, SET_CURRENT_ENTRY):
            counts[lparam] += 1
        elif message == COMMAND:
            counts["command " + wparam] += 1
    return counts


def count_interleaved(messages):
    """How often one run's playlist section (from its first WritePlaylist to
    its last) was entered by another run, as the player saw it.

    Each run asks WritePlaylist, the entry count, then (after the program
    path) WritePlaylist twice more. The player takes messages one at a time,
    so with the sections taking turns its log holds exactly
    "120 124 120 120" over and over: between two entry-count queries three
    WritePlaylists, one before the first and two after the last. Every other
    number is a place where sections overlapped.

    A selection's own section comes first: WritePlaylist, then the program
    path from its first character (QueryPathChar 0), as the run locates the
    playlist file there; that WritePlaylist is not counted. Only the queries
    asked under the lock are looked at: the others (the state, the choice
    itself) may come between from runs outside their sections.
    """
    locked = {WRITE_PLAYLIST, QUERY_ENTRY_COUNT, QUERY_PATH_CHAR, NUMBERS["QueryPlaylistDirectory"],
              NUMBERS["QuerySettingsDirectory"]}
    queries = [(parts[2], parts[1]) for parts in messages
               if len(parts) == 3 and parts[0] == QUERY and parts[2] in locked]
    gaps = [0]
    for i, (code, _) in enumerate(queries):
        if code == WRITE_PLAYLIST:
            selection_read = i + 1 < len(queries) and queries[i + 1] == (QUERY_PATH_CHAR, "0")
            if not selection_read:
                gaps[-1] += 1
        elif code == QUERY_ENTRY_COUNT:
            gaps.append(0)
    if len(gaps) == 1:
        return 0, 0
    wrong = sum(1 for gap in gaps[1:-1] if gap != 3)
    wrong += (gaps[0] != 1) + (gaps[-1] != 2)
    return wrong, len(gaps) - 1


def percentile(sorted_values, fraction):
    """Nearest rank."""
    if not sorted_values:
        return float("nan")
    rank = max(1, -(-len(sorted_values) * fraction // 1))
    return sorted_values[int(rank) - 1]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--base-url", required=True, help="http://127.0.0.1:PORT")
    parser.add_argument("--playlist-file", required=True, help="the playlist file the player writes")
    parser.add_argument("--player-log", help="the player's --log file")
    parser.add_argument("--entries", type=int, help="the player's --entries N: the titles must be its own")
    parser.add_argument("--clients", type=int, default=16)
    parser.add_argument("--requests", type=int, default=320)
    parser.add_argument("--stall-seconds", type=float, default=180.0,
                        help="a request that gets nothing for this long, or a run in which no request"
                        " finishes for this long, hangs; a slow machine only makes requests slow")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--expect-races", action="store_true",
                        help="the build without the lock: count pages with missing or wrong titles, fail nothing")
    parser.add_argument("--label", default="", help="a name for the report")
    parser.add_argument("--json", help="also write the figures to this file")
    parser.add_argument("--keep-bad", help="save up to 10 failing pages in this folder")
    parser.add_argument("--digest-login", metavar="USER:PASSWORD",
                        help="log in with HTTP digest, for a server behind a login")
    args = parser.parse_args()

    url = urllib.parse.urlsplit(args.base_url)
    if url.scheme != "http" or url.hostname != "127.0.0.1":
        parser.error("the load only ever goes to http://127.0.0.1")
    if not 1 <= args.clients <= 64 or not 1 <= args.requests <= 5000:
        parser.error("--clients 1..64 and --requests 1..5000")
    host, port = url.hostname, url.port or 80

    def setup_failure(message):
        print("load test: setup failed: " + message, file=sys.stderr)
        sys.exit(2)

    login = None
    if args.digest_login:
        try:
            login = DigestLogin(host, port, args.digest_login, args.stall_seconds)
        except (OSError, ValueError) as error:
            setup_failure("the login: %s" % error)

    # The reference: the page viewed on its own.
    connection = http.client.HTTPConnection(host, port, timeout=args.stall_seconds)
    try:
        connection.request("GET", PAGE_PATH, headers=login.header("GET", PAGE_PATH) if login else {})
        response = connection.getresponse()
        reference = response.read().decode("latin-1")
    except OSError as error:
        setup_failure("the page does not answer: %r" % error)
    finally:
        connection.close()
    if response.status != 200:
        setup_failure("the page answers HTTP %d" % response.status)
    titles = read_playlist_titles(args.playlist_file)
    if args.entries is not None and titles != generated_titles(args.entries):
        setup_failure("%s does not hold the %d generated titles" % (args.playlist_file, args.entries))
    if not titles:
        setup_failure("the player's playlist is empty")
    try:
        shape = PageShape(reference)
    except ValueError as error:
        setup_failure("the reference page: %s" % error)
    kinds, detail, _ = check_page(reference, shape, titles)
    if kinds:
        setup_failure("the page viewed on its own fails: %s (%s)" % (", ".join(kinds), detail))

    log_start = len(read_log(args.player_log)) if args.player_log else None

    plan = build_plan(args.requests, len(titles), args.seed)
    client = Client(host, port, args.stall_seconds, shape, titles, args.keep_bad)
    client.login = login
    # Progress, not the clock, tells a hang: once no request has finished for
    # --stall-seconds, the rest are not sent.
    progress = {"last": time.monotonic()}
    progress_lock = threading.Lock()

    def run_one(item):
        with progress_lock:
            stalled = time.monotonic() - progress["last"] > args.stall_seconds
        if stalled:
            return {"kind": item[0], "latency": None, "failures": ["not-run"],
                    "detail": "no request finished for %g s" % args.stall_seconds}
        record = client.fetch(*item)
        if "hang" not in record["failures"]:
            with progress_lock:
                progress["last"] = time.monotonic()
        return record

    started = time.monotonic()
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.clients) as pool:
        records = list(pool.map(run_one, plan))
    elapsed = time.monotonic() - started

    # After the load: the page on its own again, then the player's log.
    final = client.fetch("view", None)
    problems = []
    if final["failures"]:
        problems.append("the page viewed after the load fails: %s (%s)" % (", ".join(final["failures"]), final["detail"]))

    failures = collections.Counter()
    examples = {}
    race_pages = 0
    for record in records:
        for kind in record["failures"]:
            failures[kind] += 1
            examples.setdefault(kind, "%s: %s" % (record["kind"], record["detail"]))
        if any(kind in RACE_KINDS for kind in record["failures"]):
            race_pages += 1
    answered = [r for r in records if r["latency"] is not None and not {"hang", "connection", "not-run"} & set(r["failures"])]
    latencies = sorted(r["latency"] for r in answered)
    failed_requests = sum(1 for r in records if r["failures"])

    log_report = None
    if args.player_log:
        sent = collections.Counter(r["kind"] for r in records if "not-run" not in r["failures"])
        pages = len(records) - failures["not-run"] + 1  # and the final view
        # A selection names its title, so it first has the player write the
        # playlist once to find the entry that shows it now.
        expected = {
            WRITE_PLAYLIST: 3 * pages + sent["select"],
            SET_CURRENT_ENTRY: sent["select"],
            "command " + COMMAND_IDS["play"]: sent["play"] + sent["select"] + sent["forward"] + sent["previous"],
            "command " + COMMAND_IDS["pause"]: sent["pause"],
            "command " + COMMAND_IDS["stop"]: sent["stop"],
            "command " + COMMAND_IDS["forward"]: sent["forward"],
            "command " + COMMAND_IDS["previous"]: sent["previous"],
        }
        # Posted commands wait behind sent messages in the player's queue:
        # give the last of them a moment to be logged.
        for attempt in range(10):
            messages = read_log(args.player_log)
            log_lines = len(messages)
            messages = messages[log_start:]
            logged = count_messages(messages)
            mismatches = []
            for key, want in expected.items():
                if logged[key] != want:
                    mismatches.append("%s: %d logged, %d sent" % (key, logged[key], want))
            if not mismatches:
                break
            time.sleep(0.3)
        interleaved, sections = count_interleaved(messages)
        log_report = {"lines": log_lines, "mismatches": mismatches, "interleaved": interleaved, "sections": sections}
        if mismatches:
            problems.append("the player's log does not match what was sent: " + "; ".join(mismatches))
        if interleaved and not args.expect_races:
            problems.append("the player's log shows %d places where runs overlapped in the playlist section"
                            % interleaved)

    label = args.label or ("expect races" if args.expect_races else "locked")
    print("== load test (%s): %d clients, %d requests, %d entries, seed %d" % (
        label, args.clients, args.requests, len(titles), args.seed))
    print("mix: " + ", ".join("%s %d" % (k, v) for k, v in sorted(collections.Counter(k for k, _ in plan).items())))
    print("requests: %d, all checks held: %d, failed: %d" % (len(records), len(records) - failed_requests, failed_requests))
    if failures:
        for kind, n in sorted(failures.items()):
            print("  %-12s %4d   e.g. %s" % (kind, n, examples[kind]))
    all_empty = sum(1 for r in records if r.get("all_empty"))
    print("pages with missing or wrong titles or song name: %d (every title empty: %d, some titles: %d,"
          " only the song name: %d)" % (race_pages, all_empty, failures["bad-titles"] - all_empty,
                                        race_pages - failures["bad-titles"]))
    throughput = len(answered) / elapsed if elapsed > 0 else 0.0
    print("time %.1f s, throughput %.2f req/s" % (elapsed, throughput))
    if latencies:
        print("latency s: p50 %.2f  p90 %.2f  p99 %.2f  max %.2f" % (
            percentile(latencies, 0.50), percentile(latencies, 0.90), percentile(latencies, 0.99), latencies[-1]))
    if log_report:
        print("player log: %d lines, %s; playlist sections of %d runs, overlapping at %d places" % (
            log_report["lines"], "matches what was sent" if not log_report["mismatches"] else "MISMATCH",
            log_report["sections"], log_report["interleaved"]))
    print("final page view: %s" % ("ok" if not final["failures"] else "FAILED"))

    if args.expect_races:
        # Everything but the lock's business still has to hold.
        hard = {k: n for k, n in failures.items() if k not in RACE_KINDS}
        verdict = "informational (expect races): %d pages with missing or wrong titles" % race_pages
        if log_report:
            verdict += ", %d overlapping playlist sections" % log_report["interleaved"]
    else:
        hard = dict(failures)
        verdict = None
    for problem in problems:
        print("problem: " + problem)
    ok = not hard and not problems
    if verdict:
        print(verdict + ("" if ok else "; other failures: %s" % (", ".join("%s %d" % kv for kv in sorted(hard.items())) or "see problems")))
    else:
        print("result: %s" % ("PASS" if ok else "FAIL"))

    if args.json:
        with open(args.json, "w") as f:
            json.dump({
                "label": label, "clients": args.clients, "requests": len(records), "entries": len(titles),
                "seed": args.seed, "seconds": round(elapsed, 2), "throughput": round(throughput, 2),
                "p50": percentile(latencies, 0.5), "p90": percentile(latencies, 0.9),
                "p99": percentile(latencies, 0.99), "max": latencies[-1] if latencies else None,
                "failures": dict(failures), "race_pages": race_pages, "all_empty_pages": all_empty,
                "interleaved": log_report["interleaved"] if log_report else None,
                "problems": problems, "ok": ok,
            }, f, indent=2)
    if args.expect_races:
        return 0
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
