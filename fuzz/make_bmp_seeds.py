#!/usr/bin/env python3
"""Writes the small seed files of the BMP fuzz target into fuzz/corpus/bmp/."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "bmp")


def bmp(width, height, bits, pixels, compression=0, palette=b"", masks=(), os2=False,
        header_size=40, header_masks=(), gap=b""):
    """header_size other than 40: longer headers are padded, shorter (OS/2 2.x) ones cut;
    header_masks go inside a longer header, masks after the header; gap lies between the
    colour table and the pixels."""
    if os2:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        size = len(pixels) if compression in (1, 2, 4) else 0
        info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression, size,
                           0, 0, 0, 0)
        info += b"".join(struct.pack("<I", m) for m in header_masks)
        info = info[:header_size].ljust(header_size, b"\0")
    body = info + b"".join(struct.pack("<I", m) for m in masks) + palette + gap
    header = struct.pack("<2sIHHI", b"BM", 14 + len(body) + len(pixels), 0, 0, 14 + len(body))
    return header + body + pixels


def palette(n, entry=4):
    return b"".join(bytes([i * 16 % 256, 255 - i % 256, i * 3 % 256, 0][:entry]) for i in range(n))


SEEDS = {
    "rle8.bmp": bmp(4, 3, 8, bytes([3, 5, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 1, 1, 1, 2, 9, 0, 1]),
                    1, palette(256)),
    "rle4.bmp": bmp(6, 2, 4, bytes([5, 0x12, 0, 0, 0, 3, 0x45, 0x60, 2, 0x77, 0, 1]), 2,
                    palette(16)),
    "os2-1bit.bmp": bmp(9, 2, 1, bytes([0xA5, 0x80, 0, 0, 0x5A, 0x00, 0, 0]), palette=palette(2, 3),
                        os2=True),
    "bitfields565.bmp": bmp(3, 2, 16, struct.pack("<8H", 0xF800, 0x07E0, 0x001F, 0,
                                                    0xFFFF, 0, 1, 0), 3, masks=(0xF800, 0x07E0, 0x001F)),
    "rgb24.bmp": bmp(2, 2, 24, bytes([1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0])),
    "rgb32.bmp": bmp(2, 1, 32, bytes(range(8))),
    "topdown8.bmp": bmp(3, -2, 8, bytes([1, 2, 3, 0, 4, 5, 6, 0]), palette=palette(256)),
    "v5-bitfields565.bmp": bmp(2, 1, 16, struct.pack("<2H", 0xF800, 0x001F), 3, header_size=124,
                               header_masks=(0xF800, 0x07E0, 0x001F, 0)),
    "alpha-bitfields.bmp": bmp(1, 1, 32, bytes([1, 2, 3, 4]), 6,
                               masks=(0xFF00, 0xFF0000, 0xFF000000, 0xFF)),
    "os2v2-16.bmp": bmp(2, 1, 8, bytes([1, 0, 0, 0]), palette=palette(256), header_size=16),
    "os2v2-rle24.bmp": bmp(3, 2, 24, bytes([2, 1, 2, 3, 0, 0, 0, 3]) + bytes(range(9)) +
                           bytes([0, 0, 2, 0, 1, 0, 1]), 4, header_size=64),
    "offset-gap.bmp": bmp(2, 1, 8, bytes([1, 0, 0, 0]), palette=palette(300), gap=bytes(10)),
}

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
