#!/usr/bin/env python3
"""Generates the example design jobs of ostrel-design.

wall_si.json: a six-storey cantilever shear wall in SI units (mm, kN, MPa,
kN-m), 6.0 m long and 18.0 m high, meshed into 12 x 12 plate elements, with a
rectangular boundary column at its left end, a flanged return at its right
end (both one element per storey) and a circular lobby column over the two
lowest storeys. wall_us.json: a small two-storey wall in US units (in, kip,
ksi, kip-ft).

The analysis results are not from a finite-element run: they follow the
statics of a cantilever wall under gravity and wind, so that the forces have
a plausible load path.
  * Gravity: self-weight plus floor dead and live load at every floor, carried
    down the wall; the axial force per unit length at a level is the load
    above it spread over the wall length (the columns take their tributary
    share).
  * Wind: a storey force at every floor; at a level the shear V is the sum of
    the forces above and the overturning moment M the sum of force times lever
    arm. Vertical membrane force per unit length Ny = -P/Lw + M (x - Lw/2) 12 /
    Lw^3 (beam theory on the wall section); in-plane shear Nxy with the
    parabolic distribution 1.5 V/Lw (1 - (2 (x - Lw/2)/Lw)^2); a small
    horizontal force Nx from restraint.
  * Out-of-plane moments from the eccentricity of the floor reactions,
    largest at the floor levels.
  * Displacements: cantilever deflection under the storey forces (unit load
    method), axial shortening and rotation of the section.

Run: python3 examples/make_wall_job.py  (writes both files beside this script)
     python3 examples/make_wall_job.py --big PATH  (the large job that the
     reading benchmarks use: 10,000 plates, 1,000 stiffeners, 40 combinations,
     about 52 MB; not committed)
"""

import json
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- load cases
# Each combination: factors on (dead, live, wind) and type (0 service, 1 ultimate).
COMBINATIONS = [
    ("D + L", (1.0, 1.0, 0.0), 0),
    ("D + W(+x)", (1.0, 0.0, 1.0), 0),
    ("D + W(-x)", (1.0, 0.0, -1.0), 0),
    ("1.25D + 1.5L", (1.25, 1.5, 0.0), 1),
    ("1.25D + 1.5W(+x)", (1.25, 0.0, 1.5), 1),
    ("1.25D + 1.5W(-x)", (1.25, 0.0, -1.5), 1),
    ("0.85D + 1.5W(+x)", (0.85, 0.0, 1.5), 1),
    ("0.85D + 1.5W(-x)", (0.85, 0.0, -1.5), 1),
    ("1.25D + 1.05L + 1.05W(+x)", (1.25, 1.05, 1.05), 1),
    ("1.25D + 1.05L + 1.05W(-x)", (1.25, 1.05, -1.05), 1),
]


def r(value, digits=3):
    """Rounds for a readable job file; -0.0 becomes 0."""
    v = round(value, digits)
    return 0.0 if v == 0 else v


