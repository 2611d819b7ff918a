"""Building blocks for the built-in layouts: a template builder and a cut engine.

A template is built from named points (free, sliding along a vector, or at the crossing of two
vector lines), vectors between points, move buttons and frames (polygons over point ids).
Coordinates are unit fractions of the layout, origin top left, y downwards.

The cut engine splits regions (quadrilaterals whose corners are point ids) by cuts that run from one
edge of the region to the opposite edge. A cut end on the outer boundary becomes a free point; a
cut end on an earlier cut becomes a point sliding along that cut, so dragging a cut carries every
cut that ends on it. Where two full cuts cross, the junction is a crossing point.
"""

CORNERS = {"LEFT_TOP": (0.0, 0.0), "RIGHT_TOP": (1.0, 0.0),
           "RIGHT_BOTTOM": (1.0, 1.0), "LEFT_BOTTOM": (0.0, 1.0)}
SMIN, SMAX = 0.25, 0.75
EPS = 1e-9


def num(v):
    """Tidy number for the JSON text: integral values as integers, others to 6 decimals."""
    r = round(float(v), 6)
    return int(r) if r == int(r) else r


def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


class Template:
    """One layout under construction; `to_json` gives its template object."""

    def __init__(self, tid, first_point=5):
        self.id = tid
        self.points = []          # template point objects in list order
        self.pos = dict(CORNERS)  # id -> (x, y) of every point, corners included
        self.vectors = []
        self.vec_ends = {}        # vector id -> (start, end)
        self.buttons = []
        self.frames = []
        self.next_p = first_point
        self.next_v = 1
        self.next_b = 1
        self.with_vectors = True
        self.with_buttons = True
        self.edge_tracks = set()  # outer edges whose points slide along the edge, by corner pair

    # -- points --------------------------------------------------------------------------------
    def _pid(self, pid, prefix="P"):
        if pid is None:
            pid = f"{prefix}{self.next_p}"
            self.next_p += 1
        assert pid not in self.pos or pid in CORNERS, (self.id, pid)
        return pid

    def free(self, x, y, pid=None, prefix="P", movable=False):
        pid = self._pid(pid, prefix)
        x, y = num(x), num(y)
        p = {"id": pid, "x": x, "y": y}
        if movable:
            p["movable"] = "NO"
        self.points.append(p)
        self.pos[pid] = (float(x), float(y))
        return pid

    def slider(self, vec, scalar, pid=None, prefix="P", movable=False):
        assert SMIN - EPS <= scalar <= SMAX + EPS, (self.id, vec, scalar)
        pid = self._pid(pid, prefix)
        s = num(scalar)
        p = {"id": pid, "scalar": float(s), "vector": vec}
        if movable:
            p["movable"] = "NO"
        self.points.append(p)
        a, b = self.vec_ends[vec]
        self.pos[pid] = lerp(self.pos[a], self.pos[b], float(s))
        return pid

    def cross(self, cross_vec, base_vec, pid=None, prefix="P"):
        pid = self._pid(pid, prefix)
        self.points.append({"crossVector": cross_vec, "id": pid, "movable": "NO", "vector": base_vec})
        self.pos[pid] = intersect(*(self.pos[q] for q in self.vec_ends[cross_vec] + self.vec_ends[base_vec]))
        return pid

    # -- vectors, buttons, frames ----------------------------------------------------------------
    def vector(self, start, end, prefix="V"):
        for vid, ends in self.vec_ends.items():
            if ends == (start, end):
                return vid
        vid = f"{prefix}{self.next_v}"
        self.next_v += 1
        self.vectors.append({"end": end, "id": vid, "start": start})
        self.vec_ends[vid] = (start, end)
        return vid

    def button(self, direction, a, b, move_with=(), prefix="B", with_key=True):
        bid = f"{prefix}{self.next_b}"
        self.next_b += 1
        d = {"direction": direction, "displayPoints": [a, b], "id": bid}
        if with_key:
            d["moveWith"] = list(move_with)
        self.buttons.append(d)
        return bid

    def frame(self, *ids):
        if len(ids) == 1 and isinstance(ids[0], str):
            ids = ids[0].split()
        self.frames.append(list(ids))

    def absolute_ids(self):
        """Free points once the corners that frames name are added."""
        listed = [p["id"] for p in self.points if "x" in p]
        named = {c for f in self.frames for c in f if c in CORNERS}
        return listed + sorted(named - set(listed))

    def to_json(self):
        t = {"frames": [{"id": f"F{i + 1}", "polygon": f} for i, f in enumerate(self.frames)],
             "id": self.id, "points": self.points}
        if self.with_buttons:
            t["moveButtons"] = self.buttons
        if self.with_vectors:
            t["vectors"] = self.vectors
        return t


