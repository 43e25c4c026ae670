#!/usr/bin/env python3
"""What one client may hold of tunaro-server.exe: connections from one
loopback address (the "holder") that stay idle, send half a request head,
trickle a body or send a chunked body without end, and then one normal
request from another loopback address, timed. Prints the figures; exits 1
when the normal request is not answered within the bound, or the server's
memory passes its bound.

  connection_limits.py --port P [--login USER:PASSWORD] [--server-pid PID] KIND

KIND: idle N | half N | trickle N | chunked MIB | refused N (the holder's
address is one the server refuses: its connections must hold no worker).
Loopback only, every socket closed at the end, each wait bounded.
"""

import argparse
import http.client
import os
import socket
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "load"))
from load_test import DigestLogin  # noqa: E402  (the load test's digest client)

HOST = "127.0.0.1"
PAGE = "/cgi-bin/tunaro/tunaro"
IMAGE = "/images/play.gif"
ANSWER_BOUND_S = 1.0
MEMORY_BOUND_KIB = 64 * 1024


def memory_kib(pid):
    """The server's resident memory, in KiB; 0 without a process id."""
    if not pid:
        return 0
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def connect(source, port, timeout=10):
    sock = socket.socket(socket.AF_INET6 if ":" in source else socket.AF_INET)
    sock.settimeout(timeout)
    sock.bind((source, 0))
    sock.connect(("::1" if ":" in source else HOST, port))
    return sock


def normal_request(args, source):
    """One logged-in GET of the image from `source`: (status, seconds)."""
    headers = args.login.header("GET", IMAGE) if args.login else {}
    started = time.monotonic()
    connection = http.client.HTTPConnection(HOST if ":" not in source else "::1", args.port,
                                            timeout=30, source_address=(source, 0))
    try:
        connection.request("GET", IMAGE, headers=headers)
        response = connection.getresponse()
        response.read()
        return response.status, time.monotonic() - started
    except OSError as error:
        return "failed (%s)" % error, time.monotonic() - started
    finally:
        connection.close()


def still_open(sockets):
    """How many of the holder's connections the server has not closed."""
    count = 0
    for sock in sockets:
        sock.setblocking(False)
        try:
            if sock.recv(1) != b"":
                count += 1
        except BlockingIOError:
            count += 1
        except OSError:
            pass
    return count


def hold(args, kind, count):
    """Connections that stay, idle or with half a head; then the request."""
    sockets = []
    try:
        for _ in range(count):
            try:
                sock = connect(args.holder, args.port)
            except OSError:
                continue  # refused at once: counts as closed
            if kind == "half":
                sock.sendall(("GET %s HTTP/1.1\r\nHost: %s:%d\r\n" % (IMAGE, HOST, args.port)).encode())
            sockets.append(sock)
        time.sleep(0.3)  # let the master thread accept them all
        status, seconds = normal_request(args, args.other)
        held = still_open(sockets)
    finally:
        for sock in sockets:
            sock.close()
    print("%d %s connections from %s (%d held by the server): a request from %s answered %s in %d ms"
          % (count, kind, args.holder, held, args.other, status, seconds * 1000))
    # Without a login the refused check's request is answered 401: any answer
    # shows a worker was free.
    answered = isinstance(status, int) if kind == "refused" and not args.login else status == 200
    ok = answered and seconds < ANSWER_BOUND_S
    if kind == "refused" and held:
        print("  but %d of the refused address's connections are still open" % held)
        ok = False
    return ok


