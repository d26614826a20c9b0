#!/usr/bin/env python3
"""Runs every file of the BMP conformance suite through `varnet-img convert` and checks the result
with Pillow, which serves as the reference decoder.

- Good files must convert, and the picture of the written file must equal the suite's reference
  rendering and Pillow's picture of the original. 5- and 6-bit channels may differ by one step of
  8 bits: scaling them to 8 bits rounds either way. Where Pillow's own picture of the original
  disagrees with the reference, Pillow is not used (noted).
- Questionable files that convert must equal one of their reference renderings (only where the
  rendering is opaque: the image keeps colours, not alpha) or Pillow's picture; matching only one
  of the two is noted. Those refused must be refused with exit status 1 and a message, except the
  files of SCALED_BIT_FIELDS, which must convert.
- Bad files must either convert to a file Pillow reads with the same size, or be refused with
  exit status 1 and a message; never a crash.

Usage: bmpsuite_check.py VARNET_IMG SUITE_DIR. Exits 77 (skipped) when the suite is absent.
"""
import html.parser
import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image


# Questionable files whose bit fields have channels of other widths than 5, 6 and 8 bits: each
# channel is scaled to 8 bits by repeating its bits, which may differ by one step from the
# rounding the reference renderings use.
SCALED_BIT_FIELDS = {
    "rgb16-231.bmp",
    "rgb16-3103.bmp",
    "rgb32-111110.bmp",
    "rgb32-7187.bmp",
    "rgba16-1924.bmp",
    "rgba16-4444.bmp",
    "rgba32-1010102.bmp",
    "rgba32-61754.bmp",
    "rgba32-81284.bmp",
}


class ReferenceFinder(html.parser.HTMLParser):
    """Maps "g/name.bmp" to the reference renderings shown before it in bmpsuite.html."""

    def __init__(self):
        super().__init__()
        self.references = {}
        self._pending = []

    def handle_starttag(self, tag, attrs):
        src = dict(attrs).get("src") if tag == "img" else None
        if not src:
            return
        if src.startswith("../"):
            self.references[src[3:]] = self._pending
            self._pending = []
        elif src.endswith(".png"):
            self._pending.append(src)


def info_header(path):
    """The info header's size and bit count."""
    with open(path, "rb") as f:
        head = f.read(30)
    size = struct.unpack("<I", head[14:18])[0]
    return size, struct.unpack("<H", head[24:26] if size == 12 else head[28:30])[0]


def rgb(path):
    with Image.open(path) as im:
        return im.convert("RGB")


def pillow_rgb_or_none(path):
    try:
        return rgb(path)
    except Exception:  # Pillow refuses some layouts that the suite counts as good
        return None


def convert(tool, source, target):
    if os.path.exists(target):
        os.remove(target)
    return subprocess.run([tool, "convert", source, target], capture_output=True, text=True)


def opaque_mask(path):
    """The reference rendering's alpha as bytes, or None when it has no transparency."""
    with Image.open(path) as im:
        if "A" not in im.getbands() and "transparency" not in im.info:
            return None
        return im.convert("RGBA").getchannel("A").tobytes()


def differs(a, b, tolerance, alpha=None):
    """Whether RGB pictures a and b differ; with alpha, only where it is fully opaque."""
    if a.size != b.size:
        return True
    pairs = zip(a.tobytes(), b.tobytes())
    if alpha is None:
        return any(abs(x - y) > tolerance for x, y in pairs)
    return any(abs(x - y) > tolerance and alpha[i // 3] == 255 for i, (x, y) in enumerate(pairs))


def check_good(tool, path, out, references, notes):
    result = convert(tool, path, out)
    bit_count = info_header(path)[1]
    if result.returncode != 0:
        return f"convert failed: {result.stderr.strip()}"
    ours = rgb(out)
    # A file may be shown at its stored size and stretched; compare with the one of our size.
    reference = next((r for r in map(rgb, references) if r.size == ours.size), None)
    if reference is None:
        return "no reference rendering of the same size"
    tolerance = 1 if bit_count == 16 else 0
    if differs(ours, reference, tolerance):
        return "picture differs from the reference rendering"
    pillow = pillow_rgb_or_none(path)
    if pillow is None or differs(pillow, reference, tolerance):
        notes.append(f"{os.path.basename(path)}: Pillow cannot read it as the reference shows it")
    elif differs(ours, pillow, 0):
        return "picture differs from Pillow"
    return None


def refusal_error(result, out):
    """None for a clean refusal, else what is wrong with it."""
    if result.returncode != 1:
        return f"exit status {result.returncode}: {result.stderr.strip()}"
    if not result.stderr.strip() or os.path.exists(out):
        return "refused without a message, or left an output file"
    return None


def check_questionable(tool, path, out, references, notes):
    result = convert(tool, path, out)
    scaled = os.path.basename(path) in SCALED_BIT_FIELDS
    if result.returncode != 0:
        if scaled:
            return f"convert failed: {result.stderr.strip()}"
        return refusal_error(result, out)
    ours = rgb(out)
    tolerance = 1 if scaled or info_header(path)[1] == 16 else 0
    like_reference = any(
        not differs(ours, rgb(r), tolerance, opaque_mask(r)) for r in references
    )
    pillow = pillow_rgb_or_none(path)
    like_pillow = pillow is not None and not differs(ours, pillow, tolerance)
    name = os.path.basename(path)
    if not like_reference and not like_pillow:
        return "picture differs from every reference rendering and from Pillow"
    if not like_reference:
        notes.append(f"{name}: like Pillow, unlike the reference rendering")
    elif not like_pillow:
        notes.append(f"{name}: like the reference rendering, unlike Pillow")
    return None


def check_bad(tool, path, out):
    result = convert(tool, path, out)
    if result.returncode != 0:
        return refusal_error(result, out)
    info = subprocess.run([tool, "info", path], capture_output=True, text=True, check=True)
    fields = dict(line.split(": ") for line in info.stdout.splitlines())
    if rgb(out).size != (int(fields["width"]), int(fields["height"])):
        return "written file has another size"
    return None


def main():
    tool, suite = sys.argv[1], sys.argv[2]
    if not os.path.isdir(os.path.join(suite, "g")):
        print(f"bmpsuite not found at {suite}; skipped")
        return 77
    finder = ReferenceFinder()
    with open(os.path.join(suite, "html", "bmpsuite.html"), encoding="utf-8") as f:
        finder.feed(f.read())
    failures, notes, count = [], [], 0
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "out.bmp")
        for group in ("g", "q", "b"):
            for name in sorted(os.listdir(os.path.join(suite, group))):
                relative = f"{group}/{name}"
                path = os.path.join(suite, relative)
                references = [
                    os.path.join(suite, "html", r) for r in finder.references.get(relative, [])
                ]
                if group == "g":
                    error = check_good(tool, path, out, references, notes)
                elif group == "q":
                    error = check_questionable(tool, path, out, references, notes)
                else:
                    error = check_bad(tool, path, out)
                count += 1
                if error:
                    failures.append(f"{relative}: {error}")
    for note in notes:
        print("note", note)
    for failure in failures:
        print("FAIL", failure)
    print(f"{count - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
