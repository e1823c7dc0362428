"""Device sessions: attributes, stream configuration, triggers and zero-copy reads."""

from __future__ import annotations

import contextlib
import ctypes
import math
import numbers
from dataclasses import dataclass
from typing import Any, NamedTuple, Optional, Union

import numpy as np

from ._attributes import Attribute, lookup
from ._errors import SIMULATION_UNAVAILABLE, VoTarsinError, check, describe
from ._library import library

STREAM_COUNT = 64
SIMULATED = 0x2000
# The wire carries at most 256 bytes of a String attribute.
STRING_SIZE = 256
DEFAULT_TIMEOUT = 5.0

# The information record the driver writes per channel of a read (80 bytes, little-endian).
# clang-format off
INFO_DTYPE = np.dtype({
    "names": ["samples", "position", "trigger_index", "t0", "dt", "gain", "offset",
              "channel", "data_type", "state", "flags", "ready"],
    "formats": ["<u8", "<u8", "<u8", "<f8", "<f8", "<f8", "<f8",
                "<u4", "<u4", "<u4", "<u4", "<u8"],
    "offsets": [0, 8, 16, 24, 32, 40, 48, 56, 60, 64, 68, 72],
    "itemsize": 80,
})
# clang-format on
# Bits of the "flags" field.
INFO_TRIGGERED, INFO_INCOMPLETE, INFO_FINITE = 1, 2, 4

_SLOPES = {"falling": 0, "rising": 1}
_SENSITIVITIES = {"low level": 0x7FFFFFFC, "high level": 0x7FFFFFFD,
                  "falling edge": 0x7FFFFFFE, "rising edge": 0x7FFFFFFF}


class Transfer(NamedTuple):
    """What a wait saw: samples per channel ready to read, and the stream's state."""

    ready: int
    state: int


class Reading(NamedTuple):
    """A read: ``data`` (channels x samples) and one information record per channel."""

    data: np.ndarray
    info: np.ndarray


@dataclass(frozen=True)
class AnalogEdge:
    """Start trigger where ``channel`` crosses ``level`` volts on ``slope`` ("rising" or
    "falling"), with ``hysteresis`` volts."""

    channel: str = "AI0"
    level: float = 0.0
    slope: str = "rising"
    hysteresis: float = 0.0


@dataclass(frozen=True)
class Digital:
    """Start trigger on the terminal ``source`` ("DIO" selects the DIO trigger), with a
    ``sensitivity`` name ("rising edge", "falling edge", "high level", "low level") or value."""

    source: str = "DIO"
    sensitivity: Union[str, int] = "rising edge"


Trigger = Union[None, AnalogEdge, Digital]


def _integer(value: Any, what: str, low: int, high: int) -> int:
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{what} must be an int, not {type(value).__name__}")
    value = int(value)
    if not low <= value <= high:
        raise ValueError(f"{what} must be between {low} and {high}, not {value}")
    return value


def _real(value: Any, what: str) -> float:
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{what} must be a number, not {type(value).__name__}")
    return float(value)


def _text(value: Any, what: str, limit: Optional[int] = None) -> bytes:
    if not isinstance(value, str):
        raise TypeError(f"{what} must be a str, not {type(value).__name__}")
    encoded = value.encode("utf-8")
    if b"\0" in encoded:
        raise ValueError(f"{what} must not contain a NUL character")
    if limit is not None and len(encoded) > limit:
        raise ValueError(f"{what} is {len(encoded)} bytes long; at most {limit} are sent")
    return encoded


def _stream(stream: Any) -> int:
    return _integer(stream, "stream", 0, STREAM_COUNT - 1)


def _timeout(seconds: Any) -> int:
    seconds = _real(seconds, "timeout")
    if not 0 <= seconds <= 0xFFFFFFFF / 1000:
        raise ValueError(f"timeout must be between 0 and {0xFFFFFFFF / 1000} seconds")
    return round(seconds * 1000)


def _named(value: Union[str, int], names: dict, what: str, low: int, high: int) -> int:
    if isinstance(value, str):
        try:
            return names[value.strip().lower()]
        except KeyError:
            raise ValueError(f"{what} must be one of {', '.join(names)}, not {value!r}") from None
    return _integer(value, what, low, high)


