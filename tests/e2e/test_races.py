"""Setups started at once on the same target: exactly one installs, every other one is refused at the final
rename ("Cannot finalize installation"), and the target is the complete installation, as a single run makes it.

The overlap is made certain, not hoped for: the test build's door holds every run just before its final rename
(TAVO_DOOR pause) until all of them have got there, each having found the target missing and filled a staging
folder of its own; then all are let go at once."""

import os
import shutil
import subprocess
import time
from pathlib import Path

from tavo_e2e import EOL, OK_REPORT, WINDOWS, TempFolderTest, main, make_package, setup_command, winpath

RENAME_CALL = "MoveFileExW" if WINDOWS else "renameat2"


def linked_copy(package, parent: Path, name: str):
    """Another package with the same files (hard links), so that each run has a result file of its own."""
    shutil.copytree(package.root, parent / name, copy_function=os.link)
    return type(package)(parent / name, package.exe.name)


def tree(root: Path) -> dict:
    return {p.relative_to(root).as_posix(): (p.read_bytes() if p.is_file() else None) for p in root.rglob("*")}


def run_held_at_rename(commands, pause_folders, env, final_rename: int, timeout=600):
    """Starts the commands, each held by the door just before its final rename (its rename number
    `final_rename`); once every one is held, lets all go together. Their exit codes."""
    processes = []
    for command, folder in zip(commands, pause_folders):
        folder.mkdir()
        run_env = dict(env, TAVO_DOOR=f"pause={RENAME_CALL}:{final_rename}:{winpath(folder)}")
        processes.append(subprocess.Popen(command, env=run_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    deadline = time.monotonic() + timeout
    while not all((folder / "paused").exists() for folder in pause_folders):
        exited = [p.returncode for p in processes if p.poll() is not None]
        if exited or time.monotonic() > deadline:
            for p in processes:
                p.kill()
            raise AssertionError(f"not every run reached its final rename (exited: {exited})")
        time.sleep(0.05)
    for folder in pause_folders:
        (folder / "go").touch()
    return [p.wait(timeout=timeout) for p in processes]


class Races(TempFolderTest):
    def race(self, count: int):
        first = make_package(self.tmp, "Paket-0")
        packages = [first] + [linked_copy(first, self.tmp, f"Paket-{i}") for i in range(1, count)]
        target = self.tmp / "Ziele" / "Tessaroll TAVO-x64"

        # What a single run installs at that path, and which of its renames is the final one: the last (files
        # replaced in the staging folder are renamed into place before it).
        record = self.tmp / "aufrufe.txt"
        single = subprocess.run(setup_command(first, "--prepare-only", "--target", winpath(target)),
                                env=dict(self.env, TAVO_DOOR=f"record={winpath(record)}"), capture_output=True,
                                timeout=900)
        self.assertEqual(single.returncode, 0, single.stderr)
        final_rename = record.read_text().split().count(RENAME_CALL)
        self.assertGreater(final_rename, 0)
        expected = tree(target)
        shutil.move(str(target), str(self.tmp / "einzeln"))
        first.result_file.unlink()

        codes = run_held_at_rename(
            [setup_command(p, "--prepare-only", "--target", winpath(target)) for p in packages],
            [self.tmp / f"halt-{i}" for i in range(count)], self.env, final_rename)
        staging = sorted(p.name for p in target.parent.iterdir() if ".vorbereitung-" in p.name)
        self.assertEqual(len(staging), count - 1, f"exit codes {codes}, staging {staging}")
        self.assertEqual(sorted(codes), [0] + [1] * (count - 1))
        for package, code in zip(packages, codes):
            if code == 0:
                self.assertEqual(package.result(), OK_REPORT)
            else:
                self.assertTrue(package.result().startswith(b"ERROR" + EOL + b"Cannot finalize installation: "),
                                package.result())
        self.assertEqual(tree(target), expected)

    def test_two_setups_at_once(self):
        self.race(2)

    def test_eight_setups_at_once(self):
        self.race(8)


if __name__ == "__main__":
    main()
