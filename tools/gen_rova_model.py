#!/usr/bin/env python3
"""Generate viewer/res/rova.x, the robot dog model of the VirtRova viewer.

Regenerate after any change to this script (from the repository root):

    python3 tools/gen_rova_model.py            # writes viewer/res/rova.x
    python3 tools/gen_rova_model.py -o FILE    # writes elsewhere
    python3 tools/gen_rova_model.py --check    # is the committed file current?
    python3 tools/preview_model.py viewer/res/rova.x /tmp/rova   # look at it

Python 3 standard library only. The output is deterministic, so a
regenerated file differs from the committed one only where the geometry
was changed.

How the model is built
----------------------
* The frame tree (names, parents, frame transforms) is fixed: the joint
  table of the viewer refers to these frames by name and its rest values
  describe exactly this pose. Do not change FRAMES without changing the
  viewer's joint table.
* Every frame carries one mesh, named like the frame without "frm-"
  ("Body" for the top frame "ROVA").
* Geometry is designed in the model frame (the robot standing in its
  modelled pose) or in the frame of a part where that is simpler (head,
  jaw, ears), from smooth closed primitives: superellipsoids (ellipsoids
  and rounded boxes, optionally tapered), tapered capsules and lofts
  (rounded cross-sections swept along an axis: body, head, jaw). Each part
  is then expressed in the coordinates of the frame that carries it, so a
  joint frame turns its mesh about its own origin, the joint pivot: limbs
  hang from the shoulder and hip frames, the jaw from its hinge (closed
  when the jaw frame is aligned with the head, a little open as modelled),
  the ears from their hinge discs.
* Materials: light grey shell (0.7 grey, power 10, specular 0.5) and dark
  grey details (0.3 grey, power 100, specular 1.0): joint hubs, belly,
  eyes, nose, inside of the mouth, ankles, nails, tail base, ear hinges.
* Self-checks before writing: 38 frames and meshes, every part closed and
  wound outward, unit normals, paws on y = 0, the top of the head at 26.0,
  the extents x -7.5..7.5, y 0..26.6, z -18.1..16.9 (within 0.05) and the
  vertex count.
* Parts of the right side are the mirror images (x -> -x) of the left.
* Winding: the viewer's coordinate system is left-handed (y up, +z away
  from the default camera). A face lists its vertices clockwise as seen
  from outside, i.e. (b - a) x (c - a), computed with the usual
  component formula, points out of the solid. Normals are per vertex
  (smooth shading), averaged from the adjacent face normals of their
  primitive, and point outward.
* File: "xof 0302txt 0032", CR LF line ends, only Frame,
  FrameTransformMatrix, Mesh, MeshNormals, MeshMaterialList and Material;
  materials are written inline in each mesh's material list.
"""

import argparse
import math
import os
import sys

# --------------------------------------------------------------------------
# Small vector helpers (tuples of 3 floats)


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def scale(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1],
            a[2] * b[0] - a[0] * b[2],
            a[0] * b[1] - a[1] * b[0])


def length(a):
    return math.sqrt(dot(a, a))


def normalize(a):
    n = length(a)
    if n < 1e-12:
        return (0.0, 1.0, 0.0)
    return (a[0] / n, a[1] / n, a[2] / n)


def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t,
            a[2] + (b[2] - a[2]) * t)


def mirror_x(p):
    return (-p[0], p[1], p[2])


# A rotation is stored as its three axis rows (x, y, z axes of a frame in
# its parent's coordinates). A point p of the frame is at
# origin + p.x * X + p.y * Y + p.z * Z in the parent (row vectors, as in
# the file's FrameTransformMatrix).

def rot_apply(rows, p):
    return (p[0] * rows[0][0] + p[1] * rows[1][0] + p[2] * rows[2][0],
            p[0] * rows[0][1] + p[1] * rows[1][1] + p[2] * rows[2][1],
            p[0] * rows[0][2] + p[1] * rows[1][2] + p[2] * rows[2][2])


def rot_apply_inv(rows, p):
    return (dot(p, rows[0]), dot(p, rows[1]), dot(p, rows[2]))


def rot_mul(inner, outer):
    """Rows of `inner` (given in frame B) re-expressed through `outer`
    (B's rows in its parent)."""
    return tuple(rot_apply(outer, r) for r in inner)


def tilt(deg):
    """Turn about x by deg: y -> (0, cos, sin), z -> (0, -sin, cos)."""
    t = math.radians(deg)
    c, s = math.cos(t), math.sin(t)
    return ((1.0, 0.0, 0.0), (0.0, c, s), (0.0, -s, c))


IDENT = ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0, 1.0))
# Half a turn about the vertical, then a tilt: the right-hand upper limbs.
# (-1,0,0), (0,cos a,-sin a), (0,-sin a,-cos a) for the front (a = 17.5)
# and (-1,0,0), (0,cos a,sin a), (0,sin a,-cos a) for the rear (a = 27.5).


def turned_tilt(deg):
    t = math.radians(deg)
    c, s = math.cos(t), math.sin(t)
    return ((-1.0, 0.0, 0.0), (0.0, c, s), (0.0, s, -c))


# --------------------------------------------------------------------------
# The frame tree: name, parent, position in the parent, axes in the parent.
# The order is the order of the file (children in this order).

