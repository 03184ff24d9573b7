#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
# Copyright 2026 The Tovik Viewer developers
"""Makes the sample pictures the tests, fuzz seeds and package check use, into this folder.

Raster formats come from ImageMagick's convert; the metafiles, the cursor, the EXIF block and the
broken files are written byte by byte here, so that what each one holds is plain to read.
Run it again after changing it and commit the files it writes.
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

OUT = os.path.dirname(os.path.abspath(__file__))


def convert(*args):
    subprocess.run([shutil.which("convert") or "convert", *args], check=True)


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def read(name):
    with open(os.path.join(OUT, name), "rb") as f:
        return f.read()


# --- Raster pictures ---------------------------------------------------------------------------

def raster_samples(tmp):
    scene = os.path.join(tmp, "scene.png")
    small = os.path.join(tmp, "small.png")
    # A sky gradient with a sun, a house and a hill: smooth areas and hard edges, no text.
    convert("-size", "320x240", "gradient:#a0d0f0-#203070",
            "-fill", "#f0c020", "-draw", "circle 250,60 280,60",
            "-fill", "#c03020", "-draw", "rectangle 40,110 130,200",
            "-fill", "#602010", "-draw", "polygon 30,110 85,60 140,110",
            "-fill", "#30a040", "-draw", "ellipse 230,260 160,70 180,360", scene)
    convert(scene, "-resize", "160x120", small)
    out = lambda name: os.path.join(OUT, name)
    convert(small, "-type", "TrueColor", "BMP3:" + out("rgb24.bmp"))
    convert(small, "-alpha", "set", "-define", "bmp3:alpha=true", "BMP3:" + out("bgra32.bmp"))
    convert(small, "-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel",
            "-define", "bmp:format=bmp4", out("argb32_v5.bmp"))
    convert(small, "-colors", "16", "-type", "Palette", "BMP3:" + out("pal4.bmp"))
    convert(small, "-colors", "200", "-type", "Palette", "-compress", "None",
            "BMP3:" + out("pal8.bmp"))
    convert(small, "-colors", "200", "-type", "Palette", "-compress", "RLE",
            "BMP3:" + out("pal8_rle.bmp"))
    convert(scene, "-quality", "85", "-sampling-factor", "2x2", out("photo.jpg"))
    convert(small, "-colors", "64", out("static.gif"))
    convert("-size", "64x48", "xc:#ff0000", "xc:#00ff00", "xc:#0000ff",
            "-set", "delay", "50", "-loop", "0", out("animated.gif"))
    convert(scene, "-define", "icon:auto-resize=48,32,16", out("icon.ico"))
    rotated = os.path.join(tmp, "stored.jpg")
    # Stored on its side: red square top-left, white one bottom-right, slate elsewhere.
    convert("-size", "160x120", "xc:#4060a0", "-fill", "#ff0000", "-draw", "rectangle 0,0 29,29",
            "-fill", "#ffffff", "-draw", "rectangle 130,90 159,119", "-quality", "90", rotated)
    with open(rotated, "rb") as f:
        write("exif_orient6.jpg", with_orientation(f.read(), 6))


def with_orientation(jpeg, orientation):
    """The JPEG with an EXIF block right after SOI that holds only the Orientation tag."""
    tiff = b"II*\x00" + struct.pack("<I", 8)
    tiff += struct.pack("<H", 1) + struct.pack("<HHIHH", 0x0112, 3, 1, orientation, 0)
    tiff += struct.pack("<I", 0)
    payload = b"Exif\x00\x00" + tiff
    app1 = b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload
    assert jpeg[:2] == b"\xff\xd8"
    return jpeg[:2] + app1 + jpeg[2:]


def ifd(offset, entries, next_ifd=0):
    """A big-endian IFD at offset in the TIFF data, its long values after it. entries are
    (tag, type, count, value bytes): 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL."""
    table = struct.pack(">H", len(entries))
    values = b""
    values_at = offset + 2 + 12 * len(entries) + 4
    for tag, kind, count, value in entries:
        table += struct.pack(">HHI", tag, kind, count)
        if len(value) <= 4:
            table += value.ljust(4, b"\x00")
        else:
            table += struct.pack(">I", values_at + len(values))
            values += value + (b"\x00" if len(value) % 2 else b"")
    return table + struct.pack(">I", next_ifd) + values


def ascii(tag, text):
    return (tag, 2, len(text) + 1, text + b"\x00")


def short(tag, value):
    return (tag, 3, 1, struct.pack(">H", value))


def rationals(tag, *pairs):
    return (tag, 5, len(pairs), b"".join(struct.pack(">II", n, d) for n, d in pairs))


def camera_exif():
    """What a camera writes of itself and the shot: the values Picture Properties shows."""
    photo = [rationals(0x829A, (1, 250)), rationals(0x829D, (28, 10)), short(0x8822, 3),
             short(0x8827, 400), ascii(0x9003, b"2024:05:17 14:03:00"), short(0x9209, 16),
             rationals(0x920A, (50, 1)), short(0xA405, 75), ascii(0xA434, b"Tovikon 50mm F1.8")]
    gps = [ascii(1, b"N"), rationals(2, (48, 1), (51, 1), (2964, 100)), ascii(3, b"E"),
           rationals(4, (2, 1), (17, 1), (4032, 100))]
    first = [ascii(0x010F, b"Tovikon"), ascii(0x0110, b"ZX-900"), (0x8769, 4, 1, b""),
             (0x8825, 4, 1, b"")]
    size0 = len(ifd(8, first))
    photo_at = 8 + size0
    gps_at = photo_at + len(ifd(photo_at, photo))
    first[2] = (0x8769, 4, 1, struct.pack(">I", photo_at))
    first[3] = (0x8825, 4, 1, struct.pack(">I", gps_at))
    tiff = b"MM\x00*" + struct.pack(">I", 8) + ifd(8, first) + ifd(photo_at, photo) + ifd(gps_at, gps)
    return b"Exif\x00\x00" + tiff


def with_app1(jpeg, payload):
    assert jpeg[:2] == b"\xff\xd8"
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload + jpeg[2:]


# --- Hand-made files ---------------------------------------------------------------------------

def cursor():
    """A 32 x 32 cursor: an ICO container of type 2, hotspot (3, 2), one 32-bit image whose
    arrow is opaque and whose background is transparent through its AND mask."""
    size = 32

    def inside(x, y):
        return x <= y < 26 and x < 18

    colour, mask = b"", b""
    for row in reversed(range(size)):  # bottom-up
        bits = 0
        for x in range(size):
            if not inside(x, row):
                colour += bytes((0, 0, 0, 0))
                bits |= 1 << (31 - x)
            elif x in (0, row) or row == 25:
                colour += bytes((0, 0, 0, 255))
            else:
                colour += bytes((255, 255, 255, 255))
        mask += struct.pack(">I", bits)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask),
                       0, 0, 0, 0)
    image = info + colour + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    directory += struct.pack("<BBBBHHII", size, size, 0, 0, 3, 2, len(image), 6 + 16)
    return directory + image


def huge_header_bmp():
    """A 24-bit bitmap header claiming 60000 x 60000 pixels over 2 KiB of data."""
    info = struct.pack("<IiiHHIIiiII", 40, 60000, 60000, 1, 24, 0, 0, 3780, 3780, 0, 0)
    pixels = bytes(i * 7 % 256 for i in range(2048))
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


# The drawing both metafiles hold, in pixels at 96 DPI on a 200 x 150 page: white ground, a red
# rectangle with a black border, a blue ellipse, a green triangle and a black line at y = 80.
RECT = (10, 10, 90, 70)
ELLIPSE = (105, 20, 185, 80)
TRIANGLE = ((20, 140), (100, 90), (180, 140))
LINE_Y = 80
RED, BLUE, GREEN, BLACK, WHITE = 0x0000FF, 0xFF0000, 0x00A000, 0x000000, 0xFFFFFF  # COLORREF


def ellipse_points(box, count):
    left, top, right, bottom = box
    cx, cy, rx, ry = (left + right) / 2, (top + bottom) / 2, (right - left) / 2, (bottom - top) / 2
    return [(cx + rx * math.cos(2 * math.pi * k / count), cy + ry * math.sin(2 * math.pi * k / count))
            for k in range(count)]


class Wmf:
    """Placeable WMF records, in logical units of 1/1200 inch (12.5 units a pixel)."""
    UNITS_PER_INCH = 1200

    def __init__(self):
        self.records = []
        self.objects = 0

    @staticmethod
    def u(pixels):
        return round(pixels * 12.5)

    def record(self, function, words=b""):
        assert len(words) % 2 == 0
        self.records.append(struct.pack("<IH", 3 + len(words) // 2, function) + words)

    def create(self, function, words):
        self.record(function, words)
        self.objects += 1
        return self.objects - 1

    def brush(self, colour):
        return self.create(0x02FC, struct.pack("<HIH", 0, colour, 0))

    def pen(self, colour, width_px, style=0):
        return self.create(0x02FA, struct.pack("<HhhI", style, self.u(width_px), 0, colour))

    def select(self, index):
        self.record(0x012D, struct.pack("<H", index))

    def box(self, function, rect):
        left, top, right, bottom = (self.u(v) for v in rect)
        self.record(function, struct.pack("<hhhh", bottom, right, top, left))

    def polygon(self, points):
        data = b"".join(struct.pack("<hh", self.u(x), self.u(y)) for x, y in points)
        self.record(0x0324, struct.pack("<h", len(points)) + data)  # POLYGON

    def file(self, width_px, height_px):
        width, height = self.u(width_px), self.u(height_px)
        body = b"".join(self.records) + struct.pack("<IH", 3, 0)  # META_EOF
        words = 9 + len(body) // 2
        longest = max(struct.unpack_from("<I", r)[0] for r in self.records)
        header = struct.pack("<HHHIHIH", 1, 9, 0x0300, words, self.objects, longest, 0)
        placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, width, height,
                                self.UNITS_PER_INCH, 0)
        checksum = 0
        for (word,) in struct.iter_unpack("<H", placeable):
            checksum ^= word
        return placeable + struct.pack("<H", checksum) + header + body


def drawing_wmf():
    w = Wmf()
    w.record(0x0103, struct.pack("<H", 8))  # SETMAPMODE anisotropic
    w.record(0x020B, struct.pack("<hh", 0, 0))  # SETWINDOWORG
    w.record(0x020C, struct.pack("<hh", w.u(150), w.u(200)))  # SETWINDOWEXT
    no_pen = w.pen(0, 0, style=5)
    w.select(no_pen)
    w.select(w.brush(WHITE))
    w.box(0x041B, (0, 0, 200, 150))  # RECTANGLE
    w.select(w.pen(BLACK, 2))
    w.select(w.brush(RED))
    w.box(0x041B, RECT)
    w.select(no_pen)
    w.select(w.brush(BLUE))
    w.polygon(ellipse_points(ELLIPSE, 90))  # as drawing programs write curves
    w.select(w.brush(GREEN))
    w.polygon(TRIANGLE)
    w.select(w.pen(BLACK, 3))
    w.record(0x0214, struct.pack("<hh", w.u(LINE_Y), 0))  # MOVETO
    w.record(0x0213, struct.pack("<hh", w.u(LINE_Y), w.u(200)))  # LINETO
    return w.file(200, 150)


class Emf:
    """EMF records in device pixels on a 96 DPI reference device."""

    def __init__(self):
        self.records = []
        self.handles = 1  # handle 0 is the metafile itself

    def record(self, kind, data=b""):
        self.records.append(struct.pack("<II", kind, 8 + len(data)) + data)

    def create(self, kind, data):
        index = self.handles
        self.handles += 1
        self.record(kind, struct.pack("<I", index) + data)
        return index

    def brush(self, colour):
        return self.create(39, struct.pack("<III", 0, colour, 0))  # CREATEBRUSHINDIRECT

    def pen(self, colour, width, style=0):
        return self.create(38, struct.pack("<IiiI", style, width, 0, colour))  # CREATEPEN

    def select(self, handle):
        self.record(37, struct.pack("<I", handle))  # SELECTOBJECT

    def file(self, width_px, height_px):
        self.record(14, struct.pack("<III", 0, 0, 20))  # EOF
        body = b"".join(self.records)
        size = 88 + len(body)
        # The frame in 0.01 mm.
        frame = (0, 0, round(width_px * 2540 / 96), round(height_px * 2540 / 96))
        header = struct.pack("<II", 1, 88)
        header += struct.pack("<iiii", 0, 0, width_px - 1, height_px - 1)  # bounds, pixels
        header += struct.pack("<iiii", *frame)
        header += struct.pack("<IIIIHHIII", 0x464D4520, 0x10000, size, len(self.records) + 1,
                              self.handles, 0, 0, 0, 0)
        header += struct.pack("<iiii", 1024, 768, 271, 203)  # the device: pixels, millimetres
        return header + body


def drawing_emf():
    e = Emf()
    e.record(17, struct.pack("<I", 1))  # SETMAPMODE MM_TEXT
    no_pen = 0x80000008  # stock NULL_PEN
    e.select(no_pen)
    e.select(e.brush(WHITE))
    e.record(43, struct.pack("<iiii", 0, 0, 200, 150))  # RECTANGLE
    e.select(e.pen(BLACK, 2))
    e.select(e.brush(RED))
    e.record(43, struct.pack("<iiii", *RECT))
    e.select(no_pen)
    e.select(e.brush(BLUE))
    e.record(42, struct.pack("<iiii", *ELLIPSE))  # ELLIPSE
    e.select(e.brush(GREEN))
    points = b"".join(struct.pack("<hh", x, y) for x, y in TRIANGLE)
    e.record(86, struct.pack("<iiiiI", 20, 90, 180, 140, len(TRIANGLE)) + points)  # POLYGON16
    e.select(e.pen(BLACK, 3))
    e.record(27, struct.pack("<ii", 0, LINE_Y))  # MOVETOEX
    e.record(54, struct.pack("<ii", 200, LINE_Y))  # LINETO
    return e.file(200, 150)


# --- Camera RAW (DNG, laid out as cameras write it) -------------------------------------------

# A sample's licence, as text in its opening bytes (an even length: TIFF offsets are even).
LICENCE = b"SPDX-License-Identifier: GPL-2.0-or-later\n"
assert len(LICENCE) % 2 == 0


def scene(x, y, width, height):
    """Linear light at (x, y): a white block top-left (where the picture's top-left is), then
    four bands from left to right: red, green, blue and gray."""
    if x < width // 8 and y < height // 6:
        return (0.9, 0.9, 0.9)
    return [(0.8, 0.05, 0.05), (0.05, 0.8, 0.05), (0.05, 0.05, 0.8), (0.4, 0.4, 0.4)][4 * x // width]


def srgb_bytes(width, height):
    def encode(v):
        v = 12.92 * v if v <= 0.0031308 else 1.055 * v ** (1 / 2.4) - 0.055
        return max(0, min(255, round(v * 255)))
    out = bytearray()
    for y in range(height):
        for x in range(width):
            out += bytes(encode(c) for c in scene(x, y, width, height))
    return bytes(out)


def preview_jpeg(tmp, width, height, flat=None):
    """The scene as a JPEG, or one colour (flat) all over."""
    ppm = os.path.join(tmp, "preview.ppm")
    pixels = bytes(flat) * (width * height) if flat else srgb_bytes(width, height)
    with open(ppm, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (width, height) + pixels)
    out = os.path.join(tmp, "preview.jpg")
    convert(ppm, "-quality", "92", out)
    with open(out, "rb") as f:
        return f.read()


def mosaic(width, height, white=4095):
    """The sensor's 16-bit photosites under an RGGB colour filter."""
    out = bytearray()
    for y in range(height):
        for x in range(width):
            r, g, b = scene(x, y, width, height)
            value = (r, g)[x % 2] if y % 2 == 0 else (g, b)[x % 2]
            out += struct.pack(">H", round(value * white))
    return bytes(out)


def longs(tag, *values):
    return (tag, 4, len(values), b"".join(struct.pack(">I", v) for v in values))


def srationals(tag, *values):
    return (tag, 10, len(values), b"".join(struct.pack(">ii", round(v * 10000), 10000)
                                          for v in values))


def jpeg_size(jpeg):
    """A JPEG's width and height, from its frame header."""
    at = 2
    while at < len(jpeg):
        marker, length = jpeg[at + 1], struct.unpack(">H", jpeg[at + 2:at + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            height, width = struct.unpack(">HH", jpeg[at + 5:at + 9])
            return width, height
        at += 2 + length
    raise ValueError("no frame header")


def dng(tmp, sensor=(128, 96), preview=(120, 90), orientation=1, lie=None, jpeg=None, flat=False,
        medium=None, marked=False):
    """A DNG: IFD0 a small RGB thumbnail with the camera's maker, model and orientation; sub-IFDs
    the 12-bit RGGB mosaic, a JPEG preview (none when preview is None) and, as converters write
    one, a medium-sized JPEG preview (medium: its size, or its JPEG's bytes). The camera's colour
    matrix is sRGB's own, so that its photosites read as linear sRGB. Marked: the thumbnail all
    blue and the medium preview all green, so that a reader's choice among them shows."""
    width, height = sensor
    thumb = bytes((0, 0, 255)) * (32 * 24) if marked else srgb_bytes(32, 24)
    if isinstance(medium, tuple):
        medium = preview_jpeg(tmp, *medium, flat=(0, 255, 0) if marked else None)
    medium = medium or b""
    # A flat mosaic (the benchmarks' large ones) is written a row at a time.
    raw = struct.pack(">HH", 1800, 2200) * (width // 2) + struct.pack(">HH", 2200, 1500) * (width // 2)
    raw = raw * (height // 2) if flat else mosaic(width, height)
    if jpeg:
        preview = jpeg_size(jpeg)
    else:
        jpeg = preview_jpeg(tmp, *preview) if preview else b""
    if lie == "not jpeg":
        jpeg = b"Plain text where a JPEG preview should be." * 8
    xyz_to_srgb = (3.2406, -1.5372, -0.4986, -0.9689, 1.8758, 0.0415, 0.0557, -0.2040, 1.0570)

    def layout(at0, at_raw, at_preview, at_medium, data_at):
        thumb_at, raw_at, jpeg_at = data_at, data_at + len(thumb), data_at + len(thumb) + len(raw)
        medium_at = jpeg_at + len(jpeg)
        if lie == "preview outside":
            jpeg_at += 1 << 24
        subs = [at_raw] + ([at_preview] if preview else []) + ([at_medium] if medium else [])
        if lie == "loop":
            subs = [at0, at_raw]
        first = [longs(0x00FE, 1), short(0x0100, 32), short(0x0101, 24),
                 (0x0102, 3, 3, struct.pack(">HHH", 8, 8, 8)), short(0x0103, 1), short(0x0106, 2),
                 ascii(0x010F, b"Tovikon"), ascii(0x0110, b"ZX-900 RAW"), longs(0x0111, thumb_at),
                 short(0x0112, orientation), short(0x0115, 3), short(0x0116, 24),
                 longs(0x0117, len(thumb)), short(0x011C, 1), longs(0x014A, *subs),
                 (0xC612, 1, 4, bytes([1, 4, 0, 0])), (0xC613, 1, 4, bytes([1, 1, 0, 0])),
                 ascii(0xC614, b"Tovikon ZX-900"), srationals(0xC621, *xyz_to_srgb),
                 rationals(0xC628, (1, 1), (1, 1), (1, 1)), short(0xC65A, 21)]
        claimed = {"huge": (100000, 100000), "large": (30000, 20000)}.get(lie, (width, height))
        sensor_ifd = [longs(0x00FE, 0), longs(0x0100, claimed[0]), longs(0x0101, claimed[1]),
                      short(0x0102, 16), short(0x0103, 1), short(0x0106, 32803),
                      longs(0x0111, raw_at), short(0x0115, 1), longs(0x0116, height),
                      longs(0x0117, len(raw)), short(0x011C, 1),
                      (0x828D, 3, 2, struct.pack(">HH", 2, 2)), (0x828E, 1, 4, bytes([0, 1, 1, 2])),
                      longs(0xC61A, 0), longs(0xC61D, 4095)]
        if lie == "loop":
            sensor_ifd.append(longs(0x014A, at0))
        preview_ifd = [longs(0x00FE, 1), longs(0x0100, preview[0] if preview else 0),
                       longs(0x0101, preview[1] if preview else 0),
                       (0x0102, 3, 3, struct.pack(">HHH", 8, 8, 8)), short(0x0103, 7),
                       short(0x0106, 6), longs(0x0111, jpeg_at), short(0x0115, 3),
                       longs(0x0116, preview[1] if preview else 0), longs(0x0117, len(jpeg))]
        w, h = jpeg_size(medium) if medium else (0, 0)
        medium_ifd = [longs(0x00FE, 1), longs(0x0100, w), longs(0x0101, h),
                      (0x0102, 3, 3, struct.pack(">HHH", 8, 8, 8)), short(0x0103, 7),
                      short(0x0106, 6), longs(0x0111, medium_at), short(0x0115, 3),
                      longs(0x0116, h), longs(0x0117, len(medium))]
        return first, sensor_ifd, preview_ifd, medium_ifd

    # Sizes first, with any offsets; then the same tables at their places.
    # The licence right after the header, where a reader of the opening bytes finds it; IFD0 after.
    at0 = 8 + len(LICENCE)
    first, sensor_ifd, preview_ifd, medium_ifd = layout(at0, 0, 0, 0, 0)
    at_raw = at0 + len(ifd(at0, first))
    at_preview = at_raw + len(ifd(at_raw, sensor_ifd))
    at_medium = at_preview + (len(ifd(at_preview, preview_ifd)) if preview else 0)
    data_at = at_medium + (len(ifd(at_medium, medium_ifd)) if medium else 0)
    first, sensor_ifd, preview_ifd, medium_ifd = layout(at0, at_raw, at_preview, at_medium, data_at)
    tables = (ifd(at0, first) + ifd(at_raw, sensor_ifd) +
              (ifd(at_preview, preview_ifd) if preview else b"") +
              (ifd(at_medium, medium_ifd) if medium else b""))
    assert len(tables) + at0 == data_at
    return b"MM\x00*" + struct.pack(">I", at0) + LICENCE + tables + thumb + raw + jpeg + medium


def raw_samples(tmp):
    write("camera.dng", dng(tmp))
    write("camera_nopreview.dng", dng(tmp, preview=None))
    write("camera_smallpreview.dng", dng(tmp, preview=(48, 36)))
    write("camera_sizes.dng", dng(tmp, medium=(64, 48), marked=True))
    for orientation in range(2, 9):
        write("camera_orient%d.dng" % orientation,
              dng(tmp, sensor=(64, 48), preview=(60, 45), orientation=orientation))
    whole = dng(tmp)
    write("hostile_truncated.dng", whole[: len(whole) * 3 // 5])
    for lie, name in (("huge", "hostile_huge.dng"), ("large", "hostile_large.dng"), ("preview outside", "hostile_preview_outside.dng"),
                      ("loop", "hostile_loop.dng"), ("not jpeg", "hostile_not_jpeg.dng")):
        write(name, dng(tmp, lie=lie))
    # A CR3's boxes: the file type, then a movie box that claims far more than the file holds.
    ftyp = struct.pack(">I", 24) + b"ftypcrx " + struct.pack(">I", 1) + b"crx isom"
    free = struct.pack(">I", 8 + len(LICENCE)) + b"free" + LICENCE
    write("hostile_boxes.cr3", ftyp + free + struct.pack(">I", 0x7FFFFFF0) + b"moov" + b"\x00" * 64)


def main():
    if sys.argv[1:2] == ["dng"]:  # dng OUT WIDTH HEIGHT PREVIEW.jpg [MEDIUM.jpg]: a benchmark's DNG
        out, width, height, preview = sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
        medium = None
        if len(sys.argv) > 6:
            with open(sys.argv[6], "rb") as f:
                medium = f.read()
        with open(preview, "rb") as f, open(out, "wb") as o:
            o.write(dng(None, sensor=(width, height), jpeg=f.read(), flat=True, medium=medium))
        return 0
    with tempfile.TemporaryDirectory() as tmp:
        raster_samples(tmp)
        raw_samples(tmp)
    write("cursor.cur", cursor())
    write("huge_header.bmp", huge_header_bmp())
    write("drawing.wmf", drawing_wmf())
    write("drawing.emf", drawing_emf())
    photo = read("photo.jpg")
    write("truncated.jpg", photo[: len(photo) * 2 // 5])  # no end marker, rows missing
    write("not_a_picture.jpg", b"Plain text in a file that is named like a JPEG picture.\n")
    # Its licence in a comment segment first, where a reader of its opening bytes finds it.
    comment = b"\xff\xfe" + struct.pack(">H", len(LICENCE) + 2) + LICENCE
    write("camera.jpg", photo[:2] + comment + with_app1(photo, camera_exif())[2:])
    return 0


if __name__ == "__main__":
    sys.exit(main())
