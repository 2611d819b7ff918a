"""The 104 built-in layouts, from compact definitions.

Each entry is a split tree (see layoutkit) or a function that draws the layout point by point.
Fractions are of the region being split; a tuple (a, b) is a slanted cut from a on the first edge
to b on the second.
"""
from layoutkit import (Template, V, H, Grid, F, Diag, Cross4, CornerCut, build,
                       corner_inset_region, edge_inset_region)

T3 = [1 / 3, 2 / 3]
Q4 = [0.25, 0.5, 0.75]


# -- layouts drawn point by point ---------------------------------------------------------------

def edge_buttons(t):
    t.button("UP_DOWN", "LEFT_TOP", "RIGHT_TOP")
    t.button("LEFT_RIGHT", "RIGHT_TOP", "RIGHT_BOTTOM")
    t.button("LEFT_RIGHT", "LEFT_TOP", "LEFT_BOTTOM")
    t.button("UP_DOWN", "LEFT_BOTTOM", "RIGHT_BOTTOM")


def full_frame(t):
    t.frame("LEFT_TOP RIGHT_TOP RIGHT_BOTTOM LEFT_BOTTOM")
    edge_buttons(t)


def shaped_frame(t):
    """One frame whose edge middles can be pulled in or out."""
    top = t.free(0.5, 0)
    right = t.free(1, 0.5)
    bottom = t.free(0.5, 1)
    left = t.free(0, 0.5)
    t.frame("LEFT_TOP", top, "RIGHT_TOP", right, "RIGHT_BOTTOM", bottom, "LEFT_BOTTOM", left)


def diagonal(t):
    t.frame("LEFT_TOP RIGHT_TOP RIGHT_BOTTOM")
    t.frame("LEFT_TOP RIGHT_BOTTOM LEFT_BOTTOM")


def corner_inset(x=0.62, y=0.62):
    """A picture-in-picture in the bottom right corner, the main frame an L around it."""
    def draw(t):
        m = t.free(x, y)
        a = t.free(1, y)
        b = t.free(x, 1)
        t.frame("LEFT_TOP", "RIGHT_TOP", a, m, b, "LEFT_BOTTOM")
        t.frame(m, a, "RIGHT_BOTTOM", b)
        t.button("UP_DOWN", m, a)
        t.button("LEFT_RIGHT", m, b)
    return draw


def top_left_inset(t):
    """A picture-in-picture in the top left corner; the main frame's outer edges crop."""
    a = t.free(0.4, 0)
    m = t.free(0.4, 0.4)
    b = t.free(0, 0.4)
    t.frame("LEFT_TOP", a, m, b)
    t.frame(a, "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM", b, m)
    for d, p, q in (("UP_DOWN", b, m), ("LEFT_RIGHT", a, m), ("LEFT_RIGHT", "RIGHT_TOP", "RIGHT_BOTTOM"),
                    ("UP_DOWN", "LEFT_BOTTOM", "RIGHT_BOTTOM")):
        t.button(d, p, q, with_key=False)


def bottom_inset(x1=0.3, x2=0.7, y=0.55):
    """A picture-in-picture standing on the bottom edge, the main frame a U around it."""
    def draw(t):
        a = t.free(x1, y)
        b = t.free(x2, y)
        c = t.free(x2, 1)
        d = t.free(x1, 1)
        t.frame("LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", c, b, a, d, "LEFT_BOTTOM")
        t.frame(a, b, c, d)
        t.button("UP_DOWN", a, b)
        t.button("LEFT_RIGHT", a, d)
        t.button("LEFT_RIGHT", b, c)
        t.button("LEFT_RIGHT", a, c, move_with=[b, d])  # the whole inset along the bottom edge
    return draw


def fan(t):
    apex = t.free(0.5, 1)
    t.frame("LEFT_TOP", apex, "LEFT_BOTTOM")
    t.frame("LEFT_TOP", "RIGHT_TOP", apex)
    t.frame("RIGHT_TOP", "RIGHT_BOTTOM", apex)


