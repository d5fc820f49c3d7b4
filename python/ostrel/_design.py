"""One design run through the library's C interface.

Every run has a thread of its own: the library keeps one design model per
thread, so a fresh thread starts from the same empty model as the command
line does, and its model (with its analysis-results instance) ends with it.
The process-wide hooks (message boxes, analysis results, progress window) are
registered once and hand each call to the run of the thread that makes it.
"""

import ctypes
import json
import os
import sys
import threading
from pathlib import Path
from typing import Any, Callable, Dict, List, Optional, Sequence, Union

from . import _library as L
from .codes import Action
from .results import (FLEXURE_FIELDS, NODE_FIELDS, PLATE_FIELDS, SHEAR_FIELDS,
                      SUMMARY_FIELDS, TORSION_FIELDS, Results, StiffenerResults, Table)

__all__ = ["design", "DesignError", "DesignRefused", "DesignCancelled", "JobError"]

Progress = Callable[[str, str], Optional[Union[Action, str, bool]]]

PLATE_KEYS = ("f_Thickness", "f_fc", "f_fy", "f_Es", "f_MinRatioOfRFT", "f_MaxRatioOfRFT",
              "f_MinRatioOfRFT_v", "f_MaxRatioOfRFT_v", "bt_NumCurtains", "f_CoverToRFT_X",
              "f_CoverToRFT_Y")
STIFFENER_KEYS = ("bt_SectionType", "bt_SectionProjection", "f_SectionWidth", "f_sectionHeight",
                  "f_LeftFlangeWidth", "f_LeftFlangeThickness", "f_RightFlangeWidth",
                  "f_RightFlangeThickness", "f_fc", "f_density", "f_fy", "f_Es",
                  "f_MinRatioOfRFT", "f_MaxRatioOfRFT", "bt_RFTType", "f_Cover_Z", "f_Cover_Y",
                  "f_Cover_Z_st", "f_Cover_Y_st", "bt_DesignAsColumn")


class DesignError(RuntimeError):
    """The run stopped with an error; ``messages`` holds the library's messages."""

    def __init__(self, messages: Sequence[str], fallback: str):
        self.messages = list(messages)
        super().__init__("\n".join(self.messages) if self.messages else fallback)

    def __reduce__(self):  # travels between processes (e.g. from a Dask worker)
        return (self.__class__, (self.messages, str(self)))


class DesignRefused(DesignError):
    """The library refused the job (an input method or the start of the run)."""


class DesignCancelled(DesignError):
    """The progress callback cancelled the run; there are no results."""


class JobError(ValueError):
    """The job is not in the job format; the message names the key path."""


# ---- the job ----------------------------------------------------------------

def _load_job(job: Union[Dict[str, Any], str, os.PathLike]) -> Dict[str, Any]:
    if isinstance(job, dict):
        return job
    with open(Path(job), "rb") as f:
        try:
            return json.load(f)
        except ValueError as e:
            raise JobError(f"{job}: not valid JSON: {e}") from None


def _member(obj: Any, path: str, key: str) -> Any:
    if not isinstance(obj, dict):
        raise JobError(f"{path or 'job'}: expected an object")
    if key not in obj:
        raise JobError(f"{path + '.' if path else ''}{key}: missing key")
    return obj[key]


FLOAT_MAX = 3.4028234663852886e38  # the largest finite 32-bit float


def _number(value: Any, path: str) -> float:
    """A value the interface takes as a 32-bit float."""
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        raise JobError(f"{path}: expected a number, got {value!r}")
    if not abs(value) <= FLOAT_MAX:  # also refuses NaN
        raise JobError(f"{path}: {value!r} is beyond the range of a 32-bit float")
    return value


def _whole(value: Any, path: str, lo: int, hi: int) -> int:
    """A value the interface takes as an integer of the range lo to hi."""
    if isinstance(value, float) and value.is_integer():
        value = int(value)
    if isinstance(value, bool) or not isinstance(value, int):
        raise JobError(f"{path}: expected a whole number, got {value!r}")
    if not lo <= value <= hi:
        raise JobError(f"{path}: {value} is outside {lo} to {hi}")
    return value


def _element(obj: Any, path: str, keys: Sequence[str]) -> list:
    """The arguments of an element's properties method, in order."""
    return [_whole(_member(obj, path, k), f"{path}.{k}", 0, 255) if k.startswith("bt_")
            else _number(_member(obj, path, k), f"{path}.{k}") for k in keys]


