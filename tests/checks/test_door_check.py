"""The door check: the sources pass it, and a planted raw call or system header fails it, named."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = pathlib.Path(os.environ.get("TAVO_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
CHECK = SOURCE / "scripts" / "check-door"


def run_check(root):
    return subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True, text=True)


class DoorCheck(unittest.TestCase):
    def test_the_sources_make_no_call_outside_the_door(self):
        result = run_check(SOURCE / "src")
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_planted_raw_calls_and_headers_are_named(self):
        cases = [
            ("fs/x_posix.cpp", '#include "sys/calls_posix.hpp"\nint f() { return ::unlink("a"); }\n',
             "fs/x_posix.cpp:2: calls unlink outside the door"),
            ("fs/y_posix.cpp", "void g(int fd) {\n  if (fd) close(fd);\n}\n", "fs/y_posix.cpp:2: calls close outside the door"),
            ("fs/z_win.cpp", "void h() { DeleteFileW(L\"a\"); }\n", "fs/z_win.cpp:1: calls DeleteFileW outside the door"),
            ("install/w.cpp", "void k() { std::rename(\"a\", \"b\"); }\n", "install/w.cpp:1: calls rename outside the door"),
            ("setup/v_win.cpp", "#include <windows.h>\n", "setup/v_win.cpp: includes <windows.h> outside the door"),
            ("setup/u_posix.cpp", "#include <unistd.h>\n", "setup/u_posix.cpp: includes <unistd.h> outside the door"),
            ("verify/t.cpp", "void m() { std::FILE* f = fopen(\"a\", \"r\"); }\n", "verify/t.cpp:1: calls fopen outside the door"),
        ]
        for name, text, expected in cases:
            with self.subTest(name=name), tempfile.TemporaryDirectory() as root:
                shutil.copytree(SOURCE / "src" / "sys", pathlib.Path(root) / "sys")
                planted = pathlib.Path(root) / name
                planted.parent.mkdir(parents=True)
                planted.write_text(text)
                result = run_check(root)
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(expected, result.stdout.splitlines())

    def test_calls_through_the_door_members_and_comments_pass(self):
        text = ('#include "sys/calls_posix.hpp"\n'
                "// ::unlink(path) is what the door does\n"
                "struct File { int close(); };\n"
                "int f(File& file) { sys::unlink(\"a\"); return file.close(); }\n"
                "const char* g() { return \"::rename(a, b)\"; }\n")
        with tempfile.TemporaryDirectory() as root:
            shutil.copytree(SOURCE / "src" / "sys", pathlib.Path(root) / "sys")
            (pathlib.Path(root) / "fs").mkdir()
            (pathlib.Path(root) / "fs" / "ok_posix.cpp").write_text(text)
            result = run_check(root)
            self.assertEqual(result.returncode, 0, result.stdout)


if __name__ == "__main__":
    unittest.main()
