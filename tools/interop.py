#!/usr/bin/python3
"""Runs drawings of other programs through hostsim and prints what came back.

For every drawing of the corpus folder (default ../shared/dxf-corpus beside the
repository, or $IRONVEIL_DXF_CORPUS, or --corpus):

  1. open -> save: hostsim opens the drawing and saves it again; the saved
     file is compared with the input:
       - entities per type, per layout and per block;
       - every non-pointer group value of every record, by handle (records
         without a handle by their place); pointers may be renumbered;
       - handles of the saved file unique;
       - ezdxf (Debian's python3-ezdxf) reads the saved file strictly and its
         auditor finds no more errors than in the input.
  2. WM: the watermark command stamps the drawing (a 2 x 3 grid over its
     extents, every entity in a window round them as the source), and the
     saved file is read and audited by ezdxf; a drawing with sources must
     get 6 marks. A drawing without any entity of the types WM takes ends
     the command at the selection: its script stops there, and the row says
     "no sources" (a mark then, or no "None Selected.", is a problem).

Prints one table row per drawing and exits non-zero when any drawing lost
something or failed. Never part of `make test`: the corpus is not in the
repository.

  tools/interop.py [--hostsim build/r19/bin/hostsim] [--corpus DIR] [--work DIR]
                   [--only NAME] [--details]
"""
import argparse
import io
import math
import os
import subprocess
import sys
from collections import Counter, defaultdict

import ezdxf
from ezdxf.lldxf.tagger import ascii_tags_loader, binary_tags_loader
from ezdxf.lldxf.types import POINTER_CODES

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)


def load_tags(path):
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"AutoCAD Binary DXF"):
        return [(t.code, t.value) for t in binary_tags_loader(data)]
    text = data.decode("utf-8", errors="surrogateescape")
    if text.startswith("\ufeff"):
        text = text[1:]
    return [(t.code, t.value) for t in ascii_tags_loader(io.StringIO(text, newline=None))]


def items(tags):
    """(section, block name, [tags]) for every record from its group 0, with
    the owner block for entities of the BLOCKS section."""
    out = []
    section = None
    block = None
    current = None
    for i, (code, value) in enumerate(tags):
        if code == 0:
            value = str(value).strip()
            if value == "SECTION":
                section = tags[i + 1][1] if i + 1 < len(tags) else None
                current = None
                continue
            if value in ("ENDSEC", "EOF"):
                current = None
                continue
            current = [(code, value)]
            if section == "BLOCKS" and value == "BLOCK":
                block = None
            out.append([section, block, current])
            continue
        if current is None:
            continue
        current.append((code, value))
        if section == "BLOCKS" and current[0][1] == "BLOCK" and code == 2 and block is None:
            block = value
            out[-1][1] = value
    return out


def space_of(item_tags):
    for code, value in item_tags[1:]:
        if code == 67:
            return "*Paper_Space" if str(value).strip() == "1" else "*Model_Space"
    return "*Model_Space"


def normal_block(name):
    n = (name or "").lower()
    if n in ("*model_space", "$model_space"):
        return "*Model_Space"
    if n in ("*paper_space", "$paper_space"):
        return "*Paper_Space"
    return name


def entity_counts(all_items):
    counts = Counter()
    for section, block, tags in all_items:
        kind = tags[0][1]
        if section == "ENTITIES":
            counts[(space_of(tags), kind)] += 1
        elif section == "BLOCKS" and kind not in ("BLOCK", "ENDBLK"):
            counts[(normal_block(block), kind)] += 1
    return counts


def handle_of(tags):
    for code, value in tags[1:]:
        if code == 100:
            break
        if code in (5, 105):
            return str(value).upper()
    return None


# Values DXF gives as defaults: written out or left out alike.
DEFAULTS = {(210, 0.0), (220, 0.0), (230, 1.0), (39, 0.0), (62, 256), (6, "BYLAYER"), (6, "ByLayer"),
            (370, -1), (48, 1.0), (60, 0), (67, 0), (43, 0.0), (38, 0.0), (50, 0.0), (41, 1.0), (70, 0)}
# Defaults of groups that only some record types have, where the same code
# means something else (or has another default) elsewhere: the DXF reference
# marks them optional with these defaults, and readers (ezdxf among them)
# take the default when the group is left out, so an omitted one is no loss.
# TEXT 71/72/73: generation flags, horizontal and vertical justification
# (0); MTEXT 72: drawing direction (1, left to right) and 73: line spacing
# style (1, at least).
TYPE_DEFAULTS = {"TEXT": {(71, 0), (72, 0), (73, 0)}, "MTEXT": {(72, 1), (73, 1)}}


