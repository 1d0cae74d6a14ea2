#!/usr/bin/python3
"""Checks the proxy graphics hostsim saves for watermarks with another DXF
library (Debian's python3-ezdxf).

1. Runs a watermark script in hostsim with the module and saves the drawing.
2. For every watermark: its graphics decode (ezdxf.proxygraphic.ProxyGraphic),
   and the primitives match its clones (kept in the record as embedded
   objects): a line's end points, a circle's centre and radius, an arc's
   centre, radius and angles, a text's string and place, within round-off.
3. ezdxf's drawing add-on draws every watermark (lines and texts).
4. The same drawing opened in hostsim without the module and saved again
   still carries the graphics (the proxies keep them).
5. With PROXYGRAPHICS 0 no watermark carries graphics.

Exits with status 1 when any check fails.
"""
import argparse
import math
import os
import subprocess
import sys

import ezdxf
from ezdxf.addons.drawing import Frontend, RenderContext
from ezdxf.addons.drawing.debug_backend import BasicBackend
from ezdxf.proxygraphic import ProxyGraphic

FAILURES = []
CHECKS = [0]
TOL = 1e-6


def check(ok, message):
    CHECKS[0] += 1
    if not ok:
        FAILURES.append(message)
        print("FAIL: " + message)
    return ok


def close(a, b):
    return all(abs(x - y) <= TOL * max(1.0, abs(x), abs(y)) for x, y in zip(a, b))


