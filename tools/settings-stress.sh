#!/usr/bin/env bash
# Stress of the settings file on the real program (offscreen), in two rounds:
#  1. two instances whose settings files are links to one shared file end at the same moment
#     (SIGTERM to both): the shared file must be one of the two new files, complete;
#  2. one instance is told to end and killed with SIGKILL at a random moment of its shutdown: the file
#     must be the old one or the new one, complete.
# Usage: tools/settings-stress.sh [runs per round, default 200] [program, default build-test/sorvant]
# Prints the figures; exits 1 at the first file that is neither (a copy is kept for inspection).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-200}
program=$(realpath "${2:-build-test/sorvant}")
[ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 2; }
work=$(mktemp -d)
# The shared one-instance locks that killed instances left in /tmp (this account's, holder gone).
stale_locks() {
  local f pid
  for f in $(find /tmp -maxdepth 1 -name 'sorvant-*.lock' -user "$(id -u)" 2>/dev/null); do
    pid=$(head -n1 "$f" 2>/dev/null || true)
    [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && rm -f "$f"
  done
  return 0
}
trap 'kill -KILL $(jobs -p) 2>/dev/null || true; rm -rf "$work"; stale_locks' EXIT
export QT_QPA_PLATFORM=offscreen

# The 46 lines with port $1, each ended by $2 ('\n' reads the same as the '\r\n' the program writes,
# so an old file is told from the new one by its line ends).
settings() {
  local set colour
  for set in 1 2 3 4 5; do
    for colour in 5602168 7314328 10211039 37120 13092807 4227327 16777215 7340031; do printf '%s%b' "$colour" "$2"; done
  done
  printf '%s%b' "$1" "$2" 4800 "$2" '"A:ACQUIRE    ( ON )"' "$2" '"T:TEST             ( ON )"' "$2" '"MANUAL"' "$2" -1 "$2"
}

# A folder for one instance: config/sorvant/ and a private runtime folder.
folder() {
  rm -rf "$1"
  mkdir -p "$1/config/sorvant" "$1/run"
  chmod 700 "$1/run"
}

# Starts the program on folder $1; its pid goes to the variable named $2.
start() {
  XDG_CONFIG_HOME="$1/config" XDG_RUNTIME_DIR="$1/run" "$program" 2>/dev/null &
  printf -v "$2" '%s' $!
}

# True when the instance with pid $2 on folder $1 holds the lock beside its settings file (in the
# config folder, or where the file links to) or in its runtime folder, as the program once kept it.
holds_lock() {
  local f
  for f in "$1"/config/sorvant/*.lock "$1"/*.lock "$1"/run/sorvant-*.lock; do
    [ "$(head -n1 "$f" 2>/dev/null)" = "$2" ] && return 0
  done
  return 1
}

# Waits until the instance with pid $2 on folder $1 holds its lock and answers a second start, so it
# has read its settings and runs its event loop.
ready() {
  local tries=0
  until holds_lock "$1" "$2"; do
    tries=$((tries + 1))
    [ $tries -lt 600 ] || { echo "instance $2 never took its lock" >&2; exit 1; }
    sleep 0.05
  done
  XDG_CONFIG_HOME="$1/config" XDG_RUNTIME_DIR="$1/run" timeout 30 "$program" 2>/dev/null ||
    { echo "instance $2 did not answer a second start" >&2; exit 1; }
}

fail() {
  cp "$1" "/tmp/settings-stress-failed.ini"
  echo "FAILED in run $2: $3 (kept as /tmp/settings-stress-failed.ini)" >&2
  exit 1
}

temporaries() { find "$1" -maxdepth 1 -name 'Sorvant.ini.*.tmp' | wc -l; }

# Two instances ending together, writing through links to one file.
shared="$work/shared"
mkdir -p "$shared"
settings 3 '\r\n' >"$work/new3"
settings 4 '\r\n' >"$work/new4"
won3=0
won4=0
for run in $(seq "$runs"); do
  for n in 3 4; do
    folder "$work/i$n"
    settings "$n" '\n' >"$work/i$n/own.ini"
    ln -s "$work/i$n/own.ini" "$work/i$n/config/sorvant/Sorvant.ini"
  done
  settings 5 '\r\n' >"$shared/Sorvant.ini"
  start "$work/i3" a
  start "$work/i4" b
  ready "$work/i3" "$a"
  ready "$work/i4" "$b"
  # Both now save to the shared file, each with its own port.
  ln -sfn "$shared/Sorvant.ini" "$work/i3/config/sorvant/Sorvant.ini"
  ln -sfn "$shared/Sorvant.ini" "$work/i4/config/sorvant/Sorvant.ini"
  kill -TERM "$a" "$b"
  wait "$a" "$b"
  if cmp -s "$shared/Sorvant.ini" "$work/new3"; then
    won3=$((won3 + 1))
  elif cmp -s "$shared/Sorvant.ini" "$work/new4"; then
    won4=$((won4 + 1))
  else
    fail "$shared/Sorvant.ini" "$run" "two instances: the shared file is neither new file"
  fi
  [ -L "$work/i3/config/sorvant/Sorvant.ini" ] || fail "$shared/Sorvant.ini" "$run" "the link was replaced"
  [ "$(temporaries "$shared")" -eq 0 ] || fail "$shared/Sorvant.ini" "$run" "a temporary file was left"
done
echo "two instances ending together: $runs runs, complete every time (last writer: port 3 $won3 times, port 4 $won4 times)"

# SIGKILL at a random moment after SIGTERM. The moments span twice the time the new file
# takes to replace the old one (the median of a few undisturbed shutdowns), so about half of the
# kills come before the rename and some inside the write itself.
settings 3 '\n' >"$work/old"
file="$work/k/config/sorvant/Sorvant.ini"
# Starts one instance on the old file, held open here as descriptor 9 so that the moment the new
# file takes its name can be seen (a second name would be a hard link, which is rewritten in place).
prepare() {
  folder "$work/k"
  cp "$work/old" "$file"
  exec 9<"$file"
  start "$work/k" p
  ready "$work/k" "$p"
}
times=()
for run in 1 2 3 4 5; do
  prepare
  began=${EPOCHREALTIME/./}
  kill -TERM "$p"
  while [ "$file" -ef /dev/fd/9 ] && ((${EPOCHREALTIME/./} - began < 10000000)); do :; done
  took=$((${EPOCHREALTIME/./} - began))
  wait "$p"
  times+=("$took")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
span=$((median * 2))
kept_old=0
kept_new=0
mid_write=0
for run in $(seq "$runs"); do
  prepare
  delay=$(((RANDOM * 32768 + RANDOM) % (span + 1)))
  began=${EPOCHREALTIME/./}
  kill -TERM "$p"
  while ((${EPOCHREALTIME/./} - began < delay)); do :; done
  kill -KILL "$p" 2>/dev/null || true
  { wait "$p" || true; } 2>/dev/null
  if cmp -s "$file" "$work/old"; then
    kept_old=$((kept_old + 1))
  elif cmp -s "$file" "$work/new3"; then
    kept_new=$((kept_new + 1))
  else
    fail "$file" "$run" "killed: the file is neither the old nor the new one"
  fi
  [ "$(temporaries "$work/k/config/sorvant")" -eq 0 ] || mid_write=$((mid_write + 1))
done
echo "SIGKILL 0..${span} us after SIGTERM (the rename came after ${median} us, median): $runs runs, complete every time"
echo "  old file $kept_old, new file $kept_new; killed inside the write (its temporary file left) $mid_write"
