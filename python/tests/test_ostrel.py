"""The Python package against the command line and the library's own refusals.

Run with Debian's interpreter from the source root:
    OSTREL_LIBRARY=build/release/libOstrelDesignCSA94.so.1 PYTHONPATH=python \
    /usr/bin/python3 -m unittest discover -s python/tests
OSTREL_DESIGN names the ostrel-design program (default: build/release/cli/).
"""

import importlib.util
import json
import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import ostrel

ROOT = Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"
PROGRAM = os.environ.get("OSTREL_DESIGN", str(ROOT / "build/release/cli/ostrel-design"))


def cli_results(job: dict) -> dict:
    with tempfile.TemporaryDirectory() as tmp:
        job_path, out = Path(tmp) / "job.json", Path(tmp) / "results.json"
        job_path.write_text(json.dumps(job))
        subprocess.run([PROGRAM, "run", str(job_path), "-o", str(out), "--no-progress"],
                       check=True, capture_output=True)
        return json.loads(out.read_text())


def load(name: str) -> dict:
    return json.loads((EXAMPLES / name).read_text())


class DesignTest(unittest.TestCase):
    def test_examples_give_the_command_lines_results(self):
        for name in ("wall_si.json", "wall_us.json"):
            with self.subTest(job=name):
                job = load(name)
                expected = cli_results(job)
                results = ostrel.design(EXAMPLES / name, threads=2)
                self.assertEqual(results.to_dict(), expected)
                plate = results.plates[0]
                self.assertIsInstance(plate["bt_DsignStatus_x"], ostrel.DesignStatus)
                self.assertEqual(len(results.stiffeners), len(job["stiffeners"]))
                self.assertEqual(results.combination_names, job["combination_names"])

    def test_without_numpy_the_columns_are_lists_and_the_results_the_same(self):
        script = ("import json, sys; sys.modules['numpy'] = None; import ostrel; "
                  "r = ostrel.design(sys.argv[1]); "
                  "assert isinstance(r.plates['f_AreaOfSteel_x'], list); "
                  "print(json.dumps(r.to_dict()))")
        job = EXAMPLES / "wall_us.json"
        out = subprocess.run([sys.executable, "-c", script, str(job)], check=True,
                             capture_output=True, text=True).stdout
        self.assertEqual(json.loads(out), ostrel.design(job).to_dict())

    def test_refused_input_raises_the_librarys_message(self):
        def units(j): j["bt_units"] = 7
        def curtains(j): j["plates"][0]["bt_NumCurtains"] = 3
        def unavailable(j): j["analysis"]["available"] = 0
        def no_ultimate(j): j["combinations"] = [0] * len(j["combinations"])
        cases = [
            (units, ostrel.DesignRefused, "Unrecognized units"),
            (curtains, ostrel.DesignRefused,
             "Plate element: Maximum 2 curtains of RFT can be specified\nPlate Element: 1"),
            (unavailable, ostrel.DesignRefused, "Analysis results are not available"),
            (no_ultimate, ostrel.DesignError, "There is no ultimate-load combination defined"),
        ]
        for change, error, message in cases:
            with self.subTest(case=change.__name__):
                job = load("wall_us.json")
                change(job)
                with self.assertRaises(error) as caught:
                    ostrel.design(job)
                self.assertEqual(str(caught.exception), message)

    def test_a_job_not_in_the_job_format_names_the_key(self):
        def missing(j): del j["plates"][1]["f_fc"]
        def byte(j): j["bt_units"] = 256  # would reach the library as 0
        def huge(j): j["stiffeners"][0]["f_fc"] = 1e39  # would be infinite as a float
        def text(j): j["analysis"]["plate_forces"][0][1][2] = "12"
        cases = [
            (missing, "plates[1].f_fc: missing key"),
            (byte, "bt_units: 256 is outside 0 to 255"),
            (huge, "stiffeners[0].f_fc: 1e+39 is beyond the range of a 32-bit float"),
            (text, "analysis.plate_forces[0][1][2]: expected a number, got '12'"),
        ]
        for change, message in cases:
            with self.subTest(case=change.__name__):
                job = load("wall_us.json")
                change(job)
                with self.assertRaises(ostrel.JobError) as caught:
                    ostrel.design(job)
                self.assertEqual(str(caught.exception), message)


