"""Runs the package from the source tree against the build's library and stand-ins."""

import ctypes
import os
from pathlib import Path

import pytest

if not os.environ.get("VOTARSIN_LIBRARY"):
    raise pytest.UsageError("set VOTARSIN_LIBRARY to the built libvotarsinapi.so")

import votarsin  # noqa: E402

LIB_DIR = Path(os.environ["VOTARSIN_LIBRARY"]).resolve().parent
SIMULATION_ROUTE = 1


class Model:
    """The device model's test control, shared with the library through the stand-ins."""

    HOOK = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p,
                            ctypes.POINTER(ctypes.c_int32))

    def __init__(self):
        self.lib = ctypes.CDLL(str(LIB_DIR / "libvodevicemodel.so"))
        self.lib.VoDev_RequestCount.restype = ctypes.c_uint64
        self.lib.VoDev_RequestCount.argtypes = [ctypes.c_int]
        self.lib.VoDev_SetRequestHook.argtypes = [self.HOOK, ctypes.c_void_p]
        self.lib.VoDev_SetRequestHook.restype = None
        self._hook = None

    def simulated_requests(self) -> int:
        return self.lib.VoDev_RequestCount(SIMULATION_ROUTE)

    def answer_every_request(self, status: int) -> None:
        """Answers every request with ``status`` instead of the model."""
        def hook(context, request, out):
            out[0] = status
            return 1
        self._hook = self.HOOK(hook)
        self.lib.VoDev_SetRequestHook(self._hook, None)

    def remove_hook(self) -> None:
        self.lib.VoDev_SetRequestHook(self.HOOK(), None)
        self._hook = None


@pytest.fixture
def model():
    m = Model()
    yield m
    m.remove_hook()


@pytest.fixture
def sim():
    """SIM0 at its power-on state, noise seed 1."""
    with votarsin.open("SIM0") as session:
        session.restart_simulation(seed=1)
        yield session
