#!/usr/bin/env python3
"""The digest login of tunaro-server.exe, checked whole against the real exe:
a header made for one request opens no other target and is not taken twice,
a nonce expires (401 with stale=true, and the client goes on with the new
one without asking its user), and failed logins from one address make it
wait. Prints an "ok" or "FAIL" line per check; exits 1 on a failure.

  digest_replay.py BASE_URL USER:PASSWORD CLOCK_SHIFT_FILE

CLOCK_SHIFT_FILE is the file the server was started with --test-clock-shift
on: the seconds its clock runs ahead, which this script moves on.
"""
import hashlib
import http.client
import os
import re
import sys
import urllib.parse

STATUS = "/cgi-bin/tunaro/tunaro?status"
failures = 0


def check(what, condition, detail=""):
    global failures
    print(("ok   " if condition else "FAIL ") + what + ("" if condition else ": " + detail))
    failures += 0 if condition else 1


def md5(text):
    return hashlib.md5(text.encode("utf-8")).hexdigest()


class Client:
    def __init__(self, base, login, source="127.0.0.1"):
        url = urllib.parse.urlsplit(base)
        self.host, self.port, self.source = url.hostname, url.port, source
        self.user, _, self.password = login.partition(":")

    def get(self, target, authorization=None):
        connection = http.client.HTTPConnection(self.host, self.port, timeout=30,
                                                source_address=(self.source, 0))
        try:
            connection.request("GET", target, headers={"Authorization": authorization} if authorization else {})
            response = connection.getresponse()
            response.read()
            return response.status, response.getheader("WWW-Authenticate", ""), response.getheader("Retry-After")
        finally:
            connection.close()

    def nonce(self):
        status, challenge, _ = self.get(STATUS)
        found = re.search(r'nonce="([^"]+)"', challenge)
        if status != 401 or not found or 'qop="auth"' not in challenge:
            raise SystemExit("no digest challenge: %d %s" % (status, challenge))
        return found.group(1)

    def header(self, nonce, count, uri, password=None):
        nc, cnonce = "%08x" % count, os.urandom(8).hex()
        ha1 = md5("%s:Tunaro:%s" % (self.user, password or self.password))
        answer = md5("%s:%s:%s:%s:auth:%s" % (ha1, nonce, nc, cnonce, md5("GET:" + uri)))
        return ('Digest username="%s", realm="Tunaro", nonce="%s", uri="%s", qop=auth, nc=%s, '
                'cnonce="%s", response="%s"' % (self.user, nonce, uri, nc, cnonce, answer))


def move_clock(path, seconds):
    with open(path) as current:
        shift = int(current.read().strip() or 0)
    with open(path + ".tmp", "w") as new:
        new.write(str(shift + seconds))
    os.replace(path + ".tmp", path)


def main():
    base, login, shift_file = sys.argv[1:4]
    client = Client(base, login)
    nonce = client.nonce()
    first = client.header(nonce, 1, STATUS)
    check("digest: a header for its own target is let in", client.get(STATUS, first)[0] == 200)
    status, challenge, _ = client.get(STATUS, first)
    check("digest: the same header again (its count taken) is refused", status == 401, str(status))
    for target in ("/cgi-bin/tunaro/tunaro?stop", "/cgi-bin/tunaro/tunaro?volume=0", "/images/play.gif"):
        status, challenge, _ = client.get(target, client.header(nonce, 2, STATUS))
        check("digest: a header for ?status replayed on %s is refused" % target,
              status == 401 and "stale=true" not in challenge, "%d %s" % (status, challenge))
    check("digest: the nonce goes on with a higher count",
          client.get(STATUS, client.header(nonce, 3, STATUS))[0] == 200)

    move_clock(shift_file, 600)
    status, challenge, _ = client.get(STATUS, client.header(nonce, 4, STATUS))
    check("digest: after 10 minutes the nonce has expired: 401 with stale=true",
          status == 401 and "stale=true" in challenge, "%d %s" % (status, challenge))
    fresh = re.search(r'nonce="([^"]+)"', challenge)
    check("digest: ... and the new nonce lets the client in without asking",
          fresh is not None and client.get(STATUS, client.header(fresh.group(1), 1, STATUS))[0] == 200)

    # Another address of the loopback, so that no other check waits for it.
    guesser = Client(base, login, source="127.0.0.3")
    for _ in range(5):
        guesser.get(STATUS, guesser.header(guesser.nonce(), 1, STATUS, password="wrong guess"))
    status, _, retry = guesser.get(STATUS, guesser.header(guesser.nonce(), 1, STATUS))
    check("digest: after 5 failed logins in a minute even the right one waits (429, Retry-After)",
          status == 429 and retry is not None and 0 < int(retry) <= 60, "%d %s" % (status, retry))
    check("digest: ... while another address logs in",
          fresh is not None and client.get(STATUS, client.header(fresh.group(1), 2, STATUS))[0] == 200)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