FRAMES = [
    ("ROVA", None, (0.0, 12.8, -0.004), tilt(-5.0)),
    ("frm-sphere2", "ROVA", (0.0, 5.0, 8.104), IDENT),
    ("frm-cyl1", "frm-sphere2", (0.0, 0.0, 0.3), tilt(-13.1)),
    ("frm-cyl2", "frm-cyl1", (0.0, 0.0, 2.2), tilt(-13.9)),
    ("frm-cyl3", "frm-cyl2", (0.0, 0.0, 3.2), tilt(-22.7)),
    ("frm-FL_Arm", "ROVA", (4.5, 0.0, -6.996), tilt(-17.5)),
    ("frm-FL_Forearm", "frm-FL_Arm", (1.5, -5.779, -1.203), tilt(22.5)),
    ("frm-FL_Foot", "frm-FL_Forearm", (0.0, -6.3, -2.5), IDENT),
    ("frm-FL_Paw", "frm-FL_Foot", (0.0, 1.2, 0.7), tilt(-15.0)),
    ("frm-FL_Nails", "frm-FL_Paw", (0.0, 0.0, -2.7), tilt(15.0)),
    ("frm-FR_Arm", "ROVA", (-4.5, 0.0, -6.996), turned_tilt(-17.5)),
    ("frm-FR_Forearm", "frm-FR_Arm", (1.5, -5.779, 1.203), tilt(-22.5)),
    ("frm-FL_Foot1", "frm-FR_Forearm", (0.0, -6.3, 2.5), IDENT),
    ("frm-FR_Paw", "frm-FL_Foot1", (0.0, 1.2, -0.7), tilt(15.0)),
    ("frm-FR_Nails", "frm-FR_Paw", (0.0, 0.0, 2.7), tilt(-15.0)),
    ("frm-BL_Thigh", "ROVA", (4.5, 0.0, 6.004), tilt(27.5)),
    ("frm-BL_Leg", "frm-BL_Thigh", (1.5, -5.779, 1.203), tilt(-22.5)),
    ("frm-BL_Foot", "frm-BL_Leg", (0.0, -7.5, 1.06), IDENT),
    ("frm-BL_Paw", "frm-BL_Foot", (0.0, 1.2, 0.7), tilt(-15.0)),
    ("frm-BL_Nails", "frm-BL_Paw", (0.0, 0.0, -2.7), tilt(15.0)),
    ("frm-Neck", "ROVA", (0.0, 5.3, -8.496), tilt(5.0)),
    ("frm-Head", "frm-Neck", (0.0, 3.134, -2.6), tilt(-15.0)),
    ("frm-cyl6", "frm-Head", (3.8, 2.002, 2.629),
     ((0.0, 1.0, 0.0), (1.0, 0.0, 0.0), (0.0, 0.0, -1.0))),
    ("frm-extru3", "frm-cyl6", (0.0, 0.0, 0.0), IDENT),
    ("frm-extru2", "frm-extru3", (-1.144, 0.0, 0.0), IDENT),
    ("frm-extru1", "frm-extru2", (-1.097, 0.0, 0.0), IDENT),
    ("frm-extru4", "frm-extru1", (-1.097, 0.0, 0.0), IDENT),
    ("frm-cyl7", "frm-Head", (-3.8, 2.002, 2.629),
     ((0.0, 1.0, 0.0), (-1.0, 0.0, 0.0), (0.0, 0.0, 1.0))),
    ("frm-extru5", "frm-cyl7", (0.0, 0.0, 0.0), IDENT),
    ("frm-extru6", "frm-extru5", (-1.144, 0.0, 0.0), IDENT),
    ("frm-extru7", "frm-extru6", (-1.097, 0.0, 0.0), IDENT),
    ("frm-extru8", "frm-extru7", (-1.097, 0.0, 0.0), IDENT),
    ("frm-Jaw", "frm-Head", (0.0, -1.0, -0.798), tilt(-15.0)),
    ("frm-BR_Thigh", "ROVA", (-4.5, 0.0, 6.004), turned_tilt(27.5)),
    ("frm-BR_Leg", "frm-BR_Thigh", (1.5, -5.779, -1.203), tilt(22.5)),
    ("frm-BR_Foot", "frm-BR_Leg", (0.0, -7.5, -1.06), IDENT),
    ("frm-BR_Paw", "frm-BR_Foot", (0.0, 1.2, -0.7), tilt(15.0)),
    ("frm-BR_Nails", "frm-BR_Paw", (0.0, 0.0, 2.7), tilt(-15.0)),
]

FRAME_INDEX = {f[0]: i for i, f in enumerate(FRAMES)}


def mesh_name(frame):
    return "Body" if frame == "ROVA" else frame[len("frm-"):]


def world_transforms():
    """Origin and axes of every frame in the model frame."""
    world = {}
    for name, parent, pos, rows in FRAMES:
        if parent is None:
            world[name] = (pos, rows)
        else:
            porg, prow = world[parent]
            world[name] = (add(porg, rot_apply(prow, pos)),
                           rot_mul(rows, prow))
    return world


WORLD = world_transforms()


def to_world(frame, p):
    org, rows = WORLD[frame]
    return add(org, rot_apply(rows, p))


def dir_to_world(frame, d):
    return rot_apply(WORLD[frame][1], d)


def to_local(frame, p):
    org, rows = WORLD[frame]
    return rot_apply_inv(rows, sub(p, org))