class Wall:
    """A cantilever wall on a rectangular mesh; lengths in m, forces in kN."""

    def __init__(self, length, storey_height, storeys, cols, rows_per_storey, thickness,
                 floor_dead, floor_live, storey_wind, floor_eccentricity, modulus):
        self.length = length
        self.storey_height = storey_height
        self.storeys = storeys
        self.height = storey_height * storeys
        self.cols = cols
        self.rows = rows_per_storey * storeys
        self.thickness = thickness            # m, for self-weight and stiffness
        self.floor_dead = floor_dead          # kN/m along the wall, each floor
        self.floor_live = floor_live          # kN/m along the wall, each floor
        self.storey_wind = storey_wind        # kN per floor (half at the roof)
        self.eccentricity = floor_eccentricity  # m, floor reaction off the wall centre
        self.modulus = modulus                # kPa
        self.self_weight = 24.0 * thickness   # kN/m2 of wall

    def floors_above(self, y):
        return [k * self.storey_height for k in range(1, self.storeys + 1)
                if k * self.storey_height > y + 1e-9]

    def wind_forces(self):
        forces = []
        for k in range(1, self.storeys + 1):
            f = self.storey_wind * (0.5 if k == self.storeys else 1.0)
            forces.append((k * self.storey_height, f))
        return forces

    # Actions on the wall section at height y for one load case.
    def gravity_per_length(self, y, case):
        n_floors = len(self.floors_above(y))
        if case == "D":
            return self.self_weight * (self.height - y) + self.floor_dead * n_floors
        return self.floor_live * n_floors

    def wind_shear_moment(self, y):
        v = sum(f for h, f in self.wind_forces() if h > y)
        m = sum(f * (h - y) for h, f in self.wind_forces() if h > y)
        return v, m

    def plate_forces(self, x, y, factors):
        """Nx, Ny, Nxy (kN/m) and Mx, My, Mxy (kN-m/m) at a point."""
        d, l, w = factors
        lw = self.length
        gravity = d * self.gravity_per_length(y, "D") + l * self.gravity_per_length(y, "L")
        v, m = self.wind_shear_moment(y)
        v, m = w * v, w * m
        s = x - lw / 2
        ny = -gravity - m * s * 12.0 / lw ** 3   # wind +x puts the left end in tension
        nxy = 1.5 * v / lw * (1.0 - (2.0 * s / lw) ** 2)
        nx = 0.08 * ny                            # restraint of the floors
        # Floor reactions bend the wall out of plane just under each floor.
        dist = min(abs(y - k * self.storey_height) for k in range(1, self.storeys + 1))
        decay = max(0.0, 1.0 - dist / (0.5 * self.storey_height))
        floor_load = d * self.floor_dead + l * self.floor_live
        my = floor_load * self.eccentricity * (0.35 + 0.65 * decay)
        mx = 0.25 * my
        mxy = 0.05 * my * (1 if s >= 0 else -1)
        return nx, ny, nxy, mx, my, mxy

    def lateral_deflection(self, y, factors):
        """Cantilever deflection (m) under the storey forces; beam theory."""
        ei = self.modulus * self.thickness * self.length ** 3 / 12.0
        total = 0.0
        for h, f in self.wind_forces():
            a = min(y, h)
            # Deflection at y of a cantilever with a point load f at height h.
            total += f * a * a * (3 * max(y, h) - a) / (6.0 * ei)
        return factors[2] * total

    def node_displacements(self, x, y, factors):
        """dx, dy, dz (mm) and three rotations (rad) at a node."""
        d, l, w = factors
        ea = self.modulus * self.thickness * self.length
        # Axial shortening: integrate the gravity load from the base up to y.
        steps = 20
        shortening = 0.0
        for i in range(steps):
            yi = (i + 0.5) * y / steps
            n = (d * self.gravity_per_length(yi, "D") + l * self.gravity_per_length(yi, "L"))
            shortening += n * self.length / ea * (y / steps)
        dx = self.lateral_deflection(y, factors)
        # Rotation of the section about z: slope of the deflected shape.
        eps = 0.01
        slope = (self.lateral_deflection(y + eps, factors) -
                 self.lateral_deflection(max(0.0, y - eps), factors)) / (2 * eps) if y > 0 else 0
        dy = -shortening - slope * (x - self.length / 2)
        dz = 0.002 * (d * self.floor_dead + l * self.floor_live) * (y / self.height) ** 2
        return (1000 * dx, 1000 * dy, dz, 0.0, 0.0, slope)

    def node_points(self):
        dx = self.length / self.cols
        dy = self.height / self.rows
        return [(i * dx, j * dy) for j in range(self.rows + 1) for i in range(self.cols + 1)]

    def node_number(self, i, j):
        """Number (from 1) of the node in mesh column i and row j."""
        return j * (self.cols + 1) + i + 1

    def geometry(self, scale, rows_per_storey, stiffener_columns):
        """Nodes (x along the wall, y up, z = 0; lengths times `scale`), the
        four nodes of every plate element counter-clockwise, and the two
        nodes of every stiffener element: one per storey and entry of
        `stiffener_columns` (mesh columns, in the order of the elements)."""
        nodes = [[r(x * scale), r(y * scale), 0.0] for x, y in self.node_points()]
        plates = [[self.node_number(i, j), self.node_number(i + 1, j),
                   self.node_number(i + 1, j + 1), self.node_number(i, j + 1)]
                  for j in range(self.rows) for i in range(self.cols)]
        lines = [[self.node_number(i, (s - 1) * rows_per_storey),
                  self.node_number(i, s * rows_per_storey)]
                 for i, s in stiffener_columns]
        return {"nodes": nodes, "plates": plates, "stiffeners": lines}

    def element_centres(self):
        dx = self.length / self.cols
        dy = self.height / self.rows
        return [((i + 0.5) * dx, (j + 0.5) * dy) for j in range(self.rows)
                for i in range(self.cols)]


