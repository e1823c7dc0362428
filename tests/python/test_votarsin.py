"""The Python package against the stand-ins: numbers, buffers, errors, warnings, threads."""

import os
import re
import subprocess
import sys
import threading
import warnings
from pathlib import Path

import numpy as np
import pytest

import votarsin

ROOT = Path(__file__).resolve().parents[2]
TRIGGER = votarsin.AnalogEdge("AI0", level=0.2, slope="rising", hysteresis=0.01)


def test_triggered_acquisition_equals_the_c_example(sim):
    example = subprocess.run([os.environ["VOTARSIN_ACQUIRE_EXAMPLE"]], capture_output=True,
                             text=True, check=True).stdout.splitlines()
    data, info = sim.acquire("AI0-AI3", 1000, trigger=TRIGGER)
    assert example[0] == "AI0,AI1,AI2,AI3"
    ours = [",".join(f"{v:.6f}" for v in column) for column in data.T]
    assert ours == example[1:]
    assert list(info["channel"]) == [0, 1, 2, 3]
    assert set(info["samples"]) == {1000}
    assert set(info["flags"]) == {votarsin.INFO_TRIGGERED | votarsin.INFO_FINITE}
    assert data[0, 0] >= 0.2 and info["t0"][0] == info["trigger_index"][0] * info["dt"][0]


def test_read_writes_into_the_given_array(sim):
    volts = np.full((4, 500), np.nan)
    address = volts.ctypes.data
    reading = sim.acquire("AI0-AI3", 500, trigger=TRIGGER, out=volts)
    assert reading.data is volts and volts.ctypes.data == address
    assert not np.isnan(volts).any()

    codes = np.zeros((4, 500), np.int16)
    raw = sim.acquire("AI0-AI3", 500, trigger=TRIGGER, scaled=False, out=codes)
    assert raw.data is codes and codes.any()
    gain = raw.info["gain"][:, None]
    assert np.array_equal(codes * gain + raw.info["offset"][:, None], volts)


def test_bad_arguments_are_refused_before_anything_is_sent(sim, model):
    sim.configure_stream(0, "AI0-AI1", 100)
    before = model.simulated_requests()
    with pytest.raises(TypeError):
        sim.read(0, 100, out=np.zeros((2, 100), np.float32))
    with pytest.raises(ValueError):
        sim.read(0, 100, out=np.zeros((2, 99)))
    with pytest.raises(ValueError):
        sim.read(0, 100, out=np.zeros((2, 200))[:, ::2])
    with pytest.raises(ValueError):
        sim.read(64, 100, channels=2)
    with pytest.raises(TypeError):
        sim.set("AI Range", "wide", channels="AI0")
    with pytest.raises(ValueError):
        sim.set("Stream FIFO Size", -1, channels="0")
    with pytest.raises(ValueError):
        sim.get("No Such Attribute")
    with pytest.raises(ValueError):
        sim.get(0x1000FFFF)
    with pytest.raises(ValueError):
        sim.trigger_analog_edge(0, "AI0", level=float("nan"))
    assert model.simulated_requests() == before


def test_errors_carry_code_and_text(sim):
    with pytest.raises(votarsin.VoTarsinError) as refused:
        sim.set("FPGA Temperature", 50.5)
    assert isinstance(refused.value, RuntimeError)
    assert refused.value.code == -61014
    assert "read-only" in refused.value.text and "50.5" in refused.value.text
    assert refused.value.text == sim.describe(-61014)

    with pytest.raises(votarsin.VoTarsinError) as syntax:
        sim.set("AI Range", 2.0, channels="AI0,bogus")
    assert syntax.value.code == -304419
    assert syntax.value.text == votarsin.describe(-304419)


def test_attributes_by_name_or_id_typed_by_class(sim):
    header = re.sub(r"\\\n\s*", " ", (ROOT / "include" / "votarsinapi.h").read_text())
    declared = {int(i, 16): (kind, name) for i, kind, name in re.findall(
        r"#define VOTARSIN_ATTR_\w+\s+(0x[0-9A-F]+)u\s*/\*\s*(\w+): (.*?)\s*\*/", header)}
    assert {a.id: (a.type, a.name) for a in votarsin.attributes} == declared

    sim.set("ai coupling", "AC", channels="AI0-AI3")
    assert sim.get(0x10000011, "AI3") == 0
    sim.set(0x20000010, 0.5, channels="AI2")  # AI Range by ID
    assert sim.get("AI Scaling Gain", "AI2") == 0.5 / 8192
    assert sim.get("Stream FIFO Name", "5") == "stream5"
    assert sim.get("IO Ready") is False
    assert isinstance(sim.get("Calibration Date/Time"), int)


def test_closed_session_raises():
    with votarsin.open("SIM0") as session:
        pass
    assert session.closed
    with pytest.raises(ValueError, match="closed"):
        session.get("ADC Resolution")
    session.close()  # a second close does nothing


def test_warnings_are_warnings(sim, model):
    model.answer_every_request(61500)
    with pytest.warns(votarsin.VoTarsinWarning) as caught:
        sim.set("AI Range", 0.5, channels="AI0")
    assert [w.message.code for w in caught] == [61500]
    with warnings.catch_warnings():
        warnings.simplefilter("error", votarsin.VoTarsinWarning)
        with pytest.raises(votarsin.VoTarsinWarning):
            sim.start(0)


def test_two_threads_acquire_their_own_data():
    jobs = {"SIM0": ("AI0-AI3", 1), "SIM1": ("AI4-AI7", 2)}
    sessions = {name: votarsin.open(name) for name in jobs}
    try:
        for name, (_, seed) in jobs.items():
            sessions[name].restart_simulation(seed=seed)
        expected = {n: sessions[n].acquire(jobs[n][0], 2000).data for n in jobs}
        assert not np.array_equal(expected["SIM0"], expected["SIM1"])
        mismatches = []

        def run(name):
            for _ in range(25):
                data = sessions[name].acquire(jobs[name][0], 2000).data
                if not np.array_equal(data, expected[name]):
                    mismatches.append(name)

        threads = [threading.Thread(target=run, args=(name,)) for name in jobs]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        assert mismatches == []
    finally:
        for session in sessions.values():
            session.close()


def test_library_lookup_and_command_line():
    env = dict(os.environ, VOTARSIN_LIBRARY="/nonexistent/libvotarsinapi.so")
    failed = subprocess.run([sys.executable, "-m", "votarsin", "info", "SIM0"], env=env,
                            capture_output=True, text=True)
    assert failed.returncode == 1 and "/nonexistent/libvotarsinapi.so" in failed.stderr

    shown = subprocess.run([sys.executable, "-m", "votarsin", "info", "SIM0"],
                           capture_output=True, text=True, check=True).stdout
    assert re.search(r"^  ADC Resolution +14$", shown, re.M)
    assert re.search(r"^  Stream FIFO Name", shown, re.M) is None  # a stream's, not the device's
