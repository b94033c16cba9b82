#!/usr/bin/env bash
# npm run bench: build, then run the benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
log=$(mktemp)
if ! bash scripts/build.sh >"$log" 2>&1; then cat "$log" >&2; rm -f "$log"; exit 1; fi
rm -f "$log"
exec node bench/run.js "$@"
