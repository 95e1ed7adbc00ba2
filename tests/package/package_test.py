"""The game as a player installs it: the .deb made as scripts/package makes it, its
fields, lintian's and hardening-check's verdicts, and the same .deb from two clones; the
launcher of the unpacked .deb, and of `cmake --install` under an unusual prefix, playing
from an unrelated folder under Xvfb.

    KESSARY_BUILD_DIR=BUILD package_test.py [unittest options] [TESTS]
"""
import glob
import hashlib
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
import kessary_harness as kh  # noqa: E402

BUILD_DIR = os.path.abspath(os.environ.get("KESSARY_BUILD_DIR", "build"))
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK_DIR = os.path.join(BUILD_DIR, "tests", "package", "work")
APP_ID = "org.kessary.kessary"
CUSTOM_PREFIX = "/opt/kessary games"  # the space catches unquoted paths in the launcher
QUEUE_ROW = kh.view_to_window(0, 0, 640, 110)
COLOUR_SPREAD = 60  # max - min channel of a pixel that counts as coloured
MIN_SHARE = 0.03  # about a tenth once the faces build up; none when blank


def run(test, *args, env=None, timeout=120):
    """Runs a command, failing `test` with its output unless it succeeds; its stdout."""
    result = subprocess.run(args, env=env, capture_output=True, text=True, timeout=timeout)
    test.assertEqual(result.returncode, 0, "%s failed:\n%s%s" %
                     (" ".join(args), result.stdout, result.stderr))
    return result.stdout


def last_commit_time(folder):
    """SOURCE_DATE_EPOCH as scripts/package derives it; None outside a git checkout."""
    result = subprocess.run(["git", "-C", folder, "log", "-1", "--format=%ct"],
                            capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 else None


def deb_path():
    cache = pathlib.Path(BUILD_DIR, "CMakeCache.txt").read_text(encoding="utf-8")
    version = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.*)$", cache, re.M).group(1)
    architecture = subprocess.run(["dpkg", "--print-architecture"], capture_output=True,
                                  text=True, check=True).stdout.strip()
    return os.path.join(WORK_DIR, "deb", "kessary_%s_%s.deb" % (version, architecture))


def check_fields(test, deb):
    """The control fields Debian wants of a game, Depends computed from the binary; them."""
    control = run(test, "dpkg-deb", "-f", deb)
    fields = dict(re.findall(r"^(\S+): (.*)$", control, re.M))
    test.assertEqual(fields["Section"], "games")
    test.assertGreater(control.count("\n "), 2, "no long description")
    # Computed from the binary, but for SDL: the 1.2-on-SDL-2 library first, so that apt
    # brings it to a clean machine, and classic SDL 1.2 where that is installed.
    entries = fields["Depends"].split(", ")
    test.assertIn("libsdl1.2-compat-shim | libsdl1.2debian (>= 1.2.15)", entries)
    depends = [entry.split()[0] for entry in entries]
    for library in ("libc6", "libstdc++6", "libgl1", "libsoil1", "libpng16-16"):
        test.assertTrue(any(name.startswith(library) for name in depends), depends)
    return fields


def unpack(test, deb):
    """The package's files unpacked into a folder that goes when `test` ends; the folder."""
    root = test.enterContext(tempfile.TemporaryDirectory())
    subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    return root


def check_lintian(test, deb):
    report = run(test, "lintian", "--pedantic", "-I", "--tag-display-limit", "0", deb)
    test.assertEqual(re.findall(r"^[EWI]: .*", report, re.M), [])


# Position independence, stack protector, fortified functions, read-only relocations and
# immediate binding. Control-flow protection is ours to give but not the system's: Debian
# 12's C start files carry no marks, so the linker drops the program's.
def check_hardening(test, deb):
    """hardening-check's verdict on the packaged program; the program unpacked."""
    program = os.path.join(unpack(test, deb), "usr/lib/games/kessary/kessary")
    run(test, "hardening-check", "--nocfprotection", program)
    return program


