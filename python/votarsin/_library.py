"""Finds and loads the votarsinapi shared library and declares its C prototypes."""

from __future__ import annotations

import ctypes
import os
import sys
import threading
from ctypes import POINTER, c_char_p, c_double, c_int32, c_size_t, c_uint8, c_uint32, c_uint64
from pathlib import Path
from typing import List, Optional

ENVIRONMENT_VARIABLE = "VOTARSIN_LIBRARY"

if sys.platform == "win32":
    _FILE_NAMES = ["votarsinapi.dll"]
elif sys.platform == "darwin":
    _FILE_NAMES = ["libvotarsinapi.0.dylib", "libvotarsinapi.dylib"]
else:
    _FILE_NAMES = ["libvotarsinapi.so.0", "libvotarsinapi.so"]

_u32p = POINTER(c_uint32)
_u64p = POINTER(c_uint64)
_void = ctypes.c_void_p

# name: (argument types); every function returns int32_t.
_PROTOTYPES = {
    "voTarsin_OpenSession": (c_char_p, c_char_p, c_uint32, _u32p),
    "voTarsin_CloseSession": (c_uint32, c_uint32),
    "voTarsin_GetAttributeInt32": (c_uint32, c_char_p, c_uint32, POINTER(c_int32)),
    "voTarsin_GetAttributeUInt64": (c_uint32, c_char_p, c_uint32, _u64p),
    "voTarsin_GetAttributeDouble": (c_uint32, c_char_p, c_uint32, POINTER(c_double)),
    "voTarsin_GetAttributeString": (c_uint32, c_char_p, c_uint32, c_size_t, c_char_p),
    "voTarsin_GetAttributeBoolean": (c_uint32, c_char_p, c_uint32, _u32p),
    "voTarsin_SetAttributeInt32": (c_uint32, c_char_p, c_uint32, c_int32),
    "voTarsin_SetAttributeUInt64": (c_uint32, c_char_p, c_uint32, c_uint64),
    "voTarsin_SetAttributeDouble": (c_uint32, c_char_p, c_uint32, c_double),
    "voTarsin_SetAttributeString": (c_uint32, c_char_p, c_uint32, c_char_p),
    "voTarsin_SetAttributeBoolean": (c_uint32, c_char_p, c_uint32, c_uint32),
    "voTarsin_RestartSimulation": (c_uint32, c_uint32, c_uint64, c_uint64, c_uint64, c_uint64,
                                   c_uint64, c_uint32, c_uint64, c_uint64, c_uint64, c_uint64),
    "voTarsin_ConfigureStreamEnabledChannels": (c_uint32, c_uint32, c_char_p, _u32p),
    "voTarsin_ConfigureStreamFinite": (c_uint32, c_uint32, c_uint64),
    "voTarsin_StartStream": (c_uint32, c_uint32),
    "voTarsin_WaitForTransfer": (c_uint32, c_uint32, c_uint64, c_uint32, _u64p, POINTER(c_uint8)),
    "voTarsin_ClearStream": (c_uint32, c_uint32),
    "voTarsin_ReadStream2DI16": (c_uint32, c_uint32, c_uint32, c_uint64, c_uint64, _void, _void),
    "voTarsin_ReadStream2DF64": (c_uint32, c_uint32, c_uint32, c_uint64, c_uint64, _void, _void),
    "voTarsin_ConfigureImmediateTrigger": (c_uint32, c_uint32),
    "voTarsin_ConfigureDigitalStartTrigger": (c_uint32, c_uint32, c_char_p, c_int32),
    "voTarsin_ConfigureAnalogEdgeTrigger": (c_uint32, c_uint32, c_char_p, c_int32, c_double,
                                            c_double),
    "voTarsin_GetError": (c_uint32, c_int32, c_uint64, c_char_p),
}


def _installed_beside(package: Path) -> List[Path]:
    """Directories of a library installed with the package: the package's own, and those of
    the installation prefix that holds it (PREFIX/lib/python3.X/site-packages/votarsin gives
    PREFIX/lib, and PREFIX/bin for a DLL)."""
    places = [package]
    for ancestor in package.parents:
        if ancestor.name.lower() == "lib":
            places += [ancestor, ancestor.parent / "bin"]
            break
    return places


def _candidates() -> List[str]:
    """Where to look, in order: the variable alone when set, else beside the package, else the
    system loader's search by file name."""
    explicit = os.environ.get(ENVIRONMENT_VARIABLE)
    if explicit:
        return [explicit]
    beside = [str(place / name) for place in _installed_beside(Path(__file__).resolve().parent)
              for name in _FILE_NAMES if (place / name).exists()]
    return beside + list(_FILE_NAMES)


def _declare(lib: ctypes.CDLL) -> ctypes.CDLL:
    for name, argtypes in _PROTOTYPES.items():
        function = getattr(lib, name)
        function.argtypes = argtypes
        function.restype = c_int32
    return lib


_lock = threading.Lock()
_library: Optional[ctypes.CDLL] = None


def library() -> ctypes.CDLL:
    """The loaded library, loaded on first use.

    Raises OSError naming every place tried when none of them loads."""
    global _library
    with _lock:
        if _library is None:
            failures = []
            for candidate in _candidates():
                try:
                    _library = _declare(ctypes.CDLL(candidate))
                    break
                except (OSError, AttributeError) as error:
                    failures.append(f"  {candidate}: {error}")
            else:
                tried = "\n".join(failures)
                raise OSError(
                    f"cannot load the votarsinapi library; tried\n{tried}\n"
                    f"Set {ENVIRONMENT_VARIABLE} to the library's path, or install it where "
                    "the system loader finds it.")
        return _library


def library_path() -> str:
    """File name the library was loaded from (as given to the loader)."""
    return library()._name