def intersect(p1, p2, p3, p4):
    (x1, y1), (x2, y2), (x3, y3), (x4, y4) = p1, p2, p3, p4
    d = (y3 - y4) * (x1 - x2) - (x3 - x4) * (y1 - y2)
    a = x1 * y2 - x2 * y1
    b = x3 * y4 - y3 * x4
    return ((a * (x3 - x4) - b * (x1 - x2)) / d, (a * (y3 - y4) - b * (y1 - y2)) / d)


# ---------------------------------------------------------------------------------------------
# Cut engine
# ---------------------------------------------------------------------------------------------

class Line:
    """A straight run that points can lie on: an outer edge (free points) or a cut (sliders)."""

    def __init__(self, t, a, b, boundary):
        self.t, self.a, self.b, self.boundary = t, a, b, boundary
        self.on = {0.0: a, 1.0: b}  # parameter -> point id
        self.vec = None

    def param(self, p):
        A, B = self.t.pos[self.a], self.t.pos[self.b]
        dx, dy = B[0] - A[0], B[1] - A[1]
        return ((p[0] - A[0]) * dx + (p[1] - A[1]) * dy) / (dx * dx + dy * dy)

    def find(self, u):
        for k, pid in self.on.items():
            if abs(k - u) < 1e-6:
                return pid
        return None

    def full_vector(self):
        if self.vec is None:
            self.vec = self.t.vector(self.a, self.b)
        return self.vec

    def point_at(self, p, movable=False):
        """The point of this line at position p, made when missing."""
        u = self.param(p)
        pid = self.find(u)
        if pid is not None:
            return pid
        if self.boundary and (self.a, self.b) in self.t.edge_tracks and SMIN - EPS <= u <= SMAX + EPS:
            # A cut end on a tracked outer edge slides along that edge.
            pid = self.t.slider(self.full_vector(), u, movable=movable)
        elif self.boundary:
            pid = self.t.free(p[0], p[1], movable=movable)
        else:
            pid = self._slider(u, movable)
        self.on[u] = pid
        return pid

    def _slider(self, u, movable):
        if SMIN - EPS <= u <= SMAX + EPS:
            return self.t.slider(self.full_vector(), u, movable=movable)
        # Off the middle of the cut: slide along the stretch between the nearest points around it.
        keys = sorted(self.on)
        lo = max(k for k in keys if k < u)
        hi = min(k for k in keys if k > u)
        s = (u - lo) / (hi - lo)
        if not (SMIN - EPS <= s <= SMAX + EPS):
            raise ValueError(f"{self.t.id}: no stretch holds fraction {u:.3f}")
        return self.t.slider(self.t.vector(self.on[lo], self.on[hi]), s, movable=movable)


class Region:
    """A quadrilateral of the layout: corner ids tl, tr, br, bl and the lines its edges lie on."""

    def __init__(self, t, tl, tr, br, bl, top, right, bottom, left):
        self.t = t
        self.tl, self.tr, self.br, self.bl = tl, tr, br, bl
        self.top, self.right, self.bottom, self.left = top, right, bottom, left

    def P(self, pid):
        return self.t.pos[pid]


def whole(t):
    b = lambda a, c: Line(t, a, c, True)
    return Region(t, "LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM",
                  b("LEFT_TOP", "RIGHT_TOP"), b("RIGHT_TOP", "RIGHT_BOTTOM"),
                  b("LEFT_BOTTOM", "RIGHT_BOTTOM"), b("LEFT_TOP", "LEFT_BOTTOM"))


# Split nodes. A fraction f is either one number or a pair (at the first edge, at the second edge)
# for a slanted cut. Options: button=False leaves the cut without a move button.
class Leaf:
    def __init__(self, rotate=0):
        self.rotate = rotate


F = Leaf


class Split:
    def __init__(self, vertical, fracs, children, buttons=True, movable=()):
        if not isinstance(fracs, list):
            fracs = [fracs]  # one cut; a tuple is one slanted cut
        self.vertical, self.fracs, self.children = vertical, list(fracs), list(children)
        self.buttons, self.movable = buttons, movable
        if not self.children:
            self.children = [Leaf() for _ in range(len(self.fracs) + 1)]
        assert len(self.children) == len(self.fracs) + 1


def V(fracs, *children, **kw):
    return Split(True, fracs, children, **kw)


def H(fracs, *children, **kw):
    return Split(False, fracs, children, **kw)


class Grid:
    """Full-length cuts in both directions; their junctions are crossing points."""

    def __init__(self, rows, cols, children=(), buttons=True):
        self.rows, self.cols, self.children, self.buttons = list(rows), list(cols), list(children), buttons


def _pair(f):
    return f if isinstance(f, (list, tuple)) else (f, f)


