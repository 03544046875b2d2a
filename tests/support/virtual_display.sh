#!/usr/bin/env bash
# Runs a command on a virtual X display of its own (Xvfb) and ends with the
# command's status. The server picks a free display number itself, so two
# runs never take the same one, and it is stopped and waited for before this
# script ends, so that the next real-display test never meets a server that
# is still going away. The server never resets: by default it does whenever
# its last client leaves, and refuses clients meanwhile, so a program starting
# while a short-lived xdotool leaves would find no display.
#
#   virtual_display.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGUMENT]...
set -uo pipefail
screen="${1:?usage: virtual_display.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGUMENT]...}"
shift

work="$(mktemp -d)"
server=""
command=""
stop() {
  [ -n "$command" ] && kill "$command" 2>/dev/null
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
  fi
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 143' TERM INT HUP

# The server writes its display number to the FIFO once it takes clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$work/display" 2>"$work/server.log" &
server=$!
if ! read -r -t 30 number <"$work/display" || [ -z "$number" ]; then
  echo "FAIL: the virtual X server did not start:" >&2
  cat "$work/server.log" >&2
  exit 1
fi

# In the background, so that a signal stops the command and the server at once.
DISPLAY=":$number" "$@" &
command=$!
wait "$command"
status=$?
command=""
exit "$status"