def _table(analysis: Dict[str, Any], key: str, items: int, combos: int, width: int) -> list:
    rows = _member(analysis, "analysis", key)
    path = f"analysis.{key}"
    if not isinstance(rows, list) or len(rows) != items:
        raise JobError(f"{path}: expected {items} entries")
    for i, row in enumerate(rows):
        if not isinstance(row, list) or len(row) != combos:
            raise JobError(f"{path}[{i}]: expected {combos} entries, one per combination")
        for c, values in enumerate(row):
            if not isinstance(values, list) or len(values) != width:
                raise JobError(f"{path}[{i}][{c}]: expected {width} numbers")
            for v, value in enumerate(values):
                _number(value, f"{path}[{i}][{c}][{v}]")
    return rows


class _Job:
    """A job checked for shape, with the lookups the analysis callbacks make."""

    def __init__(self, job: Dict[str, Any]):
        self.units = _whole(_member(job, "", "bt_units"), "bt_units", 0, 255)
        self.nodes = _whole(_member(job, "", "l_NumNodes"), "l_NumNodes", -2**31, 2**31 - 1)
        lists = {}
        for key in ("combinations", "plates", "stiffeners"):
            lists[key] = _member(job, "", key)
            if not isinstance(lists[key], list):
                raise JobError(f"{key}: expected an array")
        self.combinations = [_whole(c, f"combinations[{i}]", 0, 255)
                             for i, c in enumerate(lists["combinations"])]
        self.plates = [_element(p, f"plates[{i}]", PLATE_KEYS)
                       for i, p in enumerate(lists["plates"])]
        self.stiffeners = [_element(e, f"stiffeners[{i}]", STIFFENER_KEYS)
                           for i, e in enumerate(lists["stiffeners"])]
        names = job.get("combination_names")
        if names is not None and (not isinstance(names, list) or len(names) != len(self.combinations)
                                  or not all(isinstance(n, str) for n in names)):
            raise JobError("combination_names: expected one string per combination")
        self.combination_names = names
        analysis = _member(job, "", "analysis")
        combos = len(self.combinations)
        self.available = _whole(_member(analysis, "analysis", "available"),
                                "analysis.available", 0, 255)
        self.displacements = _table(analysis, "displacements", max(self.nodes, 0), combos, 6)
        self.plate_forces = _table(analysis, "plate_forces", len(self.plates), combos, 6)
        self.stiffener_forces = _table(analysis, "stiffener_forces", len(self.stiffeners),
                                       combos, 12)

    @staticmethod
    def row(table: list, item: int, combo: int) -> Optional[list]:
        if 1 <= item <= len(table) and table and 1 <= combo <= len(table[0]):
            return table[item - 1][combo - 1]
        return None


# ---- per-thread run state and the process-wide hooks -------------------------

class _Run:
    def __init__(self, job: _Job, progress: Optional[Progress]):
        self.job = job
        self.progress = progress
        self.messages: List[str] = []
        self.cancel = threading.Event()  # set by the caller (e.g. Ctrl-C) or the callback
        self.cancelled = False
        self.callback_error: Optional[BaseException] = None


_current = threading.local()
_hooks_lock = threading.Lock()
_hooks: Optional[tuple] = None  # the ctypes objects must live as long as the process
_lib: Any = None


def _run() -> Optional[_Run]:
    return getattr(_current, "run", None)


def _on_message(_context, text, title) -> None:
    run = _run()
    message = text.decode("utf-8", "replace").replace("\r\n", "\n") if text else ""
    if run is not None:
        run.messages.append(message)
    else:  # a box of a thread that is not designing through this package
        caption = title.decode("utf-8", "replace") if title else ""
        print(f"{caption}: {message}", file=sys.stderr)


def _action(answer: Any) -> Optional[Action]:
    """What a progress callback's answer asks for; None: nothing."""
    if answer is None or answer is True:
        return None
    if answer is False:
        return Action.CANCEL
    if isinstance(answer, str):
        try:
            return Action[answer.upper()]
        except KeyError:
            raise ValueError(f"progress callback returned {answer!r}") from None
    return Action(answer)