def dir_to_local(frame, d):
    return rot_apply_inv(WORLD[frame][1], d)


def origin(frame):
    return WORLD[frame][0]


# --------------------------------------------------------------------------
# Primitives. Each is a closed surface: rings of `nu` vertices between two
# pole vertices. Positions come in model coordinates; faces are wound so
# that they face outward (checked by the signed volume).

LIGHT = 0
DARK = 1

MATERIALS = {
    # colour RGBA, specular power, specular RGB, emissive RGB
    LIGHT: ((0.7, 0.7, 0.7, 1.0), 10.0, (0.5, 0.5, 0.5), (0.0, 0.0, 0.0)),
    DARK: ((0.3, 0.3, 0.3, 1.0), 100.0, (1.0, 1.0, 1.0), (0.0, 0.0, 0.0)),
}


class Part:
    """A closed surface with smooth normals, in model coordinates."""

    def __init__(self, verts, faces, material):
        self.verts = verts
        self.faces = faces
        self._orient()
        self.normals = self._normals()
        if callable(material):
            # material chosen per face from its centre and outward normal
            self.face_mats = []
            for a, b, c in self.faces:
                pa, pb, pc = self.verts[a], self.verts[b], self.verts[c]
                centre = scale(add(pa, add(pb, pc)), 1.0 / 3.0)
                n = normalize(cross(sub(pb, pa), sub(pc, pa)))
                self.face_mats.append(material(centre, n))
        else:
            self.face_mats = [material] * len(self.faces)

    def _signed_volume(self):
        v = 0.0
        for a, b, c in self.faces:
            pa, pb, pc = self.verts[a], self.verts[b], self.verts[c]
            v += dot(pa, cross(pb, pc))
        return v / 6.0

    def _orient(self):
        if self._signed_volume() < 0.0:
            self.faces = [(a, c, b) for a, b, c in self.faces]

    def _normals(self):
        acc = [(0.0, 0.0, 0.0)] * len(self.verts)
        for a, b, c in self.faces:
            pa, pb, pc = self.verts[a], self.verts[b], self.verts[c]
            n = cross(sub(pb, pa), sub(pc, pa))   # area weighted
            acc[a] = add(acc[a], n)
            acc[b] = add(acc[b], n)
            acc[c] = add(acc[c], n)
        return [normalize(n) for n in acc]

    def mirrored(self):
        m = Part([mirror_x(p) for p in self.verts],
                 [(a, c, b) for a, b, c in self.faces], LIGHT)
        m.face_mats = list(self.face_mats)
        return m


def grid_part(fn, nu, nv, material, xform):
    """fn(u, v) -> canonical point, u in [0, 1) around, v in (0, 1) from
    pole v=0 to pole v=1 (poles evaluated at v = 0 and 1).
    xform maps a canonical point to model coordinates."""
    verts = [xform(fn(0.0, 0.0))]
    for j in range(1, nv):
        v = j / nv
        for i in range(nu):
            verts.append(xform(fn(i / nu, v)))
    verts.append(xform(fn(0.0, 1.0)))
    last = len(verts) - 1

    def ring(j, i):
        return 1 + (j - 1) * nu + (i % nu)

    faces = []
    for i in range(nu):
        faces.append((0, ring(1, i), ring(1, i + 1)))
    for j in range(1, nv - 1):
        for i in range(nu):
            a, b = ring(j, i), ring(j, i + 1)
            c, d = ring(j + 1, i), ring(j + 1, i + 1)
            faces.append((a, c, d))
            faces.append((a, d, b))
    for i in range(nu):
        faces.append((last, ring(nv - 1, i + 1), ring(nv - 1, i)))
    return Part(verts, faces, material)


def spow(x, e):
    return math.copysign(abs(x) ** e, x)


def basis_from(axis, up_hint):
    """Orthonormal (side, up, axis) with axis along `axis`."""
    a = normalize(axis)
    side = cross(up_hint, a)
    if length(side) < 1e-6:
        side = cross((1.0, 0.0, 0.0), a)
    side = normalize(side)
    up = cross(a, side)
    return side, up, a


def frame_xform(center, side, up, axis):
    def xf(p):
        return add(center, add(scale(side, p[0]),
                                add(scale(up, p[1]), scale(axis, p[2]))))
    return xf


def superellipsoid(center, radii, material, nu=16, nv=10, e_len=1.0,
                   e_ring=1.0, axes=None, taper=(0.0, 0.0), shift=(0.0, 0.0)):
    """Rounded solid along its third axis. radii = (side, up, length)
    half sizes; e_len / e_ring < 1 make it boxier (1 = ellipsoid).
    taper = relative change of (side, up) size from the middle to the +axis
    end (negative: thinner at +axis). shift = offset of (side, up) at the
    +axis end (a sheared, bent-forward look). axes = (side, up, axis) unit
    vectors in model coordinates (default x, y, z)."""
    side, up, axis = axes if axes else ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0),
                                        (0.0, 0.0, 1.0))
    rx, ry, rz = radii

    def fn(u, v):
        lat = -math.pi / 2 + math.pi * v
        lon = 2.0 * math.pi * u
        cl = math.cos(lat)
        if v in (0.0, 1.0):
            cl = 0.0
        x = spow(cl, e_len) * spow(math.cos(lon), e_ring)
        y = spow(cl, e_len) * spow(math.sin(lon), e_ring)
        z = spow(math.sin(lat), e_len)
        k = z
        x *= rx * (1.0 + taper[0] * k)
        y *= ry * (1.0 + taper[1] * k)
        x += shift[0] * (k + 1.0) * 0.5
        y += shift[1] * (k + 1.0) * 0.5
        return (x, y, z * rz)

    return grid_part(fn, nu, nv, material,
                     frame_xform(center, side, up, axis))


