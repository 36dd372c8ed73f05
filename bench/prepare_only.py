#!/usr/bin/env python3
"""Times a whole `tavo-setup --prepare-only` run on a package of about 2,000 files and 1 GiB, beside the script
a user would otherwise write (openssl dgst -sha256 over the manifests' files, then cp -r of the trees), in
alternating runs with a warm page cache. Prints both medians and their ratio.

    bench/prepare_only.py [--setup build/native/bin/tavo-setup] [--runs 7] [--work build/bench]
"""

import argparse
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))


def make_big_package(work: Path, setup: Path, files: int, total_bytes: int) -> Path:
    import setup_package  # noqa: E402
    package = setup_package.make_package(work, "Paket", program=setup)
    size = total_bytes // files
    block = os.urandom(1 << 20)
    names = []
    for i in range(files):
        rel = f"{['App/Lib', 'Tavo/Samples', 'Presets/Werk'][i % 3]}/gruppe-{i // 100:02d}/teil-{i:05d}.bin"
        path = package.source / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        with open(path, "wb") as out:
            left = size
            while left > 0:
                chunk = block[(i * 4096) % (1 << 19):][:left] if left < (1 << 19) else block[:min(left, 1 << 20)]
                out.write(chunk)
                left -= len(chunk)
            out.write(i.to_bytes(8, "little"))  # every file different
        names.append(rel)
    existing = [line.split("  ", 1)[1] for line in
                (package.source / "SHA256SUMS.txt").read_text(encoding="utf-8").splitlines()]
    all_names = sorted(set(existing) | set(names))
    with open(package.source / "SHA256SUMS.txt", "w", encoding="utf-8", newline="\n") as manifest:
        for rel in all_names:
            digest = hashlib.sha256((package.source / rel).read_bytes()).hexdigest()
            manifest.write(f"{digest}  {rel}\n")
    return package.root


def user_script(package: Path, target: Path, sync: bool = False) -> list:
    """What a user would otherwise run: check the manifests with openssl, then copy the trees (and, as a careful
    user would before calling it done, sync them to the disk)."""
    source = package / "Originalsoftware"
    return ["sh", "-c",
            'set -e; cd "$1/Dateien" && cut -c67- SHA256SUMS.txt | tr "\\n" "\\0" | xargs -0 openssl dgst -sha256 -r >/dev/null;'
            ' cd "$2" && cut -c67- SHA256SUMS.txt | tr "\\n" "\\0" | xargs -0 openssl dgst -sha256 -r >/dev/null;'
            ' mkdir -p "$3" && cp -r "$2/App" "$2/Tavo" "$2/Presets" "$3/"' + ('; sync' if sync else ''),
            "user-script", str(package), str(source), str(target)]


def timed(command) -> float:
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def big_package_arguments(work_name: str) -> argparse.ArgumentParser:
    """The options of a benchmark on the big package: the setup program, runs, work folder, files and bytes."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", default=str(ROOT / "build" / "native" / "bin" / "tavo-setup"))
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--work", default=str(ROOT / "build" / work_name))
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--bytes", type=int, default=1 << 30)
    return parser


def fresh_big_package(args) -> Path:
    """The big package, made anew in an emptied work folder."""
    work = Path(args.work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    return make_big_package(work, Path(args.setup), args.files, args.bytes)


def main():
    parser = big_package_arguments("bench")
    parser.add_argument("--sync", action="store_true",
                        help="the user's script ends with sync (the setup makes its installation durable itself)")
    args = parser.parse_args()
    package = fresh_big_package(args)
    work = package.parent
    count = sum(len(f) for _, _, f in os.walk(package / "Originalsoftware"))
    size = sum((Path(d) / f).stat().st_size for d, _, fs in os.walk(package / "Originalsoftware") for f in fs)
    print(f"package: {count} files, {size / (1 << 30):.2f} GiB in {package}")

    ours, theirs = [], []
    target = work / "Ziel"
    for run in range(args.runs + 1):  # the first pair only warms the page cache
        for name, command, times in (("tavo-setup", [str(package / "tavo-setup"), "--prepare-only", "--target",
                                                      str(target)], ours),
                                     ("script", user_script(package, target, args.sync), theirs)):
            shutil.rmtree(target, ignore_errors=True)
            subprocess.run(["sync"], check=True)
            seconds = timed(command)
            if name == "tavo-setup":
                result = (package / "Setup-Ergebnis.txt").read_text()
                if not result.startswith("OK"):
                    sys.exit(f"setup failed: {result}")
            if run > 0:
                times.append(seconds)
            print(f"run {run}: {name:10s} {seconds:6.2f} s{'  (warm-up)' if run == 0 else ''}", flush=True)
    shutil.rmtree(target, ignore_errors=True)

    ours_median, theirs_median = statistics.median(ours), statistics.median(theirs)
    print(f"median {'tavo-setup --prepare-only:':26s} {ours_median:.2f} s")
    script = "openssl dgst + cp -r" + (" + sync" if args.sync else "") + ":"
    print(f"median {script:26s} {theirs_median:.2f} s")
    print(f"ratio: {ours_median / theirs_median:.3f} (goal: at most 1.15)")


if __name__ == "__main__":
    main()
