#!/usr/bin/env python3
"""One whole run of RAVO on a real X display, driven by real input only.

The program starts on a virtual X server (xcb platform) in a fresh folder of
text files, in one of two rounds: on the bare X server, or under a window
manager (openbox) that frames, stacks, focuses and minimises the windows.
The user's part is played with xdotool: keys, typing and clicks, nothing else
reaches the program. On the way every box and dialog the run meets is checked
where it stands (by its outer size, frame included, as the window manager
draws it: _NET_FRAME_EXTENTS) and photographed:

- Alt+Z with an empty list presses the run button: the notice box;
- the tool button lists three files through the open-file dialog;
- two string pairs are typed; Ctrl+Del asks in the confirmation box, No;
- the help window is opened and left open beside the main window;
- the run button opens the backup-and-run dialog: transient for the main
  window (WM_TRANSIENT_FOR), without close, minimise or maximise functions
  (_MOTIF_WM_HINTS); keys pressed in the greyed main window run nothing; under
  the window manager a click on the greyed main window brings the dialog
  forward over it and over the help window (_NET_CLIENT_LIST_STACKING), and
  minimising the dialog minimises the main window with it;
- the backup box is ticked, the backup folder entered, the run continued.

Then the files on disk and the backup copies are checked. A second run with
a listed file gone ends in the error box; once it is closed, the focus is
back on the run button (Space opens the dialog again, which is cancelled).
Last, the program is closed through its close box and must end with status 0.

Screenshots of the whole screen at each box are left in the round's folder
of the artefacts folder (second argument). Every wait is bounded: a step that
does not happen fails the test with a message naming it, and the program is
killed on every way out.

Usage: end_to_end_test.py path/to/ravo artefacts-folder bare|openbox
"""

import ctypes
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MAIN_TITLE = "Hromadná změna obsahu více textových souborů najednou"
OPEN_TITLE = "Vyber soubory do seznamu hromadné změny:"
BACKUP_TITLE = "Zálohovat soubory před změnou do specifikovaného adresáře?"
HELP_TITLE = "RAVO - Nápověda"
NOTICE_TITLE = "RAVO"  # the notice and the error box carry the application's title
CONFIRM_TITLE = "Confirm"

ROUNDS = ("bare", "openbox")

# A round has to end well inside a minute and a half, on a loaded machine too.
WHOLE_TEST_SECONDS = 80
STEP_SECONDS = 15
# How long a key that must do nothing is given to do something.
NOTHING_SECONDS = 1.0

SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024
SCREEN = f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24"
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
# no line end. The unlisted file stays as it was and is not backed up. The
# names share their start, which once made the open-file dialog answer with
# one typed name only.
FILES = [
    ("a1.txt", True,
     b"alpha beta alpha\nnothing here\nalpha\ngamma alpha\n",
     FINAL + b" beta alpha\r\nnothing here\r\n" + FINAL + b"\r\n" + FINAL + b" gamma\r\n"),
    ("a2.txt", True,
     b"beta alpha",
     b"beta " + FINAL + b"\r\n"),
    ("a3.txt", True,
     b"no match at all\n\nALPHA alpha\n",
     b"no match at all\r\n\r\nALPHA " + FINAL + b"\r\n"),
    ("a4.txt", False,
     b"alpha\n",
     b"alpha\n"),
]
# The order the listed files are typed in, not the order of their names; the
# failed run shows that the list keeps it.
TYPED = ["a2.txt", "a3.txt", "a1.txt"]
GONE = "a3.txt"


class Failure(Exception):
    """A step of the run that did not happen; the message names it."""


class Deadline:
    def __init__(self, seconds):
        self.end = time.monotonic() + seconds

    def left(self):
        return self.end - time.monotonic()


WHOLE = Deadline(WHOLE_TEST_SECONDS)


class Round:
    """What the round is: its name, whether a window manager runs, and the
    folder its screenshots go to."""
    name = "bare"
    managed = False
    artefacts = "."


