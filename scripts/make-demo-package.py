#!/usr/bin/env python3
"""Makes a complete demo setup package in the given folder (see tests/e2e/setup_package.py), with the program
$TAVO_SETUP in its root and the stand-in from $TAVO_TOOLS_DIR. The package's
device-check tool and driver installer are the test build's recording stand-in: the check reports a missing
binding (exit code 3), the installer establishes it (exit code 0)."""

import os
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import setup_package  # noqa: E402

parent = Path(sys.argv[1])
program = Path(os.environ["TAVO_SETUP"])
stand_in = Path(os.environ["TAVO_TOOLS_DIR"]) / ("recording_tool" + program.suffix)
package = setup_package.make_package(parent, "Paket", program=program,
                                     tools={"device_binding.exe": stand_in, "TAVO-Treiber-installieren.exe": stand_in})
# The stand-in takes its exit code from the nearest "<name>.exitcode" above it.
(parent / "device_binding.exitcode").write_text("3\n")
(parent / "TAVO-Treiber-installieren.exitcode").write_text("0\n")
print(f"made {package.root}")
