"""Python interface of votarsinapi, the driver library of the Tarsin digitizers and I/O modules.

    import votarsin

    with votarsin.open("SIM0") as s:
        s.restart_simulation(seed=1)
        data, info = s.acquire("AI0-AI3", 1000,
                               trigger=votarsin.AnalogEdge("AI0", level=0.2, hysteresis=0.01))

``data`` is a numpy array of channels x samples (volts); ``info`` holds one information
record per channel. The library is found through $VOTARSIN_LIBRARY, beside this package, or
the system loader's search, in that order.
"""

from ._attributes import Attribute, attributes
from ._errors import VoTarsinError, VoTarsinWarning, describe
from ._library import library_path
from ._session import (INFO_DTYPE, INFO_FINITE, INFO_INCOMPLETE, INFO_TRIGGERED, AnalogEdge,
                       Digital, Reading, Session, Transfer, open)

__version__ = "0.1.0"

__all__ = [
    "AnalogEdge", "Attribute", "Digital", "INFO_DTYPE", "INFO_FINITE", "INFO_INCOMPLETE",
    "INFO_TRIGGERED", "Reading", "Session", "Transfer", "VoTarsinError", "VoTarsinWarning",
    "attributes", "describe", "library_path", "open",
]
