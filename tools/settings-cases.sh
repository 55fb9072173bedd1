#!/usr/bin/env bash
# The settings file on the real program (offscreen) where operators and administrators put it in
# unusual places: one line of what happened for each case.
#   refusing folder   the folder takes no new files (mode 555), the file itself may be changed
#   device link       Sorvant.ini links to a character device (a scratch node made here; root only)
#   FIFO              a FIFO stands at the settings path
#   unreadable        the file's mode is 000
#   root run          an administrator's run on a file that belongs to another account (root only)
#   other runtime     a second start whose session has another runtime folder
#   linked folder     a second start that reaches the same folder through a symbolic link
# Each start reads a file holding speed 19200, which start-up turns into 4800: a file that holds
# 4800 afterwards kept the change of the run. Cases that need an account without privileges run as
# nobody when the script runs as root.
# Usage: tools/settings-cases.sh [program, default build/sorvant]
# Exits 1 when a case replaced something other than a regular file or lost its change without saying so.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/sorvant}")
[ -x "$program" ] || { echo "no program at $program (build it first)" >&2; exit 2; }
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  chmod -R u+rwx "$work" 2>/dev/null || true
  rm -rf "$work"
  # The shared one-instance locks that killed instances of these cases left in /tmp (holder gone).
  local f pid
  for f in /tmp/sorvant-*.lock; do
    pid=$(head -n1 "$f" 2>/dev/null || true)
    for p in "${pids[@]}"; do [ "$pid" = "$p" ] && rm -f "$f"; done
  done
  return 0
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen
root=false
[ "$(id -u)" -eq 0 ] && root=true
status=0

# The 46 lines with speed 19200 and LF line ends (the program writes CRLF).
stored() {
  local set colour
  for set in 1 2 3 4 5; do
    for colour in 5602168 7314328 10211039 37120 13092807 4227327 16777215 7340031; do printf '%s\n' "$colour"; done
  done
  printf '%s\n' 1 19200 '"A:ACQUIRE    ( ON )"' '"T:TEST             ( ON )"' '"MANUAL"' -1
}
kept() { grep -q $'^4800\r$' "$1" 2>/dev/null; }

# A case folder $1 with config/sorvant/ and run/; its owner becomes $2 when given.
folder() {
  mkdir -p "$1/config/sorvant" "$1/run"
  chmod 700 "$1/run"
  if [ -n "${2:-}" ]; then chown -R "$2" "$1"; fi
}

# Starts the program on config home $1 and runtime folder $2, as the account $3 (a number, or empty
# for this one); standard error goes to $4. The pid goes to the variable `started`.
start() {
  local as=()
  [ -n "$3" ] && as=(setpriv --reuid="$3" --regid="$3" --clear-groups)
  XDG_CONFIG_HOME="$1" XDG_RUNTIME_DIR="$2" "${as[@]}" "$program" 2>>"$4" &
  started=$!
  pids+=("$started")
}

