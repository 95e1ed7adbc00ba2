#!/usr/bin/python3
"""make_pictures.py OUT: makes OUT/bad/, things named like pictures that must never
reach the decoder (cut short, damaged, lying, hostile, no plain file), and OUT/good/,
8-bit pictures of every colour layout SOIL reads, which must pass. No binary is
checked in: all is built from bytes here."""

import os
import pathlib
import shutil
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
END = b"\0\0\0\0IEND\xaeB`\x82"
GREY, RGB, PALETTE, GREY_ALPHA, RGBA = 0, 2, 3, 4, 6  # colour types
CHANNELS = {GREY: 1, RGB: 3, PALETTE: 1, GREY_ALPHA: 2, RGBA: 4}


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, colour=RGB, depth=8, interlace=0, extra=b"", split=None, data=None,
        palette=bytes(range(256)) * 3):
    """A picture, valid unless `data` (the compressed rows) says otherwise; interlaced,
    only at 1 x 1, where Adam7's first pass holds all."""
    if data is None:
        row = width * CHANNELS[colour] * depth // 8
        data = zlib.compress(b"".join(b"\0" + bytes((x * 7 + y * 13) & 0xFF for x in range(row))
                                      for y in range(height)))
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    palette = chunk(b"PLTE", palette) if colour == PALETTE else b""
    parts = [data[i:i + split] for i in range(0, len(data), split)] if split else [data]
    return (SIGNATURE + chunk(b"IHDR", header) + palette + extra
            + b"".join(chunk(b"IDAT", part) for part in parts) + END)


def filtered(width, height, channels):
    """Compressed rows that use each of the five row filters in turn."""
    return zlib.compress(b"".join(bytes([y % 5]) + bytes((x * 31 + y * 17) & 0xFF
                                                         for x in range(width * channels))
                                  for y in range(height)))


def zeros(mebibytes):  # zlib data inflating to that many MiB of zeros
    packer = zlib.compressobj(9)
    return b"".join(packer.compress(bytes(1 << 20)) for _ in range(mebibytes)) + packer.flush()


def written(files):
    """Name -> what writes those bytes at a path, for each of `files`."""
    return {name: (lambda path, data=data: pathlib.Path(path).write_bytes(data))
            for name, data in files.items()}


def bad_pictures():
    """Name -> what puts each hostile thing at a path."""
    good = png(16, 16)
    at, end = good.index(b"IDAT") - 4, good.index(b"IEND") - 4  # where those chunks begin
    deflated = zlib.compress(bytes(range(256)) * 3 + bytes(16))  # as long as the rows
    return written({
        "empty.png": b"",
        "cut-in-header.png": good[:20],
        "cut-in-data.png": good[:at + 30],
        "cut-last-byte.png": good[:-1],
        "bad-crc.png": good[:end - 1] + bytes([good[end - 1] ^ 1]) + good[end:],
        "huge-header.png": png(100000, 100000, data=zlib.compress(b"\0" * 99)),
        "oversized.png": png(8191, 8192, GREY, data=zeros(64)),  # rows of 8 KiB
        "sixteen-bit.png": png(16, 16, depth=16),
        "interlaced.png": png(1, 1, interlace=1),
        "corrupt-deflate.png": png(16, 16, data=deflated[:2] + bytes(b ^ 90 for b in deflated[2:12])
                                   + deflated[12:]),
        "too-much-data.png": png(16, 16, data=zlib.compress(bytes(2 * 16 * 49))),  # twice the rows
        "length-wraps.png": good[:at] + b"\xff\xff\xff\xf0" + good[at + 4:],
        "length-2-31.png": good[:at] + b"\x80\0\0\0" + good[at + 4:],
        "zip-bomb.png": png(16, 16, data=zeros(64)),
        "wild-palette-index.png": png(4, 4, PALETTE, palette=bytes(24),  # index 200 of 8 entries
                                      data=zlib.compress(b"\0\1\2\3\xc8" * 4)),
        "palette-index-8-of-8.png": png(4, 4, PALETTE, palette=bytes(24),  # one past the last
                                        data=zlib.compress(b"\0\1\2\3\x08" * 4)),
        # A transparent grey of 256, which no 8-bit pixel can be (SOIL's loader made it 0).
        "key-beyond-8-bits.png": png(16, 16, GREY, extra=chunk(b"tRNS", b"\1\0")),
        # A TGA header of a 65535 x 65535 true-colour image, then nothing.
        "tga-like.png": b"\0\0\2" + bytes(9) + b"\xff\xff\xff\xff\x20\x08" + bytes(9),
        "bmp-like.png": (b"BM" + struct.pack("<IHHI", 70, 0, 0, 54)
                         + struct.pack("<IiiHHIIiiII", 40, 50000, 50000, 1, 24, 0, 0, 0, 0, 0, 0)),
        "jpeg-like.png": b"\xff\xd8\xff\xe0\0\x10JFIF\0\1\1\0\0\1\0\1\0\0\xff\xc0\0",
        "text.png": b"These are not the pixels you are looking for.\n",
    }) | {
        "directory.png": os.mkdir,
        "pipe.png": os.mkfifo,
        "loop.png": lambda path: os.symlink(os.path.basename(path), path),
        "seventeen-mebibytes.png": lambda path: (pathlib.Path(path).write_bytes(png(16, 16)),
                                                 os.truncate(path, 17 << 20)),  # sparse
    }


def good_pictures():
    """Name -> what puts each picture that must pass at a path."""
    text = chunk(b"tEXt", b"Comment\0made for the picture check") + chunk(b"gAMA", b"\0\0\xb1\x8f")
    return written({
        "rgb.png": png(16, 16),
        "rgba.png": png(16, 16, RGBA),
        "grey.png": png(16, 16, GREY),
        "grey-alpha.png": png(16, 16, GREY_ALPHA),
        "palette.png": png(16, 16, PALETTE),
        "palette-alpha.png": png(16, 16, PALETTE, extra=chunk(b"tRNS", bytes(range(0, 256, 4)))),
        # One transparent colour: the grey one is the first row's fourth pixel, the RGB its first.
        "grey-key.png": png(16, 16, GREY, extra=chunk(b"tRNS", b"\0\x15")),
        "rgb-key.png": png(16, 16, extra=chunk(b"tRNS", b"\0\0\0\7\0\x0e")),
        # Keyed on magenta, the largest 8-bit samples, beside a red that shares its first.
        "rgb-key-magenta.png": png(2, 1, extra=chunk(b"tRNS", b"\0\xff\0\0\0\xff"),
                                   data=zlib.compress(b"\0\xff\0\xff\xff\0\0")),
        "filtered.png": png(16, 10, RGBA, data=filtered(16, 10, 4)),
        "many-chunks.png": png(32, 24, extra=text, split=37),  # data in chunks of 37 bytes
        "widest.png": png(4096, 1, GREY),
        "tallest.png": png(1, 4096, RGBA),
    }) | {"link-to-rgb.png": lambda path: os.symlink("rgb.png", path)}  # a link to one is good too


if __name__ == "__main__":
    for part, pictures in (("bad", bad_pictures()), ("good", good_pictures())):
        shutil.rmtree(os.path.join(sys.argv[1], part), ignore_errors=True)
        os.makedirs(os.path.join(sys.argv[1], part))
        for name, make in pictures.items():  # in order: the link after its target
            make(os.path.join(sys.argv[1], part, name))
