#!/usr/bin/python3
"""Writes the small PNG and JPEG fixtures of the picture tests with Pillow,
a producer independent of ours. Every picture is 16 x 8 pixels: the left half
pure red, the right half pure blue, except where a file says otherwise.
Run: /usr/bin/python3 make_pictures.py (writes next to this script)."""
import os
from PIL import Image

here = os.path.dirname(os.path.abspath(__file__))


def halves(mode, left, right):
    im = Image.new(mode, (16, 8), left)
    for y in range(8):
        for x in range(8, 16):
            im.putpixel((x, y), right)
    return im


# RGB without transparency.
halves("RGB", (255, 0, 0), (0, 0, 255)).save(os.path.join(here, "rgb.png"), optimize=False)
# RGBA: right half half-transparent blue, pixel (0,0) fully transparent.
im = halves("RGBA", (255, 0, 0, 255), (0, 0, 255, 128))
im.putpixel((0, 0), (0, 255, 0, 0))
im.save(os.path.join(here, "rgba.png"))
# Grey with alpha: left black opaque, right white transparent.
halves("LA", (0, 255), (255, 0)).save(os.path.join(here, "grey_alpha.png"))
# Palette with a tRNS chunk: palette entry 1 (blue) fully transparent.
p = Image.new("P", (16, 8), 0)
p.putpalette([255, 0, 0, 0, 0, 255] + [0] * (254 * 3))
for y in range(8):
    for x in range(8, 16):
        p.putpixel((x, y), 1)
p.save(os.path.join(here, "palette_trns.png"), transparency=1)
# JPEGs: RGB, grey, and CMYK as Adobe writes it (inverted samples, APP14).
halves("RGB", (255, 0, 0), (0, 0, 255)).save(os.path.join(here, "rgb.jpg"), quality=95)
halves("L", 0, 255).save(os.path.join(here, "grey.jpg"), quality=95)
halves("CMYK", (0, 255, 255, 0), (255, 255, 0, 0)).save(os.path.join(here, "cmyk_adobe.jpg"), quality=95)
