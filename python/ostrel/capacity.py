"""The resistance the design compares the loads with, and why an element came
out as it did.

The functions here call the library's capacity functions, which run the very
routines of the design: a curve, a contour or a ratio from here and the
design never disagree. They need no design run and may be called from any
thread. Sections are job records (an entry of a job's ``plates`` or
``stiffeners``); forces and moments are in the job's units (SI: kN, kN-m,
plate values per unit width kN/m and kN-m/m; US: kip, kip-ft, kip/ft,
kip-ft/ft), axial force positive in tension; ``ratio`` is a steel ratio in
percent.

:func:`explain` gives, for one element of a designed job, exactly the object
that ``ostrel-design explain`` prints.
"""

import ctypes
import os
from contextlib import contextmanager
from typing import Any, Dict, Iterator, List, NamedTuple, Optional, Sequence, Tuple, Union

from . import _design as D
from . import _library as L
from .codes import UnitSystem
from .results import Results

__all__ = [
    "CapacityError", "CurvePoint", "ShearCheck", "stiffener_curves", "stiffener_moment_curve",
    "stiffener_contour", "stiffener_demand_capacity", "stiffener_shear_stress",
    "plate_strip_curve", "plate_strip_demand_capacity", "explain",
]

DIRECTIONS = 8  #: the fixed directions of a stiffener's capacity points
CONTROL_LABELS = ("tension", "pure bending", "balanced", "cap")
CURVE_POINTS = 50  #: points per curve in an explanation
CONTOUR_DIRECTIONS = 72  #: demand directions of the contour in an explanation

Units = Union[UnitSystem, int]


class CapacityError(RuntimeError):
    """The library refused the arguments or could not evaluate them; the
    message is the library's."""


class CurvePoint(NamedTuple):
    """A capacity point: axial force P, moment M about the neutral axis of its
    direction, and its components Muy and Muz."""

    P: float
    M: float
    Muy: float
    Muz: float


class ShearCheck(NamedTuple):
    """The shear stress check of one direction (``governing`` 1: shear stress,
    2: shear and torsion stress)."""

    checked: bool
    governing: int
    stress: float
    limit: float
    ratio: float


class _Messages:
    """What the message-box hook collects for a call outside a design run."""

    def __init__(self) -> None:
        self.messages: List[str] = []


@contextmanager
def _call(what: str) -> Iterator[Any]:
    """The library, with its message boxes on this thread collected; a call
    that returns 1 inside raises CapacityError with them."""
    lib = L.library()
    D._install_hooks(lib)
    saved = getattr(D._current, "run", None)
    box = _Messages()
    D._current.run = box
    try:
        yield lib
    except _Refused:
        raise CapacityError("\n".join(box.messages) or f"{what}: refused") from None
    finally:
        D._current.run = saved


class _Refused(Exception):
    pass


def _check(result: int) -> None:
    if result != 0:
        raise _Refused()


def _stiffener(section: Dict[str, Any]) -> L.StiffenerProperties:
    return L.StiffenerProperties(*D._element(section, "stiffener", D.STIFFENER_KEYS))


def _plate(plate: Dict[str, Any]) -> L.PlateProperties:
    return L.PlateProperties(*D._element(plate, "plate", D.PLATE_KEYS))


def _point(p: L.CurvePoint) -> CurvePoint:
    return CurvePoint(p.d_P, p.d_M + 0.0, p.d_Muy, p.d_Muz)


def stiffener_curves(section: Dict[str, Any], ratio: float, units: Units,
                     points: int = CURVE_POINTS, direction: int = 0
                     ) -> List[Tuple[List[CurvePoint], List[CurvePoint]]]:
    """Axial force-moment curves of the eight fixed directions (neutral axis
    turned 0, 15, ..., 90 and 270 degrees from z), or of ``direction`` (1..8)
    alone: per direction, ``points`` points equally spaced in P from pure
    tension to the cap, and the four control points (tension, pure bending,
    balanced, cap)."""
    count = DIRECTIONS if direction == 0 else 1
    out = (L.CurvePoint * (count * points))()
    control = (L.CurvePoint * (count * 4))()
    with _call("StiffenerCurve") as lib:
        _check(lib.OstrelDesignCSA94_StiffenerCurve(int(units), ctypes.byref(_stiffener(section)),
                                                    ratio, direction, points, out, control))
    return [([_point(p) for p in out[d * points:(d + 1) * points]],
             [_point(p) for p in control[d * 4:(d + 1) * 4]]) for d in range(count)]


