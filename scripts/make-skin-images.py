#!/usr/bin/python3
"""Draws the installer skin's artwork into skin/image/: every picture at 100 % and at each display
scale the framework looks for (name@125.png ... name@350.png), each drawn afresh at its own size
rather than resized, so edges stay sharp. The output is committed; rerun after changing a drawing:

    /usr/bin/python3 scripts/make-skin-images.py

Deterministic: no clock, seeded randomness, fixed quantisation. Needs Debian's python3-pil."""
import os
import random
import sys

from PIL import Image, ImageDraw

SCALES = (100, 125, 150, 175, 200, 225, 250, 300, 350)
OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skin", "image")


def scaled(value, scale):
    """The framework's MulDiv(value, scale, 100) for non-negative values."""
    return (value * scale + 50) // 100


def variant_name(name, scale):
    return name if scale == 100 else "%s@%d.png" % (name[:-4], scale)


def rgba(hex_colour, alpha=255):
    value = int(hex_colour.lstrip("#"), 16)
    return (value >> 16 & 255, value >> 8 & 255, value & 255, alpha)


class Canvas:
    """A picture drawn in design units (pixels at 100 %) on a supersampled bitmap."""

    def __init__(self, width, height, scale, background=(0, 0, 0, 0)):
        self.size = (scaled(width, scale), scaled(height, scale))
        pixels = self.size[0] * self.size[1]
        self.ss = 4 if pixels < 100000 else 2
        self.fx = self.ss * self.size[0] / width
        self.fy = self.ss * self.size[1] / height
        self.image = Image.new("RGBA", (self.size[0] * self.ss, self.size[1] * self.ss), background)
        self.draw = ImageDraw.Draw(self.image)

    def pt(self, x, y):
        return (x * self.fx, y * self.fy)

    def box(self, left, top, right, bottom):
        return [left * self.fx, top * self.fy, right * self.fx - 1, bottom * self.fy - 1]

    def polygon(self, points, colour):
        self.draw.polygon([self.pt(x, y) for x, y in points], fill=colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        self.draw.ellipse(self.box(cx - rx, cy - ry, cx + rx, cy + ry), fill=colour)

    def circle(self, cx, cy, r, colour):
        self.ellipse(cx, cy, r, r, colour)

    def rect(self, left, top, right, bottom, colour):
        self.draw.rectangle(self.box(left, top, right, bottom), fill=colour)

    def rounded(self, left, top, right, bottom, radius, fill, outline=None, width=0):
        self.draw.rounded_rectangle(self.box(left, top, right, bottom), radius=radius * self.fx,
                                    fill=fill, outline=outline, width=round(width * self.fx))

    def line(self, points, colour, width):
        self.draw.line([self.pt(x, y) for x, y in points], fill=colour, width=max(1, round(width * self.fx)))
        radius = width / 2
        for x, y in (points[0], points[-1]):
            self.circle(x, y, radius, colour)

    def vertical_gradient(self, top, bottom, colour_top, colour_bottom):
        """Horizontal bands one output pixel tall: exact rows, so the PNG stays small."""
        y0, y1 = round(top * self.fy), round(bottom * self.fy)
        step = self.ss
        for y in range(y0, y1, step):
            t = (y - y0) / max(1, y1 - y0 - step)
            colour = tuple(round(a + (b - a) * t) for a, b in zip(colour_top, colour_bottom))
            self.draw.rectangle([0, y, self.image.size[0] - 1, min(y + step, y1) - 1], fill=colour)

    def result(self):
        premultiplied = self.image.convert("RGBa").resize(self.size, Image.BOX)
        return premultiplied.convert("RGBA")


# ---------------------------------------------------------------- window chrome and controls

TITLE_GLYPH = rgba("#C9D2E8")
ACCENT = "#3370FF"


def caption_button(glyph, state):
    def paint(c):
        if state == "hot":
            c.rect(0, 0, 36, 32, rgba("#E81123") if glyph == "close" else rgba("#FFFFFF", 36))
        elif state == "pushed":
            c.rect(0, 0, 36, 32, rgba("#B50E1C") if glyph == "close" else rgba("#FFFFFF", 22))
        colour = TITLE_GLYPH if state == "normal" else rgba("#FFFFFF")
        if glyph == "close":
            c.line([(13, 11), (23, 21)], colour, 1.4)
            c.line([(23, 11), (13, 21)], colour, 1.4)
        else:
            c.line([(13, 16.5), (23, 16.5)], colour, 1.4)
    return (36, 32), paint


def nine_grid(fill, border=None):
    """24 x 24 rounded box meant for corner='8,8,8,8'."""
    def paint(c):
        if border:
            c.rounded(0, 0, 24, 24, 4, rgba(border))
            c.rounded(1, 1, 23, 23, 3, rgba(fill))
        else:
            c.rounded(0, 0, 24, 24, 4, rgba(fill))
    return (24, 24), paint


def progress_bar(colour):
    def paint(c):
        c.rounded(0, 0, 16, 8, 4, rgba(colour))
    return (16, 8), paint


def warning_icon():
    def paint(c):
        c.circle(20, 20, 19, rgba("#FFA91F"))
        c.line([(20, 10.5), (20, 23)], rgba("#FFFFFF"), 4)
        c.circle(20, 29.5, 2.4, rgba("#FFFFFF"))
    return (40, 40), paint


# ---------------------------------------------------------------- scenes

def ridge(c, base, points, colour):
    c.polygon([(points[0][0], base)] + points + [(points[-1][0], base)], colour)


def stars(c, seed, count, area, colour):
    rng = random.Random(seed)
    left, top, right, bottom = area
    for _ in range(count):
        c.circle(rng.uniform(left, right), rng.uniform(top, bottom), rng.choice((0.7, 0.9, 1.2)), colour)


def banner():
    """Head of the main window: night-blue sky, peaks and a gem emblem; the title bar lies on it."""
    def paint(c):
        c.vertical_gradient(0, 200, rgba("#101A38"), rgba("#2A3F7A"))
        stars(c, 7, 40, (0, 34, 600, 120), rgba("#FFFFFF", 150))
        c.circle(470, 72, 40, rgba("#3D5BA8", 120))
        c.circle(470, 72, 28, rgba("#5B7BD0", 140))
        ridge(c, 200, [(0, 150), (70, 112), (130, 138), (210, 96), (290, 140), (360, 108), (450, 146),
                       (520, 118), (600, 140)], rgba("#233569"))
        ridge(c, 200, [(0, 176), (90, 146), (170, 170), (260, 138), (340, 168), (430, 144), (510, 170),
                       (600, 152)], rgba("#1A284F"))
        ridge(c, 200, [(0, 190), (120, 172), (240, 188), (360, 170), (480, 186), (600, 174)], rgba("#131D3B"))
        # Gem: a faceted diamond in the middle of the banner.
        cx, cy = 300, 100
        c.polygon([(cx - 34, cy - 10), (cx - 18, cy - 30), (cx + 18, cy - 30), (cx + 34, cy - 10),
                   (cx, cy + 36)], rgba("#6FA0FF"))
        c.polygon([(cx - 34, cy - 10), (cx + 34, cy - 10), (cx, cy + 36)], rgba("#3F74F0"))
        c.polygon([(cx - 12, cy - 10), (cx + 12, cy - 10), (cx, cy + 36)], rgba("#5A8CFF"))
        c.polygon([(cx - 18, cy - 30), (cx + 18, cy - 30), (cx + 12, cy - 10), (cx - 12, cy - 10)],
                  rgba("#A9C5FF"))
        c.line([(cx - 48, cy + 52), (cx + 48, cy + 52)], rgba("#6FA0FF", 160), 1.2)
    return (600, 200), paint


def slide_dawn(c):
    c.vertical_gradient(0, 264, rgba("#F5776B"), rgba("#FDC48C"))
    c.circle(420, 128, 54, rgba("#FFE7B8", 110))
    c.circle(420, 128, 40, rgba("#FFF3D6"))
    ridge(c, 264, [(0, 170), (60, 120), (120, 160), (200, 90), (280, 170), (350, 130), (420, 180),
                   (500, 110), (600, 160)], rgba("#C4677E"))
    ridge(c, 264, [(0, 210), (80, 160), (170, 200), (250, 150), (330, 205), (430, 165), (520, 200),
                   (600, 175)], rgba("#8A3F66"))
    ridge(c, 264, [(0, 240), (140, 214), (300, 238), (460, 212), (600, 232)], rgba("#4A2746"))
    for x, y in ((140, 70), (158, 80), (176, 66)):
        c.line([(x - 7, y - 4), (x, y), (x + 7, y - 4)], rgba("#6B2F4F"), 1.5)


def slide_castle(c):
    c.vertical_gradient(0, 264, rgba("#0B1230"), rgba("#33467E"))
    stars(c, 11, 90, (0, 0, 600, 170), rgba("#FFFFFF", 200))
    c.circle(110, 70, 30, rgba("#F6F1DC"))
    c.circle(102, 62, 5, rgba("#E4DDC2"))
    c.circle(120, 80, 7, rgba("#E4DDC2"))
    ridge(c, 264, [(0, 200), (150, 180), (300, 196), (450, 176), (600, 198)], rgba("#1D2A55"))
    dark = rgba("#0A1128")
    # Keep: walls, three towers with pointed roofs and a gate.
    c.rect(330, 160, 500, 264, dark)
    for left, top, right in ((310, 120, 350), (395, 92, 435), (480, 128, 520)):
        c.rect(left, top, right, 264, dark)
        c.polygon([(left - 6, top), ((left + right) / 2, top - 36), (right + 6, top)], dark)
    for x in range(330, 500, 14):
        c.rect(x, 152, x + 8, 160, dark)
    window = rgba("#FFD166")
    for x, y in ((326, 140), (410, 112), (410, 150), (496, 148), (360, 190), (460, 190)):
        c.rounded(x, y, x + 8, y + 12, 4, window)
    c.rounded(400, 214, 430, 264, 15, rgba("#2A2F45"))
    ridge(c, 264, [(0, 236), (200, 222), (400, 244), (600, 230)], rgba("#060A1A"))


def slide_valley(c):
    c.vertical_gradient(0, 264, rgba("#7DB9F5"), rgba("#D9F0FF"))
    for cx, cy, k in ((120, 60, 1.0), (430, 44, 0.8), (520, 96, 0.6)):
        for dx, dy, r in ((-22, 6, 16), (0, 0, 22), (24, 6, 15), (8, 10, 16)):
            c.circle(cx + dx * k, cy + dy * k, r * k, rgba("#FFFFFF", 235))
    ridge(c, 264, [(0, 170), (100, 140), (220, 172), (360, 128), (480, 160), (600, 140)], rgba("#8CC76E"))
    ridge(c, 264, [(0, 210), (130, 178), (270, 206), (410, 172), (600, 204)], rgba("#5DA447"))
    ridge(c, 264, [(0, 244), (160, 222), (330, 240), (480, 220), (600, 236)], rgba("#3C7F33"))
    for x, base, h in ((70, 214, 46), (100, 220, 34), (440, 206, 52), (478, 214, 38), (520, 210, 44)):
        c.rect(x - 2.5, base - 6, x + 2.5, base + 4, rgba("#5B3A1E"))
        c.polygon([(x - h * 0.32, base - 4), (x, base - h), (x + h * 0.32, base - 4)], rgba("#1F5F2A"))
    # A path winding from the foreground into the valley.
    c.polygon([(250, 264), (276, 246), (300, 232), (318, 222), (326, 218), (322, 224), (312, 234),
               (300, 248), (292, 264)], rgba("#E8D9A8"))


def slide_sea(c):
    c.vertical_gradient(0, 170, rgba("#2C8DE8"), rgba("#A9E4F7"))
    c.circle(480, 70, 34, rgba("#FFF4C2", 120))
    c.circle(480, 70, 24, rgba("#FFFBE6"))
    c.vertical_gradient(170, 264, rgba("#1AA6B7"), rgba("#0B5F84"))
    for y, x0, x1 in ((188, 40, 120), (206, 380, 470), (230, 150, 260), (246, 460, 560)):
        c.line([(x0, y), (x1, y)], rgba("#FFFFFF", 90), 1.5)
    c.ellipse(170, 172, 90, 14, rgba("#F1D58A"))
    c.polygon([(110, 170), (150, 130), (190, 150), (230, 170)], rgba("#3E9A4F"))
    c.line([(196, 168), (200, 140), (206, 118)], rgba("#7A5230"), 3)
    for dx, dy in ((-18, 6), (18, 4), (-10, -8), (14, -10)):
        c.polygon([(206, 118), (206 + dx, 118 + dy), (206 + dx * 0.6, 118 + dy + 4)], rgba("#2E8540"))
    # Sailing boat.
    c.polygon([(350, 196), (420, 196), (408, 210), (362, 210)], rgba("#7A4A2B"))
    c.line([(386, 196), (386, 132)], rgba("#5A3A22"), 1.6)
    c.polygon([(388, 136), (388, 192), (424, 192)], rgba("#FFFFFF"))
    c.polygon([(384, 146), (384, 192), (356, 192)], rgba("#F2F2F2"))


def slide(paint_scene):
    def paint(c):
        paint_scene(c)
    return (600, 264), paint


# ---------------------------------------------------------------- catalogue and output

PICTURES = {
    "btn_close_normal.png": caption_button("close", "normal"),
    "btn_close_hot.png": caption_button("close", "hot"),
    "btn_close_pushed.png": caption_button("close", "pushed"),
    "btn_min_normal.png": caption_button("min", "normal"),
    "btn_min_hot.png": caption_button("min", "hot"),
    "btn_min_pushed.png": caption_button("min", "pushed"),
    "btn_primary_normal.png": nine_grid(ACCENT),
    "btn_primary_hot.png": nine_grid("#4D84FF"),
    "btn_primary_pushed.png": nine_grid("#2456D6"),
    "btn_primary_disabled.png": nine_grid("#A9BCE8"),
    "btn_secondary_normal.png": nine_grid("#FFFFFF", "#C9D1E0"),
    "btn_secondary_hot.png": nine_grid("#F3F7FF", ACCENT),
    "btn_secondary_pushed.png": nine_grid("#E3ECFF", "#2456D6"),
    "edit_normal.png": nine_grid("#FFFFFF", "#C9D1E0"),
    "edit_hot.png": nine_grid("#FFFFFF", "#8FB0FF"),
    "edit_focused.png": nine_grid("#FFFFFF", ACCENT),
    "progress_bk.png": progress_bar("#E3E8F2"),
    "progress_fore.png": progress_bar(ACCENT),
    "warn_icon.png": warning_icon(),
    "main_banner.png": banner(),
    "show_1.png": slide(slide_dawn),
    "show_2.png": slide(slide_castle),
    "show_3.png": slide(slide_valley),
    "show_4.png": slide(slide_sea),
}

# Opaque scenes are stored with a palette: flat areas then compress to almost nothing.
PALETTE_COLOURS = {"main_banner.png": 256, "show_1.png": 256, "show_2.png": 256, "show_3.png": 256,
                   "show_4.png": 256}


def render(name, scale):
    (width, height), paint = PICTURES[name]
    canvas = Canvas(width, height, scale)
    paint(canvas)
    picture = canvas.result()
    colours = PALETTE_COLOURS.get(name)
    if colours:
        picture = picture.convert("RGB").quantize(colors=colours, method=Image.Quantize.MAXCOVERAGE,
                                                  dither=Image.Dither.NONE)
    return picture


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    wanted = set()
    for name in sorted(PICTURES):
        for scale in SCALES:
            file_name = variant_name(name, scale)
            wanted.add(file_name)
            render(name, scale).save(os.path.join(OUT_DIR, file_name), optimize=True)
    for stale in sorted(set(os.listdir(OUT_DIR)) - wanted):
        if stale.endswith(".png"):
            os.remove(os.path.join(OUT_DIR, stale))
    total = sum(os.path.getsize(os.path.join(OUT_DIR, f)) for f in wanted)
    print("%d images, %d bytes" % (len(wanted), total))
    return 0


if __name__ == "__main__":
    sys.exit(main())
