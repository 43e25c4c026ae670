#!/usr/bin/env python3
"""Writes the httpd.conf a user ends up with after following docs/DEPLOYMENT.md.

Starts from the parts of Apache for Windows' default httpd.conf that matter
(windows-default.conf) and applies the guide's marked blocks the way the guide
says: each block follows a line `<!-- tested: NAME -->` and is the fenced code
block right after it.

  the modules                              every LoadModule line is made active
  directly above ScriptAlias /cgi-bin/     inserted above the default alias
  at the end                               appended

Then only what cannot be Windows changes: the drive c:/ becomes a folder
(the Wine prefix's drive_c), each ScriptAlias of a program file points at a
wrapper beside it that starts the program under Wine, and Listen takes a
loopback port.

  compose-conf.py GUIDE TEMPLATE --drive-c DIR --port N --wrapper NAME
                  [--copy OLD=NEW ...] [--misplaced]

--copy adds, next to each of the guide's ScriptAlias lines, a copy with every
OLD replaced by NEW in its address and folder (the guide's second installation).
--misplaced appends the ScriptAlias block at the end instead, as a user who
missed the guide's point would, to show what that does.
"""

import argparse
import re
import sys

BLOCKS = ("the modules", "directly above ScriptAlias /cgi-bin/", "at the end")


def fail(message):
    sys.exit(f"compose-conf: {message}")


def guide_blocks(text):
    blocks = {}
    for match in re.finditer(r"^<!-- tested: (.+?) -->\n```[a-z]*\n(.*?)^```$", text, re.M | re.S):
        name = match.group(1)
        if name in blocks:
            fail(f"the guide marks two blocks '{name}'")
        blocks[name] = match.group(2).splitlines()
    for name in BLOCKS:
        if name not in blocks:
            fail(f"the guide has no code block marked '<!-- tested: {name} -->'")
    return blocks


def activate_modules(conf, module_lines):
    for line in module_lines:
        fields = line.split()
        if len(fields) != 3 or fields[0] != "LoadModule":
            fail(f"not a LoadModule line in the modules block: {line!r}")
        name = fields[1]
        pattern = re.compile(rf"^\s*#?\s*LoadModule\s+{re.escape(name)}\s")
        found = [i for i, have in enumerate(conf) if pattern.match(have)]
        if found:
            conf[found[0]] = line
        else:
            last = max(i for i, have in enumerate(conf) if re.match(r"^\s*#?\s*LoadModule\s", have))
            conf.insert(last + 1, line)


def with_copies(block, copies):
    out = []
    for line in block:
        out.append(line)
        if copies and re.match(r"^\s*ScriptAlias\s", line):
            copy = line
            for old, new in copies:
                copy = copy.replace(old, new)
            if copy == line:
                fail(f"--copy changes nothing in the guide's line {line!r}")
            out.append(copy)
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("guide")
    parser.add_argument("template")
    parser.add_argument("--drive-c", required=True)
    parser.add_argument("--port", required=True, type=int)
    parser.add_argument("--wrapper", required=True)
    parser.add_argument("--copy", action="append", default=[])
    parser.add_argument("--misplaced", action="store_true")
    args = parser.parse_args()

    with open(args.guide, encoding="utf-8") as f:
        blocks = guide_blocks(f.read())
    with open(args.template, encoding="utf-8") as f:
        conf = f.read().splitlines()

    activate_modules(conf, [line for line in blocks["the modules"] if line.strip()])

    copies = [tuple(pair.split("=", 1)) for pair in args.copy]
    aliases = with_copies(blocks["directly above ScriptAlias /cgi-bin/"], copies)
    default_alias = [i for i, line in enumerate(conf)
                     if re.match(r"^\s*ScriptAlias\s+/cgi-bin/\s", line)]
    if len(default_alias) != 1:
        fail("the template must hold exactly one default 'ScriptAlias /cgi-bin/'")
    if args.misplaced:
        conf += [""] + aliases
    else:
        at = default_alias[0]
        conf[at:at] = aliases + [""]
    conf += [""] + blocks["at the end"]

    text = "\n".join(conf) + "\n"
    text = re.sub(r"(?i)\bc:/", args.drive_c.rstrip("/") + "/", text)
    text = re.sub(r'^(\s*ScriptAlias\s+"?\S+?"?\s+"?)(.*/)[^/"]+\.exe("?)\s*$',
                  lambda m: m.group(1) + m.group(2) + args.wrapper + m.group(3), text, flags=re.M)
    text, listens = re.subn(r"^Listen .*$", f"Listen 127.0.0.1:{args.port}", text, flags=re.M)
    if listens != 1:
        fail("the template must hold exactly one Listen line")
    leftover = re.search(r"\b[A-Za-z]:[/\\]", text)
    if leftover:
        fail(f"a Windows path is left: {text[leftover.start():leftover.start() + 40]!r}")
    sys.stdout.write(text)


if __name__ == "__main__":
    main()
