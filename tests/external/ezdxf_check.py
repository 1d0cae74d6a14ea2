#!/usr/bin/python3
"""Checks hostsim's DXF files with another DXF library (Debian's python3-ezdxf).

1. Writes test drawings with ezdxf, has hostsim open and save each of them,
   and compares the two files entity by entity: same types and handles,
   values within round-off, entities hostsim does not know byte for byte,
   every table entry and object still there.
2. Opens every file hostsim wrote with ezdxf.readfile (strict) and audits it;
   any audit error fails the check.
3. Optionally (--watermark SCRIPT) runs a watermark script and checks the
   watermark's groups in the saved file.

Exits with status 1 on the first failing drawing (after reporting all).
"""
import argparse
import math
import os
import shutil
import subprocess
import sys

import ezdxf

FAILURES = []


def fail(message):
    FAILURES.append(message)
    print("FAIL: " + message)


# ---- raw tags, our own splitting, so byte-level comparison does not depend on ezdxf ----

def raw_tags(path):
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    lines = data.split(b"\n")
    lines = [l[:-1] if l.endswith(b"\r") else l for l in lines]
    tags = []
    for i in range(0, len(lines) - 1, 2):
        tags.append((int(lines[i].strip()), lines[i + 1]))
    return tags


def raw_items(path):
    """Entities and objects by handle: {handle: [(code, bytes), ...]} with their followers."""
    items = {}
    current = None
    section = None
    tags = raw_tags(path)
    for i, (code, value) in enumerate(tags):
        if code == 0:
            current = None
            if value in (b"SECTION", b"ENDSEC", b"EOF", b"TABLE", b"ENDTAB"):
                continue
            handle = None
            for c, v in tags[i + 1:]:
                if c == 0:
                    break
                if c in (5, 105):
                    handle = v.decode().upper()
                    break
            if handle is not None:
                current = []
                items[handle] = current
        if current is not None:
            current.append((code, value))
    return items


def without_owner(tags):
    """The tags with the owner handle (the last 330 before the first subclass) blanked."""
    out = list(tags)
    owner = None
    for i, (code, _) in enumerate(out):
        if code == 100:
            break
        if code == 330:
            owner = i
    if owner is not None:
        out[owner] = (330, b"*")
    return out


# ---- test drawings ----

def add_content(doc):
    doc.layers.add("Walls", color=1)
    doc.layers.add("Doors", color=5, linetype="Continuous")
    doc.styles.add("Notes", font="isocp.shx")
    door = doc.blocks.new("Door", base_point=(0.5, 0))
    door.add_line((0, 0), (0.9, 0), dxfattribs={"layer": "Doors"})
    door.add_arc((0, 0), 0.9, 0, 90, dxfattribs={"layer": "Doors"})
    door.add_attdef("NUMBER", (0, -0.3), dxfattribs={"height": 0.2})
    msp = doc.modelspace()
    msp.add_line((0, 0, 0), (10.125, 0.1, 0), dxfattribs={"layer": "Walls"})
    msp.add_line((10.125, 0.1), (10.125, 8.0 / 3.0), dxfattribs={"layer": "Walls", "color": 3})
    msp.add_circle((5, 5), 1.0 / 7.0)
    msp.add_arc((2, 2), 1.5, 30.0, 271.25, dxfattribs={"linetype": "Continuous"})
    msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (4, 0, 0, 0, -1.0), (4, 3), (0, 3, 0, 0, 0.25)], format="xyseb",
                       dxfattribs={"closed": True})
    msp.add_text("Ground floor", dxfattribs={"height": 0.35, "insert": (1, 9), "rotation": 12.5, "style": "Notes"})
    msp.add_mtext("Two lines\\Pof notes", dxfattribs={"char_height": 0.25, "insert": (1, 11)})
    msp.add_point((3, 3))
    msp.add_ellipse((6, 6), major_axis=(2, 1), ratio=0.4)
    msp.add_blockref("Door", (3, 0))
    ref = msp.add_blockref("Door", (6, 0), dxfattribs={"rotation": 90})
    ref.add_auto_attribs({"NUMBER": "D-12"})
    msp.add_spline([(0, 0), (1, 2), (3, 2), (4, 0)])
    hatch = msp.add_hatch(color=2)
    hatch.paths.add_polyline_path([(0, 0), (1, 0), (1, 1), (0, 1)], is_closed=True)
    msp.add_polyline2d([(0, 0), (1, 1), (2, 0)])
    doc.objects.add_xrecord(doc.rootdict.dxf.handle).reset([(1, "kept record"), (40, 2.5)])