class ProgressTest(unittest.TestCase):
    def test_cancel_ends_the_run_without_results(self):
        seen = []

        def cancel_in_plates(phase, counter):
            seen.append(phase)
            return ostrel.Action.CANCEL if phase == "plate design" else None

        with self.assertRaises(ostrel.DesignCancelled):
            ostrel.design(EXAMPLES / "wall_us.json", progress=cancel_in_plates)
        self.assertEqual(seen[-1], "plate design")
        self.assertNotIn("stiffener design", seen)

    def test_suspend_then_continue_gives_the_same_results(self):
        pumps = {"suspended": 0}

        def hold_three_pumps(phase, counter):
            if phase == "plate design" and pumps["suspended"] == 0:
                pumps["suspended"] = 1
                return "suspend"
            if 0 < pumps["suspended"] < 4:
                pumps["suspended"] += 1
                return None if pumps["suspended"] < 4 else ostrel.Action.CONTINUE
            return None

        held = ostrel.design(EXAMPLES / "wall_us.json", progress=hold_three_pumps)
        self.assertEqual(pumps["suspended"], 4)
        self.assertEqual(held.to_dict(), ostrel.design(EXAMPLES / "wall_us.json").to_dict())

    def test_an_exception_in_the_callback_cancels_and_is_raised(self):
        def broken(phase, counter):
            raise KeyError("from the callback")

        with self.assertRaisesRegex(KeyError, "from the callback"):
            ostrel.design(EXAMPLES / "wall_us.json", progress=broken)


class CapacityTest(unittest.TestCase):
    def test_explain_gives_the_command_lines_explanation(self):
        cases = [("wall_si.json", kind, None) for kind in ("plate", "stiffener")]
        cases += [("wall_us.json", kind, 0.5) for kind in ("plate", "stiffener")]
        for name, kind, ratio in cases:
            job = load(name)
            results = ostrel.design(job)
            for e in range(1, len(job[kind + "s"]) + 1):
                with self.subTest(job=name, kind=kind, element=e):
                    args = [PROGRAM, "explain", str(EXAMPLES / name), f"--{kind}", str(e)]
                    args += ["--ratio", str(ratio)] if ratio else []
                    expected = json.loads(subprocess.run(args, check=True, capture_output=True,
                                                         text=True).stdout)
                    got = ostrel.explain(job, results=results, ratio=ratio, **{kind: e})
                    self.assertEqual(json.loads(json.dumps(got)), expected)

    def test_every_point_of_a_moment_curve_is_at_capacity(self):
        section, units = load("wall_si.json")["stiffeners"][0], ostrel.UnitSystem.SI
        for angle in (10.0, 60.0):
            points = ostrel.stiffener_moment_curve(section, 1.5, angle, units, points=7)
            for p in points[1:-1]:
                with self.subTest(angle=angle, P=p.P):
                    dc = ostrel.stiffener_demand_capacity(section, 1.5, p.P, p.Muy, p.Muz, units)
                    self.assertAlmostEqual(dc, 1.0, delta=2e-3)
        plate = load("wall_si.json")["plates"][0]
        N, M = ostrel.plate_strip_curve(plate, 0.5, "y", units, points=5)[2]
        dc, *_ = ostrel.plate_strip_demand_capacity(plate, 0.5, "y", [0, N, 0, 0, M, 0], units)
        self.assertAlmostEqual(dc, 1.0, delta=2e-3)

    def test_refusals_raise_the_librarys_message(self):
        section = dict(load("wall_si.json")["stiffeners"][0])
        with self.assertRaisesRegex(ostrel.CapacityError, "^OstrelDesignCSA94_StiffenerCurve: "
                                    "the steel ratio must be greater than 0"):
            ostrel.stiffener_curves(section, 0.0, 1)
        section.update(f_LeftFlangeWidth=300.0, f_LeftFlangeThickness=150.0)
        with self.assertRaisesRegex(ostrel.CapacityError, "has no Muy-Muz contour"):
            ostrel.stiffener_contour(section, 1.0, 0.0, 1)
        with self.assertRaisesRegex(ValueError, "the job has no plate 99"):
            ostrel.explain(EXAMPLES / "wall_us.json", plate=99)


@unittest.skipIf(importlib.util.find_spec("matplotlib") is None, "matplotlib is not installed")
class DrawingTest(unittest.TestCase):
    def test_the_drawings_hold_every_curve_element_and_demand(self):
        import matplotlib
        matplotlib.use("Agg")
        job = load("wall_si.json")
        results = ostrel.design(job)
        out = Path(os.environ.get("OSTREL_DRAWINGS", ROOT / "build" / "python-drawings"))
        out.mkdir(parents=True, exist_ok=True)
        stiffener = ostrel.explain(job, stiffener=13, results=results)
        curves, contour = ostrel.plot_interaction(stiffener).axes
        self.assertEqual(len(curves.get_legend().get_texts()), 8)
        demands = sum(len(line.get_xdata()) for line in contour.lines[1:])
        self.assertEqual(demands, len(stiffener["demands"]))
        curves.figure.savefig(out / "stiffener-13.png", dpi=80)
        for by in ("status", "ratio_x"):
            ax = ostrel.plot_elevation(job, results, by=by)
            plates, stiffeners = ax.collections[:2]
            self.assertEqual(len(plates.get_paths()), len(job["plates"]))
            self.assertEqual(len(stiffeners.get_segments()), len(job["stiffeners"]))
            ax.figure.savefig(out / f"elevation-{by}.png", dpi=80)


if __name__ == "__main__":
    unittest.main()
