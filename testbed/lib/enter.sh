#!/usr/bin/env bash
# Runs inside the new namespaces as PID 1: lays the sandbox over the machine,
# then runs the command. Arguments: SANDBOX BUILD_DIR CMD [ARGS...].
set -euo pipefail
sandbox=$1 build_dir=$2
shift 2

# Read-only root: every mount but /proc (and what is mounted below later).
while read -r mountpoint; do
  case "$mountpoint" in /proc|/proc/*) continue ;; esac
  mount -o remount,bind,ro "$mountpoint" 2>/dev/null || true
done < <(awk '{print $5}' /proc/self/mountinfo | sort -u)

# The sandbox stays writable.
mount --bind "$sandbox" "$sandbox"
mount -o remount,bind,rw "$sandbox"

# etc/ and opt/ of the sandbox over /etc and /opt; writes land in the sandbox.
for dir in etc opt; do
  [ -d "/$dir" ] || continue
  mkdir -p "$sandbox/$dir" "$sandbox/.overlay/$dir"
  mount -t overlay overlay -o "lowerdir=/$dir,upperdir=$sandbox/$dir,workdir=$sandbox/.overlay/$dir" "/$dir"
done

export VRA_SANDBOX=$sandbox
export TMPDIR=$sandbox/tmp
export PATH="$sandbox/bin:$PATH"
export LD_LIBRARY_PATH="$build_dir/testbed${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
preload=()
[ -f "$build_dir/testbed/libvra_shim.so" ] && preload+=("$build_dir/testbed/libvra_shim.so")
[ -n "${VRA_TESTBED_PRELOAD:-}" ] && preload+=("$VRA_TESTBED_PRELOAD")
if ((${#preload[@]})); then
  export LD_PRELOAD="${preload[*]}${LD_PRELOAD:+ $LD_PRELOAD}"
fi

# PID 1 of the namespace stays this shell, so that orphans are reaped and
# CMD keeps the ordinary signal behaviour.
status=0
"$@" || status=$?
exit $status
