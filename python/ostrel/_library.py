"""Finding and loading the shared library, and the C prototypes used."""

import ctypes
import ctypes.util
import os
import sys
import threading
from pathlib import Path
from typing import List, Optional

__all__ = ["library", "find_library", "LibraryNotFound"]

LIBRARY_FILE = "libOstrelDesignCSA94.so.1"
# Build folders whose library carries a sanitizer runtime that Python cannot load.
_INSTRUMENTED_BUILDS = {"sanitize", "tsan", "fuzz"}


class LibraryNotFound(OSError):
    """No usable libOstrelDesignCSA94 was found."""


def _candidates() -> List[str]:
    """Places to look, best first (OSTREL_LIBRARY is handled by the caller)."""
    found: List[str] = []
    # A source checkout: python/ostrel/ lives two levels below the root.
    root = Path(__file__).resolve().parent.parent.parent
    builds = root / "build"
    if builds.is_dir():
        release = builds / "release" / LIBRARY_FILE
        if release.exists():
            found.append(str(release))
        for lib in sorted(builds.glob("*/" + LIBRARY_FILE)):
            if lib.parent.name not in _INSTRUMENTED_BUILDS and str(lib) not in found:
                found.append(str(lib))
    # The prefix this package was installed into, then the system's search path.
    for prefix in {sys.prefix, sys.base_prefix}:
        lib = Path(prefix) / "lib" / LIBRARY_FILE
        if lib.exists():
            found.append(str(lib))
    found.append(ctypes.util.find_library("OstrelDesignCSA94") or LIBRARY_FILE)
    return found


def find_library() -> str:
    """The path (or soname) of the library :func:`library` loads.

    ``$OSTREL_LIBRARY`` when set; otherwise the build folder of the source
    checkout this package runs from (``build/release`` first), the library
    installed beside this Python, or the system's (``ldconfig``, ``LD_LIBRARY_PATH``).
    """
    explicit = os.environ.get("OSTREL_LIBRARY")
    if explicit:
        if not Path(explicit).exists():
            raise LibraryNotFound(f"OSTREL_LIBRARY names {explicit!r}, which does not exist")
        return explicit
    for candidate in _candidates():
        try:
            ctypes.CDLL(candidate)
        except OSError:
            continue
        return candidate
    raise LibraryNotFound(
        "libOstrelDesignCSA94 not found: install it (cmake --install, the Debian package) "
        "or set OSTREL_LIBRARY to the .so file"
    )


_lock = threading.Lock()
_lib: Optional[ctypes.CDLL] = None

u8, i16, i32, f32 = ctypes.c_uint8, ctypes.c_int16, ctypes.c_int32, ctypes.c_float
P = ctypes.POINTER

MessageBoxHandler = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p)


class ProgressView(ctypes.Structure):
    """OstrelProgressView: what the progress window shows at a pump."""

    _fields_ = [
        ("Caption", ctypes.c_char_p),
        ("Label1", ctypes.c_char_p),
        ("lblStatus", ctypes.c_char_p),
        ("lblCounter", ctypes.c_char_p),
        ("Command1Caption", ctypes.c_char_p),
        ("Command1Enabled", u8),
        ("Command2Caption", ctypes.c_char_p),
        ("Command2Enabled", u8),
    ]


WindowPump = ctypes.CFUNCTYPE(None, ctypes.c_void_p, P(ProgressView))

CreateFn = ctypes.CFUNCTYPE(ctypes.c_void_p, ctypes.c_void_p)
ReleaseFn = ctypes.CFUNCTYPE(None, ctypes.c_void_p)
AvailableFn = ctypes.CFUNCTYPE(i32, ctypes.c_void_p, P(u8))
SixValuesFn = ctypes.CFUNCTYPE(i32, ctypes.c_void_p, i16, i16, *([P(f32)] * 6))
TwelveValuesFn = ctypes.CFUNCTYPE(i32, ctypes.c_void_p, i16, i16, *([P(f32)] * 12))


class AnalysisResultsClass(ctypes.Structure):
    """OstrelAnalysisResultsClass: the host's source of displacements and forces."""

    _fields_ = [
        ("Create", CreateFn),
        ("Release", ReleaseFn),
        ("ResultsAvailable", AvailableFn),
        ("GetNodeDisplacement", SixValuesFn),
        ("GetPlateElementForces", SixValuesFn),
        ("GetStiffenerElementForces", TwelveValuesFn),
        ("classContext", ctypes.c_void_p),
    ]


class StiffenerProperties(ctypes.Structure):
    """OstrelStiffenerProperties: a stiffener section as SetStiffenerElementProperties takes it."""

    _fields_ = [("bt_SectionType", u8), ("bt_SectionProjection", u8)] + [
        (name, f32) for name in (
            "f_SectionWidth", "f_sectionHeight", "f_LeftFlangeWidth", "f_LeftFlangeThickness",
            "f_RightFlangeWidth", "f_RightFlangeThickness", "f_fc", "f_density", "f_fy", "f_Es",
            "f_MinRatioOfRFT", "f_MaxRatioOfRFT")
    ] + [("bt_RFTType", u8)] + [
        (name, f32) for name in ("f_Cover_Z", "f_Cover_Y", "f_Cover_Z_st", "f_Cover_Y_st")
    ] + [("bt_DesignAsColumn", u8)]


class PlateProperties(ctypes.Structure):
    """OstrelPlateProperties: a plate as SetPlateElementProperties takes it."""

    _fields_ = [(name, f32) for name in (
        "f_Thickness", "f_fc", "f_fy", "f_Es", "f_MinRatioOfRFT", "f_MaxRatioOfRFT",
        "f_MinRatioOfRFT_v", "f_MaxRatioOfRFT_v")] + [("bt_NumCurtains", u8)] + [
        ("f_CoverToRFT_X", f32), ("f_CoverToRFT_Y", f32)]