def stiffener_moment_curve(section: Dict[str, Any], ratio: float, angle_deg: float,
                           units: Units, points: int = CURVE_POINTS) -> List[CurvePoint]:
    """Axial force-moment curve along the moment direction ``angle_deg``
    (degrees from +Muz toward +Muy), each point the capacity the combination
    check measures along it (M 0 where the check gives no ratio)."""
    out = (L.CurvePoint * points)()
    with _call("StiffenerMomentCurve") as lib:
        _check(lib.OstrelDesignCSA94_StiffenerMomentCurve(
            int(units), ctypes.byref(_stiffener(section)), ratio, angle_deg, points, out))
    return [_point(p) for p in out]


def stiffener_contour(section: Dict[str, Any], ratio: float, P: float, units: Units,
                      directions: int = CONTOUR_DIRECTIONS) -> List[Tuple[float, float]]:
    """The Muy-Muz contour at axial force P: (Muy, Muz) capacity magnitudes for
    demand directions from pure Muz to pure Muy; directions the check gives no
    ratio are left out, and there is no point beyond the squash load or the
    tensile resistance. Refused for a flanged section."""
    muy = (ctypes.c_double * directions)()
    muz = (ctypes.c_double * directions)()
    n = ctypes.c_int32(0)
    with _call("StiffenerContour") as lib:
        _check(lib.OstrelDesignCSA94_StiffenerContour(
            int(units), ctypes.byref(_stiffener(section)), ratio, P, directions, muy, muz,
            ctypes.byref(n)))
    return [(muy[i], muz[i]) for i in range(n.value)]


def stiffener_demand_capacity(section: Dict[str, Any], ratio: float, P: float, Muy: float,
                              Muz: float, units: Units) -> Optional[float]:
    """The demand/capacity ratio the combination check compares with 1.0 for
    one end's moments and end 1's axial force; None when the check gives the
    load no ratio."""
    dc = ctypes.c_double(0)
    has = ctypes.c_uint8(0)
    with _call("StiffenerDemandCapacity") as lib:
        _check(lib.OstrelDesignCSA94_StiffenerDemandCapacity(
            int(units), ctypes.byref(_stiffener(section)), ratio, P, Muy, Muz, ctypes.byref(dc),
            ctypes.byref(has)))
    return dc.value if has.value else None


def stiffener_shear_stress(section: Dict[str, Any], Vy: float, Vz: float, T: float,
                           units: Units) -> Tuple[ShearCheck, ShearCheck]:
    """The shear stress checks along y and along z for end 1's shear and torsion."""
    y, z = L.ShearCheck(), L.ShearCheck()
    with _call("StiffenerShearStress") as lib:
        _check(lib.OstrelDesignCSA94_StiffenerShearStress(
            int(units), ctypes.byref(_stiffener(section)), Vy, Vz, T, ctypes.byref(y),
            ctypes.byref(z)))
    return tuple(ShearCheck(bool(c.bt_Checked), c.bt_Governing, c.d_Stress, c.d_Limit, c.d_Ratio)
                 for c in (y, z))


def plate_strip_curve(plate: Dict[str, Any], ratio: float, direction: str, units: Units,
                      points: int = CURVE_POINTS) -> List[Tuple[float, float]]:
    """The strip's (N, M) curve per unit width in direction "x" or "y":
    ``points`` points with M >= 0 from pure tension to the cap, then
    ``points`` with M <= 0 back to pure tension."""
    n = (ctypes.c_double * (2 * points))()
    m = (ctypes.c_double * (2 * points))()
    with _call("PlateStripCurve") as lib:
        _check(lib.OstrelDesignCSA94_PlateStripCurve(int(units), ctypes.byref(_plate(plate)),
                                                     ratio, _direction(direction), points, n, m))
    return list(zip(n, m))


