#!/usr/bin/env python3
"""Throw-away preview of a text model file (such as viewer/res/rova.x).

    python3 tools/preview_model.py viewer/res/rova.x OUTDIR [--size 360]
        [--turn frm-Jaw=X:-20] [--turn frm-Neck=X:30] ...

Reads the file with a small parser of its own (Frame, FrameTransformMatrix,
Mesh, MeshNormals, MeshMaterialList, Material), assembles the frames, and
writes OUTDIR/front.png, side.png, top.png, three_quarter.png and
sheet.png (all four side by side), drawn with a z-buffer and flat shading
(one directional light plus ambient, material colour); --smooth
interpolates the lighting of the vertex normals instead, --only draws some
frames' meshes, --bounds fixes the framing (to zoom in on a part). --turn FRAME=A:DEG
turns a frame about the A axis (X, Y or Z) of its parent before drawing,
with the viewer's sense (about X, +y turns toward +z; about Y, +z toward
+x; about Z, +x toward +y).

Back faces (faces wound counter-clockwise on screen) are drawn red, so a
wrongly wound face stands out. Python 3 standard library only.
"""

import argparse
import math
import os
import struct
import sys
import zlib

# --------------------------------------------------------------------------
# Parsing


def tokens(text):
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c in " \t\r\n":
            i += 1
        elif c == "/" and text.startswith("//", i) or c == "#":
            while i < n and text[i] != "\n":
                i += 1
        elif c in "{};,":
            yield c
            i += 1
        else:
            j = i
            while j < n and text[j] not in " \t\r\n{};,":
                j += 1
            yield text[i:j]
            i = j


class Frame:
    def __init__(self, name):
        self.name = name
        self.matrix = [[1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1]]
        self.meshes = []
        self.children = []


class Mesh:
    def __init__(self, name):
        self.name = name
        self.verts = []
        self.faces = []
        self.normals = []
        self.face_mat = []
        self.materials = []


