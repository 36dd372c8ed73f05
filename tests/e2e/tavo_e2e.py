"""Shared pieces of the end-to-end tests: a complete setup package in a temporary folder, and a way to run the
real program on it (natively, or the Windows build under Wine)."""

import os
import stat
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import setup_package
from setup_package import (ORIGINAL_DLL, PATCHED_DLL, PAYLOAD_NAMES, TEMPLATE, Package, sha256,  # noqa: F401
                           software_files, write, write_manifest)

SETUP = Path(os.environ["TAVO_SETUP"])
PACKAGE_TOOL = Path(os.environ.get("TAVO_PACKAGE", SETUP.parent / ("TAVO-Paket.exe" if SETUP.suffix else "tavo-package")))
PLATFORM = os.environ.get("TAVO_PLATFORM", "posix")
WINDOWS = PLATFORM == "win"
SOURCE_DIR = Path(os.environ.get("TAVO_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD_DIR = Path(os.environ.get("TAVO_BUILD_DIR", SOURCE_DIR / "build" / ("windows" if WINDOWS else "native")))
TOOLS_DIR = Path(os.environ.get("TAVO_TOOLS_DIR", BUILD_DIR / "test-tools"))
WINE_RUN = os.environ.get("TAVO_WINE_RUN", str(SOURCE_DIR / "scripts" / "wine-run"))
EOL = b"\r\n" if WINDOWS else b"\n"
SKIPPED = 77


OK_REPORT = b"OK" + EOL + b"Version: 1.0.0" + EOL + b"Preparation complete; no original software overwritten." + EOL
MARKER = b"TAVO-WIN10-X64-1.0.0" + EOL + b"Original software preserved." + EOL


def require_fixture_digests():
    """The program under test must accept the fixture driver DLLs; a build with other digests is skipped."""
    configured = (os.environ.get("TAVO_ORIGINAL_DRIVER_DLL_SHA256"), os.environ.get("TAVO_PATCHED_DRIVER_DLL_SHA256"))
    if configured != (sha256(ORIGINAL_DLL), sha256(PATCHED_DLL)):
        print("skipped: the build was configured without the fixture driver DLL digests (see scripts/test)")
        sys.exit(SKIPPED)


def main():
    """Runs the module's tests; exits 77 (skipped) when the build cannot run them."""
    require_fixture_digests()
    unittest.main(verbosity=2)


def winpath(path) -> str:
    """The path as the program under test sees it (Wine maps / to Z:)."""
    text = str(path)
    if WINDOWS and text.startswith("/"):
        return "Z:" + text.replace("/", "\\")
    return text


def native_text(path) -> str:
    """How the program writes a folder into its settings: generic separators."""
    return winpath(path).replace("\\", "/")


def make_package(parent: Path, name: str = "Paket", **options) -> Package:
    """A complete setup package with the program under test in its root (see setup_package.make_package)."""
    return setup_package.make_package(parent, name, program=SETUP, **options)


def add_bulk_software(package: Package, files: int, size: int):
    """Adds files of size bytes each (all different) to the package's original software below Tavo/Samples and
    lists them in its manifest, so that checking and copying take a while."""
    block = os.urandom(1 << 20)
    names = [line.split("  ", 1)[1] for line in
             (package.source / "SHA256SUMS.txt").read_text(encoding="utf-8").splitlines()]
    for i in range(files):
        rel = f"Tavo/Samples/Gross/probe-{i:03d}.bin"
        path = package.source / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        with open(path, "wb") as out:
            out.write(i.to_bytes(8, "little"))
            for left in range(size - 8, 0, -len(block)):
                out.write(block[:left])
        names.append(rel)
    write_manifest(package.source, sorted(names))


def tool(name: str) -> Path:
    """A stand-in program built by the test build."""
    return TOOLS_DIR / (name + (".exe" if WINDOWS else ""))


def test_environment(home: Path, logs: Path) -> dict:
    """Environment for a native run with its own home, so that no run touches the real user's folders, and its
    own temporary folder for the runs' logs (the Windows program takes %TEMP% of the Wine prefix instead)."""
    env = dict(os.environ)
    env["HOME"] = str(home)
    env["XDG_CONFIG_HOME"] = str(home / ".config")
    if not WINDOWS:  # Wine keeps its server's socket below TMPDIR, which must stay where every user can reach it
        env["TMPDIR"] = str(logs)
    return env


def no_plain_files(folder: Path, outside: Path) -> dict:
    """What may stand where the program writes a file of its own, by kind, each a function that makes it at a
    name: a second hard link of `outside`, links to it, to `folder` and to nothing (`folder`/neu.txt), a FIFO.
    Wine shows a Linux link to a file as a plain file and Windows has no FIFOs: those only natively."""
    kinds = {
        "hard link": lambda name: os.link(outside, name),
        "folder link": lambda name: os.symlink(folder, name, target_is_directory=True),
    }
    if not WINDOWS:
        kinds["file link"] = lambda name: os.symlink(outside, name)
        kinds["dangling link"] = lambda name: os.symlink(folder / "neu.txt", name)
        kinds["FIFO"] = os.mkfifo
    return kinds


UNPRIVILEGED_ID = 65534  # nobody


def give_to_unprivileged_user(root: Path):
    """Hands a folder and everything below it to the user of unprivileged runs (when the tests run as root)."""
    if os.geteuid() != 0:
        return
    for dirpath, dirnames, filenames in os.walk(root):
        for name in [dirpath, *[os.path.join(dirpath, n) for n in dirnames + filenames]]:
            os.lchown(name, UNPRIVILEGED_ID, UNPRIVILEGED_ID)
    # The folders above must let that user through.
    for folder in root.parents:
        if os.stat(folder).st_mode & 0o001 == 0:
            os.chmod(folder, os.stat(folder).st_mode | 0o001)


def setup_command(package: Package, *args, unprivileged=False) -> list:
    """The command line that starts the package's program with the arguments (paths already in the program's
    form). unprivileged: as an ordinary user (nobody, when the tests run as root), under Wine in that user's own
    prefix, so that permissions and read-only files count as they do for a user on Windows."""
    if WINDOWS:
        return [WINE_RUN, *(["--unprivileged"] if unprivileged else []), str(package.exe), *args]
    command = [str(package.exe), *args]
    if unprivileged and os.geteuid() == 0:
        command = ["setpriv", f"--reuid={UNPRIVILEGED_ID}", f"--regid={UNPRIVILEGED_ID}", "--clear-groups", *command]
    return command


def run_setup(package: Package, *args, cwd=None, input=None, env=None, timeout=600,
              unprivileged=False) -> subprocess.CompletedProcess:
    """Runs the package's program with the arguments to its end (see setup_command)."""
    return subprocess.run(setup_command(package, *args, unprivileged=unprivileged), cwd=cwd, input=input, env=env,
                          capture_output=True, timeout=timeout)


def run_package_tool(*args, env=None, timeout=600) -> subprocess.CompletedProcess:
    """Runs the package tool of the build with the arguments (paths already in the program's form)."""
    command = [WINE_RUN, str(PACKAGE_TOOL), *args] if WINDOWS else [str(PACKAGE_TOOL), *args]
    return subprocess.run(command, env=env, capture_output=True, timeout=timeout)


def wine_documents() -> Path:
    """The Documents folder of the Wine prefix's user."""
    prefix = Path(os.environ.get("TAVO_WINEPREFIX", SOURCE_DIR / "build" / "wineprefix"))
    users = [p for p in (prefix / "drive_c" / "users").iterdir() if p.name != "Public"]
    return users[0] / "Documents"


def snapshot(root: Path) -> dict:
    """Every entry below root: kind, content digest and permission bits; links as links."""
    state = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            path = Path(dirpath) / name
            rel = path.relative_to(root).as_posix()
            info = path.lstat()
            if stat.S_ISLNK(info.st_mode):
                state[rel] = ("link", os.readlink(path))
            elif stat.S_ISDIR(info.st_mode):
                state[rel] = ("dir",)
            else:
                state[rel] = ("file", sha256(path.read_bytes()), stat.S_IMODE(info.st_mode))
    return state


def snapshot_changes(before: dict, after: dict) -> list:
    """The entries that differ between two snapshots: added, removed or changed."""
    return sorted(rel for rel in before.keys() | after.keys() if before.get(rel) != after.get(rel))


class TempFolderTest(unittest.TestCase):
    """A test with a fresh temporary folder, self.tmp, removed afterwards."""

    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="tavo-e2e-")
        self.tmp = Path(self._tmp.name)
        self.home = self.tmp / "home"
        self.home.mkdir()
        # Beside the test's folder, so that a snapshot of it does not see the runs' logs.
        self._logs = tempfile.TemporaryDirectory(prefix="tavo-e2e-logs-")
        self.logs = Path(self._logs.name)
        self.env = test_environment(self.home, self.logs)

    def tearDown(self):
        self._logs.cleanup()
        for dirpath, dirnames, _ in os.walk(self.tmp):
            for name in dirnames:
                os.chmod(Path(dirpath) / name, 0o755)
        self._tmp.cleanup()


SETTINGS = [("FileBrowser", "LastPath", "Presets"), ("ReferenceResolver", "All files_Paths", "Tavo"),
            ("StaticPath", "TavoBackups", "Backups"), ("StaticPath", "TavoPresets", "Presets"),
            ("StaticPath", "TavoOS", "Tavo/OS"), ("StaticPath", "Tavo", "Tavo")]


def parse_ini(data: bytes) -> dict:
    sections, current = {}, None
    # Windows writes the settings in the ANSI code page into a file without a UTF-16 byte-order mark.
    for line in data.decode("cp1252" if WINDOWS else "utf-8").splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key] = value
    return sections


