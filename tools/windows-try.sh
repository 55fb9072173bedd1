#!/usr/bin/env bash
# Tries the Windows installer as an operator would, under Wine on a virtual screen:
#   tools/windows-try.sh INSTALLER.exe OUTPUT-FOLDER
# A fresh Wine prefix; a silent install (/S); the program started maximised with the test source; T and
# bearings sent on a pseudo-terminal mapped as COM1; a second start that must end and leave one window;
# Q, which must write C:\Sorvant.ini as 46 CRLF lines; a silent uninstall that must leave nothing but
# the settings file. Screenshots go to the output folder. Exits non-zero on the first check that fails.
set -euo pipefail
installer=$(realpath "$1")
out=$(mkdir -p "$2" && realpath "$2")
export WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
unset WAYLAND_DISPLAY

pids=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
fail() { echo "windows try: $*" >&2; exit 1; }
check() { echo "windows try: $*"; }

# A screen and a window manager of its own, on the first free display number from 40 on.
display=40
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=:$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)

rm -rf "$WINEPREFIX"
wine wineboot --init </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
# COM1 is a pseudo-terminal; its other end is where the "receiver" writes.
socat pty,raw,echo=0,link="$out/com1" pty,raw,echo=0,link="$out/receiver" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -e "$out/receiver" ] && break; sleep 0.1; done
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$(readlink -f "$out/com1")" /f >/dev/null 2>&1
wineserver -k || true
wineserver --wait || true

drive=$WINEPREFIX/drive_c
wine "$installer" /S </dev/null >/dev/null 2>&1
wineserver --wait
program="$drive/Program Files/Sorvant/bin/sorvant.exe"
[ -f "$program" ] || fail "the installer put no program at C:\\Program Files\\Sorvant\\bin"
[ -f "$drive/Sorvant.ini" ] || fail "the installer made no C:\\Sorvant.ini"
cmp -s "$drive/Sorvant.ini" "$(dirname "$0")/../packaging/windows/Sorvant.ini" ||
  fail "C:\\Sorvant.ini is not the default settings"
menu=$(find "$drive" -iname 'Sorvant*.lnk' | head -n 1)
[ -n "$menu" ] || fail "no Start-menu entry"
check "installed silently: program, default C:\\Sorvant.ini, Start-menu entry ${menu#$drive/}"

windows() { xdotool search --onlyvisible --name '^Sorvant DF Display$' 2>/dev/null || true; }
wine "C:\\Program Files\\Sorvant\\bin\\sorvant.exe" </dev/null >"$out/sorvant.log" 2>&1 &
program_pid=$!
window=
for _ in $(seq 150); do window=$(windows | head -n 1); [ -n "$window" ] && break; sleep 0.2; done
[ -n "$window" ] || fail "no window within 30 s"
sleep 3
import -window root "$out/1-test-source.png"
eval "$(xdotool getwindowgeometry --shell "$window")"
check "window ${WIDTH}x${HEIGHT} at ${X},${Y}; screenshot 1-test-source.png"

# T: the test source off, the program listens to COM1. Twenty bearings, one every 0.1 s.
xdotool windowfocus --sync "$window" key --window "$window" t
sleep 1
for bearing in $(seq 100 5 195); do printf '%%%03d' "$bearing" >"$out/receiver"; sleep 0.1; done
sleep 1
import -window root "$out/2-com1-bearings.png"
check "20 bearings sent on COM1; screenshot 2-com1-bearings.png (TOTAL BRG must read 0020)"

# A second start ends by itself and leaves one window.
second=0
timeout 30 wine "C:\\Program Files\\Sorvant\\bin\\sorvant.exe" </dev/null >/dev/null 2>&1 || second=$?
[ "$second" -eq 0 ] || fail "the second start ended with $second"
[ "$(windows | wc -l)" -eq 1 ] || fail "two windows after a second start"
check "a second start ended and left one window"
# Brought forward by the second start, the window may be a new X window under Wine: Q goes to the
# one there is now.
window=$(windows | head -n 1)

xdotool windowfocus --sync "$window" key --window "$window" q
for _ in $(seq 100); do kill -0 $program_pid 2>/dev/null || break; sleep 0.2; done
kill -0 $program_pid 2>/dev/null && fail "Q did not end the program"
lines=$(grep -c $'\r$' "$drive/Sorvant.ini" || true)
[ "$lines" -eq 46 ] && [ "$(wc -l <"$drive/Sorvant.ini")" -eq 46 ] || fail "C:\\Sorvant.ini has $lines CRLF lines"
grep -q '^"T:TEST             ( OFF )"' "$drive/Sorvant.ini" || fail "C:\\Sorvant.ini does not keep the test source off"
check "Q wrote C:\\Sorvant.ini: 46 CRLF lines, test source off"

wine "C:\\Program Files\\Sorvant\\Uninstall.exe" /S </dev/null >/dev/null 2>&1
# The uninstaller runs on from a copy of itself: wait for it to finish.
for _ in $(seq 100); do [ -e "$program" ] || break; sleep 0.2; done
wineserver --wait
[ ! -e "$drive/Program Files/Sorvant" ] || fail "left behind: $(find "$drive/Program Files/Sorvant" | head -n 5)"
[ -z "$(find "$drive" -iname 'Sorvant*.lnk')" ] || fail "the Start-menu entry is left"
[ -f "$drive/Sorvant.ini" ] || fail "the uninstaller removed the settings file"
check "uninstalled silently: program folder and Start-menu entry gone, C:\\Sorvant.ini kept"
