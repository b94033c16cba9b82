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

# etc/, opt/ and sbin/ of the sandbox over /etc, /opt and /sbin (stub
# commands at fixed paths); writes land in the sandbox.
for dir in etc opt sbin; do
  [ -d "/$dir" ] || continue
  target=$(readlink -f "/$dir")
  mkdir -p "$sandbox/$dir" "$sandbox/.overlay/$dir"
  mount -t overlay overlay -o "lowerdir=$target,upperdir=$sandbox/$dir,workdir=$sandbox/.overlay/$dir" "$target"
done

# File-system volumes: each folder of the fixture's volumes/ becomes a tmpfs
# named after the volume, mounted at /media/pvf/<name> and filled with the
# folder's content, so that the mount table lists it as the server's would.
if [ -d "$sandbox/volumes" ]; then
  mount -t tmpfs -o mode=755 vra-media /media
  for volume in "$sandbox"/volumes/*/; do
    [ -d "$volume" ] || continue
    name=$(basename "$volume")
    mkdir -p "/media/pvf/$name"
    mount -t tmpfs -o mode=755 "$name" "/media/pvf/$name"
    cp -a "$volume." "/media/pvf/$name/"
  done
fi

# The loader path: the stand-ins of the build, then the fixture's lib/ laid
# over them (a file there replaces the stand-in of that name: a broken or
# reduced build, or not a library at all); names listed in lib/ABSENT are
# taken away, as on a server that lacks the library.
loader=$sandbox/.loader
mkdir -p "$loader"
for lib in "$build_dir"/testbed/*.so "$build_dir"/testbed/*.so.*; do
  [ -e "$lib" ] && ln -sf "$lib" "$loader/"
done
if [ -d "$sandbox/lib" ]; then
  for entry in "$sandbox"/lib/*; do
    [ -e "$entry" ] || [ -L "$entry" ] || continue
    [ "$(basename "$entry")" = ABSENT ] && continue
    ln -sf "$entry" "$loader/"
  done
  if [ -f "$sandbox/lib/ABSENT" ]; then
    while read -r name; do [ -n "$name" ] && rm -f "$loader/$name"; done < "$sandbox/lib/ABSENT"
  fi
fi

export VRA_SANDBOX=$sandbox
export TMPDIR=$sandbox/tmp
export PATH="$sandbox/bin:$PATH"
export LD_LIBRARY_PATH="$loader${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
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
