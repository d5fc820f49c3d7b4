"""ostrel: reinforcement design of reinforced-concrete walls to CSA A23.3-94.

A pure-Python face of the OstrelDesignCSA94 shared library (through ctypes)::

    import ostrel
    results = ostrel.design("examples/wall_si.json")
    print(results.plates[0]["f_AreaOfSteel_x"], results.plates[0]["bt_DsignStatus_x"].name)

The library is found through ``$OSTREL_LIBRARY``, the build folder of a
source checkout, or the installed library (see :func:`find_library`).
"""

from ._design import DesignCancelled, DesignError, DesignRefused, JobError, design
from ._library import LibraryNotFound, find_library, library
from .capacity import (CapacityError, CurvePoint, ShearCheck, explain, plate_strip_curve,
                       plate_strip_demand_capacity, stiffener_contour, stiffener_curves,
                       stiffener_demand_capacity, stiffener_moment_curve, stiffener_shear_stress)
from .plots import plot_elevation, plot_interaction
from .codes import (Action, BarArrangement, ComboType, DesignStatus, SectionProjection,
                    SectionType, ShearDirection, UnitSystem)
from .results import Results, StiffenerResults, Table

__version__ = "1.0.0"

__all__ = [
    "design", "library_version", "find_library", "Results", "Table", "StiffenerResults",
    "Action", "BarArrangement", "ComboType", "DesignStatus", "SectionProjection", "SectionType",
    "ShearDirection", "UnitSystem", "DesignError", "DesignRefused", "DesignCancelled",
    "JobError", "LibraryNotFound", "explain", "CapacityError", "CurvePoint", "ShearCheck",
    "stiffener_curves", "stiffener_moment_curve", "stiffener_contour",
    "stiffener_demand_capacity", "stiffener_shear_stress", "plate_strip_curve",
    "plate_strip_demand_capacity", "plot_interaction", "plot_elevation",
]


def library_version() -> str:
    """The version of the loaded library, e.g. "1.0.0"."""
    return library().OstrelDesignCSA94_Version().decode()
