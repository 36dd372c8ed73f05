#!/usr/bin/env python3
"""What the progress costs: whole runs of tavo-setup on the package of bench/prepare_only.py (about 2,000 files
and 1 GiB), in alternating runs with a warm page cache:

- "prepare-only": `--prepare-only`, which shows no progress; with --baseline, the same run of another build
  (for instance one without the progress) beside it, to show that it is unchanged;
- "no terminal": a confirmed run ("ja" on standard input) with standard error not a terminal: no progress line;
- "terminal": the same run with standard error on a pseudo-terminal: the progress line is drawn.

Prints the medians, the fastest runs and the ratios; the goal is terminal / no terminal at most 1.02.

    bench/progress_line.py [--setup build/native/bin/tavo-setup] [--baseline other/tavo-setup] [--runs 7]
"""

import os
import pty
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from prepare_only import big_package_arguments, fresh_big_package  # noqa: E402


def timed_on_terminal(command) -> float:
    """Runs the command with standard error on a pseudo-terminal whose output is read and dropped."""
    controller, terminal = pty.openpty()
    start = time.perf_counter()
    process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=terminal)
    os.close(terminal)
    process.stdin.write(b"ja\n")
    process.stdin.close()
    while True:
        try:
            if not os.read(controller, 65536):
                break
        except OSError:  # the other side is closed
            break
    process.wait()
    seconds = time.perf_counter() - start
    os.close(controller)
    return seconds


def timed_without_terminal(command) -> float:
    start = time.perf_counter()
    subprocess.run(command, input=b"ja\n", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - start


def main():
    parser = big_package_arguments("bench-progress")
    parser.add_argument("--baseline", help="another tavo-setup to time --prepare-only beside this one")
    args = parser.parse_args()
    package = fresh_big_package(args)
    sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
    import tavo_e2e  # noqa: E402  (reads TAVO_SETUP, set by fresh_big_package)
    # A device-check stand-in that finds the binding ready, so that the confirmed runs end with OK.
    tools = Path(args.setup).resolve().parent.parent / "test-tools"
    shutil.copy2(tools / "recording_tool", package / "Dateien" / "device_binding.exe")
    tavo_e2e.write_manifest(package / "Dateien", tavo_e2e.PAYLOAD_NAMES)
    if args.baseline:
        shutil.copy2(args.baseline, package / "tavo-setup-baseline")

    target = package.parent / "Ziel"
    program = str(package / "tavo-setup")
    kinds = [("prepare-only", lambda: timed_without_terminal([program, "--prepare-only", "--target", str(target)])),
             ("no terminal", lambda: timed_without_terminal([program, "--target", str(target)])),
             ("terminal", lambda: timed_on_terminal([program, "--target", str(target)]))]
    if args.baseline:
        baseline = str(package / "tavo-setup-baseline")
        kinds.insert(1, ("prepare-only baseline",
                         lambda: timed_without_terminal([baseline, "--prepare-only", "--target", str(target)])))
    times = {name: [] for name, _ in kinds}
    for run in range(args.runs + 1):  # the first round only warms the page cache
        for name, timed in kinds:
            shutil.rmtree(target, ignore_errors=True)
            subprocess.run(["sync"], check=True)
            seconds = timed()
            result = (package / "Setup-Ergebnis.txt").read_text()
            if not result.startswith("OK"):
                sys.exit(f"{name}: setup failed: {result}")
            if run > 0:
                times[name].append(seconds)
            print(f"run {run}: {name:22s} {seconds:6.2f} s{'  (warm-up)' if run == 0 else ''}", flush=True)
    shutil.rmtree(target, ignore_errors=True)

    # On a shared machine the fastest run is the steadier figure; both are shown.
    for label, measure in (("median", statistics.median), ("fastest", min)):
        figures = {name: measure(values) for name, values in times.items()}
        for name, seconds in figures.items():
            print(f"{label} {name:22s} {seconds:6.2f} s")
        if args.baseline:
            print(f"{label} ratio prepare-only / baseline: "
                  f"{figures['prepare-only'] / figures['prepare-only baseline']:.3f}")
        print(f"{label} ratio terminal / no terminal: {figures['terminal'] / figures['no terminal']:.3f} "
              "(goal: at most 1.02)")


if __name__ == "__main__":
    main()
