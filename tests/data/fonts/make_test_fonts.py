#!/usr/bin/python3
"""Writes the small fonts the font tests need into the folder given as argument.

KmTestSymbol.ttf     TrueType outlines, a symbol (3,0) character map only,
                     OS/2 code page range: symbol only.
KmTestCff.otf        PostScript (CFF) outlines, no 'glyf' table.
KmTestComposite.ttf  TrueType with composite glyphs nested three deep and
                     components using every argument/transform form.
"""
import sys
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.ttLib.tables import _c_m_a_p
from fontTools.ttLib.tables._g_l_y_f import Glyph, GlyphComponent


def box(pen, x0, y0, x1, y1):
    pen.moveTo((x0, y0)); pen.lineTo((x0, y1)); pen.lineTo((x1, y1)); pen.lineTo((x1, y0)); pen.closePath()


def simple(x0, y0, x1, y1):
    pen = TTGlyphPen(None)
    box(pen, x0, y0, x1, y1)
    return pen.glyph()


def names(family):
    return {"familyName": family, "styleName": "Regular", "uniqueFontIdentifier": family,
            "fullName": family, "psName": family.replace(" ", "") + "-Regular", "version": "Version 1.0"}


def finish(fb, family, metrics, cmap_ranges=None):
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable(names(family))
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=900, usWinDescent=250,
                sCapHeight=700, sxHeight=500, version=4)
    if cmap_ranges is not None:
        fb.font["OS/2"].ulCodePageRange1 = cmap_ranges
        fb.font["OS/2"].ulCodePageRange2 = 0
    fb.setupPost()


def symbol_font(path):
    order = [".notdef", "space", "bullet", "star"]
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space"})
    glyphs = {".notdef": simple(50, 0, 450, 700), "space": TTGlyphPen(None).glyph(),
              "bullet": simple(100, 100, 500, 500), "star": simple(50, 0, 650, 700)}
    fb.setupGlyf(glyphs)
    finish(fb, "KmTest Symbol", {".notdef": (500, 50), "space": (250, 0), "bullet": (600, 100), "star": (700, 50)},
           cmap_ranges=1 << 31)
    sub = _c_m_a_p.cmap_format_4(4)
    sub.platformID, sub.platEncID, sub.language = 3, 0, 0
    sub.cmap = {0xF020: "space", 0xF041: "bullet", 0xF042: "star"}
    fb.font["cmap"].tables = [sub]
    fb.save(path)


def cff_font(path):
    order = [".notdef", "space", "A"]
    fb = FontBuilder(1000, isTTF=False)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x41: "A"})
    strings = {}
    for name, rect, width in ((".notdef", (50, 0, 450, 700), 500), ("space", None, 250), ("A", (20, 0, 580, 700), 600)):
        pen = T2CharStringPen(width, None)
        if rect:
            box(pen, *rect)
        strings[name] = pen.getCharString()
    fb.setupCFF("KmTestCff-Regular", {"FullName": "KmTest Cff"}, strings, {})
    finish(fb, "KmTest Cff", {".notdef": (500, 50), "space": (250, 0), "A": (600, 20)}, cmap_ranges=1)
    fb.save(path)


def component(name, x=0, y=0, flags=0, transform=None):
    c = GlyphComponent()
    c.glyphName, c.x, c.y, c.flags = name, x, y, flags
    if transform is not None:
        c.transform = transform
    return c


def composite(components):
    g = Glyph()
    g.numberOfContours = -1
    g.components = components
    return g


def composite_font(path):
    # dot: simple; ring: composite of dot; ringdot: composite of ring (nested);
    # triple: composite of ringdot + dot + ring with scale, x/y scale and 2x2
    # transforms and word-sized arguments; unused: a simple glyph nobody uses.
    order = [".notdef", "space", "dot", "ring", "ringdot", "triple", "unused", "last"]
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({0x20: "space", 0x2E: "dot", 0x6F: "ring", 0x72: "ringdot", 0x74: "triple",
                          0x75: "unused", 0x7A: "last"})
    glyphs = {
        ".notdef": simple(50, 0, 450, 700),
        "space": TTGlyphPen(None).glyph(),
        "dot": simple(100, 0, 200, 100),
        "ring": composite([component("dot", 0, 300)]),
        "ringdot": composite([component("ring", 10, 20), component("dot", 300, 0)]),
        "triple": composite([component("ringdot", 1000, -1000),
                             component("dot", 5, 5, transform=[[0.5, 0], [0, 0.5]]),
                             component("ring", 7, 7, transform=[[1.5, 0], [0, 0.75]]),
                             component("dot", 9, 9, transform=[[0.9, 0.1], [-0.1, 0.9]])]),
        "unused": simple(0, 0, 500, 500),
        "last": simple(30, 30, 60, 60),
    }
    fb.setupGlyf(glyphs)
    metrics = {n: (600, 0) for n in order}
    finish(fb, "KmTest Composite", metrics, cmap_ranges=1)
    fb.save(path)


if __name__ == "__main__":
    out = sys.argv[1]
    symbol_font(out + "/KmTestSymbol.ttf")
    cff_font(out + "/KmTestCff.otf")
    composite_font(out + "/KmTestComposite.ttf")
