#!/usr/bin/env bash
# npm start [-- vra ARGS...]: builds what is missing, then runs the vra tool on
# the sample server inside the testbed; without arguments it takes the tour.
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
if ! bash scripts/build.sh >"$log" 2>&1; then cat "$log" >&2; rm -f "$log"; exit 1; fi
rm -f "$log"
(($#)) || set -- tour
exec testbed/run -- node bin/vra "$@"