def capsule(p0, p1, r0, r1, material, nu=12, ncap=3, nmid=1,
            flat=1.0, up_hint=(0.0, 1.0, 0.0), sidehint=None):
    """Tapered capsule from p0 (radius r0) to p1 (radius r1). `flat` scales
    the cross-section along the `up` direction of the basis (1 = round)."""
    ax = sub(p1, p0)
    L = length(ax)
    if sidehint is not None:
        a = normalize(ax)
        side = normalize(sub(sidehint, scale(a, dot(sidehint, a))))
        up = cross(a, side)
    else:
        side, up, a = basis_from(ax, up_hint)
    # profile: (axial position, radius) from pole to pole
    prof = []
    for k in range(ncap + 1):               # cap at p0
        t = -math.pi / 2 + (math.pi / 2) * k / ncap
        prof.append((r0 * math.sin(t), r0 * math.cos(t)))
    for k in range(1, nmid):
        f = k / nmid
        prof.append((L * f, r0 + (r1 - r0) * f))
    for k in range(ncap + 1):               # cap at p1
        t = (math.pi / 2) * k / ncap
        prof.append((L + r1 * math.sin(t), r1 * math.cos(t)))
    nv = len(prof) - 1

    def fn(u, v):
        j = int(round(v * nv))
        z, r = prof[j]
        if j in (0, nv):
            r = 0.0
        lon = 2.0 * math.pi * u
        return (r * math.cos(lon), r * math.sin(lon) * flat, z)

    return grid_part(fn, nu, nv, material, frame_xform(p0, side, up, a))


def smooth_interp(points, z):
    """Values at z from control points [(z, v0, v1, ...)] sorted by z,
    eased between neighbours (flat at every control point)."""
    if z <= points[0][0]:
        return points[0][1:]
    for (za, *va), (zb, *vb) in zip(points, points[1:]):
        if z <= zb:
            t = (z - za) / (zb - za)
            t = t * t * (3.0 - 2.0 * t)
            return tuple(a + (b - a) * t for a, b in zip(va, vb))
    return points[-1][1:]


def loft(points, z0, z1, material, center, axes, nu=14, nz=12,
         cap0=2.0, cap1=2.0, round0=2.0, round1=2.0, e_ring=0.7):
    """A solid swept along the third axis from z0 to z1 (in the part's own
    coordinates, z1 may be below z0). Its cross-section at z is a rounded
    rectangle of half width w, half height h around (0, y) where
    (w, h, y) = smooth_interp(points, z); the last cap0 / cap1 units at
    either end close in a round cap (round0 / round1: 2 = elliptic,
    larger = blunter)."""
    side, up, axis = axes
    xf = frame_xform(center, side, up, axis)

    def fn(u, v):
        z = z0 + (z1 - z0) * v
        w, h, y = smooth_interp(points, z)
        total = abs(z1 - z0)
        e0, e1 = v * total, (1.0 - v) * total   # distance from either end
        f = 1.0
        if e0 < cap0:
            f = min(f, (1.0 - (1.0 - e0 / cap0) ** round0) ** (1.0 / round0))
        if e1 < cap1:
            f = min(f, (1.0 - (1.0 - e1 / cap1) ** round1) ** (1.0 / round1))
        if v in (0.0, 1.0):
            f = 0.0
        lon = 2.0 * math.pi * u
        return (w * f * spow(math.cos(lon), e_ring),
                y + h * f * spow(math.sin(lon), e_ring), z)

    # denser rings toward the ends, where the caps curve
    def fn_eased(u, v):
        return fn(u, 0.5 - 0.5 * math.cos(math.pi * v))

    return grid_part(fn_eased, nu, nz, material, xf)


def loft_surface(points, z, lon_deg, e_ring, forward=-1.0):
    """Point and outward normal of a loft's side (away from its caps) at
    z and the angle lon_deg around its axis (0 = +x side, 90 = top), in
    the loft's own coordinates. `forward` is the sign of the axis at the
    loft's far end, to orient the normal."""
    def at(zz, lon):
        w, h, y = smooth_interp(points, zz)
        return (w * spow(math.cos(lon), e_ring),
                y + h * spow(math.sin(lon), e_ring), zz)
    lon = math.radians(lon_deg)
    p = at(z, lon)
    du = sub(at(z, lon + 1e-4), at(z, lon - 1e-4))
    dz = sub(at(z + 1e-4, lon), at(z - 1e-4, lon))
    n = normalize(cross(du, dz))
    w, h, y = smooth_interp(points, z)
    if dot(n, sub(p, (0.0, y, z))) < 0.0:
        n = scale(n, -1.0)
    return p, n


# --------------------------------------------------------------------------
# The robot. Left-side parts are made once and mirrored for the right side.

def ow(frame):
    return origin(frame)


def shifted(part, d):
    part.verts = [add(p, d) for p in part.verts]
    return part