def plate_strip_demand_capacity(plate: Dict[str, Any], ratio: float, direction: str,
                                forces: Sequence[float], units: Units
                                ) -> Tuple[float, float, float]:
    """The strip check's ratio of one combination from its six resultants
    (Nx, Ny, Nxy, Mx, My, Mxy), with the governing Wood-Armer pair (N, M)."""
    values = (ctypes.c_float * 6)(*forces)
    dc, N, M = ctypes.c_double(0), ctypes.c_double(0), ctypes.c_double(0)
    with _call("PlateStripDemandCapacity") as lib:
        _check(lib.OstrelDesignCSA94_PlateStripDemandCapacity(
            int(units), ctypes.byref(_plate(plate)), ratio, _direction(direction), values,
            ctypes.byref(dc), ctypes.byref(N), ctypes.byref(M)))
    return dc.value, N.value, M.value


def _direction(direction: str) -> int:
    if direction not in ("x", "y"):
        raise ValueError(f"direction must be 'x' or 'y', not {direction!r}")
    return 1 if direction == "x" else 2


# ---- explanations -------------------------------------------------------------
# Numbers and words as the command line's explain writes them.

PASS, USE_TIES, FAIL_STEEL, COVER_TOO_LARGE, MIN_ABOVE_MAX = 0, 1, 3, 5, 6


def _f32(value: float) -> float:
    """The value as a 32-bit float holds it."""
    return ctypes.c_float(value).value


def _tidy(value: float) -> float:
    """A 32-bit value as the shortest decimal that reads back as the same float."""
    value = _f32(value)
    for digits in range(1, 10):
        text = "%.*g" % (digits, value)
        if _f32(float(text)) == value:
            return float(text)
    return value


def _num(v: float) -> str:
    return "%.0f" % v if abs(v) >= 1000 else "%.3g" % v


def _dc(v: float) -> str:
    return "%.2f" % v if v < 100 else "%.3g" % v


def _percent(v: float) -> str:
    return "%.2f %%" % v


class _Axial:
    """The most compressive and most tensile axial force with their combinations."""

    def __init__(self) -> None:
        self.compression = self.tension = 0.0
        self.compression_combo = self.tension_combo = 0

    def add(self, value: float, combo: int) -> None:
        if value < self.compression:
            self.compression, self.compression_combo = value, combo
        if value > self.tension:
            self.tension, self.tension_combo = value, combo

    def failure(self, tension_resistance: float, cap: float) -> Tuple[int, float]:
        if self.compression * 1.0001 < cap:
            return self.compression_combo, self.compression * 1.0001 / cap
        if self.tension * 1.0001 * 1.01 > tension_resistance:
            return self.tension_combo, self.tension * 1.0001 * 1.01 / tension_resistance
        return 0, 0.0

    def reason(self, tension_resistance: float, cap: float, unit: str, po: str, at: str) -> str:
        if self.compression * 1.0001 < cap:
            return (f"axial compression {_num(-self.compression)} {unit} exceeds 0.8 {po} = "
                    f"{_num(-cap)} {unit} {at} (combination {self.compression_combo})")
        if self.tension * 1.0001 * 1.01 > tension_resistance:
            return (f"axial tension {_num(self.tension)} {unit} with its 1 % margin exceeds the "
                    f"tensile resistance {_num(tension_resistance)} {unit} {at} "
                    f"(combination {self.tension_combo})")
        return ""


def _at(ratio: float, maximum: float) -> str:
    return "at the maximum steel" if ratio == maximum else "at " + _percent(ratio)


def _evaluation_ratio(status: int, designed: float, maximum: float,
                      requested: Optional[float]) -> Optional[float]:
    if status in (COVER_TOO_LARGE, 2, 4):
        return None
    if requested is not None:
        return requested
    if status in (PASS, USE_TIES):
        return designed
    return maximum if status == FAIL_STEEL else None


