#!/usr/bin/python3
"""Makes the pictures that the picture check is tried against.

    make_pictures.py OUT      fills OUT/bad/ and OUT/good/ (both made anew)

bad/ holds files named like pictures that must never reach the decoder: cut
short, lying about their size, damaged, hostile or not files at all. good/
holds well-formed 8-bit pictures of every colour layout the decoder reads,
which must pass. Everything is built here from bytes with zlib and struct, so
no binary needs to be checked in and each case says how it was damaged.
"""

import os
import shutil
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"

# Colour types and their channels per pixel.
GREY, RGB, PALETTE, GREY_ALPHA, RGBA = 0, 2, 3, 4, 6
CHANNELS = {GREY: 1, RGB: 3, PALETTE: 1, GREY_ALPHA: 2, RGBA: 4}


def chunk(kind, data, crc=None):
    """One chunk; crc overrides the right checksum to damage it."""
    if crc is None:
        crc = zlib.crc32(kind + data)
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc & 0xFFFFFFFF)


def ihdr(width, height, depth=8, colour=RGB, interlace=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))


def pixels(width, height, channels):
    """A picture with some structure, so every filter has work to do."""
    return [bytes((x * 7 + y * 13 + c * 61) & 0xFF for x in range(width) for c in range(channels))
            for y in range(height)]


def filtered(rows, bpp, filters=(0,)):
    """Scanlines with their filter byte, cycling through `filters`."""
    out = bytearray()
    prior = bytes(len(rows[0]))
    for y, row in enumerate(rows):
        kind = filters[y % len(filters)]
        line = bytearray(len(row))
        for i, value in enumerate(row):
            left = row[i - bpp] if i >= bpp else 0
            up = prior[i]
            corner = prior[i - bpp] if i >= bpp else 0
            if kind == 0:
                pred = 0
            elif kind == 1:
                pred = left
            elif kind == 2:
                pred = up
            elif kind == 3:
                pred = (left + up) // 2
            else:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
            line[i] = (value - pred) & 0xFF
        out += bytes([kind]) + line
        prior = row
    return bytes(out)


def png(width, height, colour=RGB, filters=(0,), extra=b"", split=None):
    """A complete, valid 8-bit picture; `extra` chunks go before the data."""
    channels = CHANNELS[colour]
    rows = pixels(width, height, channels)
    data = zlib.compress(filtered(rows, channels, filters), 9)
    if colour == PALETTE:
        extra = chunk(b"PLTE", bytes(range(256)) * 3) + extra
    parts = [data[i:i + split] for i in range(0, len(data), split)] if split else [data]
    return (SIGNATURE + ihdr(width, height, colour=colour) + extra
            + b"".join(chunk(b"IDAT", p) for p in parts) + chunk(b"IEND", b""))


def zeros_stream(total, step=1 << 20):
    """zlib data that inflates to `total` zero bytes, made without holding them."""
    packer = zlib.compressobj(9)
    block = bytes(step)
    out = [packer.compress(block) for _ in range(total // step)]
    out.append(packer.compress(bytes(total % step)))
    out.append(packer.flush())
    return b"".join(out)


def single_colour(width, height):
    """A valid grey picture of one colour: huge when unpacked, tiny on disk."""
    return (SIGNATURE + ihdr(width, height, colour=GREY)
            + chunk(b"IDAT", zeros_stream((width + 1) * height)) + chunk(b"IEND", b""))


def adam7(width, height):
    """A valid interlaced picture: the seven reduced images one after another."""
    rows = pixels(width, height, 3)
    passes = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4),
              (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))
    raw = bytearray()
    for x0, y0, dx, dy in passes:
        for y in range(y0, height, dy):
            line = b"".join(rows[y][x * 3:x * 3 + 3] for x in range(x0, width, dx))
            if line:
                raw += b"\0" + line
    return (SIGNATURE + ihdr(width, height, interlace=1)
            + chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b""))