def on_ground(part):
    """Move a part up or down so that its lowest point is on y = 0."""
    low = min(p[1] for p in part.verts)
    return shifted(part, (0.0, -low, 0.0))


def fit_width(part, cx, half):
    """Scale a part across the body (about x = cx) to a half width."""
    k = half / max(abs(p[0] - cx) for p in part.verts)
    part.verts = [(cx + (p[0] - cx) * k, p[1], p[2]) for p in part.verts]
    part.normals = part._normals()
    return part


SIDE_AXES = ((0.0, 1.0, 0.0), (0.0, 0.0, 1.0), (1.0, 0.0, 0.0))


def joint_cap(center, r, width, material=DARK, nu=10, nv=5):
    """A rounded disc across the x axis: the visible cap of a leg joint."""
    return superellipsoid(center, (r, r, width), material, nu=nu, nv=nv,
                          e_len=0.55, e_ring=1.0, axes=SIDE_AXES)


def leg_parts(upper, lower, foot, paw, nails, rear):
    """Parts of one left leg, keyed by frame name."""
    parts = {}
    top = ow(upper)
    knee = ow(lower)
    ankle = ow(paw)
    toe = ow(nails)
    # radii: top of the limb across the body (its depth along the body is
    # `deep` times more), knee or elbow, ankle
    if rear:
        r_top, deep, r_knee, r_ankle = 1.35, 1.45, 1.15, 0.72
    else:
        r_top, deep, r_knee, r_ankle = 1.2, 1.4, 1.05, 0.68
    limb_dir = normalize(sub(knee, top))
    # upper limb: joint cap at the body side and a strong tapered limb,
    # flattened across the body
    parts[upper] = [
        joint_cap(add(top, (r_top * 0.85, 0.0, 0.0)), r_top * 1.15, 0.42,
                  nu=9, nv=4),
        capsule(add(top, scale(limb_dir, 0.2)), knee, r_top, r_knee / deep,
                LIGHT, nu=8, ncap=2, flat=deep,
                sidehint=(1.0, 0.0, 0.0)),
    ]
    # lower limb with the knee or elbow joint
    parts[lower] = [
        joint_cap(add(knee, (r_knee * 0.45, 0.0, 0.0)), r_knee * 1.1,
                  r_knee * 0.62, nu=9, nv=4),
        capsule(knee, ankle, r_knee * 0.88, r_ankle, LIGHT, nu=8, ncap=2,
                sidehint=(1.0, 0.0, 0.0)),
    ]
    # ankle joint
    parts[foot] = [joint_cap(ankle, 0.82, 0.78, nu=8, nv=4)]
    # paw: a rounded wedge from behind the ankle to the toes, sole on y = 0
    x = toe[0]
    heel_z = ankle[2] + 1.0
    front_z = toe[2] - 0.35
    cz = 0.5 * (heel_z + front_z)
    hz = 0.5 * (heel_z - front_z)
    parts[paw] = [fit_width(on_ground(
        superellipsoid((x, 0.7, cz), (1.5, 0.68, hz), LIGHT, nu=10, nv=5,
                       e_len=0.6, e_ring=0.55, taper=(-0.04, 0.45))),
        x, 1.5)]
    # nails: four short claws at the front of the toes
    claws = []
    for dx in (-1.05, -0.36, 0.36, 1.05):
        base = (x + dx, 0.35, toe[2] + 0.05)
        tip = (x + dx * 1.06, 0.22, toe[2] - 0.75)
        claws.append(on_ground(capsule(base, tip, 0.3, 0.2, DARK, nu=4,
                                       ncap=1, sidehint=(1.0, 1.0, 0.0))))
    parts[nails] = claws
    return parts