def _geometry_reason(status: int, minimum: float, maximum: float, sizes: str) -> str:
    return {
        2: sizes + ": one curtain serves walls up to 250 mm, this one needs two",
        4: sizes + ": the cover puts the bars outside the section",
        COVER_TOO_LARGE: sizes + ": the covers leave no room for the bars",
        MIN_ABOVE_MAX: (f"the minimum ratio {_percent(minimum)} exceeds the maximum "
                        f"{_percent(maximum)}"),
    }.get(status, "")


def _flexure_reason(status: int, ratio: float, designed: float, minimum: float, maximum: float,
                    where: str, dc: float, axial: str) -> str:
    if status == FAIL_STEEL:
        if axial:
            return axial
        return (f"needs more than the maximum {_percent(maximum)}: at {_percent(ratio)}, "
                f"{where} has demand/capacity {_dc(dc)}")
    governs = f"{where} governs with demand/capacity {_dc(dc)}"
    if ratio == designed and designed <= minimum:
        return f"the minimum steel {_percent(minimum)} is enough: {governs}"
    return f"{governs} at {_percent(ratio)}"


def _join(a: str, b: str) -> str:
    return b if not a else a if not b else a + "; " + b


def _status_name(code: int) -> str:
    return L.library().OstrelDesignCSA94_StatusName(code).decode()


def _explain_stiffener(job: D._Job, raw: Dict[str, Any], results: Results, e: int,
                       requested: Optional[float], with_curves: bool) -> Dict[str, Any]:
    section = raw["stiffeners"][e - 1]
    values = dict(zip(D.STIFFENER_KEYS, (_f32(v) for v in job.stiffeners[e - 1])))
    si = job.units == 1
    flexure_record = results.stiffeners.flexure[e - 1]
    shear_record = results.stiffeners.shear[e - 1]
    flexure = int(flexure_record["bt_DesignStatus"])
    shear = int(shear_record["bt_DsignStatus"])
    designed = _f32(flexure_record["f_RatioOfSteel"])
    maximum = values["f_MaxRatioOfRFT"]
    ratio = _evaluation_ratio(flexure, designed, maximum, requested)
    forces = job.stiffener_forces[e - 1]

    demands: List[Dict[str, Any]] = []
    gov_combo, gov_end, gov_dc = int(flexure_record["i_DesignComboIndex"]), 1, -1.0
    axial = _Axial()
    for c, combo_type in enumerate(job.combinations, 1):
        if ratio is None or combo_type != 1:
            continue
        f = [_f32(v) for v in forces[c - 1]]
        axial.add(f[0], c)
        for end in (1, 2):
            dc = stiffener_demand_capacity(section, ratio, f[0], f[end * 6 - 2], f[end * 6 - 1],
                                           job.units)
            demands.append({"combination": c, "end": end, "P": _tidy(f[0]),
                            "Muy": _tidy(f[end * 6 - 2]), "Muz": _tidy(f[end * 6 - 1]),
                            "dc": dc})
            if dc is not None and dc > gov_dc:
                gov_dc, gov_combo, gov_end = dc, c, end

    length = " mm" if si else " in"
    reason = _geometry_reason(
        flexure, values["f_MinRatioOfRFT"], maximum,
        f"section {_num(values['f_SectionWidth'])} x {_num(values['f_sectionHeight'])}{length}, "
        f"covers to the bars {_num(values['f_Cover_Z'])} (z) and {_num(values['f_Cover_Y'])} (y), "
        f"to the stirrups {_num(values['f_Cover_Z_st'])} (z) and "
        f"{_num(values['f_Cover_Y_st'])} (y){length}")
    curves: Any = None
    if ratio is not None:
        _, control = stiffener_curves(section, ratio, job.units, points=2, direction=1)[0]
        force = "kN" if si else "kip"
        reason = _flexure_reason(
            flexure, ratio, designed, values["f_MinRatioOfRFT"], maximum,
            f"combination {gov_combo} (end {gov_end})", gov_dc,
            axial.reason(control[0].P, control[3].P, force, "Po", _at(ratio, maximum)))
        bound_combo, bound_dc = axial.failure(control[0].P, control[3].P)
        if flexure == FAIL_STEEL and bound_combo != 0:
            gov_combo, gov_dc = bound_combo, bound_dc
        if with_curves:
            flanged = (values["f_LeftFlangeWidth"] > _f32(0.0001) or
                       values["f_RightFlangeWidth"] > _f32(0.0001))
            p = _f32(forces[gov_combo - 1][0]) if gov_combo > 0 else 0.0
            curves = _stiffener_curves_explained(section, ratio, p, flanged, job.units)
    if flexure != COVER_TOO_LARGE and shear in (7, 8):
        combo = int(shear_record["i_DesignComboIndex_y" if shear == 7 else "i_DesignComboIndex_z"])
        f = [_f32(v) for v in forces[combo - 1]]
        check = stiffener_shear_stress(section, f[1], f[2], f[3], job.units)[0 if shear == 7 else 1]
        stress = "MPa" if si else "ksi"
        reason = _join(reason, (
            f"{'shear stress' if check.governing == 1 else 'shear and torsion stress'} "
            f"{_num(check.stress)} {stress} exceeds the limit {_num(check.limit)} {stress} along "
            f"{'y' if shear == 7 else 'z'} (combination {combo})"))
    status = flexure if flexure != PASS else shear
    out = {"element": e, "kind": "stiffener", "units": "SI" if si else "US",
           "ratio": _tidy(ratio if ratio is not None else designed), "status": status,
           "status_name": _status_name(status), "reason": reason,
           "governing": {"combination": gov_combo, "dc": gov_dc if gov_dc >= 0 else None},
           "demands": demands}
    if with_curves:
        out["curves"] = curves
    return out


