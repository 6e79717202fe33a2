#!/usr/bin/env bash
# Gives the printing tests print-to-PDF queues: "start" starts a CUPS scheduler when none answers
# (CI starts no service) and adds the queues that are missing; "stop" removes what "start" added
# and ends only the scheduler it started.
#   VelmoraPDF        A4 by default
#   VelmoraPDFLetter  Letter by default, so a change of printer changes the page
set -euo pipefail

state=${TMPDIR:-/tmp}/velmora-cups-pdf.state
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
queues=("VelmoraPDF:A4" "VelmoraPDFLetter:Letter")

scheduler_answers() { lpstat -r 2>/dev/null | grep -q "is running"; }

start() {
  : >"$state"
  if ! scheduler_answers; then
    cupsd -f >/dev/null 2>&1 &
    echo "cupsd $!" >>"$state"
    for _ in $(seq 1 60); do
      scheduler_answers && break
      sleep 0.5
    done
    scheduler_answers || { echo "cups-pdf.sh: the CUPS scheduler did not start" >&2; exit 1; }
  fi
  for entry in "${queues[@]}"; do
    local name=${entry%%:*} paper=${entry#*:}
    lpstat -p "$name" >/dev/null 2>&1 && continue
    lpadmin -p "$name" -E -v cups-pdf:/ -P "$ppd" -o "PageSize=$paper"
    echo "queue $name" >>"$state"
  done
}

stop() {
  [ -f "$state" ] || return 0
  while read -r kind value; do
    case "$kind" in
      queue) lpadmin -x "$value" 2>/dev/null || true ;;
      cupsd) kill "$value" 2>/dev/null || true ;;
    esac
  done < <(tac "$state")
  rm -f "$state"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
