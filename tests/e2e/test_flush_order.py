"""What a whole --prepare-only run writes is durable before the final rename makes it visible, and that at the
price of one flush of the storage's cache, not one per file.

The run's system calls are recorded through the test build's door (TAVO_DOOR record), names only, in order. On
Windows every file written gets a data flush (NtFlushBuffersFileEx), then one full flush (FlushFileBuffers)
follows, then the final rename (the last MoveFileExW). Where ntdll lacks NtFlushBuffersFileEx (Wine 8), each data
flush falls back to a FlushFileBuffers right after it; those are told apart by their place. Natively one syncfs
precedes the final rename (the last renameat2)."""

import os
import subprocess

from tavo_e2e import OK_REPORT, WINDOWS, InstallationTest, main, make_package, setup_command, winpath

RENAME_CALL = "MoveFileExW" if WINDOWS else "renameat2"
DATA_FLUSH = "NtFlushBuffersFileEx"
FULL_FLUSH = "FlushFileBuffers" if WINDOWS else "syncfs"


def last_index(calls: list, name: str) -> int:
    return len(calls) - 1 - calls[::-1].index(name)


def file_count(folder) -> int:
    return sum(len(files) for _, _, files in os.walk(folder))


class FlushOrder(InstallationTest):
    def recorded_run(self):
        package = make_package(self.tmp)
        target = self.tmp / "Neu" / "Ziel"
        record = self.tmp / "aufrufe.txt"
        self.log = self.tmp / "lauf.log"
        run = subprocess.run(setup_command(package, "--prepare-only", "--target", winpath(target), "--log",
                                           winpath(self.log)),
                             env=dict(self.env, TAVO_DOOR=f"record={winpath(record)}"), capture_output=True,
                             timeout=900)
        self.assertEqual(run.returncode, 0, (run.stdout, run.stderr))
        self.assertEqual(package.result(), OK_REPORT)
        self.assert_installation(package, target)
        calls = record.read_text().split()
        self.assertIn(RENAME_CALL, calls)
        return calls, target

    def test_all_data_is_flushed_before_one_full_flush_before_the_final_rename(self):
        calls, target = self.recorded_run()
        rename = last_index(calls, RENAME_CALL)
        before = calls[:rename]
        self.assertIn(FULL_FLUSH, before, "no full flush before the final rename")
        full = last_index(before, FULL_FLUSH)
        if WINDOWS:
            # A FlushFileBuffers right after a data flush is that file's fallback, not a flush for all.
            fallbacks = [i for i, name in enumerate(before) if name == FULL_FLUSH and i > 0 and
                         before[i - 1] == DATA_FLUSH]
            alone = [i for i, name in enumerate(before) if name == FULL_FLUSH and i not in fallbacks]
            self.assertEqual(alone, [full], "not exactly one full flush, the last before the final rename")
            data = [i for i, name in enumerate(before) if name == DATA_FLUSH]
            # Every file of the installation had its data flushed, all of them before the full flush.
            self.assertGreaterEqual(len(data), file_count(target))
            self.assertLess(data[-1], full)
        else:
            self.assertEqual(before.count(FULL_FLUSH), 1)
        # Nothing of the installation is written between the full flush and the final rename: the only writes
        # there are the run log's lines of that moment, one write each (the log lies elsewhere, outside it).
        writes = ("WriteFile", "write", "copy_file_range")
        lines = [line.lstrip() for line in self.log.read_text(encoding="utf-8").splitlines()]
        events = [line.split(" ", 1)[1] for line in lines]
        start = next(i for i, e in enumerate(events) if e.startswith("Flush: "))
        end = events.index("Rename attempt 1: done")
        self.assertEqual(len([name for name in calls[full + 1:rename] if name in writes]), end - start,
                         events[start:end])


if __name__ == "__main__":
    main()
