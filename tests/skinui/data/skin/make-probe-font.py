#!/usr/bin/env python3
"""Writes the test skin's probe font into skin.zip as fonts/probe.ttf.

A minimal TrueType font, family "Tolvan Probe", that no system has: every capital letter is a filled
box 1 em high-ish and 2 em wide, so text drawn in it is easy to tell from any fallback font
("AAAA" at 20 px is 160 px wide). Run from anywhere; rewrites skin.zip in place, other entries kept.
"""
import os
import struct
import zipfile

FAMILY = "Tolvan Probe"
UNITS_PER_EM = 1000
BOX_ADVANCE = 2000


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def box_glyph():
    points = [(0, 0), (0, 800), (1000, 800), (1000, 0)]  # clockwise: filled
    deltas, last = [], (0, 0)
    for x, y in points:
        deltas.append((x - last[0], y - last[1]))
        last = (x, y)
    glyph = struct.pack(">hhhhh", 1, 0, 0, 1000, 800)
    glyph += struct.pack(">HH", len(points) - 1, 0)  # end point of the contour, no instructions
    glyph += bytes([0x01] * len(points))  # on-curve, 16-bit coordinates
    glyph += b"".join(struct.pack(">h", dx) for dx, _ in deltas)
    glyph += b"".join(struct.pack(">h", dy) for _, dy in deltas)
    return glyph + b"\0" * (-len(glyph) % 4)


def cmap_table():
    # Format 4: 'A'..'Z' -> glyph 1, and the closing segment.
    starts, ends, deltas = [0x41, 0xFFFF], [0x5A, 0xFFFF], [(1 - 0x41) & 0xFFFF, 1]
    seg_count = len(starts)
    sub = struct.pack(">HHHHHHH", 4, 16 + 8 * seg_count, 0, 2 * seg_count, 4, 1, 0)
    sub += struct.pack(">%dH" % seg_count, *ends) + b"\0\0"
    sub += struct.pack(">%dH" % seg_count, *starts)
    sub += struct.pack(">%dH" % seg_count, *deltas)
    sub += struct.pack(">%dH" % seg_count, *([0] * seg_count))
    return struct.pack(">HHHHI", 0, 1, 3, 1, 12) + sub


def name_table():
    names = [(1, FAMILY), (2, "Regular"), (3, FAMILY + " 1.0"), (4, FAMILY), (6, FAMILY.replace(" ", ""))]
    records, strings = b"", b""
    for name_id, text in names:
        encoded = text.encode("utf-16-be")
        records += struct.pack(">HHHHHH", 3, 1, 0x409, name_id, len(encoded), len(strings))
        strings += encoded
    return struct.pack(">HHH", 0, len(names), 6 + len(records)) + records + strings


def os2_table():
    table = struct.pack(">HhHHH", 1, BOX_ADVANCE, 400, 5, 0)
    table += struct.pack(">10h", 650, 600, 0, 75, 650, 600, 0, 350, 50, 300) + struct.pack(">h", 0)
    table += bytes(10)  # panose
    table += struct.pack(">IIII", 1, 0, 0, 0) + b"TLVN"
    table += struct.pack(">HHHhhhHH", 0x40, 0x41, 0x5A, 800, -200, 0, 800, 200)
    return table + struct.pack(">II", 1, 0)


def font():
    glyf = box_glyph()
    tables = {
        b"OS/2": os2_table(),
        b"cmap": cmap_table(),
        b"glyf": glyf,
        b"head": struct.pack(">IIIIHHqqhhhhHHhhh", 0x10000, 0x10000, 0, 0x5F0F3CF5, 0x000B, UNITS_PER_EM,
                             0, 0, 0, 0, 1000, 800, 0, 8, 2, 0, 0),
        b"hhea": struct.pack(">IhhhHhhhhhhhhhhhH", 0x10000, 800, -200, 0, BOX_ADVANCE, 0, 0, 1000, 1, 0, 0,
                             0, 0, 0, 0, 0, 2),
        b"hmtx": struct.pack(">HhHh", 500, 0, BOX_ADVANCE, 0),
        b"loca": struct.pack(">HHH", 0, 0, len(glyf) // 2),
        b"maxp": struct.pack(">I14H", 0x10000, 2, 4, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0),
        b"name": name_table(),
        b"post": struct.pack(">IihhIIIII", 0x30000, 0, -100, 50, 0, 0, 0, 0, 0),
    }
    tags = sorted(tables)
    offset = 12 + 16 * len(tags)
    directory, body = b"", b""
    for tag in tags:
        data = tables[tag]
        directory += struct.pack(">4sIII", tag, checksum(data), offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    header = struct.pack(">IHHHH", 0x10000, len(tags), 128, 3, 16 * len(tags) - 128)
    whole = bytearray(header + directory + body)
    head_offset = offset + sum(len(tables[t]) + (-len(tables[t]) % 4) for t in tags[: tags.index(b"head")])
    struct.pack_into(">I", whole, head_offset + 8, (0xB1B0AFBA - checksum(bytes(whole))) & 0xFFFFFFFF)
    return bytes(whole)


def main():
    zip_path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "skin.zip")
    with zipfile.ZipFile(zip_path) as source:
        entries = [(info, source.read(info)) for info in source.infolist() if info.filename != "fonts/probe.ttf"]
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as target:
        for info, data in entries:
            target.writestr(info, data)
        probe = zipfile.ZipInfo("fonts/probe.ttf", date_time=(2024, 1, 1, 0, 0, 0))
        target.writestr(probe, font(), zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main()