def wait_for(what, condition, seconds=STEP_SECONDS, interval=0.1, explain=None):
    """Polls condition until it gives a true value and returns that value.
    On time-out the failure names `what` and, when given, what explain() says
    about the state then."""
    step = Deadline(min(seconds, max(WHOLE.left(), 0)))
    while True:
        value = condition()
        if value:
            return value
        if step.left() <= 0:
            detail = f": {explain()}" if explain else ""
            raise Failure(f"timed out waiting for {what}{detail}")
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
    """Brings the window to the front and gives it the keyboard: through the
    window manager when one runs, directly otherwise."""
    if Round.managed:
        xdotool("windowactivate", "--sync", window)
    else:
        xdotool("windowraise", window)
        xdotool("windowfocus", "--sync", window)


def pointer():
    found = re.search(r"x:(-?\d+) y:(-?\d+)", xdotool("getmouselocation"))
    return int(found.group(1)), int(found.group(2))


def click(window, x, y):
    """A click at x, y of the window's client area. (xdotool's own wait for
    the pointer can hang under a window manager.)"""
    left, top, _, _ = client_rectangle(window)
    target = (left + x, top + y)
    xdotool("mousemove", str(target[0]), str(target[1]))
    wait_for(f"the pointer to reach {target}", lambda: pointer() == target, seconds=5, interval=0.05)
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


def screenshot(name):
    """The whole screen, frames and all, into the round's folder."""
    settled_capture("root", os.path.join(Round.artefacts, name + ".png"))


# ------------------------------------------------ what the X server knows

def property_text(window, name):
    """xprop's text of one property of a window ("root" for the root), or
    None when the window does not have it."""
    arguments = ["-root"] if window == "root" else ["-id", str(window)]
    done = run("xprop", *arguments, name, check=False).decode(errors="replace")
    return None if "not found" in done or "=" not in done and ":" not in done else done


def numbers_of(text):
    return [int(value, 0) for value in re.findall(r"0x[0-9a-fA-F]+|\b\d+\b", text.split("=", 1)[-1])]


def window_ids(text):
    return [int(value, 16) for value in re.findall(r"0x[0-9a-fA-F]+", text or "")]


def frame_extents(window):
    """(left, right, top, bottom) of the frame the window manager draws, all
    0 without one."""
    text = property_text(window, "_NET_FRAME_EXTENTS")
    return tuple(numbers_of(text)) if text else (0, 0, 0, 0)