def with_idat_length(base, length):
    """The first data chunk's length field replaced, nothing else touched."""
    at = base.index(b"IDAT") - 4
    return base[:at] + struct.pack(">I", length) + base[at + 4:]


def bad_pictures():
    """Name -> bytes of each hostile file that is a plain file."""
    good = png(16, 16)
    data_at = good.index(b"IDAT") - 4
    end_at = good.index(b"IEND") - 4
    raw_rows = filtered(pixels(16, 16, 3), 3)
    deflated = zlib.compress(raw_rows)
    broken = deflated[:2] + bytes(b ^ 0x5A for b in deflated[2:12]) + deflated[12:]
    # An index past the eight palette entries that the picture carries.
    wild_index = (SIGNATURE + ihdr(4, 4, colour=PALETTE) + chunk(b"PLTE", bytes(24))
                  + chunk(b"IDAT", zlib.compress(b"\0\x01\x02\x03\xC8" * 4)) + chunk(b"IEND", b""))
    return {
        "empty.png": b"",
        "signature-only.png": good[:8],
        "cut-in-header.png": good[:20],
        "cut-after-header.png": good[:33],
        "cut-in-data.png": good[:data_at + 30],
        "cut-before-end.png": good[:end_at],
        "cut-last-byte.png": good[:-1],
        "bad-crc-header.png": good[:29] + bytes([good[29] ^ 1]) + good[30:],
        "bad-crc-data.png": good[:end_at - 1] + bytes([good[end_at - 1] ^ 1]) + good[end_at:],
        "bad-crc-end.png": good[:-1] + bytes([good[-1] ^ 1]),
        "bad-crc-text.png": good[:33] + chunk(b"tEXt", b"Comment\0x", crc=0) + good[33:],
        "huge-header.png": SIGNATURE + ihdr(100000, 100000) + good[33:],
        "one-too-wide.png": png(4097, 1),
        "oversized.png": single_colour(8192, 8192),
        "zero-width.png": SIGNATURE + ihdr(0, 16) + good[33:],
        "sixteen-bit.png": SIGNATURE + ihdr(16, 16, depth=16) + good[33:],
        "four-bit-palette.png": (SIGNATURE + ihdr(16, 16, depth=4, colour=PALETTE)
                                 + chunk(b"PLTE", bytes(48))
                                 + chunk(b"IDAT", zlib.compress(bytes(9 * 16))) + chunk(b"IEND", b"")),
        "bad-colour-type.png": SIGNATURE + ihdr(16, 16, colour=5) + good[33:],
        "interlaced.png": adam7(16, 16),
        "corrupt-deflate.png": (SIGNATURE + ihdr(16, 16) + chunk(b"IDAT", broken)
                                + chunk(b"IEND", b"")),
        "too-much-data.png": (SIGNATURE + ihdr(16, 16)
                              + chunk(b"IDAT", zlib.compress(raw_rows * 2)) + chunk(b"IEND", b"")),
        "too-little-data.png": (SIGNATURE + ihdr(16, 16)
                                + chunk(b"IDAT", zlib.compress(raw_rows[:-49])) + chunk(b"IEND", b"")),
        "bad-filter.png": (SIGNATURE + ihdr(16, 16)
                           + chunk(b"IDAT", zlib.compress(b"\x07" + raw_rows[1:]))
                           + chunk(b"IEND", b"")),
        "wild-palette-index.png": wild_index,
        "no-palette.png": SIGNATURE + ihdr(16, 16, colour=PALETTE) + good[33:],
        "header-not-first.png": SIGNATURE + chunk(b"tEXt", b"a\0b") + good[8:],
        "long-header.png": (SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBBBB", 16, 16, 8, 2, 0, 0, 0, 0))
                            + good[33:]),
        "unknown-critical.png": good[:33] + chunk(b"CRIT", b"x") + good[33:],
        "length-wraps.png": with_idat_length(good, 0xFFFFFFF0),
        "length-all-ones.png": with_idat_length(good, 0xFFFFFFFF),
        "length-2-31.png": with_idat_length(good, 0x80000000),
        "length-past-end.png": with_idat_length(good, 0x7FFFFFFF),
        "zip-bomb.png": (SIGNATURE + ihdr(16, 16) + chunk(b"IDAT", zeros_stream(256 << 20))
                         + chunk(b"IEND", b"")),
        # A TGA header of a 65535 x 65535 true-colour image, then nothing.
        "tga-like.png": bytes([0, 0, 2]) + bytes(9) + b"\xff\xff\xff\xff\x20\x08" + bytes(9),
        "bmp-like.png": (b"BM" + struct.pack("<IHHI", 70, 0, 0, 54)
                         + struct.pack("<IiiHHIIiiII", 40, 50000, 50000, 1, 24, 0, 0, 0, 0, 0, 0)),
        "jpeg-like.png": b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xc0\x00",
        "text.png": b"These are not the pixels you are looking for.\n",
    }


