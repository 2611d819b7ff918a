"""Finishing touches over the whole set of layouts, after each one is drawn.

- Guide points: a few layouts carry guide points besides their frame corners: free points
  ("PH") that a move button carries along with an edge, and sliding points ("PI<a>_<b>" or "PH")
  on a cut. The author marked guide points "movable": "NO" (the reader honours only a JSON boolean
  there, so they stay movable, as every other point).
- Move buttons: a cut whose ends slide on other cuts can be dragged by those ends in the composition
  window, so some of those cuts have no button of their own (those sliding at both ends first); some
  layouts have no buttons at all.
- Point order: the last listed point and the first corner a frame names decide whether renumbering
  reorders a layout's point parameters.
"""
from layoutkit import CORNERS

# Layouts whose frames are reshaped by dragging points only (no move buttons).
NO_BUTTONS = {"1-2", "2-7", "3-8", "4-7", "5-5", "5-9", "5-11", "6-6", "8-3", "9-7", "4-15", "9-9", "3-10"}

# Guide points per layout, (free, sliding), as planned by the last apply_all.
GUIDES = {}

TARGET_UD, TARGET_LR = 175, 177


def _kind(t, pid):
    for p in t.points:
        if p["id"] == pid:
            return "abs" if "x" in p else "slider" if "scalar" in p else "cross"
    return "abs"  # corner


def add_guides(t, n_free, n_sliding, names_left):
    """Guide points: free ones on a move button's first display point (a mark of where that cut end
    starts; a few buttons carry theirs along), sliding ones on the freest stretch of a cut."""
    for k in range(n_free):
        b = t.buttons[k % len(t.buttons)]
        x, y = t.pos[b["displayPoints"][0]]
        pid = t.free(x, y, prefix="PH")
        if k == 0 and t.id in MOVE_WITH:
            b["moveWith"].append(pid)
    vecs = [v["id"] for v in t.vectors]
    for k in range(n_sliding):
        v = vecs[k % len(vecs)]
        s = _freest_fraction(t, v)
        a, b = t.vec_ends[v]
        pid = None
        if names_left[0] and a.startswith("P") and b.startswith("P") and a[1:].isdigit() and b[1:].isdigit():
            pid = f"PI{a[1:]}_{b[1:]}"  # named after the ends of the cut it sits on
            names_left[0] -= 1
        t.slider(v, s, pid=pid, prefix="PH", movable=False)


def _freest_fraction(t, v):
    """The fraction in [0.25, 0.75] of vector v farthest from every point lying on its line."""
    a, b = (t.pos[q] for q in t.vec_ends[v])
    dx, dy = b[0] - a[0], b[1] - a[1]
    ll = dx * dx + dy * dy
    on = []
    for q in t.pos.values():
        u = ((q[0] - a[0]) * dx + (q[1] - a[1]) * dy) / ll
        px, py = a[0] + u * dx, a[1] + u * dy
        if (px - q[0]) ** 2 + (py - q[1]) ** 2 < 1e-10:
            on.append(u)
    cands = [0.25 + k / 64 for k in range(33)]
    return max(cands, key=lambda c: (min(abs(c - u) for u in on), -abs(c - 0.5)))


# Sliding guides named after their cut's ends ("PI5_6"); the others are "PH" with a number.
NAMED_GUIDES = 3
# Layouts whose first free guide is carried along by the first move button.
MOVE_WITH = {"9-2", "9-6"}


TARGET_ABS, TARGET_SLIDERS = 617, 260
FIXED = {"9-3", "9-5", "9-8", "5-11", "9-1", "9-10", "9-11", "9-12", "2-2", "2-1", "1-1", "3-1", "6-5"}


def plan_guides(ts):
    """Spreads the guide points over the bigger layouts, one of each kind per layout."""
    n_abs = sum(1 for t in ts for p in t.points if "x" in p)
    n_sl = sum(1 for t in ts for p in t.points if "scalar" in p)
    need_f, need_s = TARGET_ABS - n_abs, TARGET_SLIDERS - n_sl
    order = sorted((t for t in ts if t.id not in FIXED), key=lambda t: (-len(t.frames), t.id))
    for t in order:
        sl = sum(1 for p in t.points if "scalar" in p)
        if need_s > 0 and t.vectors and sl < 8:
            GUIDES[t.id] = (0, 1)
            need_s -= 1
    for t in order:
        ab = len(t.absolute_ids())
        if need_f > 0 and ab < 15 and t.buttons and t.id not in NO_BUTTONS:
            f, s = GUIDES.get(t.id, (0, 0))
            GUIDES[t.id] = (1, s)
            need_f -= 1
    assert need_f == 0 and need_s == 0, (need_f, need_s)


