#!/usr/bin/env python3
"""Writes the small seed corpora of the fuzzers into fuzz/corpus/<harness>/ (run once; the files are
committed). PNGs of every colour type and bit depth, with and without interlace and the chunks orvane
carries; raw frames whole and partial; --set texts of every parameter kind; random host records."""
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write(harness, name, data):
    folder = os.path.join(HERE, "corpus", harness)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data.encode() if isinstance(data, str) else data)


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def png(width, height, depth, colour, rows, extra=b"", interlace=0):
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    raw = b"".join(b"\x00" + row for row in rows)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def packed_row(values, depth):
    bits = "".join(format(v, "0%db" % depth) for v in values)
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def pngs():
    rng = random.Random(7)
    w, h = 3, 2
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
    for colour, depths in ((0, (1, 2, 4, 8, 16)), (2, (8, 16)), (3, (1, 2, 4, 8)), (4, (8, 16)), (6, (8, 16))):
        for depth in depths:
            if depth < 8:
                rows = [packed_row([rng.randrange(1 << depth) for _ in range(w)], depth) for _ in range(h)]
            else:
                rows = [bytes(rng.randrange(256) for _ in range(w * channels[colour] * depth // 8)) for _ in range(h)]
            extra = b""
            if colour == 3:
                extra += chunk(b"PLTE", bytes(rng.randrange(256) for _ in range(3 * (1 << min(depth, 4)))))
                extra += chunk(b"tRNS", bytes([0, 128]))
            elif colour in (0, 2) and depth == 8:
                extra += chunk(b"tRNS", bytes(2 * channels[colour]))
            write("png", "type%d_depth%d.png" % (colour, depth), png(w, h, depth, colour, rows, extra))
    rgba = [bytes(rng.randrange(256) for _ in range(5 * 4)) for _ in range(4)]
    tags = (chunk(b"gAMA", struct.pack(">I", 45455)) + chunk(b"cHRM", struct.pack(">8I", *[31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000]))
            + chunk(b"sRGB", b"\x00") + chunk(b"pHYs", struct.pack(">IIB", 2835, 2835, 1)))
    write("png", "rgba_tags.png", png(5, 4, 8, 6, rgba, tags))
    write("png", "rgba_interlaced.png", png(5, 4, 8, 6, rgba, b"", interlace=1))
    write("png", "truncated.png", png(5, 4, 8, 6, rgba)[:60])


def raws():
    write("raw", "whole_2x2", "2x2\n" + "abcdefghijklmnop")
    write("raw", "two_frames_1x1", "1x1\n" + "ARGBargb")
    write("raw", "partial_3x1", "3X1\n" + "12345")
    write("raw", "empty_frame_size", "0x5\n")
    write("raw", "too_wide", "4096x1\n")
    write("raw", "no_height", "12x\n")


def sets():
    for i, text in enumerate(["Brightness=25", "contrast = -100", "Channels=Red and Blue", "Channels=9",
                              "Mix with Original=100", "Choose Pixels by=Green", "Center=10.5,-3",
                              "Color=#ff8000", "Color=1,2,3", "Range Start=0", "Range End=125", "Angle Start=-45.25",
                              "Angle End=32767", "Reverse Range=on", "Blend=.5", "Stretch=-100", "Nothing=1", "=",
                              "Brightness=1e3"]):
        write("set_parser", "set_%02d" % i, text)


def entries():
    rng = random.Random(11)
    for i in range(16):
        write("entry", "random_%02d" % i, bytes(rng.randrange(256) for _ in range(rng.randrange(48, 700))))


if __name__ == "__main__":
    pngs()
    raws()
    sets()
    entries()