class Parser:
    def __init__(self, text):
        if not text.startswith("xof 0302txt 0032"):
            raise ValueError("bad header")
        self.toks = [t for t in tokens(text[16:])]
        self.pos = 0

    def peek(self):
        return self.toks[self.pos]

    def next(self):
        t = self.toks[self.pos]
        self.pos += 1
        return t

    def expect(self, t):
        got = self.next()
        if got != t:
            raise ValueError("expected %r got %r at token %d"
                             % (t, got, self.pos))

    def numbers(self, count):
        """Read `count` numbers, skipping separators."""
        out = []
        while len(out) < count:
            t = self.next()
            if t in ";,":
                continue
            out.append(float(t))
        return out

    def skip_seps(self):
        while self.peek() in ";,":
            self.pos += 1

    def skip_block(self):
        depth = 0
        while True:
            t = self.next()
            if t == "{":
                depth += 1
            elif t == "}":
                depth -= 1
                if depth == 0:
                    return

    def object(self):
        kind = self.next()
        name = None
        if self.peek() != "{":
            name = self.next()
        self.expect("{")
        if kind == "Frame":
            return self.frame(name)
        if kind == "Mesh":
            return self.mesh(name)
        if kind == "template":
            depth = 1
            while depth:
                t = self.next()
                depth += (t == "{") - (t == "}")
            return None
        raise ValueError("unexpected object %s" % kind)

    def frame(self, name):
        f = Frame(name)
        while self.peek() != "}":
            kind = self.peek()
            if kind == "FrameTransformMatrix":
                self.next()
                self.expect("{")
                m = self.numbers(16)
                f.matrix = [m[0:4], m[4:8], m[8:12], m[12:16]]
                self.skip_seps()
                self.expect("}")
            elif kind == "Frame":
                self.next()
                nm = self.next()
                self.expect("{")
                f.children.append(self.frame(nm))
            elif kind == "Mesh":
                self.next()
                nm = self.next() if self.peek() != "{" else None
                self.expect("{")
                f.meshes.append(self.mesh(nm))
            else:
                raise ValueError("unexpected %s in frame" % kind)
        self.expect("}")
        return f

    def faces(self):
        n = int(self.numbers(1)[0])
        out = []
        for _ in range(n):
            k = int(self.numbers(1)[0])
            out.append([int(x) for x in self.numbers(k)])
        return out

    def mesh(self, name):
        m = Mesh(name)
        n = int(self.numbers(1)[0])
        v = self.numbers(3 * n)
        m.verts = [tuple(v[3 * i:3 * i + 3]) for i in range(n)]
        m.faces = self.faces()
        self.skip_seps()
        while self.peek() != "}":
            kind = self.next()
            self.expect("{")
            if kind == "MeshNormals":
                n = int(self.numbers(1)[0])
                v = self.numbers(3 * n)
                m.normals = [tuple(v[3 * i:3 * i + 3]) for i in range(n)]
                m.normal_faces = self.faces()
                self.skip_seps()
                self.expect("}")
            elif kind == "MeshMaterialList":
                nmat = int(self.numbers(1)[0])
                nidx = int(self.numbers(1)[0])
                m.face_mat = [int(x) for x in self.numbers(nidx)]
                self.skip_seps()
                while self.peek() != "}":
                    self.expect("Material")
                    if self.peek() != "{":
                        self.next()
                    self.expect("{")
                    vals = self.numbers(11)
                    m.materials.append(vals)
                    self.skip_seps()
                    while self.peek() != "}":
                        self.skip_block_named()
                    self.expect("}")
                if len(m.materials) != nmat:
                    raise ValueError("material count mismatch in %s" % name)
                self.expect("}")
            else:
                self.pos -= 1
                self.skip_block()
        self.expect("}")
        return m

    def skip_block_named(self):
        while self.peek() != "{":
            self.next()
        self.skip_block()

    def parse(self):
        tops = []
        while self.pos < len(self.toks):
            o = self.object()
            if o is not None:
                tops.append(o)
        return tops


# --------------------------------------------------------------------------
# Assembly


def mat_mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(4)) for j in range(4)]
            for i in range(4)]


def turn_matrix(axis, deg):
    t = math.radians(deg)
    c, s = math.cos(t), math.sin(t)
    if axis == "X":
        r = [[1, 0, 0], [0, c, s], [0, -s, c]]
    elif axis == "Y":
        r = [[c, 0, -s], [0, 1, 0], [s, 0, c]]
    else:
        r = [[c, s, 0], [-s, c, 0], [0, 0, 1]]
    return r


def apply_turn(m, axis, deg):
    r = turn_matrix(axis, deg)
    out = [row[:] for row in m]
    for i in range(3):
        out[i][:3] = [sum(m[i][k] * r[k][j] for k in range(3))
                      for j in range(3)]
    return out


def collect(frame, parent_world, turns, out):
    local = frame.matrix
    if frame.name in turns:
        for axis, deg in turns[frame.name]:
            local = apply_turn(local, axis, deg)
    world = mat_mul(local, parent_world)
    for m in frame.meshes:
        out.append((frame.name, m, world))
    for c in frame.children:
        collect(c, world, turns, out)


def xform(p, m):
    return (p[0] * m[0][0] + p[1] * m[1][0] + p[2] * m[2][0] + m[3][0],
            p[0] * m[0][1] + p[1] * m[1][1] + p[2] * m[2][1] + m[3][1],
            p[0] * m[0][2] + p[1] * m[1][2] + p[2] * m[2][2] + m[3][2])


def xform_dir(d, m):
    return (d[0] * m[0][0] + d[1] * m[1][0] + d[2] * m[2][0],
            d[0] * m[0][1] + d[1] * m[1][1] + d[2] * m[2][1],
            d[0] * m[0][2] + d[1] * m[1][2] + d[2] * m[2][2])


