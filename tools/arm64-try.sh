#!/usr/bin/env bash
# Tries the arm64 Debian package's program as an operator would, under qemu-user on an 800x480 virtual
# screen (a vehicle computer's 7" panel) with openbox:
#   tools/arm64-try.sh sorvant_<version>_arm64.deb OUTPUT-FOLDER
# The program from the package's tree, started with a settings folder of its own, plays the test source;
# T switches to COM1, a pseudo-terminal whose other end sends bearings; a second start must end and leave
# one window; Q must write the settings (46 CRLF lines, test source off). Screenshots go to the output
# folder. Exits non-zero on the first check that fails.
set -euo pipefail
deb=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")
qemu=$(command -v qemu-aarch64-static)
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
fail() {
  echo "arm64 try: $*" >&2
  exit 1
}
check() { echo "arm64 try: $*"; }

tree=$out/package
rm -rf "$tree" "$out/config"
dpkg-deb -x "$deb" "$tree"
program=$tree/usr/bin/sorvant
file -b "$program" | grep -q 'ARM aarch64' || fail "the packaged program is not an arm64 program: $(file -b "$program")"

# A screen and a window manager of its own, on the first free display number from 40 on.
display=40
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 800x480x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=:$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)

# COM1 is a pseudo-terminal; its other end is where the "receiver" writes.
export XDG_CONFIG_HOME=$out/config
mkdir -p "$XDG_CONFIG_HOME/sorvant"
socat pty,raw,echo=0,link="$out/com1" pty,raw,echo=0,link="$out/receiver" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "$out/receiver" ] && break; sleep 0.1; done
ln -sf "$(readlink -f "$out/com1")" "$XDG_CONFIG_HOME/sorvant/COM1"

windows() { xdotool search --onlyvisible --name '^Sorvant DF Display$' 2>/dev/null || true; }
"$qemu" "$program" </dev/null >"$out/sorvant.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
window=
for _ in $(seq 300); do window=$(windows | head -n 1); [ -n "$window" ] && break; sleep 0.2; done
[ -n "$window" ] || fail "no window within 60 s: $(tail -n 5 "$out/sorvant.log")"
sleep 3
import -window root "$out/1-test-source.png"
eval "$(xdotool getwindowgeometry --shell "$window")"
check "window ${WIDTH}x${HEIGHT} at ${X},${Y} on an 800x480 screen; screenshot 1-test-source.png"

# T: the test source off, the program listens to COM1. Sixty bearings, one every 0.1 s.
xdotool windowfocus --sync "$window" key --window "$window" t
sleep 2
sent=0
for bearing in $(seq 0 6 354); do
  printf '%%%03d' "$bearing" >"$out/receiver"
  sent=$((sent + 1))
  sleep 0.1
done
sleep 2
import -window root "$out/2-com1-bearings.png"
check "$sent bearings sent on COM1; screenshot 2-com1-bearings.png (TOTAL BRG must read $(printf '%04d' $sent))"

# A second start ends by itself and leaves one window.
second=0
timeout 60 "$qemu" "$program" </dev/null >/dev/null 2>&1 || second=$?
[ "$second" -eq 0 ] || fail "the second start ended with $second"
[ "$(windows | wc -l)" -eq 1 ] || fail "not one window after a second start"
check "a second start ended and left one window"

xdotool windowfocus --sync "$window" key --window "$window" q
status=0
for _ in $(seq 150); do kill -0 $program_pid 2>/dev/null || break; sleep 0.2; done
kill -0 $program_pid 2>/dev/null && fail "Q did not end the program"
wait $program_pid || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status: $(tail -n 5 "$out/sorvant.log")"
settings=$XDG_CONFIG_HOME/sorvant/Sorvant.ini
lines=$(grep -c $'\r$' "$settings" || true)
[ "$lines" -eq 46 ] && [ "$(wc -l <"$settings")" -eq 46 ] || fail "Sorvant.ini has $lines CRLF lines"
grep -q '^"T:TEST             ( OFF )"' "$settings" || fail "Sorvant.ini does not keep the test source off"
check "Q ended the program (status 0) and wrote Sorvant.ini: 46 CRLF lines, test source off"