def build_parts():
    P = {name: [] for name, _, _, _ in FRAMES}

    # ---- body: a long rounded shell, slimmer toward the rear, with a
    # deeper chest and a dark belly
    def B(p):
        return to_world("ROVA", p)
    bx, by, bz = WORLD["ROVA"][1]
    body_profile = [
        # z along the body, half width, half height, centre height
        (-10.4, 3.3, 2.6, 3.35),
        (-6.0, 4.1, 3.35, 2.45),
        (-2.0, 3.85, 3.0, 2.9),
        (2.0, 3.6, 2.7, 3.25),
        (6.0, 4.0, 3.0, 2.85),
        (10.1, 3.5, 2.6, 3.2),
    ]
    down = scale(by, -1.0)

    def belly(centre, n):
        return DARK if dot(n, down) > 0.8 else LIGHT

    P["ROVA"].append(loft(body_profile, -10.4, 10.1, belly, B((0, 0, 0)),
                          (bx, by, bz), nu=14, nz=12, cap0=2.8, cap1=2.6,
                          round0=2.2, round1=2.2, e_ring=0.7))

    # ---- tail: ball joint and three tapering segments
    P["frm-sphere2"].append(superellipsoid(ow("frm-sphere2"),
                                           (1.15, 1.15, 1.15), DARK,
                                           nu=8, nv=5))
    segs = [("frm-cyl1", 2.2, 0.92, 0.8), ("frm-cyl2", 3.2, 0.8, 0.66),
            ("frm-cyl3", 6.45, 0.66, 0.45)]
    for name, L, r0, r1 in segs:
        p0 = ow(name)
        p1 = to_world(name, (0.0, 0.0, L))
        P[name].append(capsule(p0, p1, r0, r1, LIGHT, nu=8, ncap=2))

    # ---- legs (left side, then mirrored)
    legs = [
        (("frm-FL_Arm", "frm-FL_Forearm", "frm-FL_Foot", "frm-FL_Paw",
          "frm-FL_Nails"),
         ("frm-FR_Arm", "frm-FR_Forearm", "frm-FL_Foot1", "frm-FR_Paw",
          "frm-FR_Nails"), False),
        (("frm-BL_Thigh", "frm-BL_Leg", "frm-BL_Foot", "frm-BL_Paw",
          "frm-BL_Nails"),
         ("frm-BR_Thigh", "frm-BR_Leg", "frm-BR_Foot", "frm-BR_Paw",
          "frm-BR_Nails"), True),
    ]
    for left, right, rear in legs:
        parts = leg_parts(*left, rear=rear)
        for lname, rname in zip(left, right):
            P[lname].extend(parts[lname])
            P[rname].extend(p.mirrored() for p in parts[lname])

    # ---- neck: from inside the shoulders up to the head pivot
    neck = ow("frm-Neck")
    head = ow("frm-Head")
    P["frm-Neck"].append(capsule(add(neck, (0.0, -0.8, 0.6)), head, 1.95,
                                 1.6, LIGHT, nu=10, ncap=2))

    # ---- head, designed in the head frame (-z forward, y up)
    def H(p):
        return to_world("frm-Head", p)
    hx, hy, hz = WORLD["frm-Head"][1]
    fwd = scale(hz, -1.0)
    head_profile = [
        # z along the head (-z forward), half width, half height, centre
        (-6.3, 1.55, 1.1, 0.9),
        (-4.6, 1.95, 1.45, 0.95),
        (-2.7, 2.4, 1.95, 1.3),
        (-1.3, 3.05, 2.65, 2.2),
        (0.4, 3.35, 2.95, 2.5),
        (2.2, 3.2, 2.85, 2.55),
        (3.7, 2.8, 2.5, 2.6),
    ]
    P["frm-Head"].append(loft(head_profile, 3.7, -6.3, LIGHT, H((0, 0, 0)),
                              (hx, hy, hz), nu=16, nz=12, cap0=2.6,
                              cap1=1.1, round0=2.0, round1=2.4,
                              e_ring=0.75))
    # inside of the mouth, seen when the jaw opens
    P["frm-Head"].append(superellipsoid(H((0.0, -1.05, -2.7)),
                                        (1.5, 0.72, 2.4), DARK,
                                        nu=8, nv=4, e_len=0.7, e_ring=0.7,
                                        axes=(hx, hy, fwd)))
    # nose
    P["frm-Head"].append(superellipsoid(H((0.0, 1.05, -6.0)),
                                        (0.85, 0.55, 0.5), DARK,
                                        nu=8, nv=3))
    # eyes: dark oval lenses set into the face above the muzzle
    for sx in (-1.0, 1.0):
        p, n = loft_surface(head_profile, -1.95, 90.0 - sx * 45.0, 0.75)
        c = H(add(p, scale(n, -0.1)))
        ax = normalize(dir_to_world("frm-Head", n))
        side = normalize(cross(hy, ax))
        up = cross(ax, side)
        P["frm-Head"].append(superellipsoid(c, (0.75, 0.62, 0.3), DARK,
                                            nu=8, nv=3, axes=(side, up, ax)))

    # ---- jaw, designed in its own frame: aligned with the head frame the
    # mouth is closed (its top just inside the muzzle); the modelled pose
    # holds it a little open
    def J(p):
        return to_world("frm-Jaw", p)
    jx, jy, jz = WORLD["frm-Jaw"][1]
    jaw_profile = [
        (-5.0, 1.3, 0.45, 0.4),
        (-3.8, 1.65, 0.55, 0.15),
        (-1.9, 1.95, 0.7, -0.15),
        (0.5, 2.0, 0.8, -0.2),
    ]
    P["frm-Jaw"].append(loft(jaw_profile, 0.9, -5.35, LIGHT, J((0, 0, 0)),
                             (jx, jy, jz), nu=10, nz=8, cap0=0.8, cap1=0.9,
                             e_ring=0.7))
    P["frm-Jaw"].append(joint_cap(J((0.0, 0.0, 0.0)), 0.6, 2.1, nu=8,
                                  nv=4))

    # ---- ears: hinge disc and four hanging segments (left ear frames:
    # x up along the head, y outward, z forward)
    def E(p):
        return to_world("frm-cyl6", p)
    ex, ey, ez = WORLD["frm-cyl6"][1]
    ear_parts = {
        "frm-cyl6": [superellipsoid(E((0.0, -0.35, 0.0)),
                                    (1.0, 1.0, 0.55), DARK, nu=10, nv=4,
                                    e_len=0.4, e_ring=1.0,
                                    axes=(ex, ez, ey))],
    }
    down = scale(ex, -1.0)
    # (frame, length, half width at top and bottom, outward lean, end
    # roundness): narrow at the hinge, widest low down, round at the tip
    seg = [("frm-extru3", 1.144, 0.95, 1.15, 0.0, 0.12),
           ("frm-extru2", 1.097, 1.15, 1.3, 0.08, 0.12),
           ("frm-extru1", 1.097, 1.3, 1.35, 0.16, 0.12),
           ("frm-extru4", 1.3, 1.35, 1.0, 0.24, 0.75)]
    for name, L, w0, w1, lean, e in seg:
        o = to_local("frm-cyl6", ow(name))
        c = E(add(o, (-L * 0.5, 0.22 + lean, 0.45)))
        ear_parts[name] = [superellipsoid(
            c, (0.5 * (w0 + w1), 0.22, L * 0.5 + 0.02), LIGHT, nu=8, nv=3,
            e_len=e, e_ring=0.4, axes=(ez, ey, down),
            taper=((w1 - w0) / (w0 + w1), 0.0), shift=(0.0, 0.08))]
    right = {"frm-cyl6": "frm-cyl7", "frm-extru3": "frm-extru5",
             "frm-extru2": "frm-extru6", "frm-extru1": "frm-extru7",
             "frm-extru4": "frm-extru8"}
    for name, parts in ear_parts.items():
        P[name].extend(parts)
        P[right[name]].extend(p.mirrored() for p in parts)
    return P


