#!/usr/bin/env python3
"""One whole run of RAVO on a real X display, driven by real input only.

The program starts on a virtual X server (xcb platform) in a fresh folder of
text files. The user's part is played with xdotool: keys, typing and clicks,
nothing else reaches the program. It lists three files through the open-file
dialog, types two string pairs, presses the run button, ticks the backup box,
enters the backup folder in the folder list and continues. Then the files on
disk and the backup copies are checked, the program is closed through its
close box and must end with status 0.

Screenshots of the main window and of the backup-and-run dialog are left in
the artefacts folder (second argument). Every wait is bounded: a step that
does not happen fails the test with a message naming it, and the program is
killed on every way out.

Usage: end_to_end_test.py path/to/ravo artefacts-folder
"""

import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MAIN_TITLE = "Hromadná změna obsahu více textových souborů najednou"
OPEN_TITLE = "Vyber soubory do seznamu hromadné změny:"
BACKUP_TITLE = "Zálohovat soubory před změnou do specifikovaného adresáře?"

# The whole test has to end well inside a minute, on a loaded machine too.
WHOLE_TEST_SECONDS = 55
STEP_SECONDS = 15

SCREEN = "1280x1024x24"
BACKUP_FOLDER = "zaloha"
# A second sub-folder sorted before the backup folder, so that only the typed
# search, not a lucky first row, reaches the backup folder.
DECOY_FOLDER = "archiv"

PAIRS = [("alpha", "gamma"), ("gamma", "žluťoučký kůň")]
FINAL = "žluťoučký kůň".encode()

# name, listed, content before the run, content expected after it. Pair 2
# sees what pair 1 wrote; only the first occurrence in a line changes, case
# counts, and a line that is just the search text becomes just the
# replacement; every line ends in CR LF afterwards, also a last line that had
# no line end. The unlisted file stays as it was and is not backed up.
FILES = [
    ("a.txt", True,
     b"alpha beta alpha\nnothing here\nalpha\ngamma alpha\n",
     FINAL + b" beta alpha\r\nnothing here\r\n" + FINAL + b"\r\n" + FINAL + b" gamma\r\n"),
    ("b.txt", True,
     b"beta alpha",
     b"beta " + FINAL + b"\r\n"),
    ("c.txt", True,
     b"no match at all\n\nALPHA alpha\n",
     b"no match at all\r\n\r\nALPHA " + FINAL + b"\r\n"),
    ("d.txt", False,
     b"alpha\n",
     b"alpha\n"),
]


class Failure(Exception):
    """A step of the run that did not happen; the message names it."""


class Deadline:
    def __init__(self, seconds):
        self.end = time.monotonic() + seconds

    def left(self):
        return self.end - time.monotonic()


WHOLE = Deadline(WHOLE_TEST_SECONDS)


def wait_for(what, condition, seconds=STEP_SECONDS, interval=0.1):
    """Polls condition until it gives a true value and returns that value."""
    step = Deadline(min(seconds, max(WHOLE.left(), 0)))
    while True:
        value = condition()
        if value:
            return value
        if step.left() <= 0:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(interval)


def run(*command, check=True):
    try:
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=STEP_SECONDS, check=False)
    except subprocess.TimeoutExpired:
        raise Failure(f"{' '.join(command)} did not finish in {STEP_SECONDS} s") from None
    if check and done.returncode != 0:
        raise Failure(f"{' '.join(command)} failed: {done.stderr.decode(errors='replace').strip()}")
    return done.stdout


def xdotool(*arguments, check=True):
    return run("xdotool", *arguments, check=check).decode(errors="replace")


# ---------------------------------------------------------------- windows

def visible_windows(title):
    """Ids of the visible windows whose title is exactly `title`."""
    pattern = "^" + "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in title) + "$"
    found = xdotool("search", "--onlyvisible", "--name", pattern, check=False)
    return [line for line in found.split() if line]


def wait_for_window(title, what):
    return wait_for(what, lambda: (visible_windows(title) or [None])[0])


def wait_until_gone(title, what):
    wait_for(what, lambda: not visible_windows(title))


def geometry(window):
    values = {}
    for line in xdotool("getwindowgeometry", "--shell", window).splitlines():
        key, _, value = line.partition("=")
        values[key] = int(value) if value.lstrip("-").isdigit() else value
    return values