def run_hostsim(hostsim, drawing, script, out, load=True):
    args = [hostsim, "--registry", out + ".reg", "--script", "-", "--save", out]
    if not load:
        args.append("--no-load")
    args.append(drawing)
    p = subprocess.run(args, input=script.encode(), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    if not check(p.returncode == 0, "hostsim exited %d on %s\n%s" % (p.returncode, drawing, p.stdout.decode()[-2000:])):
        sys.exit(1)


def watermarks(doc):
    return [e for e in doc.modelspace() if e.dxftype().upper() == "QWK_WATERMARK"]


def clones(entity):
    """(class name, {code: [values]}) of each clone, in slot order."""
    names = []
    for subclass in entity.xtags.subclasses:
        if subclass and subclass[0] == (100, "QWK_WaterMark"):
            names = [t.value for t in subclass if t.code == 300]
    # ezdxf splits embedded objects at each 101: the class name of the next
    # clone ends the embedded object before it.
    for tags in entity.embedded_objects or []:
        names += [t.value for t in tags if t.code == 300]
    out = []
    for name, tags in zip(names, entity.embedded_objects or []):
        groups = {}
        for t in tags:
            groups.setdefault(t.code, []).append(t.value)
        out.append((name, groups))
    return out


def matches(clone, virtual):
    name, g = clone
    t = virtual.dxftype()
    if name == "AcDbLine":
        if t == "LINE":
            pts = [virtual.dxf.start, virtual.dxf.end]
        elif t == "POLYLINE":
            pts = list(virtual.points())
        else:
            return False
        return len(pts) == 2 and close(pts[0], g[10][0]) and close(pts[1], g[11][0])
    if name == "AcDbCircle":
        return t == "CIRCLE" and close(virtual.dxf.center, g[10][0]) and close([virtual.dxf.radius], [g[40][0]])
    if name == "AcDbArc":
        if t != "ARC" or not (close(virtual.dxf.center, g[10][0]) and close([virtual.dxf.radius], [g[40][0]])):
            return False
        a0 = math.radians(virtual.dxf.start_angle) % (2 * math.pi)
        a1 = math.radians(virtual.dxf.end_angle) % (2 * math.pi)
        b0 = math.radians(g[50][0]) % (2 * math.pi)
        b1 = math.radians(g[51][0]) % (2 * math.pi)
        return abs(a0 - b0) < 1e-6 and abs(a1 - b1) < 1e-6
    if name == "AcDbText":
        if t != "TEXT" or virtual.dxf.text != g[1][0]:
            return False
        aligned = g.get(72, [0])[0] or g.get(73, [0])[0]
        return aligned or close(virtual.dxf.insert, g[10][0])
    if name == "AcDbPolyline":
        return t in ("POLYLINE", "ARC", "LINE")
    if name == "AcDbMText":
        return t == "TEXT"
    return True


def check_graphics(doc, label):
    marks = watermarks(doc)
    check(len(marks) > 0, label + ": no watermark found")
    for e in marks:
        h = e.dxf.handle
        if not check(e.proxy_graphic is not None, "%s: watermark %s has no graphics" % (label, h)):
            continue
        virtual = list(ProxyGraphic(e.proxy_graphic, doc).virtual_entities())
        cl = clones(e)
        check(len(cl) > 0, "%s: watermark %s has no clones" % (label, h))
        # Each clone draws, in slot order, primitives of its own type.
        pos = 0
        for clone in cl:
            found = False
            while pos < len(virtual):
                v = virtual[pos]
                pos += 1
                if matches(clone, v):
                    found = True
                    break
            check(found, "%s: watermark %s: no primitive matches its %s %s" % (label, h, clone[0], clone[1].get(10)))


class Recording(BasicBackend):
    def __init__(self):
        super().__init__()
        self.stack = []
        self.by_top = {}

    def enter_entity(self, entity, properties):
        super().enter_entity(entity, properties)
        self.stack.append(entity)

    def exit_entity(self, entity):
        super().exit_entity(entity)
        if self.stack:
            self.stack.pop()

    def _note(self, kind):
        if self.stack:
            top = self.stack[0]
            self.by_top.setdefault(top.dxf.handle, []).append(kind)

    def draw_line(self, start, end, properties):
        self._note("line")

    def draw_text(self, text, transform, properties, cap_height):
        self._note("text")

    def draw_point(self, pos, properties):
        self._note("point")

    def draw_filled_polygon(self, points, properties):
        self._note("polygon")


def check_drawing_addon(doc, label):
    backend = Recording()
    Frontend(RenderContext(doc), backend).draw_layout(doc.modelspace(), finalize=True)
    for e in watermarks(doc):
        drawn = backend.by_top.get(e.dxf.handle, [])
        kinds = set(n for n, _ in clones(e))
        check(len(drawn) > 0, "%s: the drawing add-on draws nothing for watermark %s" % (label, e.dxf.handle))
        if kinds & {"AcDbText", "AcDbMText"}:
            check("text" in drawn, "%s: watermark %s draws no text" % (label, e.dxf.handle))
        if kinds & {"AcDbLine", "AcDbCircle", "AcDbArc", "AcDbPolyline"}:
            check("line" in drawn, "%s: watermark %s draws no lines" % (label, e.dxf.handle))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--hostsim", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--drawing", action="append", required=True)
    ap.add_argument("--script", action="append", required=True)
    a = ap.parse_args()
    os.makedirs(a.work, exist_ok=True)
    for i, (drawing, script_path) in enumerate(zip(a.drawing, a.script)):
        with open(script_path) as f:
            script = f.read()
        out = os.path.join(a.work, "proxygraphics_%d.dxf" % i)
        run_hostsim(a.hostsim, drawing, script, out)
        doc = ezdxf.readfile(out)
        check_graphics(doc, out)
        check_drawing_addon(doc, out)

        again = os.path.join(a.work, "proxygraphics_%d_noload.dxf" % i)
        run_hostsim(a.hostsim, out, "ERASE\nALL\n\n", again, load=False)
        doc2 = ezdxf.readfile(again)
        check_graphics(doc2, again)
        check_drawing_addon(doc2, again)

        none = os.path.join(a.work, "proxygraphics_%d_none.dxf" % i)
        run_hostsim(a.hostsim, drawing, script.rstrip("\n") + "\nSETVAR\nPROXYGRAPHICS\n0\n", none)
        doc3 = ezdxf.readfile(none)
        for e in watermarks(doc3):
            check(e.proxy_graphic is None, "%s: watermark %s carries graphics" % (none, e.dxf.handle))
    print("%d passed, %d failed" % (CHECKS[0] - len(FAILURES), len(FAILURES)))
    sys.exit(1 if FAILURES else 0)


if __name__ == "__main__":
    main()
