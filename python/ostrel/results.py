"""Design results: tables of element records, and the results JSON."""

import math
from typing import Any, Dict, Iterator, List, Optional, Sequence, Tuple

from .codes import DesignStatus, ShearDirection, UnitSystem

try:  # numeric columns as numpy arrays when numpy is there
    import numpy as _np
except ImportError:  # pragma: no cover - depends on the machine
    _np = None

__all__ = ["Table", "StiffenerResults", "Results", "status_name_key"]

# Output names of each query, in the query's argument order, with their kind:
# "f" a 32-bit float, "i" an integer, "s" a design status, "d" a shear direction.
NODE_FIELDS: Tuple[Tuple[str, str], ...] = tuple(
    item
    for axis in ("Dx", "Dy", "Dz")
    for item in (
        (f"f_{axis}_Negative", "f"),
        (f"i_{axis}_Neg_combo", "i"),
        (f"f_{axis}_Positive", "f"),
        (f"i_{axis}_Pos_combo", "i"),
    )
)
PLATE_FIELDS = (("bt_NumCurtains", "i"),) + tuple(
    item
    for d in ("x", "y")
    for item in (
        (f"f_AreaOfSteel_{d}", "f"),
        (f"f_RatioOfSteel_{d}", "f"),
        (f"f_Mu_{d}", "f"),
        (f"f_Pu_{d}", "f"),
        (f"i_DesignComboIndex_{d}", "i"),
        (f"bt_DsignStatus_{d}", "s"),
    )
)
FLEXURE_FIELDS = (
    ("f_As", "f"), ("f_RatioOfSteel", "f"), ("i_DesignComboIndex", "i"),
    ("f_Muy", "f"), ("f_Muz", "f"), ("f_Pu", "f"), ("bt_DesignStatus", "s"),
)
SHEAR_FIELDS = tuple(
    item
    for d in ("y", "z")
    for item in (
        (f"f_AvOverS_{d}", "f"), (f"i_DesignComboIndex_{d}", "i"), (f"f_Pu_{d}", "f"),
        (f"f_Vu_{d}", "f"), (f"f_Tu_{d}", "f"), (f"f_Spacing_{d}", "f"),
    )
) + (("bt_DsignStatus", "s"),)
TORSION_FIELDS = (
    ("f_AtOverS", "f"), ("f_Al", "f"), ("i_DesignComboIndex", "i"), ("f_Pu", "f"),
    ("f_Vu", "f"), ("f_Tu", "f"), ("f_Spacing", "f"), ("bt_ShearDirection", "d"),
    ("bt_DsignStatus", "s"),
)
SUMMARY_FIELDS = (
    ("f_As", "f"), ("f_Al", "f"), ("f_AvOverS_y", "f"), ("f_AvOverS_z", "f"),
    ("f_AtOverS", "f"), ("f_ShearSpacing", "f"),
    ("bt_DesignStatus_flex", "s"), ("bt_DesignStatus_Shear", "s"),
)

_NUMPY_TYPES = {"f": "float32", "i": "int16", "s": "uint8", "d": "uint8"}


def status_name_key(key: str) -> str:
    """The results-JSON key of the name written beside status code ``key``."""
    return key + "_name"


def _json_number(value: float) -> Any:
    """A 32-bit float as the results JSON holds it: printed with nine
    significant digits (enough to read back the same float) and read back as
    JSON reads it, an int when it has no fraction or exponent."""
    if not math.isfinite(value):
        return None
    text = "%.9g" % value
    return int(text) if text.lstrip("-").isdigit() else float(text)


def _status(code: int) -> Any:
    try:
        return DesignStatus(code)
    except ValueError:
        return code