def _int32_value(attribute: Attribute, value: Any) -> int:
    if isinstance(value, str) and attribute.values:
        for name, number in attribute.values.items():
            if name.casefold() == value.strip().casefold():
                return number
        raise ValueError(f"{attribute.name} has no value named {value!r}; "
                         f"it has {', '.join(attribute.values)}")
    return _integer(value, attribute.name, -(2**31), 2**31 - 1)


class Session:
    """An open device session; a context manager that closes it.

    Every method raises VoTarsinError for an error status of the library, warns with
    VoTarsinWarning for a warning status, and raises ValueError or TypeError for a bad
    argument before anything is sent. A closed session raises ValueError."""

    def __init__(self, handle: int, resource: str):
        self._handle: Optional[int] = handle
        self.resource = resource

    def __repr__(self) -> str:
        state = "closed" if self._handle is None else f"handle 0x{self._handle:04x}"
        return f"<votarsin.Session {self.resource!r} {state}>"

    def __enter__(self) -> "Session":
        return self

    def __exit__(self, *exc_info: Any) -> None:
        self.close()

    @property
    def handle(self) -> int:
        """The library's session handle."""
        if self._handle is None:
            raise ValueError(f"session of {self.resource!r} is closed")
        return self._handle

    @property
    def closed(self) -> bool:
        return self._handle is None

    @property
    def simulated(self) -> bool:
        """True for a simulated device (resources "SIM...")."""
        return bool(self.handle & SIMULATED)

    def _check(self, status: int, operation: str) -> int:
        return check(status, operation, self.handle, stacklevel=4)

    def close(self, attribute: int = 0) -> None:
        """Closes the session (once; later calls do nothing). ``attribute`` goes to the FPGA
        interface library unchanged."""
        attribute = _integer(attribute, "attribute", 0, 0xFFFFFFFF)
        if self._handle is None:
            return
        handle, self._handle = self._handle, None
        check(library().voTarsin_CloseSession(handle, attribute), "close", handle, stacklevel=3)

    def describe(self, code: int) -> str:
        """Text of a status code with what the driver recorded about it for this session."""
        return describe(code, self.handle)

    # ---- Simulation ----

    def restart_simulation(self, seed: int = 0) -> None:
        """Binds the simulation library on first use and returns this simulated device to its
        power-on state; ``seed`` chooses the noise of its signals.

        Must not overlap requests of any simulated session in the process."""
        seed = _integer(seed, "seed", 0, 0xFFFFFFFF)
        if not self.simulated:
            raise ValueError(f"{self.resource!r} is not a simulated device")
        status = library().voTarsin_RestartSimulation(self.handle, seed, 0, 0, 0, 0, 0, 0, 0, 0,
                                                      0, 0)
        if status == SIMULATION_UNAVAILABLE:
            raise VoTarsinError(status, "the simulation library cannot be loaded or lacks an "
                                "entry point", "restart simulation")
        self._check(status, "restart simulation")

    # ---- Attributes ----

    def get(self, attribute: Union[str, int], channel: str = "") -> Any:
        """Value of an attribute (name or ID) on one channel ("AI3", a stream number such as
        "5", or "" for the device), as int, float, str or bool by the attribute's type."""
        attr = lookup(attribute)
        name = _text(channel, "channel")
        lib, handle, op = library(), self.handle, f"get {attr.name}"
        if attr.type == "Int32":
            value = ctypes.c_int32()
            self._check(lib.voTarsin_GetAttributeInt32(handle, name, attr.id, value), op)
        elif attr.type == "UInt64":
            value = ctypes.c_uint64()
            self._check(lib.voTarsin_GetAttributeUInt64(handle, name, attr.id, value), op)
        elif attr.type == "Double":
            value = ctypes.c_double()
            self._check(lib.voTarsin_GetAttributeDouble(handle, name, attr.id, value), op)
        elif attr.type == "Boolean":
            value = ctypes.c_uint32()
            self._check(lib.voTarsin_GetAttributeBoolean(handle, name, attr.id, value), op)
            return value.value != 0
        else:
            # One byte more than the wire's field keeps a full-length text terminated.
            buffer = ctypes.create_string_buffer(STRING_SIZE + 1)
            self._check(lib.voTarsin_GetAttributeString(handle, name, attr.id, STRING_SIZE,
                                                        buffer), op)
            return buffer.value.decode("utf-8", errors="replace")
        return value.value

    def set(self, attribute: Union[str, int], value: Any, channels: str = "") -> None:
        """Writes an attribute (name or ID) on every channel of a list ("AI0-AI3,AI5"; "" for
        the device). Int32 attributes with named values also take the name ("DC")."""
        attr = lookup(attribute)
        names = _text(channels, "channels")
        lib, handle, op = library(), self.handle, f"set {attr.name}"
        if attr.type == "Int32":
            status = lib.voTarsin_SetAttributeInt32(handle, names, attr.id,
                                                    _int32_value(attr, value))
        elif attr.type == "UInt64":
            status = lib.voTarsin_SetAttributeUInt64(handle, names, attr.id,
                                                     _integer(value, attr.name, 0, 2**64 - 1))
        elif attr.type == "Double":
            status = lib.voTarsin_SetAttributeDouble(handle, names, attr.id,
                                                     _real(value, attr.name))
        elif attr.type == "Boolean":
            if not isinstance(value, (bool, np.bool_)) and value not in (0, 1):
                raise TypeError(f"{attr.name} must be a bool, not {value!r}")
            status = lib.voTarsin_SetAttributeBoolean(handle, names, attr.id, int(bool(value)))
        else:
            status = lib.voTarsin_SetAttributeString(handle, names, attr.id,
                                                     _text(value, attr.name, STRING_SIZE))
        self._check(status, op)

    # ---- Streams ----

    def configure_stream(self, stream: int = 0, channels: str = "AI0",
                         samples: Optional[int] = None) -> int:
        """Enables the analog inputs ``channels`` on ``stream`` and, with ``samples``, makes it
        a finite record of that many samples per channel. Returns the number of channels."""
        stream, names = _stream(stream), _text(channels, "channels")
        if samples is not None:
            samples = _integer(samples, "samples", 1, 2**64 - 1)
        count = ctypes.c_uint32()
        self._check(library().voTarsin_ConfigureStreamEnabledChannels(self.handle, stream, names,
                                                                      count), "enable channels")
        if samples is not None:
            self._check(library().voTarsin_ConfigureStreamFinite(self.handle, stream, samples),
                        "finite record")
        return count.value

    def trigger_immediate(self, stream: int = 0) -> None:
        """Starts ``stream`` as soon as it is started."""
        stream = _stream(stream)
        self._check(library().voTarsin_ConfigureImmediateTrigger(self.handle, stream),
                    "immediate trigger")

    def trigger_analog_edge(self, stream: int = 0, channel: str = "AI0", level: float = 0.0,
                            slope: str = "rising", hysteresis: float = 0.0) -> None:
        """Starts ``stream`` where the analog input ``channel`` crosses ``level`` volts on
        ``slope`` ("rising" or "falling"), with ``hysteresis`` volts."""
        stream, name = _stream(stream), _text(channel, "channel")
        level, hysteresis = _real(level, "level"), _real(hysteresis, "hysteresis")
        if not math.isfinite(level) or not math.isfinite(hysteresis) or hysteresis < 0:
            raise ValueError("level must be finite and hysteresis finite and not negative")
        edge = _named(slope, _SLOPES, "slope", 0, 1)
        self._check(library().voTarsin_ConfigureAnalogEdgeTrigger(self.handle, stream, name, edge,
                                                                  level, hysteresis),
                    "analog edge trigger")

    def trigger_digital(self, stream: int = 0, source: str = "DIO",
                        sensitivity: Union[str, int] = "rising edge") -> None:
        """Starts ``stream`` on the terminal ``source`` ("DIO" selects the DIO trigger) with a
        ``sensitivity`` ("rising edge", "falling edge", "high level", "low level")."""
        stream, name = _stream(stream), _text(source, "source")
        value = _named(sensitivity, _SENSITIVITIES, "sensitivity", -(2**31), 2**31 - 1)
        self._check(library().voTarsin_ConfigureDigitalStartTrigger(self.handle, stream, name,
                                                                    value), "digital trigger")

    def start(self, stream: int = 0) -> None:
        """Starts (or restarts) ``stream`` with its configuration of this moment."""
        self._check(library().voTarsin_StartStream(self.handle, _stream(stream)), "start")

    def wait(self, stream: int = 0, samples: int = 0, timeout: float = DEFAULT_TIMEOUT
             ) -> Transfer:
        """Waits up to ``timeout`` seconds until ``samples`` per channel are ready."""
        stream = _stream(stream)
        samples = _integer(samples, "samples", 0, 2**64 - 1)
        ready, state = ctypes.c_uint64(), ctypes.c_uint8()
        self._check(library().voTarsin_WaitForTransfer(self.handle, stream, samples,
                                                       _timeout(timeout), ready, state), "wait")
        return Transfer(ready.value, state.value)

    def clear(self, stream: int = 0) -> None:
        """Stops ``stream`` and drops its samples."""
        self._check(library().voTarsin_ClearStream(self.handle, _stream(stream)), "clear")

    def read(self, stream: int, samples: int, channels: Optional[int] = None, scaled: bool = True,
             out: Optional[np.ndarray] = None, timeout: float = DEFAULT_TIMEOUT) -> Reading:
        """Reads ``samples`` per channel of ``stream``: float64 volts (``scaled``) or int16
        codes, one row per enabled channel in ascending order.

        The driver writes straight into the returned array; ``out`` supplies it (dtype float64
        or int16 as ``scaled`` asks, shape (channels, samples), C-contiguous, writeable).
        ``channels`` defaults to out's rows, else to the stream's Channels In Stream."""
        stream = _stream(stream)
        samples = _integer(samples, "samples", 0, 2**63 - 1)
        dtype = np.dtype(np.float64 if scaled else np.int16)
        if channels is None and out is not None:
            # A wrong shape is reported by the check of out below.
            channels = out.shape[0] if isinstance(out, np.ndarray) and out.ndim == 2 else 1
        if channels is None:
            channels = self.get("Channels In Stream", str(stream))
        channels = _integer(channels, "channels", 1, STREAM_COUNT)
        if out is None:
            out = np.empty((channels, samples), dtype)
        else:
            _check_out(out, dtype, (channels, samples))
        info = np.zeros(channels, INFO_DTYPE)
        timeout_ms = _timeout(timeout)
        function = (library().voTarsin_ReadStream2DF64 if scaled
                    else library().voTarsin_ReadStream2DI16)
        self._check(function(self.handle, stream, timeout_ms, channels, samples, out.ctypes.data,
                             info.ctypes.data), "read")
        return Reading(out, info)

    def acquire(self, channels: str = "AI0", samples: int = 1000, stream: int = 0,
                trigger: Trigger = None, scaled: bool = True, out: Optional[np.ndarray] = None,
                timeout: float = DEFAULT_TIMEOUT) -> Reading:
        """One finite record end to end: enables ``channels`` on ``stream``, arms ``trigger``
        (None: immediate; AnalogEdge or Digital), starts, waits for ``samples`` per channel,
        reads them (as read()) and clears the stream, also after a failure."""
        if trigger is not None and not isinstance(trigger, (AnalogEdge, Digital)):
            raise TypeError("trigger must be None, AnalogEdge or Digital")
        count = self.configure_stream(stream, channels, samples)
        try:
            if trigger is None:
                self.trigger_immediate(stream)
            elif isinstance(trigger, AnalogEdge):
                self.trigger_analog_edge(stream, trigger.channel, trigger.level, trigger.slope,
                                         trigger.hysteresis)
            else:
                self.trigger_digital(stream, trigger.source, trigger.sensitivity)
            self.start(stream)
            self.wait(stream, samples, timeout)
            reading = self.read(stream, samples, count, scaled, out, timeout)
        except BaseException:
            # The first failure is the one to report.
            with contextlib.suppress(VoTarsinError, ValueError):
                self.clear(stream)
            raise
        self.clear(stream)
        return reading


def _check_out(out: Any, dtype: np.dtype, shape: tuple) -> None:
    if not isinstance(out, np.ndarray):
        raise TypeError(f"out must be a numpy array, not {type(out).__name__}")
    if out.dtype != dtype:
        raise TypeError(f"out must have dtype {dtype}, not {out.dtype}")
    if out.shape != shape:
        raise ValueError(f"out must have shape {shape}, not {out.shape}")
    if not out.flags.c_contiguous:
        raise ValueError("out must be C-contiguous")
    if not out.flags.writeable:
        raise ValueError("out must be writeable")


def open(resource: str, image: Optional[str] = None, attribute: int = 0) -> Session:
    """Opens ``resource`` ("RIO0", "SIM0", ...) with the FPGA image ``image`` (None: the
    default image). Use the session as a context manager, or close() it."""
    name = _text(resource, "resource")
    image_name = None if image is None else _text(image, "image")
    attribute = _integer(attribute, "attribute", 0, 0xFFFFFFFF)
    handle = ctypes.c_uint32()
    check(library().voTarsin_OpenSession(name, image_name, attribute, handle), "open " + resource)
    return Session(handle.value, resource)
