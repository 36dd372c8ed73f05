#!/usr/bin/env python3
"""Times `tavo-package manifest` on the original software of a package of about 2,000 files and 1 GiB (made as in
bench/prepare_only.py) beside `openssl dgst -sha256` over the same files, in alternating runs with a warm page
cache. Prints both medians and their ratio (goal: at most 1.05).

    bench/package_manifest.py [--tool build/native/bin/tavo-package] [--runs 7] [--work build/bench-package]
"""

import statistics
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "bench"))
from prepare_only import big_package_arguments, fresh_big_package, timed  # noqa: E402


def main():
    parser = big_package_arguments("bench-package")
    parser.add_argument("--tool", default=str(ROOT / "build" / "native" / "bin" / "tavo-package"))
    args = parser.parse_args()
    source = fresh_big_package(args) / "Originalsoftware"
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
