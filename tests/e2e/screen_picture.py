#!/usr/bin/env python3
"""Screenshots for the tests, in pure Python: the X frame buffer that `Xvfb -fbdir` keeps as
an XWD file, and PNG output to look at it.

A picture is (width, height, pixels) with pixels a list of rows of (r, g, b) tuples.
"""
import struct
import zlib


def read_xwd(path):
    """The screen of an XWD file with 24 or 32 bits per pixel in ZPixmap format."""
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError(f"unsupported XWD: version {version}, format {pixmap_format}, "
                         f"{bits_per_pixel} bits per pixel")
    start = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        row = []
        for x in range(width):
            chunk = line[x * step:x * step + step]
            value = struct.unpack(order + "I", chunk if step == 4 else
                                  (chunk + b"\0" if order == "<" else b"\0" + chunk))[0]
            row.append(((value & red_mask) >> rs, (value & green_mask) >> gs,
                        (value & blue_mask) >> bs))
        rows.append(row)
    return width, height, rows


def crop(picture, left, top, right, bottom):
    width, height, rows = picture
    left, top = max(0, left), max(0, top)
    right, bottom = min(width, right), min(height, bottom)
    return right - left, bottom - top, [row[left:right] for row in rows[top:bottom]]


def write_png(path, picture):
    width, height, rows = picture
    raw = b"".join(b"\0" + b"".join(bytes(pixel) for pixel in row) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)