def make_drawings(folder):
    paths = []
    for version in ("R2000", "R2004", "R2010", "R2018"):
        doc = ezdxf.new(version)
        add_content(doc)
        path = os.path.join(folder, "ezdxf_%s.dxf" % version)
        doc.saveas(path)
        paths.append(path)
    doc = ezdxf.new("R12")
    msp = doc.modelspace()
    msp.add_line((0, 0), (3, 4))
    msp.add_circle((1, 1), 2.5)
    msp.add_text("R12 text", dxfattribs={"height": 0.5})
    path = os.path.join(folder, "ezdxf_R12.dxf")
    doc.saveas(path)
    paths.append(path)
    return paths


# ---- comparison ----

def close(a, b):
    if isinstance(a, (int, float)) and isinstance(b, (int, float)):
        return math.isclose(a, b, rel_tol=1e-12, abs_tol=1e-12)
    if isinstance(a, (tuple, list)) or hasattr(a, "__iter__") and not isinstance(a, str):
        try:
            la, lb = list(a), list(b)
        except TypeError:
            return a == b
        return len(la) == len(lb) and all(close(x, y) for x, y in zip(la, lb))
    return a == b


IGNORED_ATTRIBS = {"owner", "handle"}


def compare_entities(name, before, after, raw_before, raw_after):
    """Entities are matched by handle; in a file without handles, by position."""
    by_handle = {e.dxf.handle: e for e in after}
    by_position = not raw_before
    if by_position and len(before) != len(after):
        fail("%s: %d entities became %d" % (name, len(before), len(after)))
    for index, e in enumerate(before):
        h = e.dxf.handle
        if by_position:
            other = after[index] if index < len(after) else None
        else:
            other = by_handle.get(h)
        if other is None:
            fail("%s: %s %s lost" % (name, e.dxftype(), h))
            continue
        if other.dxftype() != e.dxftype():
            fail("%s: %s became %s (handle %s)" % (name, e.dxftype(), other.dxftype(), h))
            continue
        for key, value in e.dxf.all_existing_dxf_attribs().items():
            if key in IGNORED_ATTRIBS:
                continue
            got = other.dxf.get(key)
            if not close(value, got):
                fail("%s: %s %s: %s was %r, is %r" % (name, e.dxftype(), h, key, value, got))
        if e.dxftype() == "LWPOLYLINE":
            if not close(list(e.get_points()), list(other.get_points())):
                fail("%s: LWPOLYLINE %s: vertices differ" % (name, h))
        known = e.dxftype() in ("LINE", "CIRCLE", "ARC", "LWPOLYLINE", "TEXT", "MTEXT", "POINT", "ELLIPSE")
        plain_insert = e.dxftype() == "INSERT" and not e.attribs
        if not known and not plain_insert and not by_position:
            rb = raw_before.get(h.upper())
            ra = raw_after.get(h.upper())
            if rb is None or ra is None or without_owner(rb) != without_owner(ra):
                fail("%s: %s %s is not written back unchanged" % (name, e.dxftype(), h))


def compare_docs(name, before_path, after_path):
    before = ezdxf.readfile(before_path)
    after = ezdxf.readfile(after_path)
    raw_before = raw_items(before_path)
    raw_after = raw_items(after_path)
    compare_entities(name, list(before.modelspace()), list(after.modelspace()), raw_before, raw_after)
    for block in before.blocks:
        if block.name.lower() in ("*model_space", "*paper_space", "$model_space", "$paper_space"):
            continue
        other = after.blocks.get(block.name)
        if other is None:
            fail("%s: block %s lost" % (name, block.name))
            continue
        compare_entities(name + " block " + block.name, list(block), list(other), raw_before, raw_after)
    for table in ("layers", "linetypes", "styles", "appids", "dimstyles", "ucs", "views", "viewports"):
        names_before = {entry.dxf.name.lower() for entry in getattr(before, table)}
        names_after = {entry.dxf.name.lower() for entry in getattr(after, table)}
        for lost in sorted(names_before - names_after):
            fail("%s: %s entry %s lost" % (name, table, lost))
    for layer in before.layers:
        other = after.layers.get(layer.dxf.name)
        if other is not None and other.color != layer.color:
            fail("%s: layer %s colour %s became %s" % (name, layer.dxf.name, layer.color, other.color))
    if before.dxfversion >= "AC1015":
        handles_after = {o.dxf.handle for o in after.objects}
        for o in before.objects:
            if o.dxftype() in ("SORTENTSTABLE",):
                continue
            if o.dxf.handle not in handles_after:
                fail("%s: object %s %s lost" % (name, o.dxftype(), o.dxf.handle))


