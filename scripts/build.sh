#!/usr/bin/env bash
# Incremental build. `build.sh` builds into build/, `build.sh asan` builds
# the AddressSanitizer + UndefinedBehaviorSanitizer flavour into build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

flavour=${1:-release}
case "$flavour" in
  release) dir=build; opts=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan)    dir=build-asan; opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVRA_SANITIZE=ON) ;;
  *) echo "usage: build.sh [release|asan]" >&2; exit 2 ;;
esac
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" "${opts[@]}" >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" -- --no-print-directory