def _stiffener_curves_explained(section: Dict[str, Any], ratio: float, p: float, flanged: bool,
                                units: int) -> Dict[str, Any]:
    directions = []
    for d, (points, control) in enumerate(stiffener_curves(section, ratio, units)):
        directions.append({
            "angle_deg": 270 if d == 7 else d * 15,
            "points": [[q.P, q.M] for q in points],
            "control_points": [{"label": label, "P": q.P, "M": q.M}
                               for label, q in zip(CONTROL_LABELS, control)],
        })
    curves: Dict[str, Any] = {"directions": directions}
    if flanged:
        curves["contour"] = None  # the check of a flanged section takes Muy alone
    else:
        contour = stiffener_contour(section, ratio, p, units)
        curves["contour"] = {"P": _tidy(p), "points": [[muy, muz] for muy, muz in contour]}
    return curves


def _wood_armer(own: float, other: float, twist: float) -> Tuple[float, float]:
    t = abs(twist)
    plus = own + abs(t * t / other) if other + t < 0 else own + t
    minus = own - abs(t * t / other) if other - t > 0 else own - t
    return plus, minus


def _explain_plate_direction(job: D._Job, raw: Dict[str, Any], results: Results, e: int,
                             x: bool, requested: Optional[float], with_curves: bool,
                             demands: List[Dict[str, Any]]) -> Dict[str, Any]:
    plate = raw["plates"][e - 1]
    values = dict(zip(D.PLATE_KEYS, (_f32(v) for v in job.plates[e - 1])))
    si = job.units == 1
    s = "_x" if x else "_y"
    direction = "x" if x else "y"
    record = results.plates[e - 1]
    status = int(record["bt_DsignStatus" + s])
    designed = _f32(record["f_RatioOfSteel" + s])
    floor = _f32(0.2 if x else 0.15)
    given_min = values["f_MinRatioOfRFT" if x else "f_MinRatioOfRFT_v"]
    minimum = floor if given_min < floor else given_min
    maximum = values["f_MaxRatioOfRFT" if x else "f_MaxRatioOfRFT_v"]
    ratio = _evaluation_ratio(status, designed, maximum, requested)

    gov_combo, gov_dc = int(record["i_DesignComboIndex" + s]), -1.0
    length = " mm" if si else " in"
    curtains = int(values["bt_NumCurtains"])
    reason = _geometry_reason(
        status, minimum, maximum,
        f"wall {_num(values['f_Thickness'])}{length} thick, {curtains} "
        f"{'curtain' if curtains == 1 else 'curtains'}, cover "
        f"{_num(values['f_CoverToRFT_X' if x else 'f_CoverToRFT_Y'])}{length}")
    curve: List[List[float]] = []
    if ratio is not None:
        axial = _Axial()
        for c, combo_type in enumerate(job.combinations, 1):
            if combo_type != 1:
                continue
            f = [_f32(v) for v in job.plate_forces[e - 1][c - 1]]
            for n in _wood_armer(f[0] if x else f[1], f[1] if x else f[0], f[2]):
                axial.add(n, c)
            dc, N, M = plate_strip_demand_capacity(plate, ratio, direction, f, job.units)
            demands.append({"combination": c, "direction": direction, "P": _tidy(N),
                            "M": _tidy(M), "dc": dc})
            if dc > gov_dc:
                gov_dc, gov_combo = dc, c
        points = plate_strip_curve(plate, ratio, direction, job.units)
        tension, cap = points[0][0], points[CURVE_POINTS - 1][0]
        reason = _flexure_reason(
            status, ratio, designed, minimum, maximum, f"combination {gov_combo}", gov_dc,
            axial.reason(tension, cap, "kN/m" if si else "kip/ft", "P0", _at(ratio, maximum)))
        bound_combo, bound_dc = axial.failure(tension, cap)
        if status == FAIL_STEEL and bound_combo != 0:
            gov_combo, gov_dc = bound_combo, bound_dc
        if with_curves:
            curve = [[n, m] for n, m in points]
    return {"ratio": _tidy(ratio if ratio is not None else designed), "status": status,
            "status_name": _status_name(status), "reason": f"{direction}: {reason}",
            "governing": {"combination": gov_combo, "dc": gov_dc if gov_dc >= 0 else None},
            "curve": curve}


