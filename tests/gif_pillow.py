#!/usr/bin/env python3
"""Prints what Pillow, the reference reader, sees in a GIF file, one fact a line, for Gif_test:

    frames N
    first MODE W H          the first frame's mode (P or L) and size
    palette R G B ...       the first frame's palette (P mode only)
    transparency T          the first frame's transparent index, -1 for none
    indices I ...           the first frame's pixels as indices
    rgba HEX                every frame as Pillow composes it, RGBA bytes in hex
    timing DURATION LOOP    info['duration'] and info['loop'] (-1 when absent)

Usage: gif_pillow.py FILE
"""
import sys

from PIL import Image

im = Image.open(sys.argv[1])
print("frames", im.n_frames)
print("first", im.mode, im.size[0], im.size[1])
if im.mode == "P":
    print("palette", *im.getpalette())
print("transparency", im.info.get("transparency", -1))
print("indices", *im.getdata())
print("timing", im.info.get("duration", -1), im.info.get("loop", -1))
for n in range(im.n_frames):
    im.seek(n)
    print("rgba", im.convert("RGBA").tobytes().hex())