# True when the instance with pid $1 holds a one-instance lock: in its runtime folder $2 (as the
# program once kept it), beside its settings file in config home $3, or in the shared folder.
holds_lock() {
  local f
  for f in "$2"/sorvant-*.lock "$3"/sorvant/*.lock /tmp/sorvant-*.lock; do
    [ "$(head -n1 "$f" 2>/dev/null)" = "$1" ] && return 0
  done
  return 1
}

# True once the instance with pid $1 answers a second start on the same folders (its event loop
# runs, its settings read), within $5 seconds. No second start is made before the instance holds
# its lock: one made earlier would become the instance itself.
answers() {
  local as=()
  [ -n "$4" ] && as=(setpriv --reuid="$4" --regid="$4" --clear-groups)
  local deadline=$((SECONDS + $5))
  until holds_lock "$1" "$3" "$2"; do
    kill -0 "$1" 2>/dev/null || return 1
    [ $SECONDS -lt "$deadline" ] || return 1
    sleep 0.05
  done
  while [ $SECONDS -lt "$deadline" ]; do
    kill -0 "$1" 2>/dev/null || return 1
    if XDG_CONFIG_HOME="$2" XDG_RUNTIME_DIR="$3" timeout 3 "${as[@]}" "$program" 2>/dev/null; then return 0; fi
    sleep 0.2
  done
  return 1
}

stop() {
  kill -TERM "$1" 2>/dev/null || true
  local tries=0
  while kill -0 "$1" 2>/dev/null && [ $tries -lt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
  kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# What the program said of its own (the toolkit's remarks left out).
said() {
  local lines
  lines=$(grep '^sorvant: ' "$1" 2>/dev/null | head -n 3 | tr '\n' ' ' || true)
  if [ -n "$lines" ]; then printf ' / said: %s' "$lines"; else printf ' / said nothing'; fi
}
report() { printf '%-16s %s\n' "$1:" "$2"; }

# Folder refusing new files.
unprivileged=""
$root && unprivileged=65534
d=$work/refusing
folder "$d"
stored >"$d/config/sorvant/Sorvant.ini"
chmod 644 "$d/config/sorvant/Sorvant.ini"
[ -n "$unprivileged" ] && chown -R "$unprivileged:$unprivileged" "$d"
chmod 555 "$d/config/sorvant"
start "$d/config" "$d/run" "$unprivileged" "$d/err"
p=$started
if answers "$p" "$d/config" "$d/run" "$unprivileged" 30; then
  stop "$p"
  if kept "$d/config/sorvant/Sorvant.ini"; then r="change kept"; else r="CHANGE LOST"; status=1; fi
else
  stop "$p"
  r="never answered"
  status=1
fi
report "refusing folder" "$r$(said "$d/err")"

# Link to a character device: a scratch node of the null device, in a folder of this run.
if $root; then
  d=$work/device
  folder "$d"
  mkdir "$d/dev"
  mknod -m 666 "$d/dev/null" c 1 3
  ln -s "$d/dev/null" "$d/config/sorvant/Sorvant.ini"
  start "$d/config" "$d/run" "" "$d/err"
  p=$started
  if answers "$p" "$d/config" "$d/run" "" 30; then r="started"; else r="never answered"; fi
  stop "$p"
  if [ -c "$d/dev/null" ]; then
    r="$r, device left alone"
  else
    r="$r, DEVICE REPLACED by a $(stat -c %F "$d/dev/null")"
    status=1
  fi
  [ -L "$d/config/sorvant/Sorvant.ini" ] || { r="$r, LINK REPLACED"; status=1; }
  report "device link" "$r$(said "$d/err")"
else
  report "device link" "skipped (mknod needs root)"
fi

# FIFO at the settings path.
d=$work/fifo
folder "$d"
mkfifo "$d/config/sorvant/Sorvant.ini"
start "$d/config" "$d/run" "" "$d/err"
p=$started
if answers "$p" "$d/config" "$d/run" "" 15; then r="started"; else r="START-UP BLOCKED (no answer after 15 s)"; status=1; fi
stop "$p"
if [ -p "$d/config/sorvant/Sorvant.ini" ]; then r="$r, FIFO left alone"; else r="$r, FIFO REPLACED"; status=1; fi
report "FIFO" "$r$(said "$d/err")"

# A file nobody may read (mode 000), on an account without privileges.
d=$work/unreadable
folder "$d"
stored >"$d/config/sorvant/Sorvant.ini"
[ -n "$unprivileged" ] && chown -R "$unprivileged:$unprivileged" "$d"
chmod 000 "$d/config/sorvant/Sorvant.ini"
start "$d/config" "$d/run" "$unprivileged" "$d/err"
p=$started
if answers "$p" "$d/config" "$d/run" "$unprivileged" 30; then r="started"; else r="never answered"; status=1; fi
stop "$p"
chmod 644 "$d/config/sorvant/Sorvant.ini"
if cmp -s <(stored) "$d/config/sorvant/Sorvant.ini"; then r="$r, file left as it was"; else r="$r, FILE REPLACED"; fi
report "unreadable" "$r$(said "$d/err")"

# An administrator's run on a file that belongs to another account.
if $root; then
  d=$work/owner
  folder "$d" 65534:65534
  mkdir -m 700 "$d/root-run"
  stored >"$d/config/sorvant/Sorvant.ini"
  chown 65534:65534 "$d/config/sorvant/Sorvant.ini"
  start "$d/config" "$d/root-run" "" "$d/err"
  p=$started
  answers "$p" "$d/config" "$d/root-run" "" 30 || true
  stop "$p"
  owner=$(stat -c %u:%g "$d/config/sorvant/Sorvant.ini")
  kept "$d/config/sorvant/Sorvant.ini" && r="change kept" || { r="CHANGE LOST"; status=1; }
  if [ "$owner" = 65534:65534 ]; then r="$r, still the account's ($owner)"; else r="$r, NOW OWNED BY $owner"; fi
  # The account's own next run.
  stored >"$d/config/sorvant/Sorvant.ini.new"
  chown 65534:65534 "$d/config/sorvant/Sorvant.ini.new"
  cat "$d/config/sorvant/Sorvant.ini.new" >"$d/config/sorvant/Sorvant.ini"
  rm "$d/config/sorvant/Sorvant.ini.new"
  start "$d/config" "$d/run" 65534 "$d/err2"
  p=$started
  answers "$p" "$d/config" "$d/run" 65534 30 || true
  stop "$p"
  if kept "$d/config/sorvant/Sorvant.ini"; then r="$r; the account's next run keeps its change"; else
    r="$r; THE ACCOUNT'S NEXT RUN LOSES ITS CHANGE"
    status=1
  fi
  report "root run" "$r$(said "$d/err")$(said "$d/err2")"
else
  report "root run" "skipped (needs root)"
fi

# Two starts on one settings file: the second from another runtime folder, or through a linked folder.
for kind in "other runtime" "linked folder"; do
  d=$work/two-${kind// /-}
  folder "$d"
  mkdir -p "$d/run2"
  chmod 700 "$d/run2"
  ln -s "$d/config" "$d/linked"
  stored >"$d/config/sorvant/Sorvant.ini"
  start "$d/config" "$d/run" "" "$d/err"
  first=$started
  answers "$first" "$d/config" "$d/run" "" 30 || true
  if [ "$kind" = "other runtime" ]; then start "$d/config" "$d/run2" "" "$d/err2"; else start "$d/linked" "$d/run" "" "$d/err2"; fi
  second=$started
  tries=0
  while kill -0 "$second" 2>/dev/null && [ $tries -lt 150 ]; do sleep 0.1; tries=$((tries + 1)); done
  if kill -0 "$second" 2>/dev/null; then
    r="SECOND START RUNS BESIDE THE FIRST"
    status=1
    stop "$second"
  else
    code=0
    wait "$second" || code=$?
    r="second start ended (exit $code)"
  fi
  stop "$first"
  kept "$d/config/sorvant/Sorvant.ini" && r="$r, change kept" || { r="$r, CHANGE LOST"; status=1; }
  report "$kind" "$r$(said "$d/err2")"
done

# ---- Serial port links to things that are not serial lines -------------------------------------------
# COM1 links to a regular file, /dev/null, /dev/zero, /dev/urandom, a folder (/dev/serial/by-id where
# it exists, otherwise a scratch folder of that name) or a FIFO, and the stored settings have the
# receiver on, so start-up opens COM1. One line each: what the program said about the port, whether it
# answered a second start, its memory (VmRSS) at the first answer and 8 s later, the processor time it
# used in those 8 s, and whether it ever held the target open (it would then read it as the line).
# Fails the script when the program stops answering, holds the target open or grows by more than 8 MB.
serial_device_cases() {
  local kind target d p rss1 rss2 cpu1 cpu2 held r
  rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
  cputicks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
  holds() {
    local fd
    # Standard input and output of a program started in the background are /dev/null: not the port.
    for fd in /proc/"$1"/fd/*; do
      case ${fd##*/} in 0 | 1 | 2) continue ;; esac
      [ "$(readlink -f "$fd" 2>/dev/null)" = "$(readlink -f "$2")" ] && return 0
    done
    return 1
  }
  for kind in "regular file" /dev/null /dev/zero /dev/urandom folder FIFO; do
    d=$work/serial-${kind//[\/ ]/-}
    folder "$d"
    stored | sed 's/^"T:TEST             ( ON )"$/"T:TEST             ( OFF )"/' >"$d/config/sorvant/Sorvant.ini"
    case $kind in
      "regular file") target=$d/capture.log && printf '%%123\r\n$GPVTG,200.0,T,,M,10.0,N,18.5,K,A\r\n' >"$target" ;;
      folder)
        if [ -d /dev/serial/by-id ]; then target=/dev/serial/by-id; else
          target=$d/serial/by-id
          mkdir -p "$target"
        fi ;;
      FIFO) target=$d/fifo && mkfifo "$target" ;;
      /dev/null)
        # The toolkit keeps /dev/null open for itself: a scratch node of the same device, where mknod
        # is allowed, tells the port's use of it apart.
        target=/dev/null
        if $root; then
          mkdir "$d/dev"
          mknod -m 666 "$d/dev/null" c 1 3
          target=$d/dev/null
        fi ;;
      *) target=$kind ;;
    esac
    ln -s "$target" "$d/config/sorvant/COM1"
    start "$d/config" "$d/run" "" "$d/err"
    p=$started
    if answers "$p" "$d/config" "$d/run" "" 15; then r="answered"; else r="NEVER ANSWERED"; status=1; fi
    rss1=$(rss "$p")
    cpu1=$(cputicks "$p")
    held=no
    for _ in 1 2 3 4 5 6 7 8; do
      holds "$p" "$target" && held=yes
      sleep 1
    done
    [ "$target" = /dev/null ] && held="not checked"
    rss2=$(rss "$p")
    cpu2=$(cputicks "$p")
    if ! answers "$p" "$d/config" "$d/run" "" 15; then r="$r, then STOPPED ANSWERING"; status=1; fi
    stop "$p"
    r="$r, RSS ${rss1} -> ${rss2} kB, CPU $(((cpu2 - cpu1) * 1000 / $(getconf CLK_TCK))) ms in 8 s"
    case $held in
      yes) r="$r, TARGET HELD OPEN" && status=1 ;;
      no) r="$r, target never held open" ;;
      *) r="$r, target $held (needs root)" ;;
    esac
    [ "$((rss2 - rss1))" -gt 8192 ] && { r="$r, MEMORY GROWS"; status=1; }
    report "COM1 $kind" "$r$(said "$d/err")"
  done
}
serial_device_cases
# ---- end of the serial port cases ------------------------------------------------------------------
exit $status