def trickle(args, count):
    """POSTs whose body comes a byte every 0.5 s: each is ended by the
    body's deadline, and meanwhile another request is answered."""
    answers = [None] * count

    def post(index):
        sock = None
        started = time.monotonic()
        try:
            sock = connect(args.holder, args.port, timeout=30)
            headers = args.login.header("POST", PAGE) if args.login else {}
            head = "POST %s HTTP/1.1\r\nHost: %s:%d\r\nContent-Type: application/x-www-form-urlencoded\r\n" \
                   "Content-Length: 1000\r\n%s\r\n" % (PAGE, HOST, args.port, "".join("%s: %s\r\n" % item for item in headers.items()))
            sock.sendall(head.encode())
            sock.setblocking(False)
            reply = b""
            while time.monotonic() - started < 30 and not reply:
                try:
                    sock.send(b"a")
                except OSError:
                    pass
                time.sleep(0.5)
                try:
                    reply = sock.recv(200)
                except BlockingIOError:
                    pass
                except OSError:
                    break
            answers[index] = (reply.split(b"\r\n")[0].decode(errors="replace") or "closed",
                              time.monotonic() - started)
        except OSError as error:
            answers[index] = ("failed (%s)" % error, time.monotonic() - started)
        finally:
            if sock:
                sock.close()

    threads = [threading.Thread(target=post, args=(i,)) for i in range(count)]
    for thread in threads:
        thread.start()
    time.sleep(1.5)
    status, seconds = normal_request(args, args.other)
    for thread in threads:
        thread.join(40)
    print("%d trickling bodies from %s: a request from %s answered %s in %d ms; the trickles ended: %s"
          % (count, args.holder, args.other, status, seconds * 1000,
             ", ".join("%s after %.1f s" % answer for answer in answers if answer)))
    # Ended by the body's deadline: 408, or closed; anything else (a 421 for
    # the Host, a 401) would end them before the body counts.
    ended = all(answer and answer[1] < 15 and answer[0].split(" ")[1:2] in (["408"], [])
                for answer in answers)
    return status == 200 and seconds < ANSWER_BOUND_S and ended


def chunked(args, mib):
    """A GET with a chunked body of `mib` MiB sent as fast as the server
    takes it, the server's memory sampled meanwhile; then the request."""
    peak = [memory_kib(args.server_pid)]
    done = threading.Event()

    def sample():
        while not done.is_set():
            peak[0] = max(peak[0], memory_kib(args.server_pid))
            time.sleep(0.05)

    sampler = threading.Thread(target=sample)
    sampler.start()
    sent = 0
    started = time.monotonic()
    reply = b""
    sock = connect(args.holder, args.port, timeout=10)
    try:
        sock.sendall(("GET %s HTTP/1.1\r\nHost: %s:%d\r\nTransfer-Encoding: chunked\r\n\r\n"
                      % (IMAGE, HOST, args.port)).encode())
        chunk = b"100000\r\n" + b"x" * 0x100000 + b"\r\n"
        while sent < mib * 0x100000 and time.monotonic() - started < 60:
            try:
                sock.sendall(chunk)
                sent += 0x100000
            except OSError:
                break
        sock.settimeout(5)
        try:
            reply = sock.recv(200)
        except OSError:
            pass
    finally:
        sock.close()
    status, seconds = normal_request(args, args.other)
    done.set()
    sampler.join()
    peak[0] = max(peak[0], memory_kib(args.server_pid))
    print("a chunked GET from %s: %d MiB sent in %.1f s, answered %s; the server's memory at most "
          "%d MiB; then a request from %s answered %s in %d ms"
          % (args.holder, sent >> 20, time.monotonic() - started,
             reply.split(b"\r\n")[0].decode(errors="replace") or "nothing", peak[0] >> 10,
             args.other, status, seconds * 1000))
    return (reply.startswith(b"HTTP/1.1 411") and status == 200 and seconds < ANSWER_BOUND_S
            and peak[0] < MEMORY_BOUND_KIB)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--login", help="USER:PASSWORD of the digest login")
    parser.add_argument("--server-pid", type=int, help="the server's process, for its memory")
    parser.add_argument("--holder", default="127.0.0.2", help="the address that holds")
    parser.add_argument("--other", default="127.0.0.1", help="the address of the normal request")
    parser.add_argument("kind", choices=("idle", "half", "trickle", "chunked", "refused"))
    parser.add_argument("amount", type=int)
    args = parser.parse_args()
    # The challenge from the address the server lets in.
    other_host = "::1" if ":" in args.other else HOST
    args.login = DigestLogin(other_host, args.port, args.login, 10) if args.login else None
    if args.kind in ("idle", "half", "refused"):
        ok = hold(args, args.kind, args.amount)
    elif args.kind == "trickle":
        ok = trickle(args, args.amount)
    else:
        ok = chunked(args, args.amount)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
