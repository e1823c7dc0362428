"""python3 -m votarsin info RESOURCE: what a device says about itself."""

from __future__ import annotations

import argparse
import sys
import warnings
from typing import List, Optional

from . import VoTarsinError, attributes, library_path, open as open_session


def _readable(session, channel: str):
    """(name, value) of every attribute the device answers on ``channel``."""
    rows = []
    for attribute in attributes:
        try:
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                rows.append((attribute.name, session.get(attribute.id, channel)))
        except VoTarsinError:
            pass  # not an attribute of this channel
    return rows


def _format(value) -> str:
    return f"{value:.6g}" if isinstance(value, float) else repr(value) if isinstance(
        value, str) else str(value)


def info(resource: str, channels: bool) -> int:
    with open_session(resource) as session:
        if session.simulated:
            # Binds the simulation library, which answers simulated sessions; in a fresh
            # process the device is at its power-on state anyway.
            session.restart_simulation()
        print(f"{resource}: session 0x{session.handle:04x}"
              f"{' (simulated)' if session.simulated else ''}")
        print(f"  library: {library_path()}")
        for name, value in _readable(session, ""):
            print(f"  {name:<38} {_format(value)}")
        if channels:
            for n in range(session.get("AI Channel Count")):
                print(f"  AI{n}")
                for name, value in _readable(session, f"AI{n}"):
                    print(f"    {name:<36} {_format(value)}")
    return 0


def main(argv: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(prog="python3 -m votarsin",
                                     description="Tarsin device sessions from the shell.")
    commands = parser.add_subparsers(dest="command", required=True)
    show = commands.add_parser("info", help="show a device's attributes")
    show.add_argument("resource", help='resource name, such as "RIO0" or "SIM0"')
    show.add_argument("--channels", action="store_true", help="also each analog input's")
    args = parser.parse_args(argv)
    try:
        return info(args.resource, args.channels)
    except BrokenPipeError:
        # The reader went away (`| head`); what it wanted it has.
        sys.stdout = None
        return 0
    except (VoTarsinError, OSError) as error:
        print(f"votarsin: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
