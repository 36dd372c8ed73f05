"""Setups started at once on the same target: exactly one installs, every other one is refused at the final
rename ("Cannot finalize installation"), and the target is the complete installation, as a single run makes it.

The runs are held behind a barrier until every one has started (each waits on a pipe that is closed once all
have reported in). Then every run verifies the package before it looks at the target, and walks and copies the
source trees after that; the package's original software carries thousands of empty folders, which no manifest
lists and so cost nothing before the look at the target but make the link check and the copy after it outlast
the spread of the runs' starts (under Wine, starting a program takes the longest). That they overlapped is
checked, not assumed: each refused run leaves its staging folder, which it only makes after finding the target
missing."""

import os
import shutil
import subprocess
from pathlib import Path

from tavo_e2e import EOL, OK_REPORT, TempFolderTest, main, make_package, setup_command, winpath

# Folders that only the link check and the copy see, after the runs have looked at the target.
EMPTY_FOLDERS = 32


def slow_to_copy_package(parent: Path):
    package = make_package(parent, "Paket-0")
    for i in range(EMPTY_FOLDERS):
        for j in range(EMPTY_FOLDERS):
            (package.source / "Tavo" / "Leer" / f"a{i:02d}" / f"b{j:02d}").mkdir(parents=True)
    return package


def linked_copy(package, parent: Path, name: str):
    """Another package with the same files (hard links), so that each run has a result file of its own."""
    shutil.copytree(package.root, parent / name, copy_function=os.link)
    return type(package)(parent / name, package.exe.name)


def tree(root: Path) -> dict:
    return {p.relative_to(root).as_posix(): (p.read_bytes() if p.is_file() else None) for p in root.rglob("*")}


def run_at_once(commands, env):
    """Starts the commands, holds them until all have started, then lets them go together; their exit codes."""
    ready_read, ready_write = os.pipe()
    go_read, go_write = os.pipe()
    barrier = f'printf . >&{ready_write}; read _ <&{go_read}; exec "$@"'
    processes = [subprocess.Popen(["sh", "-c", barrier, "sh", *command], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, pass_fds=(ready_write, go_read))
                 for command in commands]
    os.close(ready_write)
    os.close(go_read)
    reported = 0
    while reported < len(commands):
        reported += len(os.read(ready_read, len(commands)))
    os.close(ready_read)
    os.close(go_write)  # every waiting run reads the end of the pipe now
    return [p.wait(timeout=900) for p in processes]


class Races(TempFolderTest):
    def race(self, count: int):
        first = slow_to_copy_package(self.tmp)
        packages = [first] + [linked_copy(first, self.tmp, f"Paket-{i}") for i in range(1, count)]
        target = self.tmp / "Ziele" / "Tessaroll TAVO-x64"

        # What a single run installs at that path.
        single = subprocess.run(setup_command(first, "--prepare-only", "--target", winpath(target)), env=self.env,
                                capture_output=True, timeout=900)
        self.assertEqual(single.returncode, 0, single.stderr)
        expected = tree(target)
        shutil.move(str(target), str(self.tmp / "einzeln"))
        first.result_file.unlink()

        codes = run_at_once([setup_command(p, "--prepare-only", "--target", winpath(target)) for p in packages],
                            self.env)
        staging = sorted(p.name for p in target.parent.iterdir() if ".vorbereitung-" in p.name)
        self.assertEqual(len(staging), count - 1, f"the runs did not overlap: exit codes {codes}, staging {staging}")
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
