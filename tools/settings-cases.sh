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
#   latin-1 XDG       XDG_CONFIG_HOME names a folder in Latin-1 (not UTF-8), with a COM1 link there
#                     to a pseudo-terminal (socat) and the receiver selected, so the port is opened
#   latin-1 HOME      the same folder reached as $HOME/.config, XDG_CONFIG_HOME unset
#   latin-1 link      XDG_CONFIG_HOME is a link to such a folder
#   link to nothing   Sorvant.ini links to a file on a "stick" that is not plugged in (no folder)
#   link, no file     the same with the stick's folder there but no file on it yet
#   no inodes         the folder is a tmpfs whose inodes are all taken (root only)
#   FAT root full     the folder is the full root folder of a FAT image (root, and a kernel with vfat)
#   read-only damaged a damaged file on a file system mounted read-only (root only)
#   hard link         the same file hard-linked into two config folders, a start from each
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
mounts=()
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
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
# --- Odd paths and full disks ---

# Starts the program with the environment assignments given after the standard error file $1 (plus
# XDG_RUNTIME_DIR=$2): the pid goes to `started`.
start_env() {
  local err=$1 run=$2
  shift 2
  env "$@" XDG_RUNTIME_DIR="$run" "$program" 2>>"$err" &
  started=$!
  pids+=("$started")
}
# True once the instance $1 holds its lock and answers a second start made with the same
# environment (XDG_RUNTIME_DIR=$3 and the assignments after $4 seconds), its config folder being $2.
answers_env() {
  local pid=$1 config=$2 run=$3 seconds=$4
  shift 4
  local deadline=$((SECONDS + seconds))
  until holds_lock "$pid" "$run" "$(dirname "$config")"; do
    kill -0 "$pid" 2>/dev/null || return 1
    [ $SECONDS -lt "$deadline" ] || return 1
    sleep 0.05
  done
  while [ $SECONDS -lt "$deadline" ]; do
    kill -0 "$pid" 2>/dev/null || return 1
    if env "$@" XDG_RUNTIME_DIR="$run" timeout 3 "$program" 2>/dev/null; then return 0; fi
    sleep 0.2
  done
  return 1
}
# How the instance $1 ended, once stopped: "" when it was running, else its fate at start.
fate() {
  if kill -0 "$1" 2>/dev/null; then return 0; fi
  local code=0
  wait "$1" 2>/dev/null || code=$?
  if [ $code -gt 128 ]; then printf 'DIED AT START (signal %d)' $((code - 128)); else printf 'ended at start (exit %d)' $code; fi
}
# The file's 46 lines with the receiver selected (test source off, acquisition on).
stored_receiver() { stored | sed 's/^"T:TEST             ( ON )"$/"T:TEST             ( OFF )"/'; }

latin=$(printf 'caf\xe9')
for kind in XDG HOME link; do
  d=$work/latin-$kind
  mkdir -p "$d/$latin/sorvant" "$d/run" "$d/home"
  chmod 700 "$d/run"
  case $kind in
    XDG) config=$d/$latin/sorvant; env_of=(XDG_CONFIG_HOME="$d/$latin") ;;
    HOME)
      mkdir -p "$d/home/$latin/.config/sorvant"
      config=$d/home/$latin/.config/sorvant
      env_of=(-u XDG_CONFIG_HOME HOME="$d/home/$latin")
      ;;
    link) ln -s "$d/$latin" "$d/linked"; config=$d/$latin/sorvant; env_of=(XDG_CONFIG_HOME="$d/linked") ;;
  esac
  stored >"$config/Sorvant.ini"
  tty=""
  if [ $kind = XDG ] && command -v socat >/dev/null; then
    stored_receiver >"$config/Sorvant.ini"
    socat pty,raw,echo=0,link="$d/tty" pty,raw,echo=0,link="$d/far" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 50); do [ -e "$d/tty" ] && break; sleep 0.1; done
    ln -s "$d/tty" "$config/COM1"
    tty=$(readlink "$d/tty")
  fi
  start_env "$d/err" "$d/run" "${env_of[@]}"
  p=$started
  if answers_env "$p" "$config" "$d/run" 30 "${env_of[@]}"; then
    r="started, second start ended"
    if [ -n "$tty" ]; then
      if ls -l /proc/"$p"/fd 2>/dev/null | grep -q -- "-> $tty\$"; then r="$r, COM1 open"; else r="$r, COM1 NOT OPEN"; status=1; fi
    fi
    stop "$p"
    if kept "$config/Sorvant.ini"; then r="$r, change kept"; else r="$r, CHANGE LOST"; status=1; fi
  else
    f=$(fate "$p")
    stop "$p"
    r=${f:-never answered}
    status=1
  fi
  report "latin-1 $kind" "$r$(said "$d/err")"
done

