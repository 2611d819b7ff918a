"""Per-layout counts, to see where the totals come from."""
from collections import Counter

CORN = {"LEFT_TOP", "RIGHT_TOP", "RIGHT_BOTTOM", "LEFT_BOTTOM"}


def show(docs):
    tot = Counter()
    for t in docs:
        pts = t["points"]
        ab = sum(1 for p in pts if "x" in p)
        sl = sum(1 for p in pts if "scalar" in p)
        cr = sum(1 for p in pts if "crossVector" in p)
        named = {c for f in t["frames"] for c in f["polygon"] if c in CORN} - {p["id"] for p in pts}
        sizes = Counter(len(f["polygon"]) for f in t["frames"])
        nb = len(t.get("moveButtons", []))
        ud = sum(1 for b in t.get("moveButtons", []) if b["direction"] == "UP_DOWN")
        nv = len(t.get("vectors", []))
        print(f"{t['id']:5} abs {ab:2}+{len(named)} sl {sl} cr {cr} vec {nv}{'' if 'vectors' in t else '-'} "
              f"btn {nb}{'' if 'moveButtons' in t else '-'} ud {ud} poly {dict(sorted(sizes.items()))}")
        tot.update(abs=ab, sl=sl, cr=cr, vec=nv, btn=nb, ud=ud, novec=int("vectors" not in t),
                   nobtn=int("moveButtons" not in t), pts=len(pts))
        for k, v in sizes.items():
            tot[f"poly{k}"] += v
    print(dict(tot))
    print("targets: abs 617 (573+44) sl 260 cr 40 vec 160 btn 352 ud 175 novec 32 nobtn 13 pts 917 "
          "poly3 47 poly4 490 poly5 5 poly6 13 poly8 6")
