"""A complete setup package in a folder, built from the test fixtures: the original software, the payload and
their manifests, with a given program file in its root. Used by the end-to-end tests, the benchmarks and the
demo; it reads no environment."""

import hashlib
import shutil
import struct
from pathlib import Path

FIXTURES = Path(__file__).resolve().parents[1] / "fixtures" / "driver"
ORIGINAL_DLL = (FIXTURES / "TavoDrv-original.dll").read_bytes()
PATCHED_DLL = (FIXTURES / "TavoDrv-patched.dll").read_bytes()

PAYLOAD_NAMES = ["TavoDrv.dll", "tusbshim.dll", "tset-template.ini", "device_binding.exe", "TAVO-starten.exe",
                 "TAVO-Treiber-installieren.exe", "TAVO-Treiber-entfernen.exe"]
TEMPLATE = (b"; TAVO editor settings\r\n"
            b"[FileBrowser]\r\nLastPath=C:/Users/Public/\r\nSortOrder=Name\r\n\r\n"
            b"[ReferenceResolver]\r\nMode=Auto\r\n\r\n"
            b"[StaticPath]\r\nTavoBackups=C:/old/Backups/\r\n\r\n"
            b"[MIDI]\r\nDevice=TAVO USB\r\n")



def sha256(data: bytes) -> str:
    return hashlib.sha256(data).hexdigest()


class Package:
    def __init__(self, root: Path, exe_name: str):
        self.root = root
        self.exe = root / exe_name
        self.source = root / "Originalsoftware"
        self.payload = root / "Dateien"
        self.result_file = root / "Setup-Ergebnis.txt"
        self.software = {}  # the original software's files: relative path -> content

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


def windows_program(text: bytes, machine: int = 0x8664, magic: int = 0x20B, subsystem: int = 3,
                    characteristics: int = 0x0022) -> bytes:
    """The headers of a Windows program (x64, PE32+, console by default) followed by `text`: what the package
    tool reads of a program, without any code."""
    dos = bytearray(64)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 64)
    coff = struct.pack("<HHIIIHH", machine, 0, 0, 0, 0, 240, characteristics)
    optional = bytearray(240)
    struct.pack_into("<H", optional, 0, magic)
    struct.pack_into("<H", optional, 68, subsystem)
    return bytes(dos) + b"PE\0\0" + coff + bytes(optional) + text


def make_package(parent: Path, name: str, *, program: Path, software_count: int = 120, presets: bool = True,
                 extra_software: dict = None, tools: dict = None) -> Package:
    """A complete setup package with `program` (the setup) in its root, under its own name. extra_software adds
    files (relative path -> content) to the original software and its manifest. tools maps payload names to
    programs that stand in for the package's outside programs; other payload programs are dummy bytes."""
    package = Package(parent / name, program.name)
    package.root.mkdir(parents=True)
    shutil.copy2(program, package.exe)

    package.software = {**software_files(software_count, presets), **(extra_software or {})}
    for rel, data in package.software.items():
        write(package.source / rel, data)
    write_manifest(package.source, sorted(package.software))

    payload = {
        "TavoDrv.dll": PATCHED_DLL,
        "tusbshim.dll": b"MZ tusbshim\x00" * 16,
        "tset-template.ini": TEMPLATE,
        "device_binding.exe": windows_program(b"device binding placeholder"),
        "TAVO-starten.exe": windows_program(b"starter", subsystem=2),
        "TAVO-Treiber-installieren.exe": windows_program(b"installer placeholder"),
        "TAVO-Treiber-entfernen.exe": windows_program(b"remover"),
    }
    for rel, data in payload.items():
        write(package.payload / rel, data)
    for rel, program in (tools or {}).items():
        shutil.copy2(program, package.payload / rel)
    write_manifest(package.payload, PAYLOAD_NAMES)
    write(package.root / "Anleitung.txt", "Anleitung für TAVO x64\r\n".encode("cp1252"))
    return package
