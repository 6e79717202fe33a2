#!/usr/bin/env bash
# Starts the program, waits for its main window, ends it with SIGTERM and checks that it wrote
# its settings on the way out.
set -u
program=$1
settings=$XDG_CONFIG_HOME/VelmoraJPEG2000B/VelmoraJPEG2000B
rm -rf "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
manual=$(dirname "$program")/../share/VelmoraJPEG2000B/Help.html
[ -s "$manual" ] || { echo "no manual where the built program looks for it"; exit 1; }
"$program" &
pid=$!
for _ in $(seq 1 100); do
  xwininfo -root -tree | grep -q '"VelmoraJPEG2000B": ("VelmoraJPEG2000B"' && break
  sleep 0.2
done
xwininfo -root -tree | grep -q '"VelmoraJPEG2000B": ("VelmoraJPEG2000B"' ||
  { echo "no main window"; kill "$pid"; exit 1; }
[ -s "$settings" ] && { echo "settings written before exit"; kill "$pid"; exit 1; }
kill -TERM "$pid"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
[ -s "$settings" ] || { echo "settings not written"; exit 1; }
echo "1 passed, 0 failed"
