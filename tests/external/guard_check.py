#!/usr/bin/python3
"""Watermarks as another program sees them: drawings that hostsim wrote after
a write-block from a drawing with locked layers, and after an undo with a
transparent command typed at its prompt, read with ezdxf.

Usage: guard_check.py --hostsim HOSTSIM --work DIR --drawing SOURCES.dxf --script WATERMARK.scr
Exits non-zero with a message on the first check that fails."""
import argparse
import os
import subprocess
import sys

import ezdxf


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run(args, work, script, extra):
    path = os.path.join(work, "guard.scr")
    with open(path, "w") as f:
        f.write(script)
    cmd = [args.hostsim, "--registry", os.path.join(work, "registry.reg"), "--script", path]
    proc = subprocess.run(cmd + extra, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    if proc.returncode != 0:
        fail("hostsim exited with %d:\n%s" % (proc.returncode, proc.stdout.decode(errors="replace")))
    return proc.stdout.decode(errors="replace")


def watermarks(path):
    """The watermarks in every layout and block of a drawing, read strictly."""
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    if auditor.has_errors:
        fail("%s: ezdxf's auditor found errors: %r" % (path, [str(e.message) for e in auditor.errors]))
    return sum(1 for block in doc.blocks for e in block if e.dxftype().upper() == "QWK_WATERMARK")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--hostsim", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--drawing", required=True)
    ap.add_argument("--script", required=True)
    args = ap.parse_args()
    os.makedirs(args.work, exist_ok=True)
    with open(args.script) as f:
        make = f.read()
    if not make.endswith("\n"):
        make += "\n"

    # Write-block of a drawing whose every layer is locked.
    saved = os.path.join(args.work, "locked.dxf")
    written = os.path.join(args.work, "locked-wblock.dxf")
    for p in (saved, written):
        if os.path.exists(p):
            os.remove(p)
    run(args, args.work, make + "-LAYER\nLO\n*\n\n-WBLOCK\n%s\n*\n" % written, ["--save", saved, args.drawing])
    kept, leaked = watermarks(saved), watermarks(written)
    if kept != 6:
        fail("the drawing holds %d watermarks instead of 6" % kept)
    if leaked != 0:
        fail("the write-block of a drawing with locked layers carries %d watermarks" % leaked)
    print("write-block with locked layers: %d watermarks kept, none written" % kept)

    # UNDO with a transparent command at its prompt.
    for name, transparent in (("setvar", "'SETVAR\nCMDECHO\n1\n"), ("help", "'qwkHelp\n")):
        undone = os.path.join(args.work, "undone-%s.dxf" % name)
        transcript = run(args, args.work, make + "UNDO\n" + transparent + "1\n", ["--save", undone, args.drawing])
        left = watermarks(undone)
        if left != 0 or "Cannot undo" in transcript:
            fail("undo with %s at its prompt left %d watermarks:\n%s" % (name, left, transcript))
        print("undo with a transparent %s: no watermark left" % name)
    print("guard checks passed")


if __name__ == "__main__":
    main()
