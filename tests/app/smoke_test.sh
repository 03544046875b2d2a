#!/usr/bin/env bash
# Smoke test on a real X server: starts the program on a virtual display,
# waits for its main window, closes it through its close box (the
# WM_DELETE_WINDOW message a window manager sends) and expects the program to
# end with status 0. Gives up after a minute rather than hang.
set -uo pipefail
program="${1:?usage: smoke_test.sh path/to/ravo}"

if [ -z "${RAVO_SMOKE_DISPLAY_READY:-}" ]; then
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