def triangles(meshes):
    """World-space triangles with colour: list of (a, b, c, rgb)."""
    tris = []
    for _, m, w in meshes:
        pts = [xform(v, w) for v in m.verts]
        for fi, f in enumerate(m.faces):
            mat = m.materials[m.face_mat[fi]] if m.face_mat else [0.7] * 4
            col = mat[:3]
            nf = m.normal_faces[fi] if m.normals else None
            for k in range(1, len(f) - 1):
                ns = None
                if nf:
                    ns = [norm(xform_dir(m.normals[nf[i]], w))
                          for i in (0, k, k + 1)]
                tris.append((pts[f[0]], pts[f[k]], pts[f[k + 1]], col, ns))
    return tris


# --------------------------------------------------------------------------
# Rendering


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
            a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def norm(a):
    n = math.sqrt(dot(a, a)) or 1.0
    return (a[0] / n, a[1] / n, a[2] / n)


def view_basis(direction, up=(0.0, 1.0, 0.0)):
    """Camera looking along `direction`; left-handed: right = up x dir."""
    f = norm(direction)
    r = norm(cross(up, f))
    u = cross(f, r)
    return r, u, f


def render(tris, direction, size, center, extent, up=(0.0, 1.0, 0.0),
           smooth=False):
    r, u, f = view_basis(direction, up)
    light = norm((0.45, 0.75, -0.5))      # toward the light
    w = h = size
    sc = size * 0.9 / extent
    zbuf = [1e30] * (w * h)
    img = bytearray([150, 175, 205] * (w * h))
    # ground line at y = 0 in views that show it
    for a, b, c, col, ns in tris:
        pa = [dot(sub(p, center), axis) for p in (a, b, c)
              for axis in (r, u, f)]
        (ax, ay, az, bx, by, bz, cx, cy, cz) = pa
        sx = [w / 2 + ax * sc, w / 2 + bx * sc, w / 2 + cx * sc]
        sy = [h / 2 - ay * sc, h / 2 - by * sc, h / 2 - cy * sc]
        sz = [az, bz, cz]
        n = norm(cross(sub(b, a), sub(c, a)))
        facing = dot(n, f) < 0.0           # outward normal toward viewer
        if facing:
            lit = 0.25 + 0.75 * max(0.0, dot(n, light))
            rgb = [min(255, int(255 * col[k] * lit * 1.2)) for k in range(3)]
        else:
            rgb = [200, 30, 30]
        vl = None
        if smooth and facing and ns:
            vl = [0.25 + 0.75 * max(0.0, dot(nn, light)) for nn in ns]
        x0 = max(0, int(math.floor(min(sx))))
        x1 = min(w - 1, int(math.ceil(max(sx))))
        y0 = max(0, int(math.floor(min(sy))))
        y1 = min(h - 1, int(math.ceil(max(sy))))
        area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - \
            (sx[2] - sx[0]) * (sy[1] - sy[0])
        if abs(area) < 1e-9:
            continue
        for py in range(y0, y1 + 1):
            yc = py + 0.5
            for px in range(x0, x1 + 1):
                xc = px + 0.5
                w0 = ((sx[1] - xc) * (sy[2] - yc) -
                      (sx[2] - xc) * (sy[1] - yc)) / area
                w1 = ((sx[2] - xc) * (sy[0] - yc) -
                      (sx[0] - xc) * (sy[2] - yc)) / area
                w2 = 1.0 - w0 - w1
                if w0 < 0 or w1 < 0 or w2 < 0:
                    continue
                z = w0 * sz[0] + w1 * sz[1] + w2 * sz[2]
                k = py * w + px
                # a front face wins over a back face at the same depth
                if z < zbuf[k] - (0.0 if facing else 1e-3):
                    zbuf[k] = z
                    if vl:
                        lit = w0 * vl[0] + w1 * vl[1] + w2 * vl[2]
                        rgb = [min(255, int(255 * col[i] * lit * 1.2))
                               for i in range(3)]
                    img[3 * k:3 * k + 3] = bytes(rgb)
    # ground plane y = 0 as a thin line where it projects to a line
    gy = dot(sub((0.0, 0.0, 0.0), center), u)
    row = int(h / 2 - gy * sc)
    if abs(u[1]) > 0.99 and 0 <= row < h:
        for px in range(w):
            k = row * w + px
            if zbuf[k] > 1e29:
                img[3 * k:3 * k + 3] = bytes([120, 150, 120])
    return w, h, img