class InstallationTest(TempFolderTest):
    """Runs with --prepare-only, and the checks of a finished installation."""

    def install(self, package, target, *extra, cwd=None):
        return run_setup(package, "--prepare-only", "--target", winpath(target), *extra, cwd=cwd, env=self.env)

    def assert_ok(self, run, package):
        self.assertEqual(run.returncode, 0, (run.stdout, run.stderr, package.result()))
        self.assertEqual(package.result(), OK_REPORT)

    def assert_installation(self, package, target: Path):
        """The finished layout, row by row, against the package it came from."""
        expected = dict(package.software)
        expected["App/Bin/TavoDrv.dll"] = PATCHED_DLL
        expected["App/Bin/tusbshim.dll"] = (package.payload / "tusbshim.dll").read_bytes()
        expected["Treiber/device_binding.exe"] = (package.payload / "device_binding.exe").read_bytes()
        for name in ["TAVO-starten.exe", "TAVO-Treiber-installieren.exe", "TAVO-Treiber-entfernen.exe"]:
            expected[name] = (package.payload / name).read_bytes()
        expected["Anleitung.txt"] = (package.root / "Anleitung.txt").read_bytes()
        expected["TAVO-x64-installation.txt"] = MARKER
        del expected["App/Bin/tset.ini"]

        actual_files = {}
        actual_dirs = set()
        for dirpath, dirnames, filenames in os.walk(target):
            for name in dirnames:
                actual_dirs.add((Path(dirpath) / name).relative_to(target).as_posix())
            for name in filenames:
                path = Path(dirpath) / name
                actual_files[path.relative_to(target).as_posix()] = path.read_bytes()
        self.assertIn("App/Bin/tset.ini", actual_files)
        settings = actual_files.pop("App/Bin/tset.ini")
        self.assertEqual(sorted(expected.keys() - actual_files.keys()), [], "missing files")
        self.assertEqual(sorted(actual_files.keys() - expected.keys()), [], "unexpected files")
        for rel, data in expected.items():
            self.assertEqual(actual_files[rel], data, rel)
        for folder in ["App", "App/Bin", "Tavo", "Tavo/OS", "Presets", "Treiber", "Backups", "Logs"]:
            self.assertIn(folder, actual_dirs)

        ini = parse_ini(settings)
        for section, key, folder in SETTINGS:
            self.assertEqual(ini[section][key], native_text(target) + "/" + folder + "/", (section, key))
        # Everything else of the template stays as it was.
        self.assertEqual(ini["FileBrowser"]["SortOrder"], "Name")
        self.assertEqual(ini["MIDI"]["Device"], "TAVO USB")
        self.assertTrue(settings.startswith(b"; TAVO editor settings\r\n[FileBrowser]\r\n"))

    def staging_leftovers(self, target: Path):
        return sorted(p.name for p in target.parent.iterdir() if ".vorbereitung-" in p.name)
