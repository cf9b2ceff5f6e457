#!/usr/bin/env bash
# Starts the program under Xvfb and saves a screenshot of the whole screen.
# usage: scripts/screenshot.sh OUT.png [seconds] [program args...]
set -euo pipefail
out="${1:-shot.png}"; wait="${2:-4}"; shift 2 || true
here="$(cd "$(dirname "$0")/.." && pwd)"
xvfb-run -a -s "-screen 0 1280x900x24" bash -c "
  '$here/build/bin/kq-730' $* &
  pid=\$!
  sleep $wait
  import -window root '$out'
  kill \$pid 2>/dev/null || true
"