def build(t, node, region=None):
    """Walks the split tree, making points, vectors, buttons and frames in reading order."""
    region = region or whole(t)
    if isinstance(node, Leaf):
        return _leaf(t, node, region)
    if isinstance(node, Grid):
        return _grid(t, node, region)
    subs = _split(t, node, region)
    for child, sub in zip(node.children, subs):
        build(t, child, sub)


def _place_ends(t, node, rg):
    """Makes the cut ends on the region's two edges, middle-most first, so that ends near an edge
    of a cut can slide along the stretch between points already there."""
    todo = []
    for i, f in enumerate(node.fracs):
        fa, fb = _pair(f)
        if node.vertical:
            todo.append((rg.top, lerp(rg.P(rg.tl), rg.P(rg.tr), fa), i))
            todo.append((rg.bottom, lerp(rg.P(rg.bl), rg.P(rg.br), fb), i))
        else:
            todo.append((rg.left, lerp(rg.P(rg.tl), rg.P(rg.bl), fa), i))
            todo.append((rg.right, lerp(rg.P(rg.tr), rg.P(rg.br), fb), i))
    pending = [x for x in todo if not x[0].boundary]
    while pending:
        best = min(pending, key=lambda x: abs(_local(x[0], x[1]) - 0.5))
        best[0].point_at(best[1], best[2] in node.movable)
        pending.remove(best)
    for line, p, i in todo:
        line.point_at(p, i in node.movable)


def _needs_stretches(node, rg):
    for f in node.fracs:
        fa, fb = _pair(f)
        if node.vertical:
            ends = [(rg.top, lerp(rg.P(rg.tl), rg.P(rg.tr), fa)), (rg.bottom, lerp(rg.P(rg.bl), rg.P(rg.br), fb))]
        else:
            ends = [(rg.left, lerp(rg.P(rg.tl), rg.P(rg.bl), fa)), (rg.right, lerp(rg.P(rg.tr), rg.P(rg.br), fb))]
        for line, p in ends:
            u = line.param(p)
            if not line.boundary and line.find(u) is None and not (SMIN - EPS <= u <= SMAX + EPS):
                return True
    return False


def _local(line, p):
    u = line.param(p)
    keys = sorted(line.on)
    if line.find(u) is not None:
        return 0.5
    lo = max(k for k in keys if k < u)
    hi = min(k for k in keys if k > u)
    if SMIN - EPS <= u <= SMAX + EPS:
        return 0.5 - 1e-3  # the whole cut will do
    return (u - lo) / (hi - lo)


def _split(t, node, rg):
    if _needs_stretches(node, rg):
        _place_ends(t, node, rg)
    subs, cur = [], rg
    # Fractions are of the whole region; turn them into cuts one after another.
    for i, f in enumerate(node.fracs):
        fa, fb = _pair(f)
        mov = i in node.movable
        if node.vertical:
            a = rg.top.point_at(lerp(rg.P(rg.tl), rg.P(rg.tr), fa), mov)
            b = rg.bottom.point_at(lerp(rg.P(rg.bl), rg.P(rg.br), fb), mov)
            cut = Line(t, a, b, False)
            if node.buttons:
                t.button("LEFT_RIGHT", a, b)
            subs.append(Region(t, cur.tl, a, b, cur.bl, rg.top, cut, rg.bottom, cur.left))
            cur = Region(t, a, rg.tr, rg.br, b, rg.top, rg.right, rg.bottom, cut)
        else:
            a = rg.left.point_at(lerp(rg.P(rg.tl), rg.P(rg.bl), fa), mov)
            b = rg.right.point_at(lerp(rg.P(rg.tr), rg.P(rg.br), fb), mov)
            cut = Line(t, a, b, False)
            if node.buttons:
                t.button("UP_DOWN", a, b)
            subs.append(Region(t, cur.tl, cur.tr, b, a, cur.top, rg.right, cut, rg.left))
            cur = Region(t, a, b, rg.br, rg.bl, cut, rg.right, rg.bottom, rg.left)
    subs.append(cur)
    return subs