# --------------------------------------------------------------------------
# Meshes in frame coordinates


class Mesh:
    def __init__(self, frame, parts):
        self.frame = frame
        self.name = mesh_name(frame)
        self.verts, self.normals, self.faces, self.face_mat = [], [], [], []
        self.part_ranges = []   # (first face, face count) of every part
        for part in parts:
            base = len(self.verts)
            self.part_ranges.append((len(self.faces), len(part.faces)))
            self.verts.extend(to_local(frame, p) for p in part.verts)
            self.normals.extend(normalize(dir_to_local(frame, n))
                                for n in part.normals)
            self.faces.extend((a + base, b + base, c + base)
                              for a, b, c in part.faces)
            self.face_mat.extend(part.face_mats)
        used = sorted(set(self.face_mat))
        self.materials = used
        remap = {m: i for i, m in enumerate(used)}
        self.face_mat = [remap[m] for m in self.face_mat]


def build_meshes():
    parts = build_parts()
    return [Mesh(name, parts[name]) for name, _, _, _ in FRAMES]


# --------------------------------------------------------------------------
# Writing

def f6(x):
    s = "%.6f" % x
    if s == "-0.000000":
        s = "0.000000"
    return s


def write_x(meshes):
    out = ["xof 0302txt 0032", ""]
    by_frame = {m.frame: m for m in meshes}
    children = {name: [] for name, _, _, _ in FRAMES}
    for name, parent, _, _ in FRAMES:
        if parent is not None:
            children[parent].append(name)

    def emit_frame(name, ind):
        _, _, pos, rows = FRAMES[FRAME_INDEX[name]]
        sp = " " * ind
        out.append("%sFrame %s {" % (sp, name))
        out.append("%s FrameTransformMatrix {" % sp)
        for r in rows:
            out.append("%s  %s,%s,%s,0.000000," % (sp, f6(r[0]), f6(r[1]),
                                                  f6(r[2])))
        out.append("%s  %s,%s,%s,1.000000;;" % (sp, f6(pos[0]), f6(pos[1]),
                                               f6(pos[2])))
        out.append("%s }" % sp)
        emit_mesh(by_frame[name], ind + 1)
        for c in children[name]:
            emit_frame(c, ind + 1)
        out.append("%s}" % sp)

    def vec_list(vs, sp):
        n = len(vs)
        for i, v in enumerate(vs):
            end = ";;" if i == n - 1 else ";,"
            out.append("%s%s;%s;%s%s" % (sp, f6(v[0]), f6(v[1]), f6(v[2]),
                                         end))

    def face_list(fs, sp):
        n = len(fs)
        for i, f in enumerate(fs):
            end = ";;" if i == n - 1 else ";,"
            out.append("%s3;%d,%d,%d%s" % (sp, f[0], f[1], f[2], end))

    def emit_mesh(m, ind):
        sp = " " * ind
        out.append("%sMesh %s {" % (sp, m.name))
        out.append("%s %d;" % (sp, len(m.verts)))
        vec_list(m.verts, sp + " ")
        out.append("%s %d;" % (sp, len(m.faces)))
        face_list(m.faces, sp + " ")
        out.append("%s MeshNormals {" % sp)
        out.append("%s  %d;" % (sp, len(m.normals)))
        vec_list(m.normals, sp + "  ")
        out.append("%s  %d;" % (sp, len(m.faces)))
        face_list(m.faces, sp + "  ")
        out.append("%s }" % sp)
        out.append("%s MeshMaterialList {" % sp)
        out.append("%s  %d;" % (sp, len(m.materials)))
        out.append("%s  %d;" % (sp, len(m.faces)))
        n = len(m.face_mat)
        for i, k in enumerate(m.face_mat):
            out.append("%s  %d%s" % (sp, k, ";" if i == n - 1 else ","))
        for k in m.materials:
            col, power, specular, emis = MATERIALS[k]
            out.append("%s  Material {" % sp)
            out.append("%s   %s;%s;%s;%s;;" % (sp, *[f6(c) for c in col]))
            out.append("%s   %s;" % (sp, f6(power)))
            out.append("%s   %s;%s;%s;;" % (sp, *[f6(c) for c in specular]))
            out.append("%s   %s;%s;%s;;" % (sp, *[f6(c) for c in emis]))
            out.append("%s  }" % sp)
        out.append("%s }" % sp)
        out.append("%s}" % sp)

    emit_frame("ROVA", 0)
    return "\r\n".join(out) + "\r\n"