def client_rectangle(window):
    info = run("xwininfo", "-id", str(window)).decode(errors="replace")

    def value(label):
        return int(re.search(label + r":\s+(-?\d+)", info).group(1))

    return (value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height"))


def outer_rectangle(window):
    left, right, top, bottom = frame_extents(window)
    x, y, width, height = client_rectangle(window)
    return x - left, y - top, width + left + right, height + top + bottom


# The placement rules: where the outer top-left corner of a window of outer
# size w x h goes on the screen; every division truncates.
def centred(w, h):
    return (SCREEN_WIDTH - w) // 2, (SCREEN_HEIGHT - h) // 2


def centred_by_halves(w, h):
    return SCREEN_WIDTH // 2 - w // 2, SCREEN_HEIGHT // 2 - h // 2


def bottom_on_the_middle(w, h):
    return SCREEN_WIDTH // 2 - w // 2, SCREEN_HEIGHT // 2 - h


def a_third_down(w, h):
    return (SCREEN_WIDTH - w) // 2, (SCREEN_HEIGHT - h) // 3


def check_placement(window, what, rule):
    """The window's outer top-left corner stands where the rule puts a window
    of its outer size. Under a window manager the frame must be known first,
    or the check would only compare client sizes."""
    def placed():
        if Round.managed and frame_extents(window) == (0, 0, 0, 0):
            return False
        x, y, width, height = outer_rectangle(window)
        return (x, y) == rule(width, height)

    def explain():
        x, y, width, height = outer_rectangle(window)
        return (f"outer {width}x{height} at {x},{y} (frame {frame_extents(window)}), "
                f"expected at {rule(width, height)}")

    wait_for(f"the {what} to stand where its rule puts it", placed, seconds=5, explain=explain)


def transient_for(window):
    ids = window_ids(property_text(window, "WM_TRANSIENT_FOR"))
    return ids[0] if ids else None


# _MOTIF_WM_HINTS: flags, functions, decorations, input mode, status.
MWM_HINTS_FUNCTIONS = 1
MWM_FUNC_ALL, MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE, MWM_FUNC_CLOSE = 1, 8, 16, 32


def check_no_title_bar_buttons(window, what):
    text = property_text(window, "_MOTIF_WM_HINTS")
    hints = numbers_of(text) if text else []
    if len(hints) < 2 or not hints[0] & MWM_HINTS_FUNCTIONS:
        raise Failure(f"the {what} declares no window functions: {text}")
    offered = hints[1] & (MWM_FUNC_ALL | MWM_FUNC_MINIMIZE | MWM_FUNC_MAXIMIZE | MWM_FUNC_CLOSE)
    if offered:
        raise Failure(f"the {what} offers all, close, minimise or maximise functions: {text}")


def stacking():
    """Managed windows from the bottom up, as the window manager stacks them."""
    return window_ids(property_text("root", "_NET_CLIENT_LIST_STACKING"))


def active_window():
    ids = window_ids(property_text("root", "_NET_ACTIVE_WINDOW"))
    return ids[0] if ids else None


def window_state(window):
    text = property_text(window, "WM_STATE") or ""
    found = re.search(r"window state:\s*(\w+)", text)
    return found.group(1) if found else None


def keyboard_window():
    return int(xdotool("getwindowfocus", check=False).strip() or 0)


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
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XCreateSimpleWindow.restype = ctypes.c_ulong
        x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                            ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                            ctypes.c_ulong]
        x11.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long,
                                           ctypes.c_long, ctypes.c_int, ctypes.c_ulong,
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
                                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                           ctypes.POINTER(ctypes.c_void_p)]
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

    def frame_estimated(self, probe):
        """Whether the window manager has set _NET_FRAME_EXTENTS on the probe."""
        extents = self.x11.XInternAtom(self.display, b"_NET_FRAME_EXTENTS", 0)
        kind, width, count, left, data = (ctypes.c_ulong(), ctypes.c_int(), ctypes.c_ulong(),
                                          ctypes.c_ulong(), ctypes.c_void_p())
        self.x11.XGetWindowProperty(self.display, probe, extents, 0, 4, 0, 0, ctypes.byref(kind),
                                    ctypes.byref(width), ctypes.byref(count), ctypes.byref(left),
                                    ctypes.byref(data))
        if data.value:
            self.x11.XFree(data)
        return count.value == 4

    def wait_for_frame_estimates(self):
        """Waits until the window manager answers _NET_REQUEST_FRAME_EXTENTS
        for a window never shown: then it is fully up. A starting openbox
        drops such requests, so the request is repeated."""
        root = self.x11.XDefaultRootWindow(self.display)
        probe = self.x11.XCreateSimpleWindow(self.display, root, 0, 0, 100, 100, 0, 0, 0)
        try:
            def answered():
                event = XEvent()
                event.xclient.type = 33  # ClientMessage
                event.xclient.window = probe
                event.xclient.message_type = self.x11.XInternAtom(self.display, b"_NET_REQUEST_FRAME_EXTENTS", 0)
                event.xclient.format = 32
                substructure = (1 << 19) | (1 << 20)  # SubstructureNotify, SubstructureRedirect
                self.x11.XSendEvent(self.display, root, 0, substructure, ctypes.byref(event))
                self.x11.XSync(self.display, 0)
                time.sleep(0.1)
                return self.frame_estimated(probe)

            wait_for("the window manager to estimate frames", answered, interval=0)
        finally:
            self.x11.XDestroyWindow(self.display, probe)
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