def column_forces(wall, storey, share, gravity_width, factors, lever):
    """End forces of a vertical stiffener of one storey (kN, kN-m), end 1 at
    the bottom: P, Vy, Vz, T, My, Mz at each end. `share` is the part of the
    overturning couple the column carries at lever arm `lever` (m)."""
    d, l, w = factors
    y1 = (storey - 1) * wall.storey_height
    y2 = storey * wall.storey_height - 1e-6
    ends = []
    for y in (y1, y2):
        gravity = (d * wall.gravity_per_length(y, "D") + l * wall.gravity_per_length(y, "L"))
        v, m = wall.wind_shear_moment(y)
        p = -gravity * gravity_width + share * w * m / lever
        vy = 0.06 * w * v                           # in-plane shear share
        vz = 0.02 * (d * wall.floor_dead + l * wall.floor_live) * gravity_width
        t = 0.004 * abs(w) * v + 0.5                 # small torsion from floor offsets
        my = vz * wall.storey_height / 2
        mz = vy * wall.storey_height / 2
        ends.append([p, vy, vz, t, my, mz])
    # Double curvature: the end moments change sign over the storey.
    ends[1][4] = -ends[1][4]
    ends[1][5] = -ends[1][5]
    return ends[0] + ends[1]


def plate(thickness, fc, fy, es, rmin, rmax, rmin_v, rmax_v, curtains, cover_x, cover_y):
    return {"f_Thickness": thickness, "f_fc": fc, "f_fy": fy, "f_Es": es,
            "f_MinRatioOfRFT": rmin, "f_MaxRatioOfRFT": rmax,
            "f_MinRatioOfRFT_v": rmin_v, "f_MaxRatioOfRFT_v": rmax_v,
            "bt_NumCurtains": curtains, "f_CoverToRFT_X": cover_x, "f_CoverToRFT_Y": cover_y}


def stiffener(section, projection, width, height, lfw, lft, rfw, rft, fc, density, fy, es,
              rmin, rmax, rft_type, cz, cy, czst, cyst):
    return {"bt_SectionType": section, "bt_SectionProjection": projection,
            "f_SectionWidth": width, "f_sectionHeight": height,
            "f_LeftFlangeWidth": lfw, "f_LeftFlangeThickness": lft,
            "f_RightFlangeWidth": rfw, "f_RightFlangeThickness": rft,
            "f_fc": fc, "f_density": density, "f_fy": fy, "f_Es": es,
            "f_MinRatioOfRFT": rmin, "f_MaxRatioOfRFT": rmax, "bt_RFTType": rft_type,
            "f_Cover_Z": cz, "f_Cover_Y": cy, "f_Cover_Z_st": czst, "f_Cover_Y_st": cyst,
            "bt_DesignAsColumn": 1}


