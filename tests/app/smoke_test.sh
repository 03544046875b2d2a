#!/usr/bin/env bash
# Smoke test: without a display the program says so in one line and ends
# with status 1; on a virtual X display it starts, shows its main window,
# which is closed through its close box (the WM_DELETE_WINDOW message a
# window manager sends), and ends with status 0. Gives up after a minute
# rather than hang.
set -uo pipefail
program="${1:?usage: smoke_test.sh path/to/ravo}"

# Started with no display, the program says so in one line on standard error
# and ends with status 1, never in Qt's abort (status 134, a core dump); a
# DISPLAY at which no X server answers counts as none.
# Usage: without_display LABEL [VARIABLE=VALUE]...
without_display() {
  local label="$1" said status
  shift
  said="$(ulimit -c 0; timeout 30 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$program" 2>&1 >/dev/null)"
  status=$?
  if [ "$status" -ne 1 ]; then
    echo "FAIL: $label: the program ended with status $status, not 1: $said"
    exit 1
  fi
  if [ -z "$said" ] || [ "$(printf '%s\n' "$said" | wc -l)" -ne 1 ] || [[ "$said" != *display* ]]; then
    echo "FAIL: $label: not one line naming the display on standard error: '$said'"
    exit 1
  fi
}

if [ -z "${RAVO_SMOKE_DISPLAY_READY:-}" ]; then
  without_display "no display"
  # No server takes display :31999 unless its socket is there.
  [ -e /tmp/.X11-unix/X31999 ] || without_display "a silent X display" DISPLAY=:31999
  export RAVO_SMOKE_DISPLAY_READY=1
  exec timeout --kill-after=5 60 "$(dirname "$0")/../support/virtual_display.sh" 1280x1024x24 "$0" "$program"
fi

export LC_ALL=C.UTF-8
title='Hromadná změna obsahu více textových souborů najednou'

QT_QPA_PLATFORM=xcb "$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null' EXIT

window=""
for _ in $(seq 1 200); do
  window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: the program ended before its window appeared"
    exit 1
  fi
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "FAIL: no window titled '$title' appeared"
  exit 1
fi
shown=$(xdotool getwindowname "$window")
if [ "$shown" != "$title" ]; then
  echo "FAIL: window title is '$shown'"
  exit 1
fi

python3 - "$window" <<'PY' || { echo "FAIL: could not send the close message"; exit 1; }
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit(1)
event = XEvent()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
event.xclient.data[1] = 0  # CurrentTime
sent = x11.XSendEvent(display, event.xclient.window, 0, 0, ctypes.byref(event))
x11.XFlush(display)
x11.XCloseDisplay(display)
sys.exit(0 if sent else 1)
PY

for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "FAIL: the program still runs ten seconds after its window was closed"
  exit 1
fi
wait "$pid"
status=$?
trap - EXIT
if [ "$status" -ne 0 ]; then
  echo "FAIL: the program ended with status $status"
  exit 1
fi
echo "PASS: window '$title' shown and closed, exit status 0"