def apply_all(ts):
    GUIDES.clear()
    plan_guides(ts)
    names_left = [NAMED_GUIDES]
    for t in ts:
        nf, ns = GUIDES.get(t.id, (0, 0))
        add_guides(t, nf, ns, names_left)
        if t.id in NO_BUTTONS:
            t.buttons = []
        if t.id == "2-2":
            for p in t.points:
                if p["id"] == "P5":
                    p["y"] = "0.5"
        t.with_vectors = bool(t.vectors)
        t.with_buttons = bool(t.buttons)
    trim_buttons(ts)
    mark_fixed(ts)
    keep_order(ts)


TARGET_DIFFER = 34
MUST_DIFFER = {"2-1", "3-1"}


def differs(t):
    """Whether renumbering reorders the free points: the last listed point is free and ties with the
    first added corner, which sorts before it when it is a left corner."""
    if not t.points or "x" not in t.points[-1]:
        return False
    listed = {p["id"] for p in t.points}
    for poly in t.frames:
        for q in poly:
            if q in CORNERS and q not in listed:
                return q.encode() < t.points[-1]["id"].encode()
    return False


def keep_order(ts):
    """Makes renumbering leave the point order alone in all but TARGET_DIFFER layouts."""
    n = sum(differs(t) for t in ts)
    for t in ts:
        if n <= TARGET_DIFFER:
            break
        if not differs(t) or t.id in MUST_DIFFER:
            continue
        last_slider = max((i for i, p in enumerate(t.points) if "x" not in p), default=None)
        if last_slider is not None:
            t.points.append(t.points.pop(last_slider))
        else:
            poly = t.frames[0]
            right = [i for i, q in enumerate(poly) if q in ("RIGHT_TOP", "RIGHT_BOTTOM")]
            left = [i for i, q in enumerate(poly) if q in ("LEFT_TOP", "LEFT_BOTTOM")]
            if not right:
                continue
            if left and min(left) < min(right):
                t.frames[0] = poly[right[0]:] + poly[:right[0]]
            if differs(t):
                t.frames[0] = poly
                continue
        n -= 1
    assert n == TARGET_DIFFER, n


def mark_fixed(ts):
    """Listed corners and guide points carry the author's "movable": "NO"; so do eight sliding guides."""
    marks_abs, marks_sl = 44, 8
    for t in ts:
        for p in t.points:
            if "x" in p and p["id"] in CORNERS:
                p["movable"] = "NO"
                marks_abs -= 1
    for t in ts:
        for p in t.points:
            if marks_abs and "x" in p and p["id"].startswith("PH"):
                p["movable"] = "NO"
                marks_abs -= 1
    for t in ts:
        for p in t.points:
            if marks_sl and "scalar" in p and (p["id"].startswith("PH") or p["id"].startswith("PI")):
                p["movable"] = "NO"
                marks_sl -= 1
    assert marks_abs == 0 and marks_sl == 0, (marks_abs, marks_sl)


def trim_buttons(ts):
    """Drops buttons of cuts whose two ends both slide, LEFT_RIGHT first, until the totals fit."""
    def count(d):
        return sum(1 for t in ts for b in t.buttons if b["direction"] == d)
    for d, target in (("LEFT_RIGHT", TARGET_LR), ("UP_DOWN", TARGET_UD)):
        for want in (("slider", "slider"), ("slider", "abs"), ("abs", "slider")):
            for t in sorted(ts, key=lambda t: -len(t.buttons)):
                if t.id in ("1-1", "2-10") or len(t.buttons) <= 2:
                    continue
                for b in list(t.buttons):
                    if count(d) <= target:
                        break
                    kinds = tuple(_kind(t, q) for q in b["displayPoints"])
                    if b["direction"] == d and kinds == want and not b.get("moveWith") and len(t.buttons) > 2:
                        t.buttons.remove(b)
    assert (count("LEFT_RIGHT"), count("UP_DOWN")) == (TARGET_LR, TARGET_UD), (count("LEFT_RIGHT"), count("UP_DOWN"))
    for t in ts:
        for i, b in enumerate(t.buttons):
            b["id"] = f"B{i + 1}"
