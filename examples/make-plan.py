#!/usr/bin/python3
# Writes examples/plan.dxf: an A3 sheet with a ground-floor plan of a small
# house, dimensions, room names, and a title block inserted as a block
# reference. The studio's logo and name sit above the title block; the demo
# uses them as the watermark's sources. Run with Debian's python3-ezdxf:
#   /usr/bin/python3 examples/make-plan.py
import math
import os

import ezdxf

doc = ezdxf.new("R2000")
doc.header["$INSUNITS"] = 4  # millimetres
for name, colour in (("BORDER", 7), ("WALLS", 7), ("DOORS", 3), ("WINDOWS", 5), ("TEXT", 2),
                     ("DIMS", 1), ("LOGO", 6), ("FURNITURE", 8)):
    doc.layers.add(name, color=colour)
msp = doc.modelspace()

# ---- the title block, a block definition ------------------------------------
tb = doc.blocks.new("TITLEBLOCK")
tb.add_lwpolyline([(0, 0), (180, 0), (180, 50), (0, 50)], close=True)
for y in (10, 20, 30, 40):
    tb.add_line((0, y), (180, y))
tb.add_line((90, 0), (90, 30))
tb.add_line((135, 0), (135, 30))
labels = [((2, 42), "PROJECT: HOUSE ON ELM LANE"), ((2, 32), "GROUND FLOOR PLAN"),
          ((2, 22), "DRAWN: T. BERG"), ((92, 22), "CHECKED: A. LUND"), ((137, 22), "SCALE 1:100"),
          ((2, 12), "DATE: 2024-03-18"), ((92, 12), "SHEET A3"), ((137, 12), "DWG No. 101"),
          ((2, 2), "REVISION B - FOR PLANNING"), ((92, 2), "HALVORN STUDIO")]
for (x, y), text in labels:
    tb.add_text(text, dxfattribs={"height": 3.5 if y >= 30 else 2.5, "insert": (x, y)})

# ---- sheet border and the inserted title block ------------------------------
msp.add_lwpolyline([(0, 0), (420, 0), (420, 297), (0, 297)], close=True, dxfattribs={"layer": "BORDER"})
msp.add_lwpolyline([(10, 10), (410, 10), (410, 287), (10, 287)], close=True,
                   dxfattribs={"layer": "BORDER", "const_width": 0.5})
msp.add_blockref("TITLEBLOCK", (230, 10), dxfattribs={"layer": "BORDER"})

# ---- the plan: 1:100, so 1 mm on paper is 100 mm built ------------------------
ox, oy = 40, 80  # lower-left corner of the outer wall
W, H, t = 140, 90, 3  # outer size and wall thickness (14 m x 9 m, 300 mm walls)
msp.add_lwpolyline([(ox, oy), (ox + W, oy), (ox + W, oy + H), (ox, oy + H)], close=True,
                   dxfattribs={"layer": "WALLS"})
msp.add_lwpolyline([(ox + t, oy + t), (ox + W - t, oy + t), (ox + W - t, oy + H - t), (ox + t, oy + H - t)],
                   close=True, dxfattribs={"layer": "WALLS"})
# inner walls
for x0, y0, x1, y1 in ((ox + 60, oy + t, ox + 60, oy + 50), (ox + 60, oy + 62, ox + 60, oy + H - t),
                       (ox + 61.5, oy + t, ox + 61.5, oy + 50), (ox + 61.5, oy + 62, ox + 61.5, oy + H - t),
                       (ox + 61.5, oy + 45, ox + 100, oy + 45), (ox + 61.5, oy + 46.5, ox + 100, oy + 46.5),
                       (ox + 110, oy + 45, ox + W - t, oy + 45), (ox + 110, oy + 46.5, ox + W - t, oy + 46.5)):
    msp.add_line((x0, y0), (x1, y1), dxfattribs={"layer": "WALLS"})

# doors: a leaf and its swing
def door(hx, hy, width, start_deg):
    end = math.radians(start_deg + 90)
    msp.add_line((hx, hy), (hx + width * math.cos(end), hy + width * math.sin(end)), dxfattribs={"layer": "DOORS"})
    msp.add_arc((hx, hy), width, start_deg, start_deg + 90, dxfattribs={"layer": "DOORS"})

