#!/usr/bin/env python3
"""The demo's music folder: each song of the demo playlist as an empty file
where the playlist says it is (C:\\Music\\ARTIST\\TITLE.mp3), under DRIVE_C,
and beside each artist's songs a small picture (AlbumArt.png) for the cover.

  make-music.py PLAYLIST.m3u8 DRIVE_C
"""
import os
import struct
import sys
import zlib


def png(width, height, rgb):
    """A plain PNG of one colour fading to black, made with zlib alone."""
    rows = b"".join(
        b"\x00" + bytes(round(c * (1 - y / (2 * height))) for c in rgb) * width
        for y in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


def main():
    playlist, drive_c = sys.argv[1], sys.argv[2]
    with open(playlist, encoding="utf-8-sig") as lines:
        paths = [line.strip() for line in lines if line.strip().lower().startswith("c:\\")]
    for path in paths:
        parts = path.split("\\")[1:]  # without the drive
        folder = os.path.join(drive_c, *parts[:-1])
        os.makedirs(folder, exist_ok=True)
        open(os.path.join(folder, parts[-1]), "wb").close()
        picture = os.path.join(folder, "AlbumArt.png")
        if not os.path.exists(picture):
            hue = zlib.crc32(parts[-2].encode())
            rgb = (64 + hue % 160, 64 + (hue >> 8) % 160, 64 + (hue >> 16) % 160)
            with open(picture, "wb") as out:
                out.write(png(96, 96, rgb))
    print(f"{len(paths)} songs in {os.path.join(drive_c, 'Music')}")


if __name__ == "__main__":
    main()