def focus(window):
    # No window manager runs, so focus follows nothing by itself.
    xdotool("windowfocus", "--sync", window)


def click(window, x, y):
    xdotool("mousemove", "--window", window, "--sync", str(x), str(y))
    xdotool("click", "1")


def keys(*names):
    xdotool("key", "--delay", "40", *names)


def type_text(text):
    xdotool("type", "--delay", "40", text)


def capture(window):
    return run("import", "-window", window, "png:-")


def settled_capture(window, path=None):
    """A picture of the window once two captures in a row agree."""
    previous = capture(window)
    step = Deadline(3)
    while step.left() > 0:
        time.sleep(0.15)
        current = capture(window)
        if current == previous:
            break
        previous = current
    if path:
        with open(path, "wb") as picture:
            picture.write(previous)
    return previous


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


class XConnection:
    """The test's own connection to the X server, open for the whole run.

    It puts the typed non-ASCII characters on spare keys before the program
    starts. Otherwise xdotool binds each such character to a spare key just
    for its keystroke, and a program busy elsewhere may read the key after
    the binding is gone and lose the character. Holding the connection also
    keeps the server from resetting the keyboard when its last other client
    goes.
    """

    def __init__(self):
        x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.POINTER(XEvent)]
        x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                         ctypes.POINTER(ctypes.c_int)]
        x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
        x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                            ctypes.POINTER(ctypes.c_int)]
        x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                               ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
        self.x11 = x11
        self.display = x11.XOpenDisplay(None)
        if not self.display:
            raise Failure("cannot open the X display")

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def spare_keycodes(self):
        lowest, highest = ctypes.c_int(), ctypes.c_int()
        self.x11.XDisplayKeycodes(self.display, ctypes.byref(lowest), ctypes.byref(highest))
        per_key = ctypes.c_int()
        count = highest.value - lowest.value + 1
        table = self.x11.XGetKeyboardMapping(self.display, lowest.value, count, ctypes.byref(per_key))
        try:
            # Keycode 8 is left alone: some clients never read it.
            return [lowest.value + key for key in range(count)
                    if lowest.value + key > 8
                    and not any(table[key * per_key.value + level] for level in range(per_key.value))]
        finally:
            self.x11.XFree(table)

    def map_characters(self, text):
        wanted = sorted({c for c in text if ord(c) > 127})
        spare = self.spare_keycodes()
        if len(spare) < len(wanted):
            raise Failure(f"only {len(spare)} spare keys for {len(wanted)} characters")
        for keycode, character in zip(spare, wanted):
            # Unicode keysyms: 0x1000000 plus the code point.
            keysym = (ctypes.c_ulong * 1)(0x1000000 + ord(character))
            self.x11.XChangeKeyboardMapping(self.display, keycode, 1, keysym, 1)
        self.x11.XSync(self.display, 0)

    def send_close_box(self, window):
        """The WM_DELETE_WINDOW message a window manager sends for the close box."""
        event = XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = int(window)
        event.xclient.message_type = self.x11.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = self.x11.XInternAtom(self.display, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        if not self.x11.XSendEvent(self.display, event.xclient.window, 0, 0, ctypes.byref(event)):
            raise Failure("the close message could not be sent")
        self.x11.XFlush(self.display)


# ------------------------------------------------------------ the fields

def white_runs(column, minimum):
    """(start, end) of each run of pure white pixels at least `minimum` long."""
    runs, start = [], None
    for y, value in enumerate(column + b"\0"):
        if value == 255 and start is None:
            start = y
        elif value != 255 and start is not None:
            if y - start >= minimum:
                runs.append((start, y))
            start = None
    return runs


def string_field_centres(window):
    """Window positions of the eight string fields, in the order on screen:
    Original 1, Replacement 1, Original 2, ... The fields are the only white
    boxes in a column through the middle of the strings group, which fills
    the right half of the window above the run button and the log."""
    size = geometry(window)
    x = size["WIDTH"] * 3 // 4
    column = run("import", "-window", window, "-crop", f"1x{size['HEIGHT']}+{x}+0",
                 "-depth", "8", "gray:-")
    runs = white_runs(column, 12)
    if len(runs) < 8:
        raise Failure(f"found {len(runs)} string fields in the main window instead of 8")
    return [(x, (top + bottom) // 2) for top, bottom in runs[:8]]


def run_button_centre(window):
    # The run button sits at the left of the run group, which is anchored to
    # the bottom of the right half: above the log group (81) and the credit
    # panel (18); the button is 161 x 25 at 4, 10 in its group of height 39.
    size = geometry(window)
    return size["WIDTH"] // 2 + 4 + 80, size["HEIGHT"] - 18 - 81 - 39 + 10 + 12


# --------------------------------------------------------------- the run

def make_folder(root):
    for name, _, before, _ in FILES:
        with open(os.path.join(root, name), "wb") as file:
            file.write(before)
    os.mkdir(os.path.join(root, BACKUP_FOLDER))
    os.mkdir(os.path.join(root, DECOY_FOLDER))


def current_folder(pid):
    try:
        return os.readlink(f"/proc/{pid}/cwd")
    except OSError:
        return None


def add_files(window):
    focus(window)
    keys("ctrl+o")
    dialog = wait_for_window(OPEN_TITLE, "the open-file dialog after Ctrl+O")
    focus(dialog)
    names = " ".join(f'"{name}"' for name, listed, _, _ in FILES if listed)
    type_text(names)
    keys("Return")
    wait_until_gone(OPEN_TITLE, f"the open-file dialog to accept {names}")


def type_pairs(window):
    focus(window)
    settled_capture(window)
    fields = string_field_centres(window)
    # Tab runs through the four Originals first, then the Replacements.
    click(window, *fields[0])
    type_text(PAIRS[0][0])
    keys("Tab")
    type_text(PAIRS[1][0])
    keys("Tab", "Tab", "Tab")
    type_text(PAIRS[0][1])
    keys("Tab")
    type_text(PAIRS[1][1])


def choose_backup_and_continue(program, window, folder, artefacts):
    click(window, *run_button_centre(window))
    dialog = wait_for_window(BACKUP_TITLE, "the backup-and-run dialog after the run button")
    focus(dialog)
    keys("alt+z")
    wait_for("the backup box to open the folder chooser",
             lambda: geometry(dialog)["HEIGHT"] == 300)
    # Alt+S puts the focus into the folder list; typing picks the row.
    keys("alt+s")
    type_text(BACKUP_FOLDER[0])
    keys("Return")
    backup = os.path.join(folder, BACKUP_FOLDER)
    wait_for(f"the folder list to enter {backup}", lambda: current_folder(program.pid) == backup)
    settled_capture(dialog, os.path.join(artefacts, "dialog.png"))
    if geometry(dialog)["HEIGHT"] != 300:
        raise Failure("the backup box was unticked before continuing")
    keys("alt+p")
    wait_until_gone(BACKUP_TITLE, "the dialog to close on Alt+P")


def read(path):
    try:
        with open(path, "rb") as file:
            return file.read()
    except OSError:
        return None


def run_finished(folder):
    leftovers = [name for name in os.listdir(folder) if name.endswith(".TMP")]
    return not leftovers and all(read(os.path.join(folder, name)) == after
                                 for name, _, _, after in FILES)


def check_results(folder):
    problems = []
    backup = os.path.join(folder, BACKUP_FOLDER)
    for name, listed, before, after in FILES:
        now = read(os.path.join(folder, name))
        if now != after:
            problems.append(f"{name}: expected {after!r}, found {now!r}")
        copy = read(os.path.join(backup, name))
        expected_copy = before if listed else None
        if copy != expected_copy:
            problems.append(f"backup of {name}: expected {expected_copy!r}, found {copy!r}")
    extra = sorted(set(os.listdir(backup)) - {name for name, listed, _, _ in FILES if listed})
    if extra:
        problems.append(f"unexpected files in the backup folder: {extra}")
    if os.listdir(os.path.join(folder, DECOY_FOLDER)):
        problems.append(f"{DECOY_FOLDER} is no longer empty")
    leftovers = [name for name in os.listdir(folder) if name.endswith(".TMP")]
    if leftovers:
        problems.append(f"temporary files left: {leftovers}")
    if problems:
        raise Failure("the files on disk are not as expected:\n  " + "\n  ".join(problems))


def close_program(x, program, window):
    others = [title for title in (OPEN_TITLE, BACKUP_TITLE, "RAVO") if visible_windows(title)]
    if others:
        raise Failure(f"windows still open after the run: {others}")
    x.send_close_box(window)
    wait_for("the program to end after its close box", lambda: program.poll() is not None)
    if program.returncode != 0:
        raise Failure(f"the program ended with status {program.returncode}")


def program_environment(home):
    """The program's environment: its own settings folders, so that no folder
    remembered by an earlier run of a Qt file dialog decides where the
    open-file dialog starts, and nothing of this run is remembered after it."""
    folders = {}
    for variable in ("XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"):
        folders[variable] = os.path.join(home, variable.lower())
        os.mkdir(folders[variable], 0o700)
    return dict(os.environ, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8", **folders)


def end_to_end(program_path, artefacts):
    x = XConnection()
    base = os.path.realpath(tempfile.mkdtemp(prefix="ravo-e2e-"))
    folder = os.path.join(base, "soubory")
    program = None
    try:
        x.map_characters("".join(original + replacement for original, replacement in PAIRS))
        os.mkdir(folder)
        os.mkdir(os.path.join(base, "home"))
        make_folder(folder)
        environment = program_environment(os.path.join(base, "home"))
        with open(os.path.join(artefacts, "ravo.log"), "wb") as log:
            program = subprocess.Popen([program_path], cwd=folder, env=environment,
                                       stdout=log, stderr=subprocess.STDOUT)
        window = wait_for_window(MAIN_TITLE, "the main window")
        add_files(window)
        type_pairs(window)
        settled_capture(window, os.path.join(artefacts, "main-before-run.png"))
        choose_backup_and_continue(program, window, folder, artefacts)
        try:
            wait_for("the run to rewrite the listed files", lambda: run_finished(folder))
        except Failure:
            pass  # the check below says what is wrong
        settled_capture(window, os.path.join(artefacts, "main.png"))
        check_results(folder)
        close_program(x, program, window)
    except Exception:
        try:
            with open(os.path.join(artefacts, "failure.png"), "wb") as picture:
                picture.write(capture("root"))
        except Exception:  # the picture only helps; the first failure counts
            pass
        raise
    finally:
        if program is not None and program.poll() is None:
            program.kill()
            program.wait()
        shutil.rmtree(base, ignore_errors=True)
        # Last: with the X server already gone, Xlib ends the process here.
        x.close()


def stop_on_signal(number, _frame):
    # Said at once: the X server may be going too, and then so does this process.
    print(f"FAIL: stopped by signal {number} (the test took too long or was cancelled)",
          file=sys.stderr, flush=True)
    raise SystemExit(1)


def main(arguments):
    if len(arguments) != 3:
        sys.exit("usage: end_to_end_test.py path/to/ravo artefacts-folder")
    program_path, artefacts = os.path.abspath(arguments[1]), os.path.abspath(arguments[2])
    for tool in ("xvfb-run", "xdotool", "import", "timeout"):
        if shutil.which(tool) is None:
            sys.exit(f"FAIL: {tool} is not installed (scripts/deps installs it)")
    if not os.environ.get("RAVO_E2E_ON_DISPLAY"):
        # A display of our own; the whole of it is stopped after a minute.
        os.environ["RAVO_E2E_ON_DISPLAY"] = "1"
        os.execvp("timeout", ["timeout", "--kill-after=5", "60",
                              "xvfb-run", "-a", "-s", f"-screen 0 {SCREEN}",
                              sys.executable, os.path.abspath(arguments[0]), program_path, artefacts])
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(number, stop_on_signal)
    os.makedirs(artefacts, exist_ok=True)
    for old in ("main.png", "main-before-run.png", "dialog.png", "failure.png"):
        if os.path.exists(os.path.join(artefacts, old)):
            os.remove(os.path.join(artefacts, old))
    started = time.monotonic()
    try:
        end_to_end(program_path, artefacts)
    except Failure as failure:
        sys.exit(f"FAIL: {failure}")
    print(f"PASS: three files rewritten by two pairs, backed up and checked "
          f"in {time.monotonic() - started:.1f} s; screenshots in {artefacts}")


if __name__ == "__main__":
    main(sys.argv)
