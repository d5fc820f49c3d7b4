"""Drawings of a design with matplotlib (installed separately): an element's
interaction diagrams with its demands, and the wall in elevation.

The numbers drawn are those of :func:`ostrel.explain` and the design's
results; nothing here computes a capacity of its own.
"""

from typing import Any, Dict, List, Sequence, Tuple

from .codes import DesignStatus
from .results import Results

__all__ = ["plot_interaction", "plot_elevation"]

STATUS_COLOURS = {"pass": "#4c9f50", "ties": "#e0a030", "fail": "#d0403a"}


def _pyplot():
    try:
        import matplotlib.pyplot as plt
    except ImportError:
        raise ImportError("the drawings need matplotlib (Debian: python3-matplotlib)") from None
    return plt


def _units(explanation: Dict[str, Any]) -> Dict[str, str]:
    si = explanation["units"] == "SI"
    return {"force": "kN" if si else "kip", "moment": "kN-m" if si else "kip-ft",
            "force_per_length": "kN/m" if si else "kip/ft",
            "moment_per_length": "kN-m/m" if si else "kip-ft/ft"}


def plot_interaction(explanation: Dict[str, Any]):
    """The interaction diagrams of an explained element (``ostrel.explain``
    with its curves) with every demand, the governing one marked; returns the
    matplotlib Figure.

    A stiffener: the axial force-moment curves of its eight directions with
    their control points, and the Muy-Muz contour at the governing axial
    force with the demands of both ends. A plate: the strip's curves in x and
    y with every combination's governing Wood-Armer pair.
    """
    if "curves" not in explanation:
        raise ValueError("the explanation has no curves (explain with curves=True)")
    plt = _pyplot()
    units = _units(explanation)
    figure, axes = plt.subplots(1, 2, figsize=(11, 4.8), constrained_layout=True)
    element = f"{explanation['kind']} {explanation['element']}"
    if explanation["kind"] == "stiffener":
        _stiffener_diagrams(axes, explanation, units)
    else:
        _plate_diagrams(axes, explanation, units)
    figure.suptitle(f"{element}: {explanation['reason']}", fontsize=9, wrap=True)
    return figure


def _stiffener_diagrams(axes, x: Dict[str, Any], units: Dict[str, str]) -> None:
    curves, governing = x["curves"], x["governing"]["combination"]
    left, right = axes
    for direction in curves["directions"]:
        P = [p[0] for p in direction["points"]]
        M = [p[1] for p in direction["points"]]
        (line,) = left.plot(M, P, linewidth=1, label=f"{direction['angle_deg']}°")
        for mark in direction["control_points"]:
            left.plot(mark["M"], mark["P"], "o", markersize=3, color=line.get_color())
    left.set_xlabel(f"M ({units['moment']})")
    left.set_ylabel(f"P ({units['force']}, tension +)")
    left.set_title("Axial force-moment, eight directions", fontsize=10)
    left.legend(fontsize=7, ncol=2)
    left.grid(True, linewidth=0.3)
    contour = curves.get("contour")
    if contour is None:
        right.text(0.5, 0.5, "flanged section: checked on Muy alone", ha="center",
                   transform=right.transAxes)
        right.set_axis_off()
        return
    right.plot([p[1] for p in contour["points"]], [p[0] for p in contour["points"]], "k-",
               linewidth=1.2, label=f"capacity at P = {contour['P']:g} {units['force']}")
    _demands(right, [(abs(d["Muz"]), abs(d["Muy"]), d["combination"]) for d in x["demands"]],
             governing)
    right.set_xlabel(f"|Muz| ({units['moment']})")
    right.set_ylabel(f"|Muy| ({units['moment']})")
    right.set_title("Muy-Muz contour and demands", fontsize=10)
    right.legend(fontsize=7)
    right.grid(True, linewidth=0.3)


def _plate_diagrams(axes, x: Dict[str, Any], units: Dict[str, str]) -> None:
    for ax, direction in zip(axes, ("x", "y")):
        curve = x["curves"][direction]
        if curve:
            ax.plot([p[1] for p in curve], [p[0] for p in curve], "k-", linewidth=1.2,
                    label=f"capacity at {x['ratio'][direction]:.2f} %")
        demands = [(d["M"], d["P"], d["combination"]) for d in x["demands"]
                   if d["direction"] == direction]
        _demands(ax, demands, x["governing"][direction]["combination"])
        ax.set_xlabel(f"M ({units['moment_per_length']}, face B compressed +)")
        ax.set_ylabel(f"N ({units['force_per_length']}, tension +)")
        ax.set_title(f"Strip in {direction}: {x['status_name'][direction]}", fontsize=10)
        ax.legend(fontsize=7)
        ax.grid(True, linewidth=0.3)


