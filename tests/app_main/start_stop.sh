#!/usr/bin/env bash
# Starts the program, waits for its main window, kills it, starts it again (a settings warning
# would hold the window back), ends it with SIGTERM and checks that it wrote its settings.
set -u
program=$1
settings=$XDG_CONFIG_HOME/VelmoraJPEG2000B/VelmoraJPEG2000B
rm -rf "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
manual=$(dirname "$program")/../share/VelmoraJPEG2000B/Help.html
[ -s "$manual" ] || { echo "no manual where the built program looks for it"; exit 1; }
window_up() {
  for _ in $(seq 1 100); do
    xwininfo -root -tree | grep -q '"VelmoraJPEG2000B": ("VelmoraJPEG2000B"' && return 0
    sleep 0.2
  done
  return 1
}
"$program" &
pid=$!
window_up || { echo "no main window"; kill "$pid"; exit 1; }
# The first start writes the defaults at once, so a crash before the exit leaves a whole file.
[ -s "$settings" ] || { echo "no settings after the first start"; kill "$pid"; exit 1; }
kill -KILL "$pid"
wait "$pid" 2>/dev/null
"$program" &
pid=$!
window_up || { echo "no main window after a killed start"; kill "$pid"; exit 1; }
[ -e "$settings.bad" ] && { echo "settings taken for damaged"; kill "$pid"; exit 1; }
kill -TERM "$pid"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
[ -s "$settings" ] || { echo "settings not written"; exit 1; }
echo "1 passed, 0 failed"
