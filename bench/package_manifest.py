#!/usr/bin/env python3
"""Times `tavo-package manifest` on the original software of a package of about 2,000 files and 1 GiB (made as in
bench/prepare_only.py) beside `openssl dgst -sha256` over the same files, in alternating runs with a warm page
cache. Prints both medians and their ratio (goal: at most 1.05).

    bench/package_manifest.py [--tool build/native/bin/tavo-package] [--runs 7] [--work build/bench-package]
"""

import argparse
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "bench"))
from prepare_only import make_big_package  # noqa: E402


def timed(command) -> float:
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default=str(ROOT / "build" / "native" / "bin" / "tavo-package"))
    parser.add_argument("--setup", default=str(ROOT / "build" / "native" / "bin" / "tavo-setup"))
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--work", default=str(ROOT / "build" / "bench-package"))
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--bytes", type=int, default=1 << 30)
    args = parser.parse_args()

    work = Path(args.work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    source = make_big_package(work, Path(args.setup), args.files, args.bytes) / "Originalsoftware"
    names = (source / "SHA256SUMS.txt").read_text(encoding="utf-8").splitlines()
    size = sum((source / line[66:]).stat().st_size for line in names)
    print(f"software: {len(names)} files, {size / (1 << 30):.2f} GiB in {source}")

    commands = {
        "tavo-package manifest": [args.tool, "manifest", str(source)],
        # The same files, named in the manifest that the last run wrote.
        "openssl dgst -sha256": ["sh", "-c", 'cd "$1" && cut -c67- SHA256SUMS.txt | tr "\\n" "\\0" | '
                                 'xargs -0 openssl dgst -sha256 -r >/dev/null', "openssl", str(source)],
    }
    times = {name: [] for name in commands}
    for run in range(args.runs + 1):  # the first pair only warms the page cache
        for name, command in commands.items():
            seconds = timed(command)
            if run > 0:
                times[name].append(seconds)
            print(f"run {run}: {name:22s} {seconds:6.2f} s{'  (warm-up)' if run == 0 else ''}", flush=True)

    ours, theirs = (statistics.median(times[name]) for name in commands)
    print(f"median tavo-package manifest: {ours:.2f} s")
    print(f"median openssl dgst -sha256:  {theirs:.2f} s")
    print(f"ratio: {ours / theirs:.3f} (goal: at most 1.05)")


if __name__ == "__main__":
    main()
