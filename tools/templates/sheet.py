"""A contact sheet of every layout as SVG: frames outlined and numbered, sliding points as dots."""

CORNERS = {"LEFT_TOP": (0.0, 0.0), "RIGHT_TOP": (1.0, 0.0), "RIGHT_BOTTOM": (1.0, 1.0), "LEFT_BOTTOM": (0.0, 1.0)}
TILE, PAD, COLS = 120, 26, 13
PALETTE = ["#2b88cd", "#e07a5f", "#81b29a", "#f2cc8f", "#6d597a", "#3d405b", "#e5989b", "#8ecae6", "#b5838d"]


def positions(t):
    pts = {p["id"]: p for p in t["points"]}
    vec = {v["id"]: v for v in t.get("vectors", [])}

    def pos(pid, depth=0):
        if depth > 32:
            return None
        p = pts.get(pid)
        if p is None:
            return CORNERS.get(pid)
        if "x" in p:
            return float(p["x"]), float(p["y"])
        if "scalar" in p:
            v = vec[p["vector"]]
            s, e = pos(v["start"], depth + 1), pos(v["end"], depth + 1)
            return s[0] + (e[0] - s[0]) * p["scalar"], s[1] + (e[1] - s[1]) * p["scalar"]
        a, b = vec[p["crossVector"]], vec[p["vector"]]
        (x1, y1), (x2, y2) = pos(a["start"], depth + 1), pos(a["end"], depth + 1)
        (x3, y3), (x4, y4) = pos(b["start"], depth + 1), pos(b["end"], depth + 1)
        d = (y3 - y4) * (x1 - x2) - (x3 - x4) * (y1 - y2)
        A, B = x1 * y2 - x2 * y1, x3 * y4 - y3 * x4
        return (A * (x3 - x4) - B * (x1 - x2)) / d, (A * (y3 - y4) - B * (y1 - y2)) / d
    return pos, pts


def tile(t, ox, oy):
    pos, pts = positions(t)
    out = [f'<text x="{ox}" y="{oy - 6}" font-size="13" font-family="sans-serif">{t["id"]}</text>']
    for k, f in enumerate(t["frames"]):
        poly = [pos(q) for q in f["polygon"]]
        d = " ".join(f"{ox + x * TILE:.1f},{oy + y * TILE:.1f}" for x, y in poly)
        out.append(f'<polygon points="{d}" fill="{PALETTE[k % len(PALETTE)]}" fill-opacity="0.55" '
                   f'stroke="#222" stroke-width="1"/>')
        cx = sum(x for x, _ in poly) / len(poly)
        cy = sum(y for _, y in poly) / len(poly)
        out.append(f'<text x="{ox + cx * TILE:.1f}" y="{oy + cy * TILE + 4:.1f}" font-size="11" '
                   f'text-anchor="middle" font-family="sans-serif">{k + 1}</text>')
    for pid, p in pts.items():
        x, y = pos(pid)
        colour = "#d00" if "scalar" in p else "#090" if "crossVector" in p else "#00d"
        out.append(f'<circle cx="{ox + x * TILE:.1f}" cy="{oy + y * TILE:.1f}" r="2.2" fill="{colour}"/>')
    for b in t.get("moveButtons", []):
        (x1, y1), (x2, y2) = pos(b["displayPoints"][0]), pos(b["displayPoints"][1])
        mx, my = ox + (x1 + x2) / 2 * TILE, oy + (y1 + y2) / 2 * TILE
        w, h = (8, 4) if b["direction"] == "UP_DOWN" else (4, 8)
        out.append(f'<rect x="{mx - w / 2:.1f}" y="{my - h / 2:.1f}" width="{w}" height="{h}" fill="#fff" '
                   f'stroke="#000" stroke-width="0.8"/>')
    return out


def write(docs, path):
    rows = (len(docs) + COLS - 1) // COLS
    w, h = COLS * (TILE + PAD) + PAD, rows * (TILE + PAD + 10) + PAD
    body = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}">',
            f'<rect width="{w}" height="{h}" fill="#fff"/>']
    for i, t in enumerate(docs):
        ox = PAD + (i % COLS) * (TILE + PAD)
        oy = PAD + 10 + (i // COLS) * (TILE + PAD + 10)
        body += tile(t, ox, oy)
    body.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(body) + "\n")