# --------------------------------------------------------------------------
# Self-checks on the assembled model


def check(meshes):
    problems = []
    if len(FRAMES) != 38 or len(meshes) != 38:
        problems.append("expected 38 frames and meshes")
    names = [f[0] for f in FRAMES]
    if len(set(names)) != len(names):
        problems.append("duplicate frame names")
    lo = [1e9] * 3
    hi = [-1e9] * 3
    total = 0
    for m in meshes:
        total += len(m.verts)
        if not m.faces:
            problems.append("%s has no faces" % m.name)
        for p in m.verts:
            w = to_world(m.frame, p)
            for k in range(3):
                lo[k] = min(lo[k], w[k])
                hi[k] = max(hi[k], w[k])
        for n in m.normals:
            if abs(length(n) - 1.0) > 1e-6:
                problems.append("%s has a non-unit normal" % m.name)
                break
        # every part is a closed surface, consistently wound (each edge used
        # once in either direction) and enclosing a positive volume, so
        # (b - a) x (c - a) points outward on every face
        for first, count in m.part_ranges:
            edges = {}
            vol = 0.0
            for a, b, c in m.faces[first:first + count]:
                for e in ((a, b), (b, c), (c, a)):
                    edges[e] = edges.get(e, 0) + 1
                vol += dot(m.verts[a], cross(m.verts[b], m.verts[c]))
            if any(n != 1 or edges.get((e[1], e[0])) != 1
                   for e, n in edges.items()):
                problems.append("%s: a part is not closed and consistently "
                                "wound" % m.name)
            if vol <= 0.0:
                problems.append("%s: a part is wound inside out" % m.name)
        # smooth normals agree with the faces around them
        bad = 0
        for a, b, c in m.faces:
            pa, pb, pc = m.verts[a], m.verts[b], m.verts[c]
            fn = cross(sub(pb, pa), sub(pc, pa))
            vn = add(m.normals[a], add(m.normals[b], m.normals[c]))
            if dot(fn, vn) <= 0.0:
                bad += 1
        if bad:
            problems.append("%s: %d faces wound against their normals"
                            % (m.name, bad))
    want_lo = (-7.5, 0.0, -18.1)
    want_hi = (7.5, 26.6, 16.9)
    for k, axis in enumerate("xyz"):
        if abs(lo[k] - want_lo[k]) > 0.05 or abs(hi[k] - want_hi[k]) > 0.05:
            problems.append("%s extent %.3f..%.3f, wanted %.1f..%.1f"
                            % (axis, lo[k], hi[k], want_lo[k], want_hi[k]))
    if not 1200 <= total <= 2000:
        problems.append("vertex count %d out of range" % total)
    # the paws stand on y = 0
    for name in ("frm-FL_Paw", "frm-FR_Paw", "frm-BL_Paw", "frm-BR_Paw"):
        m = meshes[FRAME_INDEX[name]]
        low = min(to_world(name, p)[1] for p in m.verts)
        if abs(low) > 1e-4:
            problems.append("%s sole at y = %.4f" % (m.name, low))
    # the top of the head
    head = meshes[FRAME_INDEX["frm-Head"]]
    top = max(to_world("frm-Head", p)[1] for p in head.verts)
    if abs(top - 26.0) > 0.05:
        problems.append("top of the head at y = %.3f" % top)
    return problems, lo, hi, total


def same_model_text(a, b):
    """Equal up to the last printed digit of the numbers (the math library
    of another machine may round a last digit differently)."""
    if a.split("\r\n")[0] != b.split("\r\n")[0] or "\n" in a.replace(
            "\r\n", ""):
        return False
    ta = a.replace(";", " ").replace(",", " ").split()
    tb = b.replace(";", " ").replace(",", " ").split()
    if len(ta) != len(tb):
        return False
    for x, y in zip(ta, tb):
        if x == y:
            continue
        try:
            if abs(float(x) - float(y)) > 2.5e-6:
                return False
        except ValueError:
            return False
    return True


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.join(here, "..", "viewer", "res", "rova.x")
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("-o", "--output", default=default_out)
    ap.add_argument("--force", action="store_true",
                    help="write even if the self-checks fail")
    ap.add_argument("--check", action="store_true",
                    help="write nothing; fail if the self-checks fail or the "
                    "output file differs from what this script makes")
    args = ap.parse_args()
    meshes = build_meshes()
    problems, lo, hi, total = check(meshes)
    print("frames %d, vertices %d, faces %d" %
          (len(meshes), total, sum(len(m.faces) for m in meshes)))
    print("extent x %.3f..%.3f  y %.3f..%.3f  z %.3f..%.3f" %
          (lo[0], hi[0], lo[1], hi[1], lo[2], hi[2]))
    for p in problems:
        print("check failed:", p, file=sys.stderr)
    if problems and not args.force:
        return 1
    text = write_x(meshes)
    if args.check:
        with open(os.path.normpath(args.output), newline="") as f:
            old = f.read()
        if not same_model_text(old, text):
            print("%s is not what this script makes: regenerate it"
                  % os.path.normpath(args.output), file=sys.stderr)
            return 1
        print("%s is up to date" % os.path.normpath(args.output))
        return 0
    with open(os.path.normpath(args.output), "w", newline="") as f:
        f.write(text)
    print("wrote", os.path.normpath(args.output), len(text), "bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
