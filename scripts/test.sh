#!/usr/bin/env bash
# npm test: set-up, build, the C++ units (ctest), then the JS suite (node --test).
# `test.sh asan` runs the same suite on the AddressSanitizer + UBSan build,
# with the sanitizer runtime preloaded into every sandboxed node process.
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
bash scripts/build.sh "$flavour"

dir=build
if [ "$flavour" = asan ]; then
  dir=build-asan
  export VRA_BUILD_DIR=$dir
  VRA_TESTBED_PRELOAD=$(g++ -print-file-name=libasan.so)
  export VRA_TESTBED_PRELOAD
  # Leak checking stays on, with no suppression; the link-order check is off
  # because the testbed's shim is preloaded first.
  export ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1:abort_on_error=0:exitcode=86
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

ctest --test-dir "$dir" --output-on-failure
node --test test/*.test.js