def _on_pump(_context, view_ptr) -> None:
    run = _run()
    if run is None:
        return
    view = view_ptr.contents
    command1 = (view.Command1Caption or b"").decode()
    lib = _lib
    # The run has ended: close the window the way a person would.
    if command1 == "&Close" and view.Command1Enabled:
        lib.OstrelDesignCSA94_ClickButton(1)
        return
    if command1 == "Close" and not view.Command1Enabled:
        lib.OstrelDesignCSA94_ClickButton(2)
        return
    action = None
    if run.progress is not None and run.callback_error is None:
        try:
            action = _action(run.progress((view.lblStatus or b"").decode().strip(),
                                          (view.lblCounter or b"").decode().strip()))
        except BaseException as e:  # re-raised by design() once the run has stopped
            run.callback_error = e
    if run.cancel.is_set() or run.callback_error is not None:
        action = Action.CANCEL
    if action is None:
        return
    if action == Action.CANCEL:
        run.cancelled = True
        if not view.Command2Enabled and command1 == "&Suspend":
            lib.OstrelDesignCSA94_ClickButton(1)  # Cancel is offered while suspended
        lib.OstrelDesignCSA94_ClickButton(2)
    elif (action == Action.SUSPEND) == (command1 == "&Suspend"):
        lib.OstrelDesignCSA94_ClickButton(1)


def _fill(values: list, outputs) -> int:
    for out, value in zip(outputs, values):
        out[0] = value
    return 0


# The instance is a byte from the C heap (its value does not matter: the
# callbacks find the run through the calling thread), released with the C
# library's free. Release runs when the run's thread ends, after Python has
# let go of that thread, so it must not be a Python function.
_libc = ctypes.CDLL(None)
_libc.malloc.argtypes = [ctypes.c_size_t]
_libc.malloc.restype = ctypes.c_void_p


def _create(_class_context):
    return _libc.malloc(1)


def _available(_instance, flag) -> int:
    run = _run()
    if run is None:
        return -1
    flag[0] = run.job.available
    return 0


def _fetch(table_name: str):
    def fetch(_instance, item, combo, *outputs) -> int:
        run = _run()
        if run is None:
            return -1
        values = _Job.row(getattr(run.job, table_name), item, combo)
        return 1 if values is None else _fill(values, outputs)
    return fetch


def _install_hooks(lib) -> None:
    global _hooks, _lib
    with _hooks_lock:
        if _hooks is not None:
            return
        _lib = lib
        message = L.MessageBoxHandler(_on_message)
        pump = L.WindowPump(_on_pump)
        cls = L.AnalysisResultsClass(
            L.CreateFn(_create), L.ReleaseFn(ctypes.cast(_libc.free, ctypes.c_void_p).value), L.AvailableFn(_available),
            L.SixValuesFn(_fetch("displacements")), L.SixValuesFn(_fetch("plate_forces")),
            L.TwelveValuesFn(_fetch("stiffener_forces")), None)
        lib.OstrelDesignCSA94_SetMessageBoxHandler(message, None)
        lib.OstrelDesignCSA94_SetWindowHost(pump, None)
        lib.OstrelDesignCSA94_RegisterAnalysisResults(ctypes.byref(cls))
        _hooks = (message, pump, cls)


# ---- the run -------------------------------------------------------------------

def _query(lib, obj, name: str, item: int) -> Optional[list]:
    outputs = [t() for t in L.QUERY_OUTPUTS[name]]
    if getattr(lib, "clsDesignCSA94_" + name)(obj, item, *[ctypes.byref(o) for o in outputs]):
        return None
    return [o.value for o in outputs]


def _send(lib, obj, job: _Job) -> bool:
    if (lib.clsDesignCSA94_SetUnits(obj, job.units) or
            lib.clsDesignCSA94_SetNumberOfNodes(obj, job.nodes) or
            lib.clsDesignCSA94_SetNumberOfPlateElements(obj, len(job.plates)) or
            lib.clsDesignCSA94_SetNumberOfStiffenerElements(obj, len(job.stiffeners)) or
            lib.clsDesignCSA94_SetNumberOfLoadCombinations(obj, len(job.combinations))):
        return False
    for e, arguments in enumerate(job.plates, 1):
        if lib.clsDesignCSA94_SetPlateElementProperties(obj, e, *arguments):
            return False
    for e, arguments in enumerate(job.stiffeners, 1):
        if lib.clsDesignCSA94_SetStiffenerElementProperties(obj, e, *arguments):
            return False
    for c, combo_type in enumerate(job.combinations, 1):
        if lib.clsDesignCSA94_SetComboType(obj, c, combo_type):
            return False
    return True


