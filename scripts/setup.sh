#!/usr/bin/env bash
# Brings a fresh Debian 12 machine to the point where the project builds:
# the Debian packages the build and the tests need (installed through apt
# when running as root) and the npm packages of the lock file.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ pkg-config util-linux uuid-dev libgtest-dev nlohmann-json3-dev libproc2-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: missing Debian packages: ${missing[*]}; install them as root" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}" >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# npm ci only when the installed tree is older than the lock file.
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