def good_pictures():
    """Name -> bytes of each picture that must pass and decode the same everywhere."""
    trns = chunk(b"tRNS", bytes(range(0, 256, 4)))
    text = chunk(b"tEXt", b"Comment\0made for the picture check") + chunk(b"gAMA", struct.pack(">I", 45455))
    return {
        "rgb.png": png(16, 16),
        "rgba.png": png(16, 16, RGBA),
        "grey.png": png(16, 16, GREY),
        "grey-alpha.png": png(16, 16, GREY_ALPHA),
        "palette.png": png(16, 16, PALETTE),
        "palette-alpha.png": png(16, 16, PALETTE, extra=trns),
        "every-filter.png": png(19, 17, RGBA, filters=(1, 2, 3, 4, 0)),
        "paeth-first.png": png(9, 5, RGB, filters=(4, 3, 2, 1)),
        "many-chunks.png": png(32, 24, RGB, extra=text, split=37),
        "one-pixel.png": png(1, 1, GREY),
        "widest.png": png(4096, 1, GREY),
        "tallest.png": png(1, 4096, RGBA),
    }


def make_non_file(folder, kind, name):
    """Puts the hostile thing `kind` (one of NON_FILES) at folder/name."""
    path = os.path.join(folder, name)
    if kind == "directory.png":
        os.mkdir(path)
    elif kind == "pipe.png":
        os.mkfifo(path)
    elif kind == "loop.png":
        os.symlink(name, path)
    elif kind == "ring.png":
        partner = "ring-partner-of-" + name
        os.symlink(partner, path)
        os.symlink(name, os.path.join(folder, partner))
    elif kind == "dangling.png":
        os.symlink("nowhere-" + name, path)
    elif kind == "seventeen-mebibytes.png":
        with open(path, "wb") as out:
            out.write(png(16, 16))
            out.truncate(17 << 20)  # sparse: costs no disk


# Things that are not regular files, or are larger than any picture may be.
NON_FILES = ("directory.png", "pipe.png", "loop.png", "ring.png", "dangling.png",
             "seventeen-mebibytes.png")


def place_picture(folder, kind, name, files=None):
    """Puts picture `kind` (a name in bad/ or good/) at folder/name."""
    if kind in NON_FILES:
        make_non_file(folder, kind, name)
    else:
        with open(os.path.join(folder, name), "wb") as out:
            out.write((files or bad_pictures())[kind])


def main(out):
    folders = {part: os.path.join(out, part) for part in ("bad", "good")}
    for part, files in (("bad", bad_pictures()), ("good", good_pictures())):
        shutil.rmtree(folders[part], ignore_errors=True)
        os.makedirs(folders[part])
        for name in files:
            place_picture(folders[part], name, name, files)
    for kind in NON_FILES:
        make_non_file(folders["bad"], kind, kind)
    # A link to a good picture is a good picture.
    os.symlink("rgb.png", os.path.join(folders["good"], "link-to-rgb.png"))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_pictures.py OUT")
    main(sys.argv[1])