def check_two_clones_package_alike(test, *arguments, folder="build-package"):
    """`scripts/package ARGUMENTS` in two clones of the last commit: different folders (one
    with a space), different umasks, built one after the other, so the clock moves on between
    them. With -g, as Debian's own flags have it, the build-id covers the debugging
    information and the paths in it."""
    commit_time = last_commit_time(SOURCE_DIR)
    if commit_time is None:
        test.skipTest("not a git checkout")
    env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
    env["CXXFLAGS"] = env.get("CXXFLAGS", "") + " -g"
    digests, header = [], b""
    with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
        for clone, umask in ((first, "022"), (os.path.join(second, "a clone"), "077")):
            run(test, "git", "clone", "--quiet", SOURCE_DIR, clone)
            run(test, "bash", "-c", 'umask %s && exec "$0" "$@"' % umask,
                os.path.join(clone, "scripts/package"), *arguments, env=env, timeout=600)
            [deb] = glob.glob(os.path.join(clone, folder, "*.deb"))
            content = pathlib.Path(deb).read_bytes()
            digests.append(hashlib.sha256(content).hexdigest())
            header = content[8:8 + 60]  # after "!<arch>\n", the first member's
    test.assertEqual(digests[0], digests[1], "the two clones made different packages")
    # The member's name takes 16 bytes, its time the next 12.
    test.assertEqual(header[16:28].decode().strip(), commit_time)


def play_from_elsewhere(test, launcher, extra_env=None, scale=1, timeout=kh.START_TIMEOUT):
    """Plays `launcher` from an empty folder until the queue row shows tile faces, not blank
    quads, quits with Escape, checks nothing was written there; the window's size and class."""
    kh.kessary_path = launcher
    queue_row = tuple(scale * v for v in QUEUE_ROW)

    def coloured():
        pixels = list(kh.screenshot(game).region(queue_row))
        return sum(max(p) - min(p) > COLOUR_SPREAD for p in pixels) / len(pixels) >= MIN_SHARE
    # env -C starts the launcher in `elsewhere`, not where the harness runs it.
    with tempfile.TemporaryDirectory() as elsewhere, kh.xvfb() as display, \
            kh.kessary(display, extra_env, wrapper=("env", "-C", elsewhere),
                       timeout=timeout) as game:
        size = kh.window_geometry(game)[2:]
        wm_class = kh.x_tool(display, "xprop", "-id", game.window, "WM_CLASS")
        kh.poll(game, "tile faces in the queue row", coloured, timeout)
        kh.press(game, "Escape")
        test.assertEqual(kh.wait_for_exit(game, timeout), 0, game.stderr())
        test.assertEqual(os.listdir(elsewhere), [], "the game wrote into its working folder")
    return size, re.findall(r'"([^"]*)"', wm_class)


class DebianPackage(unittest.TestCase):  # builds the .deb the tests below use
    def test_is_built_named_described_and_filled_for_debian(self):
        deb_folder, stage = os.path.dirname(deb_path()), os.path.join(WORK_DIR, "deb-stage")
        subprocess.run(["rm", "-rf", deb_folder, stage], check=True)
        run(self, "cmake", "--install", BUILD_DIR, "--prefix", "/usr", "--strip",
            env=dict(os.environ, DESTDIR=stage))
        # The project's CPack settings, packing the staged tree (cpack would rebuild first).
        config = pathlib.Path(WORK_DIR, "cpack-config.cmake")
        config.write_text('include("%s/CPackConfig.cmake")\nset(CPACK_INSTALL_CMAKE_PROJECTS "")\n'
                          'set(CPACK_INSTALLED_DIRECTORIES "%s;.")\n' % (BUILD_DIR, stage))
        epoch = last_commit_time(SOURCE_DIR)
        env = dict(os.environ, **({"SOURCE_DATE_EPOCH": epoch} if epoch else {}))
        run(self, "cpack", "--config", str(config), "-B", deb_folder, env=env)
        self.assertEqual(glob.glob(os.path.join(deb_folder, "*.deb")), [deb_path()])

        check_fields(self, deb_path())


