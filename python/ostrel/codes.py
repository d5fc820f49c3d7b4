"""The codes a host passes to the design library or receives from it.

Each enumeration mirrors the C header ``OstrelDesignCSA94.h``; the members are
plain integers, so they compare equal to the codes in a job or results file.
"""

from enum import IntEnum

__all__ = [
    "UnitSystem",
    "ComboType",
    "SectionType",
    "SectionProjection",
    "BarArrangement",
    "ShearDirection",
    "DesignStatus",
    "Action",
]


class UnitSystem(IntEnum):
    """``bt_units``: the host's unit system."""

    US = 0  #: in, kip, ksi, kip-ft
    SI = 1  #: mm, kN, MPa, kN-m


class ComboType(IntEnum):
    """``bt_ComboType`` of a load combination."""

    SERVICE = 0  #: used by the displacement envelope
    ULTIMATE = 1  #: used by the plate and stiffener design


class SectionType(IntEnum):
    """``bt_SectionType``: the shape of a stiffener's web."""

    RECTANGULAR = 0
    CIRCULAR = 1  #: the width is the diameter; needs BarArrangement.CIRCLE


class SectionProjection(IntEnum):
    """``bt_SectionProjection``: where the flanges sit across the web (z)."""

    FLUSH_POSITIVE_Z = 0  #: flush with face +z, the web stands out toward -z
    CENTRED = 1  #: centred on the web, which stands out on both sides
    FLUSH_NEGATIVE_Z = 2  #: flush with face -z, the web stands out toward +z


class BarArrangement(IntEnum):
    """``bt_RFTType``: the longitudinal bars of a stiffener."""

    TWO_FACES_Y = 0  #: five bars on each of the two faces parallel to y
    TWO_FACES_Z = 1  #: five bars on each of the two faces parallel to z
    FOUR_FACES = 2  #: five bars on each of the four faces
    CIRCLE = 3  #: twenty bars on a circle


class ShearDirection(IntEnum):
    """``bt_ShearDirection`` of the torsion results."""

    Y = 1
    Z = 2


class DesignStatus(IntEnum):
    """``enum_DESIGN_STATUS``: the outcome of one designed direction or phase.

    A failure is a result of the design, not an error of the run.
    """

    DESIGN_PASS = 0
    Pass_UseTies = 1
    Fail_MustUseTwoCurtains = 2
    Fail_RequiredRFTExceedMaximum = 3
    Fail_RFTOutOfSection = 4
    Fail_CoverTooLarge = 5
    Fail_MinRFTExceedMaximum = 6
    Fail_ShearStreessExceedMaximum_y = 7
    Fail_ShearStreessExceedMaximum_z = 8

    @property
    def passed(self) -> bool:
        """True for DESIGN_PASS and Pass_UseTies."""
        return self <= DesignStatus.Pass_UseTies


class Action(IntEnum):
    """What a progress callback asks of the run (``None`` leaves it as it is)."""

    CONTINUE = 0  #: go on; continues a suspended run
    SUSPEND = 1  #: hold the run at its next pump point (the callback is still called)
    CANCEL = 2  #: stop the run and throw its results away
