#!/usr/bin/env python3
"""Times sequential requests for the control page, alternating between web
servers in rounds so both see the same machine: prints the median and the
quartiles per server in ms. Only the standard library; loopback only.

  time_requests.py --rounds R --per-round N NAME=URL[,USER:PASSWORD] ...
"""
import argparse
import hashlib
import http.client
import os
import re
import statistics
import sys
import time
import urllib.parse


def digest_header(challenge, user, password, method, target, count):
    fields = dict(re.findall(r'(\w+)="?([^",]*)"?', challenge[7:]))
    md5 = lambda text: hashlib.md5(text.encode()).hexdigest()
    cnonce = os.urandom(8).hex()
    nc = "%08x" % count
    answer = md5("%s:%s:%s:%s:auth:%s" % (md5("%s:%s:%s" % (user, fields["realm"], password)),
                                           fields["nonce"], nc, cnonce, md5("%s:%s" % (method, target))))
    return ('Digest username="%s", realm="%s", nonce="%s", uri="%s", qop=auth, nc=%s, cnonce="%s", '
            'response="%s"' % (user, fields["realm"], fields["nonce"], target, nc, cnonce, answer))


class Target:
    def __init__(self, spec):
        self.name, _, rest = spec.partition("=")
        url, _, self.login = rest.partition(",")
        parts = urllib.parse.urlsplit(url)
        if parts.hostname != "127.0.0.1":
            sys.exit("time_requests: loopback only")
        self.host, self.port, self.path = parts.hostname, parts.port, parts.path
        self.challenge = None
        self.count = 0
        self.times = []

    def get(self):
        headers = {"Connection": "close"}
        if self.login and self.challenge:
            self.count += 1
            user, _, password = self.login.partition(":")
            headers["Authorization"] = digest_header(self.challenge, user, password, "GET", self.path,
                                                     self.count)
        connection = http.client.HTTPConnection(self.host, self.port, timeout=60)
        try:
            connection.request("GET", self.path, headers=headers)
            response = connection.getresponse()
            body = response.read()
            return response, body
        finally:
            connection.close()

    def timed(self):
        started = time.perf_counter()
        response, body = self.get()
        elapsed = time.perf_counter() - started
        if response.status != 200 or b"Winamp is Running" not in body:
            sys.exit("time_requests: %s answered HTTP %d" % (self.name, response.status))
        self.times.append(elapsed * 1000)

    def prepare(self):
        response, _ = self.get()
        if response.status == 401:
            self.challenge = response.getheader("WWW-Authenticate")
        for _ in range(3):  # warm-up, not counted
            self.timed()
        self.times.clear()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--per-round", type=int, default=10)
    parser.add_argument("targets", nargs="+")
    args = parser.parse_args()
    targets = [Target(spec) for spec in args.targets]
    for target in targets:
        target.prepare()
    for _ in range(args.rounds):
        for target in targets:
            for _ in range(args.per_round):
                target.timed()
    base = statistics.median(targets[0].times)
    for target in targets:
        q = statistics.quantiles(target.times, n=4)
        median = statistics.median(target.times)
        print("%-28s median %6.1f ms  quartiles %6.1f-%6.1f ms  (%d requests)  %.2fx %s" % (
            target.name, median, q[0], q[2], len(target.times), median / base, targets[0].name))


if __name__ == "__main__":
    main()