# Sorvant.ini linking to a file on a stick: not plugged in (no folder), then plugged in without the file.
for kind in "link to nothing" "link, no file"; do
  d=$work/stick-${kind//[ ,]/-}
  folder "$d"
  [ "$kind" = "link, no file" ] && mkdir -p "$d/stick"
  ln -s "$d/stick/Sorvant.ini" "$d/config/sorvant/Sorvant.ini"
  start "$d/config" "$d/run" "" "$d/err"
  p=$started
  if answers "$p" "$d/config" "$d/run" "" 30; then r="started"; else r="never answered"; status=1; fi
  at_start=$(said "$d/err")
  stop "$p"
  [ -L "$d/config/sorvant/Sorvant.ini" ] || { r="$r, LINK REPLACED"; status=1; }
  ls "$d/config/sorvant"/Sorvant.ini.bad* >/dev/null 2>&1 && r="$r, something kept aside as damaged"
  if [ "$kind" = "link to nothing" ] && [ -e "$d/stick" ]; then
    r="$r, THE STICK'S FOLDER WAS MADE where it is mounted"
    status=1
  fi
  if [ "$kind" = "link, no file" ]; then
    if [ -f "$d/stick/Sorvant.ini" ]; then r="$r, file made on the stick through the link"; else r="$r, NO FILE ON THE STICK"; status=1; fi
  fi
  report "$kind" "$r; at start$at_start; in all$(said "$d/err")"
done

# A folder on a file system that can make no new file (no inodes left; a full FAT root folder) while
# the file itself may be rewritten.
if $root; then
  d=$work/inodes
  folder "$d"
  mount -t tmpfs -o size=1m,nr_inodes=8,mode=755 tmpfs "$d/config/sorvant"
  mounts+=("$d/config/sorvant")
  stored >"$d/config/sorvant/Sorvant.ini"
  i=0
  while touch "$d/config/sorvant/taken$i" 2>/dev/null; do i=$((i + 1)); done
  start "$d/config" "$d/run" "" "$d/err"
  p=$started
  if answers "$p" "$d/config" "$d/run" "" 30; then
    stop "$p"
    if kept "$d/config/sorvant/Sorvant.ini"; then r="change kept"; else r="CHANGE LOST"; status=1; fi
  else
    stop "$p"
    r="never answered"
    status=1
  fi
  report "no inodes" "$r (tmpfs, $i files filled it)$(said "$d/err")"
else
  report "no inodes" "skipped (mounting a tmpfs needs root)"
fi
if ! $root; then
  report "FAT root full" "skipped (mounting an image needs root)"
elif ! command -v mkfs.vfat >/dev/null; then
  report "FAT root full" "skipped (mkfs.vfat not installed: dosfstools)"
elif ! grep -qw vfat /proc/filesystems && ! modprobe vfat 2>/dev/null; then
  report "FAT root full" "skipped (this kernel has no vfat file system)"
else
  d=$work/fat
  folder "$d"
  truncate -s 2M "$d/fat.img"
  mkfs.vfat -r 16 "$d/fat.img" >/dev/null
  if mount -o loop "$d/fat.img" "$d/config/sorvant" 2>/dev/null; then
    mounts+=("$d/config/sorvant")
    stored >"$d/config/sorvant/Sorvant.ini"
    i=0
    while touch "$d/config/sorvant/TAKEN$i" 2>/dev/null; do i=$((i + 1)); done
    start "$d/config" "$d/run" "" "$d/err"
    p=$started
    answers "$p" "$d/config" "$d/run" "" 30 || true
    stop "$p"
    if kept "$d/config/sorvant/Sorvant.ini"; then r="change kept"; else r="CHANGE LOST"; status=1; fi
    report "FAT root full" "$r ($i files filled the root folder)$(said "$d/err")"
  else
    report "FAT root full" "skipped (the image could not be mounted here)"
  fi
fi

# A damaged file on a file system mounted read-only.
if $root; then
  d=$work/readonly
  folder "$d"
  mount -t tmpfs -o size=1m,mode=755 tmpfs "$d/config/sorvant"
  mounts+=("$d/config/sorvant")
  stored | sed -n 1,40p >"$d/config/sorvant/Sorvant.ini"
  mount -o remount,ro "$d/config/sorvant"
  start "$d/config" "$d/run" "" "$d/err"
  p=$started
  if answers "$p" "$d/config" "$d/run" "" 30; then r="started"; else r="never answered"; status=1; fi
  stop "$p"
  if [ "$(wc -l <"$d/config/sorvant/Sorvant.ini")" -eq 40 ]; then r="$r, file left as it was"; else r="$r, FILE CHANGED"; status=1; fi
  grep -q "damaged" "$d/err" || { r="$r, DAMAGE NOT SAID"; status=1; }
  report "read-only damaged" "$r$(said "$d/err")"
else
  report "read-only damaged" "skipped (mounting read-only needs root)"
fi

# The same file hard-linked into two config folders; the second start comes from the other one.
d=$work/hardlink
folder "$d"
mkdir -p "$d/other/sorvant"
stored >"$d/config/sorvant/Sorvant.ini"
ln "$d/config/sorvant/Sorvant.ini" "$d/other/sorvant/Sorvant.ini"
start "$d/config" "$d/run" "" "$d/err"
first=$started
answers "$first" "$d/config" "$d/run" "" 30 || true
start "$d/other" "$d/run" "" "$d/err2"
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
if kept "$d/config/sorvant/Sorvant.ini" && kept "$d/other/sorvant/Sorvant.ini"; then
  r="$r, change kept under both names"
else
  r="$r, CHANGE LOST under $(kept "$d/config/sorvant/Sorvant.ini" && echo the other name || echo the first name)"
  status=1
fi
[ "$(stat -c %h "$d/config/sorvant/Sorvant.ini")" -eq 2 ] || r="$r, the names now lead to two files"
report "hard link" "$r$(said "$d/err")$(said "$d/err2")"

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
