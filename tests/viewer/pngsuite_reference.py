#!/usr/bin/env python3
"""Decodes PNG files with pypng, a decoder that shares no code with libpng, and writes each one's
pixels as 8-bit RGBA: OUTDIR/NAME.rgba holds "WIDTH HEIGHT\\n" and then the samples, row by row.

The raw samples are flattened here by the rules of the format alone: palette entries looked up (with
their tRNS alpha), grey copied to red, green and blue, a pixel equal to the tRNS colour or level made
transparent, and every sample scaled from its bit depth to 8 bits with rounding, v * 255 / (2^d - 1).
No gamma, background or significant-bits chunk is applied.

Usage: pngsuite_reference.py OUTDIR FILE...
"""

import os
import sys

import png


def flatten(path):
    width, height, rows, info = png.Reader(filename=path).read()
    depth = info["bitdepth"]
    planes = info["planes"]
    palette = info.get("palette")
    transparent = info.get("transparent")
    top = (1 << depth) - 1

    def to8(value):
        return (value * 255 + top // 2) // top

    out = bytearray()
    for row in rows:
        for x in range(width):
            samples = tuple(row[x * planes:(x + 1) * planes])
            if palette is not None:
                entry = palette[samples[0]]
                rgba = tuple(entry) + ((255,) if len(entry) == 3 else ())
            else:
                colour = samples[:1] * 3 if info["greyscale"] else samples[:3]
                if info["alpha"]:
                    alpha = to8(samples[-1])
                elif transparent is not None and samples == tuple(transparent):
                    alpha = 0
                else:
                    alpha = 255
                rgba = tuple(to8(v) for v in colour) + (alpha,)
            out += bytes(rgba)
    if len(out) != width * height * 4:
        raise ValueError("%s: %d rows of samples, expected %d" % (path, len(out) // (width * 4), height))
    return width, height, bytes(out)


def main():
    outdir = sys.argv[1]
    for path in sys.argv[2:]:
        width, height, rgba = flatten(path)
        with open(os.path.join(outdir, os.path.basename(path) + ".rgba"), "wb") as f:
            f.write(b"%d %d\n" % (width, height))
            f.write(rgba)


if __name__ == "__main__":
    main()