def two_insets(t):
    """Two pictures-in-picture in the bottom corners."""
    y = 0.62
    a = t.free(0, y)
    b = t.free(0.34, y)
    c = t.free(0.34, 1)
    d = t.free(0.66, y)
    e = t.free(1, y)
    f = t.free(0.66, 1)
    t.frame("LEFT_TOP", "RIGHT_TOP", e, d, f, c, b, a)
    t.frame(a, b, c, "LEFT_BOTTOM")
    t.frame(d, e, "RIGHT_BOTTOM", f)
    t.button("UP_DOWN", a, b)
    t.button("LEFT_RIGHT", b, c)
    t.button("UP_DOWN", d, e)
    t.button("LEFT_RIGHT", d, f)


def free_quads(t):
    """Four frames meeting at one free point; every point listed, corners too."""
    for c in ("LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM"):
        t.free(*{"LEFT_TOP": (0, 0), "RIGHT_TOP": (1, 0), "RIGHT_BOTTOM": (1, 1), "LEFT_BOTTOM": (0, 1)}[c], pid=c)
    top = t.free(0.55, 0)
    left = t.free(0, 0.45)
    mid = t.free(0.5, 0.5)
    right = t.free(1, 0.55)
    bottom = t.free(0.45, 1)
    t.frame("LEFT_TOP", top, mid, left)
    t.frame(top, "RIGHT_TOP", right, mid)
    t.frame(left, mid, bottom, "LEFT_BOTTOM")
    t.frame(mid, right, "RIGHT_BOTTOM", bottom)
    t.button("LEFT_RIGHT", top, bottom, move_with=[mid])
    t.button("UP_DOWN", left, right, move_with=[mid])


def diamond(t):
    top, right, bottom, left = t.free(0.5, 0), t.free(1, 0.5), t.free(0.5, 1), t.free(0, 0.5)
    t.frame(top, right, bottom, left)
    t.frame("LEFT_TOP", top, left)
    t.frame(top, "RIGHT_TOP", right)
    t.frame(right, "RIGHT_BOTTOM", bottom)
    t.frame(left, bottom, "LEFT_BOTTOM")
    t.button("LEFT_RIGHT", top, bottom)
    t.button("UP_DOWN", left, right)


def window(t):
    """A centre frame with four trapezoids around it."""
    a, b, c, d = t.free(0.25, 0.25), t.free(0.75, 0.25), t.free(0.75, 0.75), t.free(0.25, 0.75)
    t.frame(a, b, c, d)
    t.frame("LEFT_TOP", "RIGHT_TOP", b, a)
    t.frame(b, "RIGHT_TOP", "RIGHT_BOTTOM", c)
    t.frame(d, c, "RIGHT_BOTTOM", "LEFT_BOTTOM")
    t.frame("LEFT_TOP", a, d, "LEFT_BOTTOM")
    t.button("UP_DOWN", a, b)
    t.button("LEFT_RIGHT", b, c)
    t.button("UP_DOWN", d, c)
    t.button("LEFT_RIGHT", a, d)
    t.button("LEFT_RIGHT", a, c, move_with=[b, d])  # the whole centre, drawn at its middle


def list_corners(t):
    for c, p in (("LEFT_TOP", (0, 0)), ("RIGHT_TOP", (1, 0)), ("RIGHT_BOTTOM", (1, 1)), ("LEFT_BOTTOM", (0, 1))):
        t.free(*p, pid=c)


def pinwheel(t):
    """Four frames turning around a centre square; corners listed."""
    list_corners(t)
    a, b = 1 / 3, 2 / 3
    p1, p2, p3, p4 = t.free(b, 0), t.free(1, b), t.free(a, 1), t.free(0, a)
    q4 = t.free(a, b)
    q3 = t.slider(t.vector(q4, p2), (b - a) / (1 - a))
    q2 = t.slider(t.vector(p1, q3), a / b)
    q1 = t.slider(t.vector(p4, q2), a / b)
    t.frame("LEFT_TOP", p1, q2, p4)
    t.frame(p1, "RIGHT_TOP", p2, q3)
    t.frame(q1, q2, q3, q4)
    t.frame(q4, p2, "RIGHT_BOTTOM", p3)
    t.frame(p4, q1, q4, p3, "LEFT_BOTTOM")
    t.button("UP_DOWN", p4, q2)
    t.button("LEFT_RIGHT", p1, q3)
    t.button("UP_DOWN", q4, p2)
    t.button("LEFT_RIGHT", q1, p3)


