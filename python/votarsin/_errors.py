"""Statuses of the library as Python exceptions and warnings."""

from __future__ import annotations

import ctypes
import warnings
from typing import Any

from ._library import library

# Large enough for a device error's full report.
_TEXT_SIZE = 8192

# A restart that cannot reach the simulation library answers -1, which is not described.
SIMULATION_UNAVAILABLE = -1


def describe(code: int, session: Any = None) -> str:
    """Text of a status code; with a session (a Session or its handle), including what the
    driver recorded about its last failure with that code."""
    if not isinstance(code, int) or isinstance(code, bool):
        raise TypeError(f"code must be an int, not {type(code).__name__}")
    if not -(2**31) <= code < 2**31:
        raise ValueError(f"code {code} is not a 32-bit status")
    handle = 0 if session is None else int(getattr(session, "handle", session))
    buffer = ctypes.create_string_buffer(_TEXT_SIZE)
    status = library().voTarsin_GetError(handle, code, _TEXT_SIZE, buffer)
    if status != 0:
        return f"status {code} (its description failed with status {status})"
    return buffer.value.decode("utf-8", errors="replace")


class VoTarsinError(RuntimeError):
    """A call of the library failed: ``code`` is its negative status, ``text`` its description."""

    def __init__(self, code: int, text: str, operation: str = ""):
        self.code = code
        self.text = text
        self.operation = operation
        prefix = f"{operation}: " if operation else ""
        super().__init__(f"{prefix}{text} (status {code})")


class VoTarsinWarning(UserWarning):
    """A call of the library succeeded with a warning: ``code`` is its positive status."""

    def __init__(self, code: int, text: str, operation: str = ""):
        self.code = code
        self.text = text
        self.operation = operation
        prefix = f"{operation}: " if operation else ""
        super().__init__(f"{prefix}{text} (status {code})")


def check(status: int, operation: str, session: int = 0, stacklevel: int = 3) -> int:
    """Raises VoTarsinError for a negative status, warns VoTarsinWarning for a positive one."""
    if status < 0:
        raise VoTarsinError(status, describe(status, session), operation)
    if status > 0:
        warnings.warn(VoTarsinWarning(status, describe(status, session), operation),
                      stacklevel=stacklevel)
    return status