class Table:
    """The results of one query for every node or element, as columns.

    ``table["f_As"]`` is a column (a numpy array when numpy is installed,
    otherwise a list), ``table[0]`` the record of item 1 (a dict whose status
    fields are :class:`DesignStatus` members), ``len(table)`` the item count.
    """

    def __init__(self, fields: Sequence[Tuple[str, str]], rows: List[Sequence[Any]]):
        self.fields = tuple(fields)
        self._columns: Dict[str, Any] = {}
        for index, (key, kind) in enumerate(self.fields):
            values = [row[index] for row in rows]
            self._columns[key] = (
                _np.array(values, dtype=_NUMPY_TYPES[kind]) if _np is not None else values
            )
        self._count = len(rows)

    @property
    def columns(self) -> Tuple[str, ...]:
        """The output names, in the query's order."""
        return tuple(key for key, _ in self.fields)

    def __len__(self) -> int:
        return self._count

    def __getitem__(self, item):
        if isinstance(item, str):
            return self._columns[item]
        if item < 0:
            item += self._count
        if not 0 <= item < self._count:
            raise IndexError(item)
        record: Dict[str, Any] = {}
        for key, kind in self.fields:
            value = self._columns[key][item]
            if kind == "f":
                record[key] = float(value)
            elif kind == "s":
                record[key] = _status(int(value))
            elif kind == "d":
                try:
                    record[key] = ShearDirection(int(value))
                except ValueError:
                    record[key] = int(value)
            else:
                record[key] = int(value)
        return record

    def __iter__(self) -> Iterator[Dict[str, Any]]:
        return (self[i] for i in range(self._count))

    def _json_record(self, item: int, status_name) -> Dict[str, Any]:
        out: Dict[str, Any] = {}
        for key, kind in self.fields:
            value = self._columns[key][item]
            if kind == "f":
                out[key] = _json_number(float(value))
            else:
                out[key] = int(value)
                if kind == "s":
                    out[status_name_key(key)] = status_name(int(value))
        return out


class StiffenerResults:
    """The four stiffener queries: ``flexure``, ``shear``, ``torsion``, ``summary``."""

    GROUPS = ("flexure", "shear", "torsion", "summary")

    def __init__(self, flexure: Table, shear: Table, torsion: Table, summary: Table):
        self.flexure, self.shear, self.torsion, self.summary = flexure, shear, torsion, summary

    def __len__(self) -> int:
        return len(self.flexure)

    def __getitem__(self, item: int) -> Dict[str, Dict[str, Any]]:
        return {group: getattr(self, group)[item] for group in self.GROUPS}


class Results:
    """The outcome of a completed design.

    Attributes: ``units`` (:class:`UnitSystem`), ``combination_names`` (from
    the job, or None), ``nodes`` (displacement envelope), ``plates`` and
    ``stiffeners`` (see :class:`Table`, :class:`StiffenerResults`).
    """

    def __init__(self, units: int, nodes: Table, plates: Table, stiffeners: StiffenerResults,
                 status_names: Dict[int, str], combination_names: Optional[List[str]] = None):
        self.units = UnitSystem(units)
        self.nodes, self.plates, self.stiffeners = nodes, plates, stiffeners
        self.combination_names = combination_names
        self._status_names = dict(status_names)

    def status_name(self, code: int) -> str:
        """The library's name of a status code (the number itself when unknown)."""
        return self._status_names.get(code, str(code))

    def failures(self) -> Dict[str, List[int]]:
        """Element numbers (1-based) with a failing status, by group."""
        def failing(table: Table, keys: Sequence[str]) -> List[int]:
            return [i + 1 for i, r in enumerate(table)
                    if any(int(r[k]) > DesignStatus.Pass_UseTies for k in keys)]
        return {
            "plates": failing(self.plates, ("bt_DsignStatus_x", "bt_DsignStatus_y")),
            "stiffeners": failing(self.stiffeners.summary,
                                  ("bt_DesignStatus_flex", "bt_DesignStatus_Shear")),
        }

    def to_dict(self) -> Dict[str, Any]:
        """The results JSON that ``ostrel-design run`` writes for the same job,
        as ``json.load`` reads it."""
        name = self.status_name
        out: Dict[str, Any] = {"bt_DesignDoneFlag": 1, "units": self.units.name}
        if self.combination_names:
            out["combination_names"] = list(self.combination_names)
        out["nodes"] = [self.nodes._json_record(i, name) for i in range(len(self.nodes))]
        out["plates"] = [self.plates._json_record(i, name) for i in range(len(self.plates))]
        out["stiffeners"] = [
            {group: getattr(self.stiffeners, group)._json_record(i, name)
             for group in StiffenerResults.GROUPS}
            for i in range(len(self.stiffeners))
        ]
        return out
