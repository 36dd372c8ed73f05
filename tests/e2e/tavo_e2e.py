"""Shared pieces of the end-to-end tests: a complete setup package in a temporary folder, and a way to run the
real program on it (natively, or the Windows build under Wine)."""

import hashlib
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SETUP = Path(os.environ["TAVO_SETUP"])
PACKAGE_TOOL = Path(os.environ.get("TAVO_PACKAGE", SETUP.parent / ("TAVO-Paket.exe" if SETUP.suffix else "tavo-package")))
PLATFORM = os.environ.get("TAVO_PLATFORM", "posix")
WINDOWS = PLATFORM == "win"
SOURCE_DIR = Path(os.environ.get("TAVO_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD_DIR = Path(os.environ.get("TAVO_BUILD_DIR", SOURCE_DIR / "build" / ("windows" if WINDOWS else "native")))
TOOLS_DIR = Path(os.environ.get("TAVO_TOOLS_DIR", BUILD_DIR / "test-tools"))
WINE_RUN = os.environ.get("TAVO_WINE_RUN", str(SOURCE_DIR / "scripts" / "wine-run"))
EOL = b"\r\n" if WINDOWS else b"\n"
EXE_NAME = "TAVO-Setup.exe" if WINDOWS else "tavo-setup"
SKIPPED = 77

FIXTURES = SOURCE_DIR / "tests" / "fixtures" / "driver"
ORIGINAL_DLL = (FIXTURES / "TavoDrv-original.dll").read_bytes()
PATCHED_DLL = (FIXTURES / "TavoDrv-patched.dll").read_bytes()

OK_REPORT = b"OK" + EOL + b"Version: 1.0.0" + EOL + b"Preparation complete; no original software overwritten." + EOL
MARKER = b"TAVO-WIN10-X64-1.0.0" + EOL + b"Original software preserved." + EOL
PAYLOAD_NAMES = ["TavoDrv.dll", "tusbshim.dll", "tset-template.ini", "device_binding.exe", "TAVO-starten.exe",
                 "TAVO-Treiber-installieren.exe", "TAVO-Treiber-entfernen.exe"]
TEMPLATE = (b"; TAVO editor settings\r\n"
            b"[FileBrowser]\r\nLastPath=C:/Users/Public/\r\nSortOrder=Name\r\n\r\n"
            b"[ReferenceResolver]\r\nMode=Auto\r\n\r\n"
            b"[StaticPath]\r\nTavoBackups=C:/old/Backups/\r\n\r\n"
            b"[MIDI]\r\nDevice=TAVO USB\r\n")


def sha256(data: bytes) -> str:
    return hashlib.sha256(data).hexdigest()


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


class Package:
    def __init__(self, root: Path):
        self.root = root
        self.exe = root / EXE_NAME
        self.source = root / "Originalsoftware"
        self.payload = root / "Dateien"
        self.result_file = root / "Setup-Ergebnis.txt"

    def result(self):
        return self.result_file.read_bytes() if self.result_file.exists() else None


def write(path: Path, data: bytes):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def write_manifest(folder: Path, names):
    lines = [f"{sha256((folder / name).read_bytes())}  {name}\n" for name in names]
    (folder / "SHA256SUMS.txt").write_bytes("".join(lines).encode("utf-8"))


def software_files(count: int, presets: bool):
    """The original software's files (relative path -> content), at least the three that the checks need."""
    files = {
        "App/Bin/Tavo.exe": b"MZ TAVO editor\x00" * 64,
        "App/Bin/TavoDrv.dll": ORIGINAL_DLL,
        "App/Bin/tset.ini": b"[Old]\r\nKey=original settings\r\n",
        "App/Lib/Sprache/de.txt": "Grüße\n".encode("utf-8"),
        "Tavo/OS/tavo-os-1.1.bin": bytes(range(256)) * 40,
        "Tavo/Liesmich.txt": b"TAVO 1.1\n",
    }
    if presets:
        files["Presets/Werk/Bass 01.tvp"] = b"preset bass"
        files["Presets/Werk/Grüße/Fläche.tvp"] = b"preset pad"
    i = 0
    while len(files) < count:
        folder = ["App/Lib", "Tavo/Samples", "Tavo/OS/Module"][i % 3]
        files[f"{folder}/teil-{i:04d}.dat"] = (f"content {i}\n".encode() * (1 + i % 7))
        i += 1
    return files


def make_package(parent: Path, name: str = "Paket", *, software_count: int = 120, presets: bool = True,
                 tools: dict = None) -> Package:
    """A complete setup package with the program file in its root. tools maps payload names to programs that
    stand in for the package's outside programs; other payload programs are dummy bytes."""
    package = Package(parent / name)
    package.root.mkdir(parents=True)
    shutil.copy2(SETUP, package.exe)

    files = software_files(software_count, presets)
    for rel, data in files.items():
        write(package.source / rel, data)
    write_manifest(package.source, sorted(files))

    payload = {
        "TavoDrv.dll": PATCHED_DLL,
        "tusbshim.dll": b"MZ tusbshim\x00" * 16,
        "tset-template.ini": TEMPLATE,
        "device_binding.exe": b"MZ device binding placeholder",
        "TAVO-starten.exe": b"MZ starter",
        "TAVO-Treiber-installieren.exe": b"MZ installer placeholder",
        "TAVO-Treiber-entfernen.exe": b"MZ remover",
    }
    for rel, data in payload.items():
        write(package.payload / rel, data)
    for rel, program in (tools or {}).items():
        shutil.copy2(program, package.payload / rel)
    write_manifest(package.payload, PAYLOAD_NAMES)
    write(package.root / "Anleitung.txt", "Anleitung für TAVO x64\r\n".encode("cp1252"))
    return package


def tool(name: str) -> Path:
    """A stand-in program built by the test build."""
    return TOOLS_DIR / (name + (".exe" if WINDOWS else ""))


def test_environment(home: Path) -> dict:
    """Environment for a native run with its own home, so that no run touches the real user's folders."""
    env = dict(os.environ)
    env["HOME"] = str(home)
    env["XDG_CONFIG_HOME"] = str(home / ".config")
    return env


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
    """The command that runs the package's program with the arguments (see run_setup)."""
    if WINDOWS:
        return [WINE_RUN, *(["--unprivileged"] if unprivileged else []), str(package.exe), *args]
    command = [str(package.exe), *args]
    if unprivileged and os.geteuid() == 0:
        command = ["setpriv", f"--reuid={UNPRIVILEGED_ID}", f"--regid={UNPRIVILEGED_ID}", "--clear-groups", *command]
    return command


def run_setup(package: Package, *args, cwd=None, input=None, env=None, timeout=600,
              unprivileged=False) -> subprocess.CompletedProcess:
    """Runs the package's program with the arguments (paths already in the program's form). unprivileged: as
    an ordinary user (nobody, when the tests run as root), under Wine in that user's own prefix, so that
    permissions and read-only files count as they do for a user on Windows."""
    command = setup_command(package, *args, unprivileged=unprivileged)
    return subprocess.run(command, cwd=cwd, input=input, env=env, capture_output=True, timeout=timeout)


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


class TempFolderTest(unittest.TestCase):
    """A test with a fresh temporary folder, self.tmp, removed afterwards."""

    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="tavo-e2e-")
        self.tmp = Path(self._tmp.name)
        self.home = self.tmp / "home"
        self.home.mkdir()
        self.env = test_environment(self.home)

    def tearDown(self):
        for dirpath, dirnames, _ in os.walk(self.tmp):
            for name in dirnames:
                os.chmod(Path(dirpath) / name, 0o755)
        self._tmp.cleanup()