def octagon(t):
    """An octagon with the four corners cut off as triangles; corners listed."""
    list_corners(t)
    a = 0.25
    pts = [t.free(a, 0), t.free(1 - a, 0), t.free(1, a), t.free(1, 1 - a),
           t.free(1 - a, 1), t.free(a, 1), t.free(0, 1 - a), t.free(0, a)]
    t.frame(*pts)
    t.frame("LEFT_TOP", pts[0], pts[7])
    t.frame(pts[1], "RIGHT_TOP", pts[2])
    t.frame(pts[3], "RIGHT_BOTTOM", pts[4])
    t.frame(pts[6], pts[5], "LEFT_BOTTOM")


def chevrons(t):
    """Five columns between bent dividers; every point free."""
    xs = [0.2, 0.4, 0.6, 0.8]
    cols = []
    for x in xs:
        cols.append((t.free(x - 0.06, 0), t.free(x + 0.06, 0.5), t.free(x - 0.06, 1)))
    left = ("LEFT_TOP", None, "LEFT_BOTTOM")
    right = ("RIGHT_TOP", None, "RIGHT_BOTTOM")
    edges = [left] + cols + [right]
    for i in range(5):
        a, b = edges[i], edges[i + 1]
        poly = [a[0], b[0]] + ([b[1]] if b[1] else []) + [b[2], a[2]] + ([a[1]] if a[1] else [])
        t.frame(*poly)


def kaleidoscope(t):
    """A centre diamond; each corner triangle halved by a cut from a diamond corner to the layout edge,
    turning the same way round; corners listed."""
    list_corners(t)
    top, right, bottom, left = t.free(0.5, 0), t.free(1, 0.5), t.free(0.5, 1), t.free(0, 0.5)
    x1, x2, x3, x4 = t.free(0, 0.25), t.free(0.75, 0), t.free(1, 0.75), t.free(0.25, 1)
    t.frame(top, right, bottom, left)
    t.frame("LEFT_TOP", top, x1)
    t.frame(x1, top, left)
    t.frame(top, x2, right)
    t.frame(x2, "RIGHT_TOP", right)
    t.frame(right, x3, bottom)
    t.frame(x3, "RIGHT_BOTTOM", bottom)
    t.frame(left, bottom, x4)
    t.frame(left, x4, "LEFT_BOTTOM")


EDGES = {"top": ("LEFT_TOP", "RIGHT_TOP"), "right": ("RIGHT_TOP", "RIGHT_BOTTOM"),
         "bottom": ("LEFT_BOTTOM", "RIGHT_BOTTOM"), "left": ("LEFT_TOP", "LEFT_BOTTOM")}


def tracked(edges, node):
    """The split tree with the cut ends on the named outer edges sliding along those edges."""
    def draw(t):
        t.edge_tracks = {EDGES[e] for e in edges}
        build(t, node)
    return draw


def six_five(t):
    """A cross of two full cuts, the top left and bottom right quarters halved again."""
    p5, p6, p7, p8 = t.free(0, 0.5), t.free(0.25, 0), t.free(0.5, 0), t.free(0.5, 1)
    p9, p10 = t.free(0.75, 1), t.free(1, 0.5)
    v1 = t.vector(p7, p8)
    v2 = t.vector(p5, p10)
    p11 = t.slider(v2, 0.25)
    p12 = t.slider(v2, 0.75)
    p13 = t.cross(v2, v1)
    t.frame("LEFT_TOP", p6, p11, p5)
    t.frame(p6, p7, p13, p11)
    t.frame(p7, "RIGHT_TOP", p10, p13)
    t.frame(p5, p13, p8, "LEFT_BOTTOM")
    t.frame(p13, p12, p9, p8)
    t.frame(p12, p10, "RIGHT_BOTTOM", p9)
    t.button("UP_DOWN", p5, p10)
    t.button("LEFT_RIGHT", p7, p8)
    t.button("LEFT_RIGHT", p6, p11)
    t.button("LEFT_RIGHT", p12, p9)


# -- the catalogue ------------------------------------------------------------------------------

def L(x, y, subtree):
    return lambda t: corner_inset_region(t, x, y, subtree)