def write_png(path, w, h, img):
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        raw.extend(img[3 * w * y:3 * w * (y + 1)])

    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 6))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("model")
    ap.add_argument("outdir")
    ap.add_argument("--size", type=int, default=360)
    ap.add_argument("--turn", action="append", default=[],
                    help="FRAME=AXIS:DEG, e.g. frm-Jaw=X:-20")
    ap.add_argument("--smooth", action="store_true",
                    help="interpolate the lighting of the vertex normals")
    ap.add_argument("--only", default="",
                    help="comma-separated names of the frames whose meshes "
                    "are drawn")
    ap.add_argument("--bounds", type=float, nargs=6, default=None,
                    help="xmin ymin zmin xmax ymax zmax of the framing")
    args = ap.parse_args()
    with open(args.model, newline="") as fh:
        text = fh.read()
    tops = Parser(text).parse()
    turns = {}
    for t in args.turn:
        name, rest = t.split("=")
        axis, deg = rest.split(":")
        turns.setdefault(name, []).append((axis.upper(), float(deg)))
    ident = [[1, 0, 0, 0], [0, 1, 0, 0], [0, 0, 1, 0], [0, 0, 0, 1]]
    meshes = []
    for t in tops:
        if isinstance(t, Frame):
            collect(t, ident, turns, meshes)
    if args.only:
        keep = set(args.only.split(","))
        meshes = [m for m in meshes if m[0] in keep]
    tris = triangles(meshes)
    nverts = sum(len(m.verts) for _, m, _ in meshes)
    lo = [min(p[k] for t in tris for p in t[:3]) for k in range(3)]
    if args.bounds is not None:
        lo = args.bounds[:3]
        hi = args.bounds[3:]
    if args.bounds is None:
        hi = [max(p[k] for t in tris for p in t[:3]) for k in range(3)]
    print("meshes %d vertices %d triangles %d" % (len(meshes), nverts,
                                                   len(tris)))
    print("bounds x %.2f..%.2f y %.2f..%.2f z %.2f..%.2f" %
          (lo[0], hi[0], lo[1], hi[1], lo[2], hi[2]))
    center = tuple((lo[k] + hi[k]) / 2 for k in range(3))
    extent = max(hi[k] - lo[k] for k in range(3))
    os.makedirs(args.outdir, exist_ok=True)
    views = [
        ("front", (0.0, 0.0, 1.0), (0.0, 1.0, 0.0)),     # the viewer's camera
        ("side", (-1.0, 0.0, 0.0), (0.0, 1.0, 0.0)),     # from the robot's left
        ("top", (0.0, -1.0, 0.0), (0.0, 0.0, -1.0)),     # from above, nose up
        ("three_quarter", (-0.6, -0.35, 0.72), (0.0, 1.0, 0.0)),
    ]
    images = []
    for name, d, up in views:
        w, h, img = render(tris, d, args.size, center, extent, up,
                           args.smooth)
        write_png(os.path.join(args.outdir, name + ".png"), w, h, img)
        images.append(img)
    s = args.size
    sheet = bytearray()
    for y in range(s):
        for img in images:
            sheet.extend(img[3 * s * y:3 * s * (y + 1)])
    write_png(os.path.join(args.outdir, "sheet.png"), 4 * s, s, sheet)
    return 0


if __name__ == "__main__":
    sys.exit(main())