class CurvePoint(ctypes.Structure):
    """OstrelCurvePoint: one capacity point of a stiffener."""

    _fields_ = [("d_P", ctypes.c_double), ("d_M", ctypes.c_double),
                ("d_Muy", ctypes.c_double), ("d_Muz", ctypes.c_double)]


class ShearCheck(ctypes.Structure):
    """OstrelShearCheck: the shear stress check of one direction."""

    _fields_ = [("bt_Checked", u8), ("bt_Governing", u8), ("d_Stress", ctypes.c_double),
                ("d_Limit", ctypes.c_double), ("d_Ratio", ctypes.c_double)]


# The capacity functions: name, then the argument types after bt_units.
f64 = ctypes.c_double
CAPACITY_FUNCTIONS = {
    "StiffenerCurve": [P(StiffenerProperties), f32, i32, i32, P(CurvePoint), P(CurvePoint)],
    "StiffenerMomentCurve": [P(StiffenerProperties), f32, f64, i32, P(CurvePoint)],
    "StiffenerContour": [P(StiffenerProperties), f32, f32, i32, P(f64), P(f64), P(i32)],
    "StiffenerDemandCapacity": [P(StiffenerProperties), f32, f32, f32, f32, P(f64), P(u8)],
    "StiffenerShearStress": [P(StiffenerProperties), f32, f32, f32, P(ShearCheck),
                             P(ShearCheck)],
    "PlateStripCurve": [P(PlateProperties), f32, u8, i32, P(f64), P(f64)],
    "PlateStripDemandCapacity": [P(PlateProperties), f32, u8, P(f32), P(f64), P(f64), P(f64)],
}

# Output types of the queries, in argument order after the item number.
QUERY_OUTPUTS = {
    "Get_Envelope_Displacement": [f32, i16] * 6,
    "Get_Envelope_PlateFlexureRFT": [u8] + ([f32] * 4 + [i16, u8]) + [f32] * 4 + [i16, u8],
    "Get_Envelope_StiffernerFlexureRFT": [f32, f32, i16, f32, f32, f32, u8],
    "Get_Envelope_StiffernerShearRFT": [f32, i16, f32, f32, f32, f32] * 2 + [u8],
    "Get_Envelope_StiffernerTorsionRFT": [f32, f32, i16, f32, f32, f32, f32, u8, u8],
    "Get_Envelope_StiffernerRFTSummary": [f32] * 6 + [u8, u8],
}


def _declare(lib: ctypes.CDLL) -> None:
    obj = ctypes.c_void_p

    def method(name, *args):
        fn = getattr(lib, "clsDesignCSA94_" + name)
        fn.argtypes = [obj, *args]
        fn.restype = u8

    lib.clsDesignCSA94_Create.argtypes = []
    lib.clsDesignCSA94_Create.restype = obj
    lib.clsDesignCSA94_Release.argtypes = [obj]
    lib.clsDesignCSA94_Release.restype = None
    method("RunDesign")
    method("DesignDone", P(u8))
    method("SetUnits", u8)
    method("SetNumberOfNodes", i32)
    method("SetNumberOfPlateElements", i32)
    method("SetPlateElementProperties", i32, *([f32] * 8), u8, f32, f32)
    method("SetNumberOfStiffenerElements", i32)
    method("SetStiffenerElementProperties", i32, u8, u8, *([f32] * 12), u8, *([f32] * 4), u8)
    method("SetNumberOfLoadCombinations", i32)
    method("SetComboType", i16, u8)
    for name, outputs in QUERY_OUTPUTS.items():
        method(name, i32, *[P(t) for t in outputs])
    lib.OstrelDesignCSA94_Version.argtypes = []
    lib.OstrelDesignCSA94_Version.restype = ctypes.c_char_p
    lib.OstrelDesignCSA94_StatusName.argtypes = [i32]
    lib.OstrelDesignCSA94_StatusName.restype = ctypes.c_char_p
    lib.OstrelDesignCSA94_SetMessageBoxHandler.argtypes = [MessageBoxHandler, ctypes.c_void_p]
    lib.OstrelDesignCSA94_SetMessageBoxHandler.restype = None
    lib.OstrelDesignCSA94_RegisterAnalysisResults.argtypes = [P(AnalysisResultsClass)]
    lib.OstrelDesignCSA94_RegisterAnalysisResults.restype = None
    lib.OstrelDesignCSA94_SetWindowHost.argtypes = [WindowPump, ctypes.c_void_p]
    lib.OstrelDesignCSA94_SetWindowHost.restype = None
    lib.OstrelDesignCSA94_ClickButton.argtypes = [i32]
    lib.OstrelDesignCSA94_ClickButton.restype = None
    lib.OstrelDesignCSA94_SetWorkerThreads.argtypes = [i32]
    lib.OstrelDesignCSA94_SetWorkerThreads.restype = None
    for name, arguments in CAPACITY_FUNCTIONS.items():
        fn = getattr(lib, "OstrelDesignCSA94_" + name)
        fn.argtypes = [u8, *arguments]
        fn.restype = u8


def library() -> ctypes.CDLL:
    """The loaded library, its functions declared (loaded once per process)."""
    global _lib
    with _lock:
        if _lib is None:
            path = find_library()
            lib = ctypes.CDLL(path)
            if not hasattr(lib, "OstrelDesignCSA94_Version"):
                raise LibraryNotFound(f"{path} is older than this package (no version function)")
            _declare(lib)
            major = lib.OstrelDesignCSA94_Version().decode().split(".")[0]
            if major != "1":
                raise LibraryNotFound(f"{path} is version {major}.x; this package needs 1.x")
            _lib = lib
        return _lib