def _grid(t, g, rg):
    hcuts, vcuts = [], []
    for f in g.rows:
        fa, fb = _pair(f)
        a = rg.left.point_at(lerp(rg.P(rg.tl), rg.P(rg.bl), fa))
        b = rg.right.point_at(lerp(rg.P(rg.tr), rg.P(rg.br), fb))
        hcuts.append(Line(t, a, b, False))
        if g.buttons:
            t.button("UP_DOWN", a, b)
    for f in g.cols:
        fa, fb = _pair(f)
        a = rg.top.point_at(lerp(rg.P(rg.tl), rg.P(rg.tr), fa))
        b = rg.bottom.point_at(lerp(rg.P(rg.bl), rg.P(rg.br), fb))
        vcuts.append(Line(t, a, b, False))
        if g.buttons:
            t.button("LEFT_RIGHT", a, b)
    hl = [rg.top] + hcuts + [rg.bottom]
    vl = [rg.left] + vcuts + [rg.right]
    # Junction ids: grid node (i, j) on horizontal line i and vertical line j.
    node = {}
    for i, h in enumerate(hl):
        for j, v in enumerate(vl):
            if i in (0, len(hl) - 1) and j in (0, len(vl) - 1):
                node[i, j] = [rg.tl, rg.tr, rg.bl, rg.br][(i > 0) * 2 + (j > 0)]
            elif i in (0, len(hl) - 1):
                node[i, j] = v.a if i == 0 else v.b
            elif j in (0, len(vl) - 1):
                node[i, j] = h.a if j == 0 else h.b
    for i in range(1, len(hl) - 1):
        for j in range(1, len(vl) - 1):
            h, v = hl[i], vl[j]
            pid = t.cross(h.full_vector(), v.full_vector())
            node[i, j] = pid
            h.on[h.param(t.pos[pid])] = pid
            v.on[v.param(t.pos[pid])] = pid
    k = 0
    for i in range(len(hl) - 1):
        for j in range(len(vl) - 1):
            sub = Region(t, node[i, j], node[i, j + 1], node[i + 1, j + 1], node[i + 1, j],
                         hl[i], vl[j + 1], hl[i + 1], vl[j])
            child = g.children[k] if k < len(g.children) else Leaf()
            build(t, child, sub)
            k += 1


class Diag(Leaf):
    """The region cut corner to corner into two triangles: '\\' from top left, '/' from top right."""

    def __init__(self, way="\\"):
        super().__init__()
        self.way = way


class Cross4(Leaf):
    """The region cut along both diagonals into four triangles around a crossing point."""


def _leaf(t, node, rg):
    tl, tr, br, bl = rg.tl, rg.tr, rg.br, rg.bl
    if isinstance(node, Diag):
        if node.way == "\\":
            t.frame(tl, tr, br)
            t.frame(tl, br, bl)
        else:
            t.frame(tl, tr, bl)
            t.frame(tr, br, bl)
        return
    if isinstance(node, Cross4):
        c = t.cross(t.vector(tl, br), t.vector(tr, bl))
        t.frame(tl, tr, c)
        t.frame(c, tr, br)
        t.frame(bl, c, br)
        t.frame(tl, c, bl)
        return
    if isinstance(node, CornerCut):
        return _corner_cut(t, node, rg)
    rot = node.rotate
    p = [tl, tr, br, bl]
    r = rot % 4
    t.frame(*(p[r:] + p[:r]))


def corner_inset_region(t, x, y, subtree, buttons=True):
    """An L-shaped frame around the bottom right corner region, which `subtree` then divides."""
    m = t.free(x, y)
    a = t.free(1, y)
    b = t.free(x, 1)
    t.frame("LEFT_TOP", "RIGHT_TOP", a, m, b, "LEFT_BOTTOM")
    if buttons:
        t.button("UP_DOWN", m, a)
        t.button("LEFT_RIGHT", m, b)
    rg = Region(t, m, a, "RIGHT_BOTTOM", b, Line(t, m, a, False), Line(t, "RIGHT_TOP", "RIGHT_BOTTOM", True),
                Line(t, "LEFT_BOTTOM", "RIGHT_BOTTOM", True), Line(t, m, b, False))
    build(t, subtree, rg)


def edge_inset_region(t, x1, x2, y, subtree, buttons=True):
    """A U-shaped frame around a region standing on the bottom edge, which `subtree` divides."""
    a = t.free(x1, y)
    b = t.free(x2, y)
    c = t.free(x2, 1)
    d = t.free(x1, 1)
    t.frame("LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", c, b, a, d, "LEFT_BOTTOM")
    if buttons:
        t.button("UP_DOWN", a, b)
        t.button("LEFT_RIGHT", a, d)
        t.button("LEFT_RIGHT", b, c)
    bottom = Line(t, "LEFT_BOTTOM", "RIGHT_BOTTOM", True)
    rg = Region(t, a, b, c, d, Line(t, a, b, False), Line(t, b, c, False), bottom, Line(t, a, d, False))
    build(t, subtree, rg)


class CornerCut(Leaf):
    """The region's top right corner cut off as a triangle: a pentagon and a triangle."""

    def __init__(self, fx=0.6, fy=0.4, button=None):
        super().__init__()
        self.fx, self.fy, self.button = fx, fy, button


def _corner_cut(t, node, rg):
    a = rg.top.point_at(lerp(rg.P(rg.tl), rg.P(rg.tr), node.fx))
    b = rg.right.point_at(lerp(rg.P(rg.tr), rg.P(rg.br), node.fy))
    t.frame(rg.tl, a, b, rg.br, rg.bl)
    t.frame(a, rg.tr, b)
    if node.button:
        t.button(node.button, a, b)