def _collect(lib, obj, job: _Job) -> Optional[Results]:
    def table(name: str, fields, count: int) -> Optional[Table]:
        rows = []
        for item in range(1, count + 1):
            row = _query(lib, obj, name, item)
            if row is None:
                return None
            rows.append(row)
        return Table(fields, rows)

    n = len(job.stiffeners)
    parts = [
        table("Get_Envelope_Displacement", NODE_FIELDS, max(job.nodes, 0)),
        table("Get_Envelope_PlateFlexureRFT", PLATE_FIELDS, len(job.plates)),
        table("Get_Envelope_StiffernerFlexureRFT", FLEXURE_FIELDS, n),
        table("Get_Envelope_StiffernerShearRFT", SHEAR_FIELDS, n),
        table("Get_Envelope_StiffernerTorsionRFT", TORSION_FIELDS, n),
        table("Get_Envelope_StiffernerRFTSummary", SUMMARY_FIELDS, n),
    ]
    if any(p is None for p in parts):
        return None
    names = {code: lib.OstrelDesignCSA94_StatusName(code).decode() for code in range(9)}
    return Results(job.units, parts[0], parts[1], StiffenerResults(*parts[2:]), names,
                   job.combination_names)


def _design_on_this_thread(lib, job: _Job, run: _Run, threads: int, box: dict) -> None:
    _current.run = run
    obj = lib.clsDesignCSA94_Create()
    try:
        if not obj:
            raise MemoryError("the design object cannot be created")
        if not _send(lib, obj, job):
            raise DesignRefused(run.messages, "the library refused the job")
        lib.OstrelDesignCSA94_SetWorkerThreads(threads)
        if lib.clsDesignCSA94_RunDesign(obj) != 0:
            raise DesignRefused(run.messages, "the design could not be started")
        done = ctypes.c_uint8(0)
        lib.clsDesignCSA94_DesignDone(obj, ctypes.byref(done))
        if run.callback_error is not None:
            raise run.callback_error
        if not done.value:
            if run.cancelled:
                raise DesignCancelled(run.messages, "the design was cancelled")
            raise DesignError(run.messages, "the design did not complete")
        results = _collect(lib, obj, job)
        if results is None:
            raise DesignError(run.messages, "the results could not be read")
        box["results"] = results
    except BaseException as e:
        box["error"] = e
    finally:
        lib.clsDesignCSA94_Release(obj)
        _current.run = None


def design(job: Union[Dict[str, Any], str, os.PathLike], threads: int = 0,
           progress: Optional[Progress] = None) -> Results:
    """Designs a wall and returns its :class:`~ostrel.Results`.

    ``job`` is a job dict or the path of a job file (the JSON job format of
    ``ostrel-design``). ``threads`` is the number of worker threads of the
    run: 0 one per hardware thread, 1 the run's own thread alone (a
    process-wide setting of the library, read when the run starts).

    ``progress(phase, counter)`` is called at every pump of the progress
    window with its phase text (e.g. "plate design") and item counter. It
    returns None to leave the run as it is, or an :class:`~ostrel.Action`
    (or its name): SUSPEND holds the run (the callback is still called while
    it waits), CONTINUE resumes it, CANCEL (or False) stops it without
    results. An exception raised by the callback cancels the run and is
    raised again here. Ctrl-C cancels the run likewise.

    Raises :class:`JobError` for a job not in the job format,
    :class:`DesignRefused` with the library's message when the library
    refuses it, :class:`DesignCancelled` when cancelled, :class:`DesignError`
    when the run stops with an error.
    """
    lib = L.library()
    _install_hooks(lib)
    checked = _Job(_load_job(job))
    run = _Run(checked, progress)
    box: Dict[str, Any] = {}
    worker = threading.Thread(target=_design_on_this_thread,
                              args=(lib, checked, run, int(threads), box),
                              name="ostrel-design", daemon=True)
    worker.start()
    try:
        while worker.is_alive():
            worker.join(0.2)
    except KeyboardInterrupt:
        run.cancel.set()
        worker.join()
        raise
    if "error" in box:
        raise box["error"]
    return box["results"]