def explain(job: Union[Dict[str, Any], str, os.PathLike], *, plate: Optional[int] = None,
            stiffener: Optional[int] = None, ratio: Optional[float] = None,
            results: Optional[Results] = None, curves: bool = True) -> Dict[str, Any]:
    """Why element ``plate`` or ``stiffener`` (numbers from 1) came out as it
    did: the object ``ostrel-design explain`` prints (see the README), with
    its demands against the capacity at the designed ratio (the maximum for
    an element that needs more steel), or at ``ratio`` (percent).

    ``results`` are the job's results when it is already designed (else it is
    designed here, as :func:`ostrel.design` does); ``curves=False`` leaves the
    curves out, as ``run --explain`` does.
    """
    if (plate is None) == (stiffener is None):
        raise ValueError("name one element: plate=N or stiffener=N")
    raw = D._load_job(job)
    checked = D._Job(raw)
    if results is None:
        results = D.design(raw)
    kind = "plate" if plate is not None else "stiffener"
    element = plate if plate is not None else stiffener
    count = len(results.plates) if plate is not None else len(results.stiffeners)
    if not 1 <= element <= count:
        raise ValueError(f"the job has no {kind} {element} (it has {count})")
    requested = _f32(ratio) if ratio is not None else None
    if stiffener is not None:
        return _explain_stiffener(checked, raw, results, element, requested, curves)
    demands: List[Dict[str, Any]] = []
    x = _explain_plate_direction(checked, raw, results, element, True, requested, curves, demands)
    y = _explain_plate_direction(checked, raw, results, element, False, requested, curves, demands)
    out = {"element": element, "kind": "plate", "units": "SI" if checked.units == 1 else "US",
           "ratio": {"x": x["ratio"], "y": y["ratio"]},
           "status": {"x": x["status"], "y": y["status"]},
           "status_name": {"x": x["status_name"], "y": y["status_name"]},
           "reason": x["reason"] + "; " + y["reason"],
           "governing": {"x": x["governing"], "y": y["governing"]},
           "demands": demands}
    if curves:
        out["curves"] = {"x": x["curve"], "y": y["curve"]}
    return out