def _demands(ax, points: Sequence[Tuple[float, float, int]], governing: int) -> None:
    """Demands as points, those of the governing combination marked."""
    others = [(h, v) for h, v, c in points if c != governing]
    chosen = [(h, v) for h, v, c in points if c == governing]
    if others:
        ax.plot(*zip(*others), "o", color="#4878b0", markersize=3, label="demands")
    if chosen:
        ax.plot(*zip(*chosen), "*", color="#d0403a", markersize=10,
                label=f"combination {governing} (governing)")


def _plane(nodes: Sequence[Sequence[float]]) -> Tuple[int, int]:
    """The two coordinates the wall is drawn in: those of the largest
    extents, the vertical one being y or z (as the design report draws it)."""
    extent = [max(n[a] for n in nodes) - min(n[a] for n in nodes) for a in range(3)]
    flat = 2 if extent[2] <= extent[0] and extent[2] <= extent[1] else 1 if extent[1] <= extent[0] else 0
    return (1 if flat == 0 else 0), (1 if flat == 2 else 2)


def _status_class(status: int) -> str:
    return "pass" if status == DesignStatus.DESIGN_PASS else \
        "ties" if status == DesignStatus.Pass_UseTies else "fail"


def plot_elevation(job: Dict[str, Any], results: Results, by: str = "ratio_x", ax=None):
    """The wall in elevation (the job's ``geometry``): plates as their
    outlines filled by ``by`` ("ratio_x", "ratio_y": the steel ratio in
    percent; "status": pass, ties or fail), stiffeners as lines coloured the
    same way (their ratio, or their flexure and shear status). Returns the
    Axes."""
    if by not in ("ratio_x", "ratio_y", "status"):
        raise ValueError(f"by must be 'ratio_x', 'ratio_y' or 'status', not {by!r}")
    geometry = job.get("geometry")
    if not geometry:
        raise ValueError("the job has no geometry to draw")
    plt = _pyplot()
    from matplotlib.collections import LineCollection, PolyCollection

    nodes = geometry["nodes"]
    h, v = _plane(nodes)
    if ax is None:
        # Sized to the wall, with room for the scale beside it.
        width = max(n[h] for n in nodes) - min(n[h] for n in nodes)
        height = max(n[v] for n in nodes) - min(n[v] for n in nodes)
        shape = width / height if height > 0 else 4.0
        _, ax = plt.subplots(figsize=(min(max(7 * shape, 3), 14) + 2, 7), constrained_layout=True)

    def at(n: int) -> Tuple[float, float]:
        return nodes[n - 1][h], nodes[n - 1][v]

    outlines = [[at(n) for n in quad] for quad in geometry["plates"]]
    lines = [[at(a), at(b)] for a, b in geometry["stiffeners"]]
    plates = results.plates
    summary = results.stiffeners.summary
    if by == "status":
        classes = [_status_class(max(int(r["bt_DsignStatus_x"]), int(r["bt_DsignStatus_y"])))
                   for r in plates]
        # A stiffener's status is its flexure's, or its shear's when flexure passes.
        stiffener_classes = [_status_class(int(r["bt_DesignStatus_flex"]) or
                                           int(r["bt_DesignStatus_Shear"])) for r in summary]
        ax.add_collection(PolyCollection(outlines, facecolors=[STATUS_COLOURS[c] for c in classes],
                                         edgecolors="white", linewidths=0.5))
        ax.add_collection(LineCollection(lines, colors=[STATUS_COLOURS[c] for c in
                                                        stiffener_classes], linewidths=3))
        for name, colour in STATUS_COLOURS.items():
            ax.plot([], [], "s", color=colour, label=name)
        ax.legend(fontsize=8, loc="upper right")
    else:
        values: List[float] = [float(r["f_RatioOfSteel_" + by[-1]]) for r in plates]
        fill = PolyCollection(outlines, edgecolors="white", linewidths=0.5, cmap="viridis")
        fill.set_array(values)
        ax.add_collection(fill)
        ratio = [float(r["f_RatioOfSteel"]) for r in results.stiffeners.flexure]
        stiffeners = LineCollection(lines, linewidths=3, cmap="viridis", norm=fill.norm)
        stiffeners.set_array(ratio)
        ax.add_collection(stiffeners)
        ax.figure.colorbar(fill, ax=ax, label=f"steel ratio in {by[-1]} (%)")
    ax.autoscale()
    ax.set_aspect("equal")
    length = "mm" if results.units == 1 else "in"
    ax.set_xlabel(f"{'xyz'[h]} ({length})")
    ax.set_ylabel(f"{'xyz'[v]} ({length})")
    ax.set_title({"status": "Status", "ratio_x": "Steel ratio, x",
                  "ratio_y": "Steel ratio, y"}[by])
    return ax