def si_job():
    wall = Wall(length=6.0, storey_height=3.0, storeys=6, cols=12, rows_per_storey=2,
                thickness=0.25, floor_dead=60.0, floor_live=25.0, storey_wind=150.0,
                floor_eccentricity=0.04, modulus=25.0e6)
    combos = [f for _, f, _ in COMBINATIONS]

    plates = []
    plate_forces = []
    for index, (x, y) in enumerate(wall.element_centres()):
        storey = int(y // wall.storey_height) + 1
        column = index % wall.cols
        if storey <= 2:
            p = plate(250, 35, 400, 200000, 0.25, 4, 0.25, 4, 2, 40, 55)
        elif storey <= 5:
            p = plate(250, 30, 400, 200000, 0.25, 4, 0.25, 4, 2, 40, 55)
        else:
            # Roof storey: a single curtain is enough for a 200 mm wall.
            p = plate(200, 30, 400, 200000, 0.25, 4, 0.25, 4, 1, 100, 100)
        # The two first-storey panels of mesh column 10 are a 300 mm band
        # around a services riser, detailed with one curtain of bars: the
        # design flags them (one curtain is not enough above 250 mm).
        if storey == 1 and column == 9:
            p = plate(300, 35, 400, 200000, 0.25, 4, 0.25, 4, 1, 150, 150)
        plates.append(p)
        plate_forces.append([[r(v) for v in wall.plate_forces(x, y, f)] for f in combos])

    stiffeners = []
    stiffener_forces = []
    for storey in range(1, wall.storeys + 1):
        # Left boundary column, 400 x 700, bars on all four faces.
        stiffeners.append(stiffener(0, 0, 400, 700, 0, 0, 0, 0, 35, 2400, 400, 200000,
                                    1, 4, 2, 50, 50, 40, 40))
        stiffener_forces.append(
            [[r(v) for v in column_forces(wall, storey, 0.35, 0.6, f, wall.length)]
             for f in combos])
    for storey in range(1, wall.storeys + 1):
        # Right end: the web with a 900 mm return flange, 250 mm thick.
        stiffeners.append(stiffener(0, 1, 400, 700, 0, 0, 900, 250, 35, 2400, 400, 200000,
                                    1, 4, 2, 50, 50, 40, 40))
        stiffener_forces.append(
            [[r(v) for v in column_forces(wall, storey, -0.35, 0.8, f, wall.length)]
             for f in combos])
    for storey in (1, 2):
        # Circular lobby column, 450 mm diameter, near the left end. In the
        # first storey it also carries a transfer beam: more load than a
        # 450 mm column can take, which the design reports.
        stiffeners.append(stiffener(1, 1, 450, 450, 0, 0, 0, 0, 30, 2300, 400, 200000,
                                    1, 4, 3, 55, 55, 40, 40))
        stiffener_forces.append(
            [[r(v) for v in column_forces(wall, storey, 0.12, 5.0 if storey == 1 else 0.9, f,
                                          wall.length)]
             for f in combos])

    nodes = wall.node_points()
    displacements = [[[r(v, 4) for v in wall.node_displacements(x, y, f)] for f in combos]
                     for x, y in nodes]
    storeys = range(1, wall.storeys + 1)
    columns = ([(0, s) for s in storeys] + [(wall.cols, s) for s in storeys] +
               [(1, s) for s in (1, 2)])
    return {
        "_description": "Six-storey cantilever shear wall, 6.0 m x 18.0 m, SI units "
                        "(mm, kN, MPa, kN-m); generated by examples/make_wall_job.py",
        "combination_names": [name for name, _, _ in COMBINATIONS],
        "bt_units": 1,
        "l_NumNodes": len(nodes),
        "combinations": [t for _, _, t in COMBINATIONS],
        "plates": plates,
        "stiffeners": stiffeners,
        "geometry": wall.geometry(1000.0, 2, columns),
        "analysis": {
            "available": 1,
            "displacements": displacements,
            "plate_forces": plate_forces,
            "stiffener_forces": stiffener_forces,
        },
    }


KN_PER_KIP = 4.448222
M_PER_FT = 0.3048


def us_job():
    """Two storeys of 12 ft, 16 ft long, 4 x 2 elements; forces converted to
    kip/ft, kip-ft/ft, kip and kip-ft; displacements in inches."""
    wall = Wall(length=4.8768, storey_height=3.6576, storeys=2, cols=4, rows_per_storey=1,
                thickness=0.2032, floor_dead=40.0, floor_live=20.0, storey_wind=90.0,
                floor_eccentricity=0.03, modulus=25.0e6)
    combos = [f for _, f, _ in COMBINATIONS[:6]]
    per_length = M_PER_FT / KN_PER_KIP            # kN/m to kip/ft
    moment = 1.0 / (KN_PER_KIP * M_PER_FT)        # kN-m to kip-ft

    plates = [plate(8, 4, 60, 29000, 0.25, 4, 0.25, 4, 2, 1.5, 2.0)
              for _ in wall.element_centres()]
    plate_forces = []
    for x, y in wall.element_centres():
        rows = []
        for f in combos:
            nx, ny, nxy, mx, my, mxy = wall.plate_forces(x, y, f)
            rows.append([r(nx * per_length), r(ny * per_length), r(nxy * per_length),
                         r(mx * moment), r(my * moment), r(mxy * moment)])
        plate_forces.append(rows)

    stiffeners = [stiffener(0, 0, 16, 24, 0, 0, 0, 0, 5, 150, 60, 29000, 1, 4, 0, 2, 2, 1.5, 1.5)
                  for _ in range(2)]
    stiffener_forces = []
    for storey in (1, 2):
        rows = []
        for f in combos:
            forces = column_forces(wall, storey, 0.35, 0.6, f, wall.length)
            converted = [v / KN_PER_KIP if k % 6 in (0, 1, 2) else v * moment
                         for k, v in enumerate(forces)]
            rows.append([r(v) for v in converted])
        stiffener_forces.append(rows)

    nodes = wall.node_points()
    displacements = [[[r(v / 25.4 if k < 2 else v, 5) for k, v in
                       enumerate(wall.node_displacements(x, y, f))] for f in combos]
                     for x, y in nodes]
    return {
        "_description": "Two-storey wall, 16 ft x 24 ft, US units (in, kip, ksi, kip-ft); "
                        "generated by examples/make_wall_job.py",
        "combination_names": [name for name, _, _ in COMBINATIONS[:6]],
        "bt_units": 0,
        "l_NumNodes": len(nodes),
        "combinations": [t for _, _, t in COMBINATIONS[:6]],
        "plates": plates,
        "stiffeners": stiffeners,
        "geometry": wall.geometry(1.0 / 0.0254, 1, [(0, 1), (0, 2)]),
        "analysis": {
            "available": 1,
            "displacements": displacements,
            "plate_forces": plate_forces,
            "stiffener_forces": stiffener_forces,
        },
    }


def write(name, job):
    path = os.path.join(HERE, name)
    with open(path, "w") as out:
        # One line per element or node keeps the file readable and diffable.
        out.write("{\n")
        items = list(job.items())
        for k, (key, value) in enumerate(items):
            out.write("  " + json.dumps(key) + ": ")
            if key == "analysis":
                out.write("{\n")
                sub = list(value.items())
                for s, (skey, svalue) in enumerate(sub):
                    out.write("    " + json.dumps(skey) + ": ")
                    if isinstance(svalue, list):
                        out.write("[\n" + ",\n".join("      " + json.dumps(v) for v in svalue)
                                  + "\n    ]")
                    else:
                        out.write(json.dumps(svalue))
                    out.write(",\n" if s + 1 < len(sub) else "\n")
                out.write("  }")
            elif key == "geometry":
                out.write("{\n" + ",\n".join(
                    "    " + json.dumps(name) + ": [\n" +
                    ",\n".join("      " + json.dumps(v) for v in rows) + "\n    ]"
                    for name, rows in value.items()) + "\n  }")
            elif key in ("plates", "stiffeners"):
                out.write("[\n" + ",\n".join("    " + json.dumps(v) for v in value) + "\n  ]")
            else:
                out.write(json.dumps(value))
            out.write(",\n" if k + 1 < len(items) else "\n")
        out.write("}\n")


def big_job():
    """A 100-storey wall, 100 x 100 plate elements, 1,000 stiffener elements
    (ten boundary columns per storey) and 40 combinations: the ten of the SI
    wall with the wind scaled by 1.0, 0.9, 0.8 and 0.7."""
    wall = Wall(length=30.0, storey_height=3.0, storeys=100, cols=100, rows_per_storey=1,
                thickness=0.4, floor_dead=60.0, floor_live=25.0, storey_wind=40.0,
                floor_eccentricity=0.04, modulus=25.0e6)
    combos, names, types = [], [], []
    for scale in (1.0, 0.9, 0.8, 0.7):
        for name, (d, l, w), t in COMBINATIONS:
            combos.append((d, l, w * scale))
            names.append("%s, wind x %.1f" % (name, scale))
            types.append(t)
    plates = [plate(400, 40, 400, 200000, 0.25, 4, 0.25, 4, 2, 40, 55)
              for _ in wall.element_centres()]
    plate_forces = [[[r(1.000137 * v, 4) for v in wall.plate_forces(x, y, f)] for f in combos]
                    for x, y in wall.element_centres()]
    stiffeners, stiffener_forces = [], []
    for storey in range(1, wall.storeys + 1):
        for k in range(10):
            stiffeners.append(stiffener(0, 0, 400, 700, 0, 0, 0, 0, 40, 2400, 400, 200000,
                                        1, 4, 2, 50, 50, 40, 40))
            stiffener_forces.append(
                [[r(1.000137 * v, 4) for v in column_forces(wall, storey, 0.05 * (k - 4.5), 0.6, f,
                                                 wall.length)] for f in combos])
    nodes = wall.node_points()
    # Displacements by a cheap closed form: the big job is about reading, not
    # about the envelope.
    displacements = [[[r(f[2] * 1.37e-3 * y * y, 5), r(-0.0137 * f[0] * y, 5), 0.0, 0, 0,
                       r(f[2] * 2.37e-6 * y, 8)] for f in combos] for x, y in nodes]
    return {
        "_description": "Large job for the reading benchmarks; generated by "
                        "examples/make_wall_job.py --big",
        "combination_names": names,
        "bt_units": 1,
        "l_NumNodes": len(nodes),
        "combinations": types,
        "plates": plates,
        "stiffeners": stiffeners,
        "geometry": wall.geometry(1000.0, 1, [(11 * k, s) for s in range(1, wall.storeys + 1)
                                               for k in range(10)]),
        "analysis": {
            "available": 1,
            "displacements": displacements,
            "plate_forces": plate_forces,
            "stiffener_forces": stiffener_forces,
        },
    }


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--big":
        with open(sys.argv[2], "w") as out:
            json.dump(big_job(), out, separators=(", ", ": "))
    else:
        write("wall_si.json", si_job())
        write("wall_us.json", us_job())