def plain_values(tags):
    """The non-pointer values of a record, normalised for comparison."""
    out = []
    for code, value in tags[1:]:
        if code in (5, 105) or code in POINTER_CODES or code == 1005:
            continue
        if isinstance(value, float):
            value = round(value, 9) if math.isfinite(value) else value
        elif isinstance(value, str):
            s = value.strip()
            try:
                if code in range(10, 60) or code in range(110, 150) or code in range(210, 240) or \
                        code in range(1010, 1060) or code in range(460, 470):
                    value = round(float(s), 9)
                elif code in range(60, 100) or code in range(170, 180) or code in range(270, 300) or \
                        code in range(370, 390) or code in range(400, 410) or code in range(1060, 1072) or \
                        code in range(420, 430) or code in range(440, 460):
                    value = int(s)
                else:
                    value = value.rstrip()
            except ValueError:
                value = s
        elif isinstance(value, bytes):
            value = value.hex().upper()
        out.append((code, value))
    return Counter(out)


def missing_values(before, after):
    """Values of the input record missing from the output record, defaults
    aside."""
    missing = plain_values(before) - plain_values(after)
    kind = str(before[0][1]).strip().upper() if before else ""
    type_defaults = TYPE_DEFAULTS.get(kind, set())
    for key in list(missing):
        if key in DEFAULTS or key in type_defaults:
            del missing[key]
    # The alignment point of left-aligned TEXT (72 and 73 both 0 or left
    # out): the DXF reference gives it meaning only when 72 or 73 is not 0,
    # and readers then take the insertion point. Some programs write it
    # equal to the insertion point; left out, nothing is lost. One that
    # differs from the insertion point is still reported.
    if kind == "TEXT" and any(code in (11, 21, 31) for code, _ in missing):
        first = {}
        for code, value in before[1:]:
            first.setdefault(code, str(value).strip())
        left = first.get(72, "0") in ("0", "") and first.get(73, "0") in ("0", "")
        try:
            same = all(abs(float(first.get(a, "0")) - float(first.get(p, "0"))) < 1e-9
                       for a, p in ((11, 10), (21, 20), (31, 30)))
        except ValueError:
            same = False
        if left and same:
            for key in list(missing):
                if key[0] in (11, 21, 31):
                    del missing[key]
    return missing


def records_by_key(all_items):
    """Records by handle, and every record also by section, block, type and
    place (for records of the input without a handle)."""
    by_key = {}
    places = Counter()
    for section, block, tags in all_items:
        h = handle_of(tags)
        if section == "TABLES":
            name = next((str(v).upper() for c, v in tags[1:] if c == 2), None)
            where = (section, name, tags[0][1])
        else:
            where = (section, normal_block(block) if section == "BLOCKS" else space_of(tags), tags[0][1])
        by_key[where + (places[where],)] = tags
        places[where] += 1
        if h is not None:
            by_key.setdefault(h, tags)
    return by_key


def ezdxf_state(path):
    try:
        doc = ezdxf.readfile(path)
    except Exception as exc:  # noqa: BLE001 (any failure of ezdxf counts)
        return None, "unreadable: %s" % str(exc).splitlines()[0][:60]
    try:
        errors = len(doc.audit().errors)
    except Exception as exc:  # noqa: BLE001
        return doc, "audit failed: %s" % str(exc)[:60]
    return doc, errors


def run(cmd, cwd, timeout=600):
    proc = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
    return proc.returncode, proc.stdout.decode(errors="replace"), proc.stderr.decode(errors="replace")


def extents(doc, tags):
    """Model space extents from ezdxf, or from $EXTMIN/$EXTMAX."""
    try:
        from ezdxf import bbox
        box = bbox.extents(doc.modelspace(), fast=True)
        if box.has_data:
            return box.extmin.x, box.extmin.y, box.extmax.x, box.extmax.y
    except Exception:  # noqa: BLE001
        pass
    ext = {}
    for i, (code, value) in enumerate(tags):
        if code == 9 and value in ("$EXTMIN", "$EXTMAX"):
            ext[value] = (float(tags[i + 1][1]), float(tags[i + 2][1]))
    if len(ext) == 2 and ext["$EXTMIN"][0] < ext["$EXTMAX"][0]:
        return ext["$EXTMIN"] + ext["$EXTMAX"]
    return 0.0, 0.0, 100.0, 100.0


# The entity types the watermark command takes as its sources, and the marks
# of the 2 x 3 grid the script asks for.
SOURCE_TYPES = ("ARC", "CIRCLE", "LINE", "LWPOLYLINE", "TEXT", "MTEXT", "INSERT")
WM_MARKS = 2 * 3


