"""The cross-built package (scripts/package ARCH) checked as the native one is, with
package_test.py's checks: its fields, Depends equal to the native package's and the same
files but the program, lintian's and hardening-check's verdicts, the same bytes from two
clones; and the packaged game played under the emulator on a private Xvfb.

    KESSARY_CROSS_DEB=DEB KESSARY_CROSS_ROOT=ROOT KESSARY_CROSS_EMULATOR=qemu-aarch64-static \\
    [KESSARY_NATIVE_DEB=DEB] cross_package_test.py [unittest options] [TESTS]
"""
import hashlib
import os
import pathlib
import shlex
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import package_test as pt  # noqa: E402

CROSS_DEB = os.path.abspath(os.environ["KESSARY_CROSS_DEB"])
NATIVE_DEB = os.environ.get("KESSARY_NATIVE_DEB")
CROSS_ROOT = os.environ["KESSARY_CROSS_ROOT"]
EMULATOR = os.environ["KESSARY_CROSS_EMULATOR"]
PROGRAM = "usr/lib/games/kessary/kessary"
# Start-up and a frame take seconds under the emulator, at about a frame and a half a second.
EMULATED_TIMEOUT = 180.0


def field(deb, name):
    return subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True,
                          check=True).stdout.strip()


def contents(test, deb):
    """{path: (mode, sha256)} of every file the package holds."""
    root, files = pt.unpack(test, deb), {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            digest = hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()
            files[os.path.relpath(path, root)] = (os.lstat(path).st_mode, digest)
    return files


class CrossPackage(unittest.TestCase):
    def setUp(self):
        self.arch = field(CROSS_DEB, "Architecture")
        self.cpu = subprocess.run(["dpkg-architecture", "-a", self.arch, "-qDEB_HOST_GNU_CPU"],
                                  capture_output=True, text=True, check=True).stdout.strip()

    def test_fields_and_files_are_the_native_packages_but_for_the_program(self):
        fields = pt.check_fields(self, CROSS_DEB)
        if not NATIVE_DEB:
            self.skipTest("no native package to compare with (KESSARY_NATIVE_DEB)")
        self.assertEqual(fields["Depends"], field(NATIVE_DEB, "Depends"))
        cross, native = contents(self, CROSS_DEB), contents(self, NATIVE_DEB)
        self.assertEqual(sorted(cross), sorted(native))
        self.assertEqual({path: cross[path] for path in cross if path != PROGRAM},
                         {path: native[path] for path in native if path != PROGRAM})

    def test_lintian_reports_nothing_above_pedantic(self):
        pt.check_lintian(self, CROSS_DEB)

    # On 64-bit ARM, branch protection signs return addresses (paciasp) in every function
    # that saves one; Debian 12's start files carry no marks, so the program is not marked.
    def test_program_is_built_for_the_architecture_and_hardened(self):
        program = pt.check_hardening(self, CROSS_DEB)
        self.assertIn(self.cpu, pt.run(self, "file", "-b", program))
        if self.cpu == "aarch64":
            code = pt.run(self, "aarch64-linux-gnu-objdump", "-d", program)
            self.assertGreater(code.count("\tpaciasp"), 10)

    def test_two_clones_make_the_same_deb(self):
        pt.check_two_clones_package_alike(self, self.arch, folder="build-package-" + self.arch)

    # The packaged launcher starts the program through a stand-in that runs it under the
    # emulator with the root's libraries, Mesa's software renderer among them.
    def test_packaged_game_plays_under_emulation(self):
        root = pt.unpack(self, CROSS_DEB)
        program = os.path.join(root, PROGRAM)
        os.rename(program, program + ".emulated")
        pathlib.Path(program).write_text('#!/bin/sh\nexec %s -L %s "$0.emulated" "$@"\n' %
                                         (shlex.quote(EMULATOR), shlex.quote(CROSS_ROOT)))
        os.chmod(program, 0o755)
        size, _ = pt.play_from_elsewhere(self, os.path.join(root, "usr/games/kessary"),
                                         {"LIBGL_ALWAYS_SOFTWARE": "1"},
                                         timeout=EMULATED_TIMEOUT)
        self.assertEqual(size, pt.kh.WHOLE_WINDOW[2:])


if __name__ == "__main__":
    unittest.main()