# ------------------------------------------------------------ the controls

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


def white_runs_in_column(window, x, minimum):
    height = geometry(window)["HEIGHT"]
    column = run("import", "-window", window, "-crop", f"1x{height}+{x}+0", "-depth", "8", "gray:-")
    return white_runs(column, minimum)


def string_field_centres(window):
    """Window positions of the eight string fields, in the order on screen:
    Original 1, Replacement 1, Original 2, ... The fields are the only white
    boxes in a column through the middle of the strings group, which fills
    the right half of the window above the run button and the log."""
    x = geometry(window)["WIDTH"] * 3 // 4
    runs = white_runs_in_column(window, x, 12)
    if len(runs) < 8:
        raise Failure(f"found {len(runs)} string fields in the main window instead of 8")
    return [(x, (top + bottom) // 2) for top, bottom in runs[:8]]


def add_tool_centre(window):
    """The tool button that adds files: 33 x 22 at 8, 2 in the 26 pixels
    high strip right above the file list, which is the first long white box
    in a column through the left group while the list is empty."""
    x = 200
    runs = white_runs_in_column(window, x, 60)
    if not runs:
        raise Failure("found no empty file list in the main window")
    list_top = runs[0][0] - 1  # the list's one-pixel frame
    return 2 + 8 + 16, list_top - 26 + 2 + 11


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


def box(title, what, rule, picture):
    """Waits for a box, checks where it stands, photographs it and gives it
    the keyboard."""
    window = wait_for_window(title, what)
    check_placement(window, what, rule)
    screenshot(picture)
    focus(window)
    return window


def box_never_lost(window, box_window, what):
    """Under a window manager the greyed main window can be activated over a
    box, and a box can be minimised alone: the activation brings the box
    back to the front, and a click on the greyed main window brings a
    minimised box back, restored and active, where it stood."""
    if not Round.managed:
        return
    xdotool("windowactivate", window)
    wait_for(f"the {what} to come to the front after the greyed main window was activated",
             lambda: active_window() == int(box_window) and stacking()[-1:] == [int(box_window)],
             explain=lambda: f"active {active_window()}, stacking {stacking()}")
    # Its own area: openbox need not announce the frame again at once.
    before = client_rectangle(box_window)
    xdotool("windowminimize", box_window)
    wait_for(f"the {what} to be minimised", lambda: window_state(box_window) == "Iconic",
             explain=lambda: f"state {window_state(box_window)}")
    click(window, 20, 300)
    wait_for(f"the {what} to come back where it stood after a click on the greyed main window",
             lambda: (window_state(box_window) == "Normal" and active_window() == int(box_window)
                      and client_rectangle(box_window) == before),
             explain=lambda: f"state {window_state(box_window)}, active {active_window()}, "
                             f"at {client_rectangle(box_window)}, not {before}")
    focus(box_window)


def empty_list_notice(window):
    """Alt+Z presses the run button, whose notice says the list is empty."""
    check_placement(window, "main window", centred)
    focus(window)
    keys("alt+z")
    notice = box(NOTICE_TITLE, "notice after Alt+Z on an empty list", centred, "notice")
    box_never_lost(window, notice, "notice")
    keys("Return")
    wait_until_gone(NOTICE_TITLE, "the notice to close on Enter")


def add_files(window):
    focus(window)
    settled_capture(window)
    click(window, *add_tool_centre(window))
    dialog = box(OPEN_TITLE, "open-file dialog after the add tool button", a_third_down, "open-file")
    box_never_lost(window, dialog, "open-file dialog")
    names = " ".join(f'"{name}"' for name in TYPED)
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


def decline_removing_all(window):
    """The tool button enabled the file commands: Ctrl+Del asks, No keeps."""
    focus(window)
    keys("ctrl+Delete")
    box(CONFIRM_TITLE, "confirmation box after Ctrl+Del", centred, "confirmation")
    keys("Escape")
    wait_until_gone(CONFIRM_TITLE, "the confirmation box to close on Escape")


def open_help(window):
    focus(window)
    keys("alt+n")
    keys("j")
    helper = wait_for_window(HELP_TITLE, "the help window after Alt+N, J")
    check_placement(helper, "help window", centred_by_halves)
    if transient_for(helper) is not None:
        raise Failure("the help window belongs to another window; it should stand on its own")
    screenshot("help")
    return helper


def open_backup_dialog(window):
    focus(window)
    click(window, *run_button_centre(window))
    dialog = wait_for_window(BACKUP_TITLE, "the backup-and-run dialog after the run button")
    check_placement(dialog, "backup-and-run dialog", bottom_on_the_middle)
    if transient_for(dialog) != int(window):
        raise Failure(f"the dialog is transient for {transient_for(dialog)}, not for the main window {window}")
    check_no_title_bar_buttons(dialog, "backup-and-run dialog")
    screenshot("dialog-compact")
    return dialog


def nothing_opens(what):
    time.sleep(NOTHING_SECONDS)
    opened = [title for title in (OPEN_TITLE, CONFIRM_TITLE, NOTICE_TITLE) if visible_windows(title)]
    if opened:
        raise Failure(f"{what} opened {opened}")


def greyed_main_window(window, dialog, helper):
    """The greyed main window takes no command. Under a window manager a
    click on it brings the dialog forward, also after the help window was
    brought over it; minimising the dialog takes the main window along."""
    main, front = int(window), int(dialog)

    def dialog_in_front():
        return active_window() == front and stacking()[-1:] == [front]

    def explain():
        return f"active {active_window()}, stacking {stacking()}"

    if Round.managed:
        click(window, 20, 300)
        wait_for("the dialog to come forward after a click on the greyed main window", dialog_in_front,
                 explain=explain)
    # The keyboard straight to the greyed main window, past any window
    # manager, and the keys once more right into it. A window manager may
    # hand the focus back to the dialog before xdotool sees it arrive, so it
    # waits for the focus only on the bare server.
    if Round.managed:
        xdotool("windowfocus", window)
    else:
        xdotool("windowfocus", "--sync", window)
    keys("ctrl+o", "Delete", "ctrl+Delete", "ctrl+z")
    xdotool("key", "--window", window, "ctrl+o", "Delete", "ctrl+Delete", "ctrl+z", "alt+z")
    nothing_opens("a key in the greyed main window")
    if not visible_windows(BACKUP_TITLE):
        raise Failure("the dialog went away after keys in the greyed main window")
    if not Round.managed:
        return
    wait_for("the dialog to come forward after the keyboard went to the greyed main window", dialog_in_front,
             explain=explain)

    # The main window covers the help window now: it is brought forward as
    # its entry in a task bar would.
    xdotool("windowactivate", helper)
    wait_for("the help window to come to the front when activated",
             lambda: stacking()[-1:] == [int(helper)], explain=lambda: f"stacking {stacking()}")
    click(window, 20, 300)
    wait_for("the dialog to come forward over the help window and the main window", dialog_in_front,
             explain=explain)
    order = stacking()
    if order.index(front) < order.index(main):
        raise Failure(f"the dialog stands below the main window: {order}")

    xdotool("windowminimize", dialog)
    wait_for("the main window to be minimised with its dialog",
             lambda: window_state(window) == "Iconic" and window_state(dialog) == "Iconic",
             explain=lambda: f"main {window_state(window)}, dialog {window_state(dialog)}")
    xdotool("windowactivate", window)
    wait_for("both windows back, the dialog in front",
             lambda: (window_state(window) == "Normal" and window_state(dialog) == "Normal"
                      and active_window() == front),
             explain=lambda: f"main {window_state(window)}, dialog {window_state(dialog)}, "
                             f"active {active_window()}")


def choose_backup_and_continue(program, dialog, folder):
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
    settled_capture(dialog, os.path.join(Round.artefacts, "dialog.png"))
    screenshot("dialog-extended")
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


def failed_run(window, folder):
    """A listed file gone: the run ends in the error box. Closed, it leaves
    the focus on the run button, so Space opens the dialog again. The file
    typed after the gone one was not reached, which it would have been had
    the list not kept the typed order."""
    os.remove(os.path.join(folder, GONE))
    focus(window)
    keys("alt+z")
    dialog = wait_for_window(BACKUP_TITLE, "the dialog after Alt+Z")
    focus(dialog)
    keys("alt+p")
    box(NOTICE_TITLE, f"error box of the run without {GONE}", centred, "error")
    keys("Return")
    wait_until_gone(NOTICE_TITLE, "the error box to close on Enter")
    last = TYPED[-1]
    if read(os.path.join(folder, last)) != next(after for name, _, _, after in FILES if name == last):
        raise Failure(f"the run without {GONE} changed {last}, typed after it: the list lost the typed order")
    if Round.managed:
        wait_for("the main window to be active again", lambda: active_window() == int(window))
    else:
        wait_for("the main window to have the keyboard again", lambda: keyboard_window() == int(window))
    keys("space")
    dialog = wait_for_window(BACKUP_TITLE, "the dialog after Space on the run button, which has the focus back")
    focus(dialog)
    keys("alt+u")
    wait_until_gone(BACKUP_TITLE, "the dialog to close on Alt+U")


def close_program(x, program, window):
    others = [title for title in (OPEN_TITLE, BACKUP_TITLE, NOTICE_TITLE, CONFIRM_TITLE) if visible_windows(title)]
    if others:
        raise Failure(f"windows still open after the run: {others}")
    x.send_close_box(window)
    wait_for("the program to end after its close box", lambda: program.poll() is not None)
    if program.returncode != 0:
        raise Failure(f"the program ended with status {program.returncode}")


def private_folders(base):
    """A home and settings folders of the run's own, so that nothing
    remembered by an earlier run (a window manager's settings, say) decides
    anything; the program must leave the home as empty as it found it."""
    home = os.path.join(base, "home")
    folders = {"HOME": home, "XDG_RUNTIME_DIR": os.path.join(base, "runtime")}
    for variable in ("XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"):
        folders[variable] = os.path.join(home, variable.lower())
    for folder in folders.values():
        os.makedirs(folder, 0o700, exist_ok=True)
    return dict(os.environ, LC_ALL="C.UTF-8", **folders)


def check_home_empty(environment):
    """Nothing stored: after the program has ended, no file lies in the home."""
    stored = [os.path.relpath(os.path.join(folder, name), environment["HOME"])
              for folder, _, names in os.walk(environment["HOME"]) for name in names]
    if stored:
        raise Failure(f"the program stored files in the home folder: {sorted(stored)}")


def start_window_manager(x, environment, log):
    """openbox with its stock settings, once it answers requests."""
    manager = subprocess.Popen(["openbox", "--sm-disable", "--config-file", "/etc/xdg/openbox/rc.xml"],
                               env=environment, stdout=log, stderr=subprocess.STDOUT)
    wait_for("openbox to manage the screen",
             lambda: manager.poll() is not None or property_text("root", "_NET_SUPPORTING_WM_CHECK"))
    if manager.poll() is not None:
        raise Failure(f"openbox ended at once with status {manager.returncode}")
    x.wait_for_frame_estimates()
    return manager


def end_to_end(program_path):
    x = XConnection()
    base = os.path.realpath(tempfile.mkdtemp(prefix="ravo-e2e-"))
    folder = os.path.join(base, "soubory")
    program = manager = None
    try:
        x.map_characters("".join(original + replacement for original, replacement in PAIRS))
        os.mkdir(folder)
        make_folder(folder)
        environment = private_folders(base)
        with open(os.path.join(Round.artefacts, "ravo.log"), "wb") as log:
            if Round.managed:
                # Its log and settings go to a home of its own.
                manager_home = os.path.join(base, "manager")
                manager = start_window_manager(x, private_folders(manager_home), log)
            program = subprocess.Popen([program_path], cwd=folder, env=dict(environment, QT_QPA_PLATFORM="xcb"),
                                       stdout=log, stderr=subprocess.STDOUT)
        window = wait_for_window(MAIN_TITLE, "the main window")
        empty_list_notice(window)
        add_files(window)
        type_pairs(window)
        decline_removing_all(window)
        settled_capture(window, os.path.join(Round.artefacts, "main-before-run.png"))
        helper = open_help(window)
        dialog = open_backup_dialog(window)
        greyed_main_window(window, dialog, helper)
        choose_backup_and_continue(program, dialog, folder)
        try:
            wait_for("the run to rewrite the listed files", lambda: run_finished(folder))
        except Failure:
            pass  # the check below says what is wrong
        settled_capture(window, os.path.join(Round.artefacts, "main.png"))
        check_results(folder)
        failed_run(window, folder)
        close_program(x, program, window)
        check_home_empty(environment)
    except Exception:
        try:
            with open(os.path.join(Round.artefacts, "failure.png"), "wb") as picture:
                picture.write(capture("root"))
        except Exception:  # the picture only helps; the first failure counts
            pass
        raise
    finally:
        for process in (program, manager):
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(base, ignore_errors=True)
        # Last: with the X server already gone, Xlib ends the process here.
        x.close()


def stop_on_signal(number, _frame):
    # Said at once: the X server may be going too, and then so does this process.
    print(f"FAIL: stopped by signal {number} (the test took too long or was cancelled)",
          file=sys.stderr, flush=True)
    raise SystemExit(1)


def main(arguments):
    if len(arguments) != 4 or arguments[3] not in ROUNDS:
        sys.exit("usage: end_to_end_test.py path/to/ravo artefacts-folder bare|openbox")
    program_path, artefacts, name = os.path.abspath(arguments[1]), os.path.abspath(arguments[2]), arguments[3]
    tools = ["Xvfb", "xdotool", "xprop", "xwininfo", "import", "timeout"] + (["openbox"] if name == "openbox" else [])
    for tool in tools:
        if shutil.which(tool) is None:
            sys.exit(f"FAIL: {tool} is not installed (scripts/deps installs it)")
    if not os.environ.get("RAVO_E2E_ON_DISPLAY"):
        # A display of our own; the whole of it is stopped after 95 seconds.
        os.environ["RAVO_E2E_ON_DISPLAY"] = "1"
        display = os.path.join(os.path.dirname(os.path.abspath(arguments[0])), "..", "support", "virtual_display.sh")
        os.execvp("timeout", ["timeout", "--kill-after=5", str(WHOLE_TEST_SECONDS + 15), display, SCREEN,
                              sys.executable, os.path.abspath(arguments[0]), program_path, artefacts, name])
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(number, stop_on_signal)
    Round.name, Round.managed = name, name != "bare"
    Round.artefacts = os.path.join(artefacts, name)
    shutil.rmtree(Round.artefacts, ignore_errors=True)
    os.makedirs(Round.artefacts)
    started = time.monotonic()
    try:
        end_to_end(program_path)
    except Failure as failure:
        sys.exit(f"FAIL ({name}): {failure}")
    print(f"PASS ({name}): every box where its rule puts it, three files rewritten by two pairs, "
          f"backed up and checked, the failed run's error box answered, in "
          f"{time.monotonic() - started:.1f} s; screenshots in {Round.artefacts}")


if __name__ == "__main__":
    main(sys.argv)
