"""The device's attributes: ID, name and type; the type follows from the ID's class."""

from __future__ import annotations

from types import MappingProxyType
from typing import Dict, Mapping, NamedTuple, Tuple, Union

# Type of each class: the ID's top four bits. The low 16 bits 0xFFFF are never a valid ID.
TYPES: Dict[int, str] = {1: "Int32", 2: "Double", 3: "String", 4: "Boolean", 5: "UInt64"}


class Attribute(NamedTuple):
    """One attribute: ``id``, ``name``, ``type`` ("Int32", "Double", "String", "Boolean" or
    "UInt64") and the names of its enumerated values, if any."""

    id: int
    name: str
    type: str
    values: Mapping[str, int] = MappingProxyType({})

    def __repr__(self) -> str:
        return f"Attribute(0x{self.id:08X}, {self.name!r}, {self.type})"


_ENUMERATIONS: Dict[int, Dict[str, int]] = {
    0x10000009: {"Immediate": 0, "Digital": 1, "User": 2, "DIO": 3, "Analog": 4},
    0x1000000B: {"Default": 0, "Onboard": 1, "PXI_Clk10": 2, "External": 3},
    0x10000011: {"AC": 0, "DC": 1},
    0x10000013: {"Internal": 0, "Front Panel": 1},
    0x10000016: {"Low Level": 0x7FFFFFFC, "High Level": 0x7FFFFFFD, "Falling Edge": 0x7FFFFFFE,
                 "Rising Edge": 0x7FFFFFFF},
}

# clang-format off
_TABLE: Tuple[Tuple[int, str], ...] = (
    (0x10000000, "Channels In Stream"),
    (0x10000001, "Samples Per Clock"),
    (0x10000005, "ADC Resolution"),
    (0x10000006, "ADC Sample Container"),
    (0x10000007, "Synq Session Reference"),
    (0x10000008, "Analog Edge Trigger Channel"),
    (0x10000009, "Start Trigger Type"),
    (0x1000000B, "Reference Clock Source"),
    (0x1000000C, "Calibration Storage Size"),
    (0x1000000D, "IO Error"),
    (0x1000000E, "AI Nyquist Zone"),
    (0x1000000F, "AI Channel Count"),
    (0x10000010, "ADC Clock Divisor"),
    (0x10000011, "AI Coupling"),
    (0x10000012, "Phase DAC Value"),
    (0x10000013, "Sample Clock Source"),
    (0x10000014, "AI Decimation Filter Band"),
    (0x10000015, "Data Clock Divisor"),
    (0x10000016, "Start Trigger Sensitivity"),
    (0x10000017, "IO Module Ref Clk Pin Src"),
    (0x20000002, "Analog Edge Trigger Level"),
    (0x20000003, "Analog Edge Trigger Hysteresis"),
    (0x20000005, "FPGA Temperature"),
    (0x20000006, "Total Power"),
    (0x20000007, "12V Power"),
    (0x20000008, "3V3 Power"),
    (0x20000009, "12V IO Power"),
    (0x2000000A, "Temperature Limit"),
    (0x2000000B, "Power Limit"),
    (0x2000000D, "Calibration Temperature"),
    (0x2000000E, "Verification Temperature"),
    (0x2000000F, "AI Impedance"),
    (0x20000010, "AI Range"),
    (0x20000011, "AI Scaling Gain"),
    (0x20000012, "AI Scaling Offset"),
    (0x20000013, "Sample dt"),
    (0x20000014, "DIO Voltage"),
    (0x20000015, "Data Clock Rate"),
    (0x20000016, "ADC Sample Rate"),
    (0x20000017, "Sample Clock Timebase Rate"),
    (0x20000018, "Reference Clock Rate"),
    (0x20000019, "Data Delay"),
    (0x30000000, "Digital Start Trigger Source"),
    (0x30000002, "Stream FIFO Name"),
    (0x30000003, "Start Trigger Output Terminal"),
    (0x30000004, "Phase DAC Calibration Polynomial"),
    (0x30000005, "TDC Calibration Polynomial"),
    (0x30000006, "Routing Alias"),
    (0x30000007, "Start Trigger for Synq Output Terminal"),
    (0x40000001, "Stream Finite"),
    (0x40000002, "Analog Edge Trigger Rising"),
    (0x40000003, "IO Ready"),
    (0x40000004, "IOC Filter Enable"),
    (0x40000005, "Internal Sync Bypass Cal"),
    (0x50000000, "Stream Number Of Samples"),
    (0x50000001, "Stream FIFO Size"),
    (0x50000002, "Stream Channels Enabled"),
    (0x50000003, "Calibration Date/Time"),
    (0x50000004, "Verification Date/Time"),
    (0x50000005, "Internal Scaling Coef Ptr"),
)
# clang-format on


def type_of(attribute_id: int) -> str:
    """Type of an attribute ID by its class; ValueError for an ID outside every valid range."""
    kind = TYPES.get(attribute_id >> 28) if 0 <= attribute_id < 2**32 else None
    if kind is None or attribute_id & 0xFFFF == 0xFFFF:
        raise ValueError(f"{attribute_id:#x} is not a valid attribute ID")
    return kind


attributes: Tuple[Attribute, ...] = tuple(
    Attribute(i, n, type_of(i), MappingProxyType(_ENUMERATIONS.get(i, {}))) for i, n in _TABLE)
_BY_NAME = {a.name.casefold(): a for a in attributes}
_BY_ID = {a.id: a for a in attributes}


def lookup(attribute: Union[str, int]) -> Attribute:
    """The attribute named (case-insensitively) or numbered ``attribute``. An ID in a valid range
    that the table does not list is still accepted: the device decides."""
    if isinstance(attribute, bool):
        raise TypeError("an attribute is a name or an integer ID, not a bool")
    if isinstance(attribute, int):
        found = _BY_ID.get(attribute)
        return found if found else Attribute(attribute, f"0x{attribute:08X}", type_of(attribute))
    if isinstance(attribute, str):
        found = _BY_NAME.get(attribute.strip().casefold())
        if found is None:
            raise ValueError(f"no attribute is named {attribute!r}")
        return found
    raise TypeError(f"an attribute is a name or an integer ID, not {type(attribute).__name__}")
