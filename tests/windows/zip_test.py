"""The Windows zip as a player gets it: its layout, kessary.exe's make (read from
its PE headers), and the game unpacked into a folder with a non-ASCII name and
started under Wine from another working folder on a private Xvfb with openbox.

Run inside scripts/windows.sh's windows_with_wine (a private WINEPREFIX, its
wineserver already running):

    zip_test.py KESSARY-VERSION-windows-x64.zip [unittest options]
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "e2e"))
import kessary_harness as kh  # noqa: E402
import play_test  # noqa: E402  (the column-5 check)

zip_path = None  # set from the command line
WINE_START = 90.0  # seconds; Wine's first start of a program in a fresh prefix is slow
PICTURE_COUNT = 46
LICENCES = {"SDL2", "sdl12-compat", "libpng", "zlib", "SOIL"}
MESSAGE_TITLE = "kessary"  # the message box's
UNPACK_NAME = "Kessary-Spiel-\u00e4\u732b"  # a folder Windows must be given in UTF-16

# Windows' own DLLs the program and SDL may import; anything else (libgcc_s,
# libstdc++, libwinpthread, libssp) would be a DLL the zip lacks.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll",
               "opengl32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll", "imm32.dll",
               "setupapi.dll", "version.dll", "winmm.dll"}
GUI_SUBSYSTEM, AMD64 = 2, 0x8664
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x0040, 0x0020, 0x0100
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

DRAWN_COLOURS = 400  # distinct colours in the queue row: drawn tiles have far more
BIG_SCREEN, BIG_WINDOW = "3840x2160", (1920, 1740)


class PortableExecutable:
    """The parts of a PE file the checks need: machine, subsystem, DLL
    characteristics, imported DLLs and the resources by type."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
        self.machine, sections, _, _, _, optional_size = struct.unpack_from("<HHIIIH", data, pe + 4)
        optional = pe + 24
        assert struct.unpack_from("<H", data, optional)[0] == 0x20B, "not PE32+"
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i)
                            for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8)
                         for i in range(sections)]  # size, address, raw size, raw offset

    def offset(self, rva):
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError("address %#x in no section" % rva)

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        names, entry = [], self.offset(self.directories[1][0])
        while True:
            name_rva = struct.unpack_from("<IIIII", self.data, entry)[3]
            if name_rva == 0:
                return names
            names.append(self.string(name_rva))
            entry += 20

    def resources(self):
        """{type id: [the bytes of each resource of that type]}."""
        base = self.offset(self.directories[2][0])

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                yield ident, target

        def leaves(target):
            if target & 0x80000000:
                for _, inner in entries(target & 0x7FFFFFFF):
                    yield from leaves(inner)
            else:
                rva, size = struct.unpack_from("<II", self.data, base + target)
                yield self.data[self.offset(rva):self.offset(rva) + size]

        return {ident: list(leaves(target)) for ident, target in entries(0)}


def zip_members():
    with zipfile.ZipFile(zip_path) as archive:
        return archive.namelist()


def read_member(name):
    with zipfile.ZipFile(zip_path) as archive:
        folder = archive.namelist()[0].split("/")[0]
        return archive.read(folder + "/" + name)