class Checkers(unittest.TestCase):
    def test_lintian_reports_nothing_above_pedantic(self):
        check_lintian(self, deb_path())

    def test_hardening_check_finds_every_protection(self):
        check_hardening(self, deb_path())


class ReproduciblePackage(unittest.TestCase):
    def test_two_clones_make_the_same_deb_dated_by_the_last_commit(self):
        check_two_clones_package_alike(self)


class UnpackedPackage(unittest.TestCase):
    def setUp(self):
        self.root = unpack(self, deb_path())
        self.desktop = os.path.join(self.root, "usr/share/applications/%s.desktop" % APP_ID)
        entry = pathlib.Path(self.desktop).read_text(encoding="utf-8")
        self.entry = dict(re.findall(r"^(\w+)=(.*)$", entry, re.M))

    # Doubled by SDL12COMPAT_WINDOW_SCALING where offered (sdl12-compat 1.2.50 on), as the
    # README promises; the menu entry (and its icon) finds the window by StartupWMClass.
    def test_launcher_plays_the_game_with_its_pictures_from_anywhere(self):
        version = run(self, "pkg-config", "--modversion", "sdl")
        scale = 2 if [int(n) for n in re.findall(r"\d+", version)[:3]] >= [1, 2, 50] else 1
        size, wm_class = play_from_elsewhere(self, os.path.join(self.root, "usr/games/kessary"),
                                             {"SDL12COMPAT_WINDOW_SCALING": str(scale)}, scale)
        self.assertEqual(size, (scale * kh.WINDOW_WIDTH, scale * kh.WINDOW_HEIGHT))
        self.assertIn(self.entry["StartupWMClass"], wm_class)

    # The menu finds the launcher on the path and the icon in the theme by name.
    def test_desktop_entry_and_metainfo_are_valid_and_name_what_is_installed(self):
        self.assertEqual(run(self, "desktop-file-validate", self.desktop), "")
        remarks = run(self, "appstreamcli", "validate", "--no-net", "--pedantic",
                      os.path.join(self.root, "usr/share/metainfo/%s.metainfo.xml" % APP_ID))
        self.assertNotRegex(remarks, r"(?m)^[EWIP]: ")  # not even a pedantic remark
        launcher = os.path.join(self.root, "usr/games", self.entry["Exec"])
        self.assertTrue(os.access(launcher, os.X_OK))
        icon = "usr/share/icons/hicolor/%dx%d/apps/" + self.entry["Icon"] + ".png"
        for size in (48, 64, 128, 256):
            self.assertTrue(os.path.isfile(os.path.join(self.root, icon % (size, size))), size)
        self.assertIn("LogicGame", self.entry["Categories"].split(";"))


class CustomPrefixInstall(unittest.TestCase):
    def test_launcher_runs_through_a_symlink_from_a_custom_prefix(self):
        with tempfile.TemporaryDirectory() as destdir:
            run(self, "cmake", "--install", BUILD_DIR, "--prefix", CUSTOM_PREFIX, "--strip",
                env=dict(os.environ, DESTDIR=destdir))
            # Nothing escapes the prefix, as an absolute destination would.
            self.assertEqual([os.listdir(destdir), os.listdir(destdir + "/opt")],
                             [["opt"], ["kessary games"]])
            link = os.path.join(destdir, "kessary")
            os.symlink(os.path.join(destdir + CUSTOM_PREFIX, "games", "kessary"), link)
            self.assertEqual(play_from_elsewhere(self, link)[0], kh.WHOLE_WINDOW[2:])


if __name__ == "__main__":
    unittest.main()
