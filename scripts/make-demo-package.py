#!/usr/bin/env python3
"""Makes a complete demo setup package in the given folder (see tests/e2e/tavo_e2e.py)."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import tavo_e2e  # noqa: E402

parent = Path(sys.argv[1])
package = tavo_e2e.make_package(parent, "Paket")
print(f"made {package.root}")