class Zip(unittest.TestCase):
    def test_one_folder_with_the_program_its_dlls_pictures_readme_and_licences(self):
        names = zip_members()
        folders = {name.split("/")[0] for name in names}
        self.assertEqual(len(folders), 1, folders)
        inside = {name.split("/", 1)[1] for name in names}
        for name in ("kessary.exe", "SDL.dll", "SDL2.dll", "README.txt", "LICENSE.txt"):
            self.assertIn(name, inside)
        self.assertEqual(len([n for n in inside if n.startswith("dat/img/") and
                              n.endswith(".png")]), PICTURE_COUNT)
        self.assertEqual({n[len("licences/"):-len(".txt")] for n in inside
                          if n.startswith("licences/")}, LICENCES)
        self.assertNotIn(b"\n", read_member("README.txt").replace(b"\r\n", b""))

    def test_the_program_is_a_hardened_64_bit_gui_program_needing_only_sdl(self):
        program = PortableExecutable(read_member("kessary.exe"))
        self.assertEqual(program.machine, AMD64)
        self.assertEqual(program.subsystem, GUI_SUBSYSTEM)  # no console window
        wanted = DYNAMIC_BASE | HIGH_ENTROPY_VA | NX_COMPAT
        self.assertEqual(program.dll_characteristics & wanted, wanted)
        self.assertEqual({name.lower() for name in program.imports()} - SYSTEM_DLLS, {"sdl.dll"})
        for dll in ("SDL.dll", "SDL2.dll"):  # SDL.dll loads SDL2.dll itself, when it starts
            imports = {name.lower() for name in PortableExecutable(read_member(dll)).imports()}
            self.assertEqual(imports - SYSTEM_DLLS, set(), dll)

    def test_the_program_carries_its_icon_version_and_dpi_aware_manifest(self):
        resources = PortableExecutable(read_member("kessary.exe")).resources()
        self.assertGreaterEqual(len(resources.get(RT_ICON, [])), 4)  # 48 to 256 pixels
        self.assertEqual(len(resources.get(RT_GROUP_ICON, [])), 1)
        version = resources[RT_VERSION][0].decode("utf-16-le", errors="replace")
        for text in ("ProductName", "Kessary", "FileVersion", "1.0.0", "LegalCopyright"):
            self.assertIn(text, version)
        manifest = resources[RT_MANIFEST][0].decode("utf-8")
        self.assertIn("PerMonitorV2", manifest)
        self.assertIn("true/pm", manifest)


def said(game):
    """The game's own lines on stderr. (Wine's processes share it: its sound driver
    complains there of no sound card, its desktop of the X server going away.)"""
    return "".join(line for line in game.stderr().replace("\r", "").splitlines(True)
                   if line.startswith("kessary"))


def snapshot(folder):
    return {os.path.relpath(os.path.join(root, name), folder)
            for root, dirs, files in os.walk(folder) for name in dirs + files}


