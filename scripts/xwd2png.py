#!/usr/bin/env python3
"""Converts an X window dump (what `xwd` writes) into a PNG, and tells
whether a picture shows anything.

    xwd2png.py DUMP.xwd OUT.png      convert (ZPixmap, 24 or 32 bits a pixel)
    xwd2png.py --check PICTURE.png   exit 1 when the picture is missing,
                                     unreadable or blank

Only the standard library is used: the machines this runs on have no
picture library for Python, and the ImageMagick there is a stand-in.
"""

import struct
import sys
import zlib

XWD_HEADER_FIELDS = 25
XWD_COLOR_SIZE = 12
ZPIXMAP = 2
MSB_FIRST = 1

# A picture counts as blank when it has fewer colours than this (a window
# that drew nothing is one or two flat colours).
MIN_COLOURS = 16


class DumpError(Exception):
    pass


def mask_shift(mask):
    """Shift and width of a colour mask such as 0xff0000."""
    if mask == 0:
        raise DumpError("colour mask is zero")
    shift = 0
    while not (mask >> shift) & 1:
        shift += 1
    width = 0
    while (mask >> (shift + width)) & 1:
        width += 1
    return shift, width


def read_xwd(data):
    """Width, height and rows of RGB bytes of a true-colour ZPixmap dump."""
    if len(data) < XWD_HEADER_FIELDS * 4:
        raise DumpError("file shorter than the dump header")
    header = struct.unpack(">%dI" % XWD_HEADER_FIELDS, data[: XWD_HEADER_FIELDS * 4])
    (header_size, version, pixmap_format, _depth, width, height, _xoffset, byte_order,
     _bitmap_unit, _bit_order, _bitmap_pad, bits_per_pixel, bytes_per_line, _visual_class,
     red_mask, green_mask, blue_mask, _bits_per_rgb, _colormap_entries, ncolors) = header[:20]
    if version != 7:
        raise DumpError("dump version %d, expected 7" % version)
    if pixmap_format != ZPIXMAP or bits_per_pixel not in (24, 32):
        raise DumpError("only ZPixmap dumps of 24 or 32 bits a pixel are read")
    if width == 0 or height == 0 or width > 16384 or height > 16384:
        raise DumpError("unlikely size %dx%d" % (width, height))
    step = bits_per_pixel // 8
    if bytes_per_line < width * step:
        raise DumpError("lines shorter than the width")
    start = header_size + ncolors * XWD_COLOR_SIZE
    end = start + bytes_per_line * height
    if end > len(data):
        raise DumpError("file ends inside the picture")
    order = "big" if byte_order == MSB_FIRST else "little"
    shifts = [mask_shift(m) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line: start + y * bytes_per_line + width * step]
        rgb = bytearray(width * 3)
        fast = step == 4 and order == "little" and [s for s, _ in shifts] == [16, 8, 0]
        if fast:
            # The common case (Xvfb on a little-endian machine): B G R X.
            rgb[0::3] = line[2::4]
            rgb[1::3] = line[1::4]
            rgb[2::3] = line[0::4]
        else:
            for x in range(width):
                pixel = int.from_bytes(line[x * step:(x + 1) * step], order)
                for i, (shift, bits) in enumerate(shifts):
                    value = (pixel >> shift) & ((1 << bits) - 1)
                    rgb[x * 3 + i] = value * 255 // ((1 << bits) - 1)
        rows.append(bytes(rgb))
    return width, height, rows


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(png_chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(png_chunk(b"IEND", b""))


def read_png_pixels(path):
    """Width, height and the filtered scanlines' RGB(A) bytes of an 8-bit PNG
    without interlace (enough to count its colours)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise DumpError("not a PNG file")
    pos = 8
    idat = b""
    width = height = channels = 0
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise DumpError("only 8-bit RGB or RGBA PNG files without interlace are read")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    if not channels:
        raise DumpError("no picture header")
    raw = zlib.decompress(idat)
    stride = width * channels
    if len(raw) < height * (stride + 1):
        raise DumpError("picture data too short")
    pixels = bytearray()
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride if kind else 0):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        pixels += line
        previous = line
    return width, height, channels, bytes(pixels)


def colour_count(path, limit=MIN_COLOURS):
    """Distinct colours of the picture, counted up to `limit`."""
    width, height, channels, pixels = read_png_pixels(path)
    seen = set()
    step = max(1, (width * height) // 200000)  # a sample is enough
    for i in range(0, width * height, step):
        seen.add(pixels[i * channels:i * channels + 3])
        if len(seen) >= limit:
            break
    return len(seen)


def main(argv):
    if len(argv) == 3 and argv[1] == "--check":
        try:
            count = colour_count(argv[2])
        except (OSError, DumpError, zlib.error) as error:
            print("%s: %s" % (argv[2], error), file=sys.stderr)
            return 1
        if count < MIN_COLOURS:
            print("%s: blank (%d colours)" % (argv[2], count), file=sys.stderr)
            return 1
        return 0
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        with open(argv[1], "rb") as f:
            width, height, rows = read_xwd(f.read())
        write_png(argv[2], width, height, rows)
    except (OSError, DumpError) as error:
        print("%s: %s" % (argv[1], error), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