door(ox + 20, oy, 9, 0)          # entrance
door(ox + 60, oy + 50, 9, 90)    # hall to living
door(ox + 100, oy + 46.5, 9, 0)  # to the bedrooms
# windows: three lines across the wall
for x0, x1 in ((ox + 70, ox + 90), (ox + 110, ox + 130), (ox + 10, ox + 40)):
    for d in (0, 1.5, 3):
        msp.add_line((x0, oy + H - d), (x1, oy + H - d), dxfattribs={"layer": "WINDOWS"})

# furniture: a table with chairs, a bed, a round table
msp.add_lwpolyline([(ox + 15, oy + 55), (ox + 40, oy + 55), (ox + 40, oy + 70), (ox + 15, oy + 70)], close=True,
                   dxfattribs={"layer": "FURNITURE"})
for cx in (20, 27.5, 35):
    msp.add_circle((ox + cx, oy + 52), 2, dxfattribs={"layer": "FURNITURE"})
    msp.add_circle((ox + cx, oy + 73), 2, dxfattribs={"layer": "FURNITURE"})
msp.add_lwpolyline([(ox + 115, oy + 60), (ox + 131, oy + 60), (ox + 131, oy + 80), (ox + 115, oy + 80)],
                   close=True, dxfattribs={"layer": "FURNITURE"})
msp.add_lwpolyline([(ox + 117, oy + 75), (ox + 129, oy + 75)], dxfattribs={"layer": "FURNITURE"})
msp.add_circle((ox + 85, oy + 25), 8, dxfattribs={"layer": "FURNITURE"})
# a kitchen counter with a rounded end (bulge)
msp.add_lwpolyline([(ox + 64, oy + 4, 0, 0, 0), (ox + 100, oy + 4, 0, 0, 0), (ox + 100, oy + 10, 0, 0, 1),
                    (ox + 94, oy + 10, 0, 0, 0), (ox + 64, oy + 10, 0, 0, 0)],
                   format="xyseb", close=True, dxfattribs={"layer": "FURNITURE"})

# room names
for (x, y), name in (((ox + 15, oy + 30), "LIVING 38 m2"), ((ox + 70, oy + 30), "KITCHEN 15 m2"),
                     ((ox + 70, oy + 65), "BEDROOM 1"), ((ox + 110, oy + 25), "BEDROOM 2"),
                     ((ox + 62, oy + 52), "HALL")):
    msp.add_text(name, dxfattribs={"layer": "TEXT", "height": 2.5, "insert": (x, y)})
msp.add_text("GROUND FLOOR PLAN  1:100", dxfattribs={"layer": "TEXT", "height": 5, "insert": (ox, oy + H + 25)})

# dimension lines with ticks and figures
def dim(x0, y0, x1, y1, text, dx, dy):
    msp.add_line((x0, y0), (x1, y1), dxfattribs={"layer": "DIMS"})
    for x, y in ((x0, y0), (x1, y1)):
        msp.add_line((x - 1, y - 1), (x + 1, y + 1), dxfattribs={"layer": "DIMS"})
    msp.add_text(text, dxfattribs={"layer": "DIMS", "height": 2.5, "insert": ((x0 + x1) / 2 + dx, (y0 + y1) / 2 + dy)})

dim(ox, oy - 12, ox + W, oy - 12, "14000", -5, 1)
dim(ox - 12, oy, ox - 12, oy + H, "9000", -10, 0)
dim(ox, oy + H + 10, ox + 60, oy + H + 10, "6000", -5, 1)

# ---- the studio's logo and name above the title block ------------------------
lx, ly = 240, 75
msp.add_circle((lx, ly), 8, dxfattribs={"layer": "LOGO"})
msp.add_arc((lx, ly), 5, 200, 340, dxfattribs={"layer": "LOGO"})
msp.add_lwpolyline([(lx - 5, ly - 2), (lx, ly + 5), (lx + 5, ly - 2)], dxfattribs={"layer": "LOGO"})
msp.add_text("HALVORN STUDIO", dxfattribs={"layer": "LOGO", "height": 6, "insert": (lx + 12, ly - 3)})

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "plan.dxf")
doc.saveas(path)
print("wrote", path)