def U(x1, x2, y, subtree):
    return lambda t: edge_inset_region(t, x1, x2, y, subtree)


CATALOGUE = [
    ("1-1", full_frame),
    ("1-2", shaped_frame),

    ("2-1", V(0.5)),
    ("2-2", H(0.5)),
    ("2-3", V(1 / 3)),
    ("2-4", H(2 / 3)),
    ("2-5", V((0.6, 0.4))),
    ("2-6", H((0.6, 0.4))),
    ("2-7", diagonal),
    ("2-8", corner_inset()),
    ("2-9", bottom_inset()),
    ("2-10", top_left_inset),

    ("3-1", H(0.5, F(), V(0.5))),
    ("3-2", V(0.5, F(), H(0.5))),
    ("3-3", H(T3)),
    ("3-4", V(T3)),
    ("3-5", V([0.25, 0.75])),
    ("3-6", V(0.5, H(0.5), F())),
    ("3-7", H(2 / 3, F(), V(0.5))),
    ("3-8", fan),
    ("3-9", H([(0.38, 0.28), (0.72, 0.62)])),
    ("3-10", H(0.6, Diag("\\"), F())),
    ("3-11", L(0.55, 0.55, H(0.5))),
    ("3-12", H([0.25, 0.75])),
    ("3-13", V(0.6, F(), CornerCut(0.5, 0.35))),
    ("3-14", two_insets),

    ("4-1", Grid([0.5], [0.5])),
    ("4-2", tracked(["left", "right"], H(Q4))),
    ("4-3", V(Q4)),
    ("4-4", V(0.5, F(), H(T3))),
    ("4-5", H(0.5, F(), V(T3))),
    ("4-6", H(0.5, V(0.4), V(0.6))),
    ("4-7", Cross4()),
    ("4-8", H(2 / 3, F(), V(T3))),
    ("4-9", U(0.2, 0.8, 0.45, V(T3))),
    ("4-10", H(0.6, V([0.3, 0.7]), F())),
    ("4-11", H([(0.3, 0.2), (0.55, 0.45), (0.8, 0.7)])),
    ("4-12", V(0.5, H(0.6), H(0.4))),
    ("4-13", L(0.5, 0.5, H(T3))),
    ("4-14", V(0.6, F(), H([(0.3, 0.4), (0.6, 0.7)]))),
    ("4-15", Grid([(0.45, 0.55)], [(0.55, 0.45)])),
    ("4-16", free_quads),

    ("5-1", V(0.5, F(), H(Q4))),
    ("5-2", H(0.5, V(0.5), V(T3))),
    ("5-3", V([0.2, 0.4, 0.6, 0.8])),
    ("5-4", H(0.5, V(T3), V(0.5))),
    ("5-5", diamond),
    ("5-6", window),
    ("5-7", pinwheel),
    ("5-8", V(0.5, H(T3), H(0.5))),
    ("5-9", octagon),
    ("5-10", V(0.6, H(0.5), H([0.3, 0.7]))),
    ("5-11", chevrons),
    ("5-12", L(0.4, 0.45, V(Q4))),
    ("5-13", H([(0.25, 0.15), (0.45, 0.35), (0.65, 0.55), (0.85, 0.75)])),
    ("5-14", Grid([0.5], [0.4], [F(), V(0.5), F(), F()])),

    ("6-1", tracked(["top"], Grid([0.5], T3))),
    ("6-2", Grid(T3, [0.5])),
    ("6-3", H(2 / 3, V(0.6, F(), H(0.5)), V(T3))),
    ("6-4", V(T3, H(0.45), H(0.6), H(0.4))),
    ("6-5", six_five),
    ("6-6", V(T3, Diag("/"), Diag("\\"), Diag("/"))),
    ("6-7", Grid([0.5], [0.35], [F(), V(0.5), F(), V(0.4)])),
    ("6-8", U(0.2, 0.8, 0.4, H(0.5, V(T3), V(0.5)))),
    ("6-9", H(0.5, V(0.5, F(), CornerCut(0.5, 0.4)), V(T3))),
    ("6-10", L(0.4, 0.4, H(0.5, V(0.5), V(T3)))),

    ("7-1", H(0.5, V(T3), V(Q4))),
    ("7-2", Grid(T3, [0.5], [F(), F(), F(), F(), F(), V(0.5)])),
    ("7-3", H(T3, V(0.5), V(T3), V(0.5))),
    ("7-4", V([0.25, 0.75], H(T3), F(), H(T3))),
    ("7-5", Grid([0.5], T3, [F(), F(), F(), F(), H(0.5), F()])),
    ("7-6", lambda t: (list_corners(t), build(t, V(0.5, H(T3), H(Q4))))),
    ("7-7", V(1 / 3, H(T3), H(0.5, F(), V(T3)))),
    ("7-8", H(0.5, V(T3, Diag("/"), F(), Diag("\\")), V(0.5))),
    ("7-9", H(2 / 3, V(2 / 3, F(), H(0.5)), V(Q4))),
    ("7-10", Grid([0.75], [0.5], [V(0.5), H(T3), F(), F()])),
    ("7-11", L(0.4, 0.4, H(0.5, V(T3), V(T3)))),
    ("7-12", H(0.6, F(), Grid([0.5], T3))),
    ("7-13", L(0.45, 0.45, Grid([0.5], T3))),

    ("8-1", tracked(["top"], Grid([0.5], Q4))),
    ("8-2", tracked(["left"], Grid(Q4, [0.5]))),
    ("8-3", Grid([0.5], [0.5], [Diag("\\"), Diag("/"), Diag("/"), Diag("\\")])),
    ("8-4", H(0.5, V([0.25, 0.5, 0.75]), V([0.3, 0.45, 0.7]))),
    ("8-5", H(2 / 3, V(2 / 3, F(), H(T3)), V(Q4))),
    ("8-6", V(Q4, H(0.45), H(0.55), H(0.4), H(0.6))),
    ("8-7", L(0.4, 0.4, Grid([0.5], T3, [F(), F(), F(), F(), F(), H(0.5)]))),
    ("8-8", H([0.25, 0.75], V(T3), V(0.5), V(T3))),
    ("8-9", V(T3, H(T3), H(0.5), H(T3))),
    ("8-10", V(0.5, H(Q4), H([0.3, 0.55, 0.7]))),
    ("8-11", H(0.5, V([(0.3, 0.25), (0.55, 0.5), (0.8, 0.7)]), V([(0.3, 0.25), (0.55, 0.5), (0.75, 0.7)]))),
    ("8-12", H(0.7, F(), V([i / 7 for i in range(1, 7)]))),
    ("8-13", H([0.3, 0.7], V(Q4), V(0.5), V(0.4))),

    ("9-1", lambda t: (list_corners(t), build(t, V([0.2, 0.4, 0.6, 0.8], H(T3), F(), F(), F(), H(T3))))),
    ("9-2", tracked(["top", "bottom"], Grid(T3, T3))),
    ("9-3", H(0.5, V(Q4, F(), H(0.45), H(0.55), F()), V([0.35, 0.65]))),
    ("9-4", L(0.3, 0.3, H(0.5, V(Q4), V([0.25, 0.5, 0.7])))),
    ("9-5", V(0.5, H(Q4, F(), V(0.45), V(0.55), F()), H([0.35, 0.65]))),
    ("9-6", tracked(["top", "bottom"], Grid([0.25, 0.75], [0.25, 0.75]))),
    ("9-7", kaleidoscope),
    ("9-8", V(T3, H(0.5), H([0.3, 0.7], F(), V(0.5), F()), H(T3))),
    ("9-9", Grid([(0.3, 0.36), (0.64, 0.7)], [(0.36, 0.3), (0.7, 0.64)])),
    ("9-10", lambda t: (list_corners(t), build(t, H([0.2, 0.4, 0.6, 0.8], V(T3), F(), F(), F(), V(T3))))),
    ("9-11", V([0.15, 0.35, 0.65, 0.85], H(0.5), F(), F(), F(), H(Q4))),
    ("9-12", H([0.15, 0.3, 0.7, 0.85], V(Q4), F(), F(), F(), V(0.5))),
]


def make(tid, design):
    t = Template(tid)
    if callable(design):
        design(t)
    else:
        build(t, design)
    return t
