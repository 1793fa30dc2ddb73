#!/usr/bin/env python3
"""Screenshots in pure Python: the XWD file `Xvfb -fbdir` keeps of the screen, cut and
written as PNG. A picture is (width, height, rows of (r, g, b))."""
import struct
import zlib


def read_xwd(path):
    """The screen of an XWD file with 24 or 32 bits per pixel in ZPixmap format."""
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format, _, width, height = fields[:6]
    byte_order, bits, bytes_per_line, ncolors = fields[7], fields[11], fields[12], fields[19]
    masks = fields[14:17]
    if version != 7 or pixmap_format != 2 or bits not in (24, 32):
        raise ValueError(f"unsupported XWD: version {version}, format {pixmap_format}, {bits} bits")
    start, step = header_size + ncolors * 12, bits // 8
    order = "<" if byte_order == 0 else ">"
    shifts = [(m & -m).bit_length() - 1 for m in masks]

    def pixel(chunk):
        if step == 3:
            chunk = chunk + b"\0" if order == "<" else b"\0" + chunk
        value = struct.unpack(order + "I", chunk)[0]
        return tuple((value & m) >> s for m, s in zip(masks, shifts))
    rows = []
    for y in range(height):
        at = start + y * bytes_per_line
        line = data[at:at + width * step]
        rows.append([pixel(line[x * step:x * step + step]) for x in range(width)])
    return width, height, rows


def crop(picture, left, top, right, bottom):
    width, height, rows = picture
    left, top, right, bottom = max(0, left), max(0, top), min(width, right), min(height, bottom)
    return right - left, bottom - top, [row[left:right] for row in rows[top:bottom]]


def write_png(path, picture):
    width, height, rows = picture
    raw = b"".join(b"\0" + b"".join(bytes(pixel) for pixel in row) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