class UnderWine(unittest.TestCase):
    """The game from the unpacked zip, started from another folder."""

    def setUp(self):
        self.stop_wine()  # a desktop started before, for no display or another one
        self.temporary = tempfile.mkdtemp(prefix="kessary-windows-")
        self.game_dir = os.path.join(self.temporary, UNPACK_NAME)
        with zipfile.ZipFile(zip_path) as archive:
            archive.extractall(self.game_dir)
            folder = archive.namelist()[0].split("/")[0]
        self.game_dir = os.path.join(self.game_dir, folder)
        self.work_dir = os.path.join(self.temporary, "elsewhere")
        os.mkdir(self.work_dir)

    def tearDown(self):
        shutil.rmtree(self.temporary, ignore_errors=True)

    def start(self, display):
        """kessary.exe under Wine, its working folder `elsewhere`; Wine ended afterwards."""
        self.addCleanup(self.stop_wine)
        kh.kessary_path = os.path.join(self.game_dir, "kessary.exe")
        return self.enterContext(kh.kessary(display, find_window=False,
                                            wrapper=("env", "-C", self.work_dir, "wine")))

    @staticmethod
    def stop_wine():
        """Ends Wine's processes, its desktop among them: the next test's X server is
        another, and a desktop started for one display stays on it."""
        subprocess.run(["wineserver", "-k"], check=False)
        subprocess.run(["wineserver", "-w"], check=False)

    def find_window(self, game):
        game.window = kh.wait_for_window(game, WINE_START)
        self.focus(game, game.window)

    @staticmethod
    def focus(game, window):
        kh.x_tool(game.display, "xdotool", "windowactivate", "--sync", window, check=False)
        kh.x_tool(game.display, "xdotool", "windowfocus", "--sync", window)

    def drawn_colours(self, game, save_as=None):
        picture = kh.screenshot(game, save_as)
        return len(set(picture.region(play_test.QUEUE_ROW)))

    def quit(self, game):
        self.focus(game, game.window)
        self.assertEqual(kh.quit_by_escape(game), 0, game.stderr())

    def test_plays_from_another_folder_and_writes_nothing(self):
        before = (snapshot(self.game_dir), snapshot(self.work_dir))
        with kh.xvfb(window_manager=True) as display:
            game = self.start(display)
            self.find_window(game)
            self.assertEqual(kh.window_geometry(game)[2:], (kh.WINDOW_WIDTH, kh.WINDOW_HEIGHT))
            kh.poll(game, "tiles drawn", lambda: self.drawn_colours(game) > DRAWN_COLOURS,
                    WINE_START)
            # Right five times from column 0 is column 5, which the timer's drops reach
            # only after columns 0 to 4 are full: its tiles came from space and z.
            kh.press(game, *["Right"] * 5, "space", "z", delay_ms=40)
            time.sleep(0.6)
            picture = kh.screenshot(game, "windows-play.png")
            self.assertTrue(play_test.two_tiles_in_column_5(picture),
                            "Right, space and z did not drop two tiles into column 5")
            self.quit(game)
        self.assertEqual(said(game), "")
        self.assertEqual((snapshot(self.game_dir), snapshot(self.work_dir)), before)

    def test_missing_pictures_are_told_in_a_box_and_the_game_plays_on(self):
        shutil.rmtree(os.path.join(self.game_dir, "dat", "img"))
        with kh.xvfb(window_manager=True) as display:
            game = self.start(display)
            box = kh.wait_for_window(game, WINE_START, title=MESSAGE_TITLE)
            subprocess.run(["import", "-window", "root", "windows-message-box.png"],
                           env=kh.x_env(display), timeout=kh.EXIT_TIMEOUT, check=False)
            self.focus(game, box)
            kh.press(game, "Return")
            kh.poll(game, "message box closed",
                    lambda: box not in kh.visible_windows(display, MESSAGE_TITLE), kh.EXIT_TIMEOUT)
            self.find_window(game)
            # Playing on: blank tiles, but frames still drawn and keys still taken.
            kh.poll(game, "frames drawn", lambda: kh.screenshot(game).mean_brightness() < 0.999,
                    kh.START_TIMEOUT)
            self.assertLess(self.drawn_colours(game, "windows-no-pictures.png"), DRAWN_COLOURS)
            self.quit(game)
        line = said(game)
        self.assertRegex(line, r"\Akessary: 46 of 46 pictures could not be read from "
                               r"[A-Z]:\\.*\\dat\\img\\; the dat folder must stay beside "
                               r"kessary\.exe: unpack the whole zip again\n\Z")
        self.assertIn(UNPACK_NAME, line)  # the path as Windows gave it, in UTF-8

    @staticmethod
    def full_screen_picture(game, screen):
        """Whether the screen shows the game's picture filling its height, drawn (many
        colours), with black bars beside it (seen a quarter size, from the root window:
        Wine's window is briefly replaced as it goes full screen)."""
        width, height = screen[0] // 4, screen[1] // 4
        picture_width = round(height * kh.WINDOW_WIDTH / kh.WINDOW_HEIGHT)
        left = (width - picture_width) // 2
        shot = kh.ppm("convert", "x:root", "-scale", "25%", "-depth", "8", "ppm:-",
                      env=kh.x_env(game.display))
        bars = [(0, 0, left - 2, height), (left + picture_width + 2, 0, width, height)]
        return (all(max(shot.brightness(box)) < 0.05 for box in bars) and
                len(set(shot.region((left + 2, 0, left + picture_width - 2, height)))) >
                DRAWN_COLOURS)

    def test_a_big_screen_gets_the_scaled_window_f11_full_screen_and_alt_enter_back(self):
        with kh.xvfb(screen=BIG_SCREEN, window_manager=True) as display:
            game = self.start(display)
            self.find_window(game)
            kh.poll(game, "scaled window", lambda: kh.window_geometry(game)[2:] == BIG_WINDOW,
                    kh.START_TIMEOUT)
            kh.press(game, "F11")
            full = tuple(int(n) for n in BIG_SCREEN.split("x"))
            kh.poll(game, "full screen", lambda: kh.window_geometry(game)[2:] == full,
                    kh.START_TIMEOUT)
            kh.poll(game, "full-screen picture between black bars",
                    lambda: self.full_screen_picture(game, full), kh.START_TIMEOUT)
            kh.screenshot(game, "windows-full-screen.png")
            kh.press(game, "alt+Return")  # and back
            kh.poll(game, "window again", lambda: kh.window_geometry(game)[2:] == BIG_WINDOW,
                    kh.START_TIMEOUT)
            self.quit(game)


if __name__ == "__main__":
    i = 1
    zip_path = os.path.abspath(sys.argv.pop(i))
    unittest.main()
