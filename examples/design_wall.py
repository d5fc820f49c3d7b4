#!/usr/bin/env python3
"""Designs a wall from Python and prints what an engineer looks at first.

    PYTHONPATH=python /usr/bin/python3 examples/design_wall.py [JOB.json]

(With the package installed, `pip install ./python`, no PYTHONPATH is needed.)
The job defaults to examples/wall_si.json. The design itself is three lines:

    import ostrel
    results = ostrel.design("examples/wall_si.json")
    print(results.plates[0])
"""

import sys
from pathlib import Path

import ostrel


def show_progress(phase: str, counter: str) -> None:
    """Keeps one line of progress on the terminal; returning None lets the run go on."""
    print(f"\r{phase:24} {counter:>12}", end="", file=sys.stderr, flush=True)


def main() -> int:
    job = sys.argv[1] if len(sys.argv) > 1 else Path(__file__).with_name("wall_si.json")
    try:
        results = ostrel.design(job, progress=show_progress)
    except ostrel.DesignError as e:
        print(f"\n{job}: {e}", file=sys.stderr)
        return 1
    print(file=sys.stderr)

    plates = results.plates
    print(f"{len(plates)} plates, {len(results.stiffeners)} stiffeners, {results.units.name} units")
    for direction in ("x", "y"):
        ratios = plates[f"f_RatioOfSteel_{direction}"]
        worst = max(range(len(plates)), key=lambda i: ratios[i])
        status = plates[worst][f"bt_DsignStatus_{direction}"]
        print(f"largest {direction} steel ratio {ratios[worst]:.3g} % at plate {worst + 1} "
              f"({status.name})")
    for group, numbers in results.failures().items():
        print(f"failing {group}: {numbers or 'none'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
