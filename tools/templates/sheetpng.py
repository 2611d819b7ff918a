"""A contact sheet of every layout as PNG, drawn without any imaging library.

Frames are filled in turn colours and outlined; free points blue, sliding points red, crossing
points green; move buttons white boxes; the layout id and frame numbers in a small bitmap font.
"""
import struct
import zlib

from sheet import positions

TILE, PAD, COLS = 120, 24, 13
PALETTE = [(43, 136, 205), (224, 122, 95), (129, 178, 154), (242, 204, 143), (109, 89, 122),
           (61, 64, 91), (229, 152, 155), (142, 202, 230), (181, 131, 141)]
FONT = {  # 3x5 digits and the hyphen
    "0": "111101101101111", "1": "010110010010111", "2": "111001111100111", "3": "111001111001111",
    "4": "101101111001001", "5": "111100111001111", "6": "111100111101111", "7": "111001001001001",
    "8": "111101111101111", "9": "111101111001111", "-": "000000111000000"}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = bytearray(b"\xff" * (w * h * 3))

    def set(self, x, y, c, a=1.0):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = (y * self.w + x) * 3
            for k in range(3):
                self.px[i + k] = int(self.px[i + k] * (1 - a) + c[k] * a)

    def polygon(self, pts, c, a):
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (x1, y1), (x2, y2) = pts[i], pts[(i + 1) % len(pts)]
                if (y1 > yc) != (y2 > yc):
                    xs.append(x1 + (yc - y1) * (x2 - x1) / (y2 - y1))
            xs.sort()
            for j in range(0, len(xs) - 1, 2):
                for x in range(int(round(xs[j])), int(round(xs[j + 1]))):
                    self.set(x, y, c, a)

    def line(self, p, q, c):
        n = int(max(abs(q[0] - p[0]), abs(q[1] - p[1]))) + 1
        for i in range(n + 1):
            t = i / n
            self.set(int(round(p[0] + (q[0] - p[0]) * t)), int(round(p[1] + (q[1] - p[1]) * t)), c)

    def rect(self, x, y, w, h, fill, edge):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                border = yy in (y, y + h - 1) or xx in (x, x + w - 1)
                self.set(xx, yy, edge if border else fill)

    def text(self, x, y, s, c, scale=2):
        for ch in s:
            g = FONT.get(ch)
            if g:
                for r in range(5):
                    for col in range(3):
                        if g[r * 3 + col] == "1":
                            for dy in range(scale):
                                for dx in range(scale):
                                    self.set(x + col * scale + dx, y + r * scale + dy, c)
            x += 4 * scale

    def png(self, path):
        raw = b"".join(b"\x00" + bytes(self.px[y * self.w * 3:(y + 1) * self.w * 3]) for y in range(self.h))

        def chunk(tag, data):
            return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0))
                    + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def write(docs, path):
    rows = (len(docs) + COLS - 1) // COLS
    cv = Canvas(COLS * (TILE + PAD) + PAD, rows * (TILE + PAD + 14) + PAD)
    for i, t in enumerate(docs):
        ox = PAD + (i % COLS) * (TILE + PAD)
        oy = PAD + 14 + (i // COLS) * (TILE + PAD + 14)
        pos, pts = positions(t)
        cv.text(ox, oy - 13, t["id"], (0, 0, 0))
        P = lambda q: (ox + pos(q)[0] * TILE, oy + pos(q)[1] * TILE)
        for k, f in enumerate(t["frames"]):
            cv.polygon([P(q) for q in f["polygon"]], PALETTE[k % len(PALETTE)], 0.6)
        for f in t["frames"]:
            poly = [P(q) for q in f["polygon"]]
            for j in range(len(poly)):
                cv.line(poly[j], poly[(j + 1) % len(poly)], (30, 30, 30))
        for k, f in enumerate(t["frames"]):
            poly = [P(q) for q in f["polygon"]]
            cx, cy = sum(p[0] for p in poly) / len(poly), sum(p[1] for p in poly) / len(poly)
            cv.text(int(cx) - 2, int(cy) - 4, str(k + 1), (0, 0, 0), 1)
        for b in t.get("moveButtons", []):
            (x1, y1), (x2, y2) = P(b["displayPoints"][0]), P(b["displayPoints"][1])
            w, h = (9, 5) if b["direction"] == "UP_DOWN" else (5, 9)
            cv.rect(int((x1 + x2) / 2 - w / 2), int((y1 + y2) / 2 - h / 2), w, h, (255, 255, 255), (0, 0, 0))
        for pid, p in pts.items():
            x, y = P(pid)
            c = (210, 0, 0) if "scalar" in p else (0, 150, 0) if "crossVector" in p else (0, 0, 220)
            for dy in (-1, 0, 1):
                for dx in (-1, 0, 1):
                    cv.set(int(x) + dx, int(y) + dy, c)
    cv.png(path)