def strict_audit(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as exc:  # ezdxf raises DXFStructureError and friends
        fail("%s: ezdxf cannot read it: %s" % (path, exc))
        return None
    auditor = doc.audit()
    for error in auditor.errors:
        fail("%s: audit error %s: %s" % (path, error.code, error.message))
    return doc


def run_hostsim(hostsim, args, cwd, script_text=""):
    script = os.path.join(cwd, "script.scr")
    with open(script, "w") as f:
        f.write(script_text)
    cmd = [hostsim, "--registry", os.path.join(cwd, "registry.reg"), "--script", script] + args
    proc = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    if proc.returncode != 0:
        fail("hostsim %s exited with %d:\n%s" % (" ".join(args), proc.returncode, proc.stdout.decode(errors="replace")))
    return proc


def check_watermark(path):
    tags = raw_tags(path)
    starts = [i for i, (c, v) in enumerate(tags) if c == 0 and v.upper() == b"QWK_WATERMARK"]
    if not starts:
        fail("%s: no watermark written" % path)
        return
    classes = [i for i, (c, v) in enumerate(tags) if c == 0 and v == b"CLASS"]
    if not any(tags[i + 1] == (1, b"QWK_WaterMark") for i in classes):
        fail("%s: no CLASS entry for QWK_WaterMark" % path)
    start = starts[0]
    end = next(i for i in range(start + 1, len(tags)) if tags[i][0] == 0)
    body = tags[start:end]
    try:
        m = body.index((100, b"QWK_WaterMark"))
    except ValueError:
        fail("%s: watermark without its subclass marker" % path)
        return
    if body[m + 1] != (70, b"1"):
        fail("%s: watermark version group is %r" % (path, body[m + 1]))
    count = int(body[m + 2][1])
    names = [v for c, v in body[m + 3:] if c == 300]
    embedded = [v for c, v in body[m + 3:] if c == 101]
    if body[m + 2][0] != 70 or count < 1 or len(names) != count or embedded != [b"Embedded Object"] * count:
        fail("%s: watermark count %d, class names %r, embedded starts %d" % (path, count, names, len(embedded)))
    first = body[m + 3]
    if first[0] != 300 or body[m + 4] != (101, b"Embedded Object") or body[m + 5] != (100, b"AcDbEntity"):
        fail("%s: first clone not written as 300, 101, then its own groups: %r" % (path, body[m + 3:m + 6]))
    print("watermark: %d clones: %s" % (count, b", ".join(sorted(set(names))).decode()))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--hostsim", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--data", help="folder of hand-written drawings to round-trip too")
    ap.add_argument("--watermark-drawing", help="drawing to stamp with --watermark-script")
    ap.add_argument("--watermark-script")
    args = ap.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    inputs = make_drawings(args.work)
    if args.data:
        for name in sorted(os.listdir(args.data)):
            if name.endswith(".dxf"):
                shutil.copy(os.path.join(args.data, name), args.work)
                inputs.append(os.path.join(args.work, name))
    outputs = []
    for path in inputs:
        name = os.path.basename(path)
        out = path[:-4] + ".hostsim.dxf"
        run_hostsim(args.hostsim, ["--save", out, path], args.work)
        if not os.path.exists(out):
            fail("%s: hostsim wrote nothing" % name)
            continue
        outputs.append(out)
        strict_audit(out)
        compare_docs(name, path, out)
        # Saved again, the file stays the same.
        again = path[:-4] + ".again.dxf"
        run_hostsim(args.hostsim, ["--save", again, out], args.work)
        if os.path.exists(again):
            with open(out, "rb") as a, open(again, "rb") as b:
                if a.read() != b.read():
                    fail("%s: saving the saved file again changes it" % name)
        print("checked %s" % name)
    if args.watermark_script:
        out = os.path.join(args.work, "watermarked.dxf")
        with open(args.watermark_script) as f:
            script = f.read()
        run_hostsim(args.hostsim, ["--save", out, args.watermark_drawing], args.work, script)
        if os.path.exists(out):
            strict_audit(out)
            check_watermark(out)
            again = os.path.join(args.work, "watermarked.again.dxf")
            # Opened again, the watermarks are watermarks (LIST shows their own listing).
            proc = run_hostsim(args.hostsim, ["--save", again, out], args.work, "LIST\nALL\n\n")
            listed = proc.stdout.decode(errors="replace").count("QUILLWERK WATERMARK")
            if listed != 6:
                fail("the reopened drawing lists %d watermarks instead of 6" % listed)
            if os.path.exists(again):
                with open(out, "rb") as a, open(again, "rb") as b:
                    if a.read() != b.read():
                        fail("watermarked drawing: saving it again changes it")
                check_watermark(again)
        else:
            fail("the watermark run wrote nothing")
    with open(os.path.join(args.work, "outputs.txt"), "w") as f:
        f.write("\n".join(outputs) + "\n")
    if FAILURES:
        print("%d failure(s)" % len(FAILURES))
        return 1
    print("all DXF checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
