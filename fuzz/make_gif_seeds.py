#!/usr/bin/env python3
"""Writes the small seed files of the GIF fuzz target into fuzz/corpus/gif/ with Pillow."""
import os

from PIL import Image

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "gif")


def frame(k, size=(16, 12), colours=8):
    """A picture of colours entries whose palette and drawn block move with k."""
    im = Image.new("P", size, 0)
    im.putpalette([(i * (20 + k * 9) + c * 80) % 256 for i in range(colours) for c in range(3)])
    for y in range(2, min(6 + k * 2, size[1])):
        for x in range(1 + k * 3, min(9 + k * 3, size[0])):
            im.putpixel((x, y), (x + y + k) % (colours - 1) + 1)
    return im


def seeds():
    frames = [frame(k) for k in range(3)]
    # Pillow interlaces pictures of 16 pixels and more a side.
    yield "interlaced.gif", frame(0, (16, 16)), {}
    yield "single.gif", frame(1, (9, 7), 4), {"transparency": 2}
    # Frames of palettes of their own get local colour tables.
    yield "dispose-2.gif", frames[0], {"save_all": True, "append_images": frames[1:],
                                        "duration": 80, "loop": 0, "disposal": 2,
                                        "transparency": 0}
    yield "dispose-3.gif", frames[0], {"save_all": True, "append_images": frames[1:],
                                        "duration": 80, "disposal": 3, "transparency": 0}


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, im, options in seeds():
        im.save(os.path.join(OUT, name), **options)