def source_count(doc, tags):
    """Model space entities the watermark command can take as sources (from
    ezdxf, or from the tags of a drawing ezdxf cannot read)."""
    if doc is not None:
        try:
            return len(doc.modelspace().query(" ".join(SOURCE_TYPES)))
        except Exception:  # noqa: BLE001
            pass
    counts = entity_counts(items(tags or []))
    return sum(n for (space, kind), n in counts.items() if space == "*Model_Space" and kind in SOURCE_TYPES)


def check_drawing(hostsim, path, work, details):
    name = os.path.basename(path)
    base = os.path.join(work, os.path.splitext(name)[0])
    row = {"name": name}
    try:
        before_tags = load_tags(path)
    except Exception as exc:  # noqa: BLE001
        before_tags = None
        row["note"] = "input not parsable as tags: %s" % exc
    before_doc, before_audit = ezdxf_state(path)
    row["ezdxf_in"] = before_audit
    registry = os.path.join(work, "registry.reg")
    empty = os.path.join(work, "empty.scr")
    with open(empty, "w") as f:
        f.write("")
    out = base + ".saved.dxf"
    if os.path.exists(out):
        os.remove(out)
    rc, stdout, stderr = run([hostsim, "--registry", registry, "--script", empty, "--save", out, path], work)
    row["open_save"] = "ok" if rc == 0 and os.path.exists(out) else "exit %d" % rc
    row["messages"] = len([l for l in stderr.splitlines() if l.strip()])
    problems = []
    if rc != 0 or not os.path.exists(out):
        problems.append(stderr.strip().splitlines()[-1] if stderr.strip() else "no file written")
        row.update(counts="-", values="-", handles="-", ezdxf_out="-")
    else:
        after_tags = load_tags(out)
        after_items = items(after_tags)
        if before_tags is not None:
            before_items = items(before_tags)
            cb, ca = entity_counts(before_items), entity_counts(after_items)
            diff = {k: (cb[k], ca[k]) for k in set(cb) | set(ca) if cb[k] != ca[k]}
            row["counts"] = "same" if not diff else "%d differ" % len(diff)
            for k, (b, a) in sorted(diff.items())[:8]:
                problems.append("count %s %s: %d -> %d" % (k[0], k[1], b, a))
            rb, ra = records_by_key(before_items), records_by_key(after_items)
            lost_records = 0
            lost_values = 0
            samples = []
            for key, tags in rb.items():
                if isinstance(key, tuple) and handle_of(tags) is not None:
                    continue  # compared by its handle
                if tags[0][1] == "TABLE":
                    continue  # table heads: counted and flagged by the reader of the table
                other = ra.get(key)
                if other is None:
                    if tags[0][1] in ("SECTION", "CLASS", "TABLE"):
                        continue
                    lost_records += 1
                    samples.append("record %s %s missing" % (tags[0][1], key))
                    continue
                missing = missing_values(tags, other)
                if tags[0][1] == "CLASS" and (280, "1") in [(c, str(v).strip()) for c, v in other]:
                    # A class whose module the saving host lacks: its objects
                    # are proxies there, and the host writes the record as the
                    # DXF reference says, "was a proxy" (280) set and the
                    # instance count (91) as it counts them. That is the saving
                    # host's state, not a value lost.
                    missing = {k: n for k, n in missing.items() if k[0] not in (91, 280)}
                if missing:
                    lost_values += sum(missing.values())
                    samples.append("%s %s: %s" % (tags[0][1], key, sorted(missing.items(), key=str)[:4]))
            row["values"] = "none lost" if not lost_values and not lost_records else \
                "%d values, %d records lost" % (lost_values, lost_records)
            problems.extend(samples[:12 if details else 4])
        else:
            row["counts"] = row["values"] = "?"
        handles = [handle_of(t) for _, _, t in after_items]
        handles = [h for h in handles if h is not None]
        dups = [h for h, n in Counter(handles).items() if n > 1]
        row["handles"] = "unique" if not dups else "%d shared" % len(dups)
        if dups:
            problems.append("shared handles: %s" % ", ".join(dups[:6]))
        _, after_audit = ezdxf_state(out)
        row["ezdxf_out"] = after_audit
        worse = not isinstance(after_audit, int) or (isinstance(before_audit, int) and after_audit > before_audit)
        if worse:
            problems.append("ezdxf: input %s, output %s" % (before_audit, after_audit))

    # The watermark command over the drawing's extents. Its sources are the
    # model space entities of the types it takes; a drawing without any ends
    # the command at the selection ("None Selected."), so the script then
    # stops there: the answer to the colour prompt that would follow would
    # otherwise be read as a command, and fail the run as it should.
    if before_doc is not None or before_tags is not None:
        x0, y0, x1, y1 = extents(before_doc, before_tags or []) if before_doc is not None else \
            extents(None, before_tags)
        w, h = max(x1 - x0, 1e-6), max(y1 - y0, 1e-6)
        sources = source_count(before_doc, before_tags)
        script = "WM\n%r,%r\n%r,%r\n2\n3\n40\nW %r,%r %r,%r\n\n" % (
            x0, y0, x1, y1, x0 - w * 0.01, y0 - h * 0.01, x1 + w * 0.01, y1 + h * 0.01)
        if sources != 0:
            script += "1\n"
        wm_script = base + ".wm.scr"
        with open(wm_script, "w") as f:
            f.write(script)
        wm_out = base + ".wm.dxf"
        if os.path.exists(wm_out):
            os.remove(wm_out)
        rc, stdout, stderr = run([hostsim, "--registry", registry, "--script", wm_script, "--save", wm_out, path],
                                 work)
        if rc == 0 and os.path.exists(wm_out):
            _, wm_audit = ezdxf_state(wm_out)
            marks = sum(1 for c, v in load_tags(wm_out) if c == 0 and str(v).upper() == "QWK_WATERMARK")
            row["wm"] = "%d marks, ezdxf %s" % (marks, wm_audit)
            said = [l for l in stdout.splitlines() if l.strip() and not l.startswith("Command:")]
            if sources == 0:
                row["wm"] = "no sources (%d marks)" % marks
                if marks != 0 or not any("None Selected." in l for l in said):
                    problems.append("WM: a drawing without sources gave %d marks: %s" %
                                    (marks, said[-1][:60] if said else "nothing said"))
            elif marks != WM_MARKS:
                if marks == 0:
                    row["wm"] += " (%s)" % (said[-1][:40] if said else "nothing said")
                problems.append("WM: %d marks, not %d, from %d sources" % (marks, WM_MARKS, sources))
            if not isinstance(wm_audit, int) or (isinstance(before_audit, int) and wm_audit > before_audit):
                problems.append("WM: %d marks, ezdxf %s" % (marks, wm_audit))
        else:
            row["wm"] = "exit %d" % rc
            tail = [l for l in (stdout + stderr).splitlines() if l.strip()][-2:]
            problems.append("WM: %s" % " | ".join(tail))
    else:
        row["wm"] = "-"
    row["problems"] = problems
    return row


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--hostsim", default=os.path.join(REPO, "build", "r19", "bin", "hostsim"))
    ap.add_argument("--corpus", default=os.environ.get("IRONVEIL_DXF_CORPUS",
                                                       os.path.join(REPO, "..", "shared", "dxf-corpus")))
    ap.add_argument("--work", default=os.path.join(REPO, "build", "interop"))
    ap.add_argument("--only", help="only drawings whose name contains this")
    ap.add_argument("--details", action="store_true", help="more lines of detail per drawing")
    args = ap.parse_args()
    if not os.path.isdir(args.corpus):
        print("interop: no corpus folder %s (set IRONVEIL_DXF_CORPUS)" % args.corpus, file=sys.stderr)
        return 2
    if not os.access(args.hostsim, os.X_OK):
        print("interop: no hostsim at %s (build it first)" % args.hostsim, file=sys.stderr)
        return 2
    os.makedirs(args.work, exist_ok=True)
    names = sorted(n for n in os.listdir(args.corpus) if n.lower().endswith(".dxf"))
    if args.only:
        names = [n for n in names if args.only in n]
    rows = []
    for n in names:
        row = check_drawing(os.path.abspath(args.hostsim), os.path.join(args.corpus, n), os.path.abspath(args.work),
                            args.details)
        rows.append(row)
        print("%-32s %s" % (n, "ok" if not row["problems"] else "%d problem(s)" % len(row["problems"])),
              flush=True)
    cols = [("drawing", "name"), ("open+save", "open_save"), ("msgs", "messages"), ("entities", "counts"),
            ("group values", "values"), ("handles", "handles"), ("ezdxf in", "ezdxf_in"),
            ("ezdxf out", "ezdxf_out"), ("WM", "wm")]
    widths = [max(len(c[0]), *(len(str(r.get(c[1], ""))) for r in rows)) for c in cols]
    print()
    print(" | ".join(c[0].ljust(w) for c, w in zip(cols, widths)))
    print("-+-".join("-" * w for w in widths))
    for r in rows:
        print(" | ".join(str(r.get(c[1], "")).ljust(w) for c, w in zip(cols, widths)))
    failed = [r for r in rows if r["problems"]]
    if failed:
        print()
        for r in failed:
            print("%s:" % r["name"])
            for p in r["problems"]:
                print("    " + p)
    print()
    print("%d of %d drawings came back whole" % (len(rows) - len(failed), len(rows)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
