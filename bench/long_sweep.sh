#!/usr/bin/env bash
# A long sweep: the display reads bearings from one direction at 18 a second from a pseudo-terminal
# for a number of minutes (decay off, as at every start), under Xvfb + openbox at 1920x1080. Prints the
# program's CPU (% of one core) minute by minute, the ratio of minutes 10-11 to minutes 1-2, and
# leaves a screenshot of the end in the output folder, to judge whether the scale is still readable.
# Usage: bench/long_sweep.sh [minutes] [build folder] [output folder]   (default 12, build, long-sweep)
set -euo pipefail
minutes=${1:-12}
build=${2:-build}
out=${3:-long-sweep}
program=$(realpath "$build/sorvant")
[[ -x $program ]] || { echo "missing $build/sorvant" >&2; exit 1; }
"$(dirname "$0")/../tools/install-deps.sh" bench >/dev/null
command -v import >/dev/null || { echo "needs imagemagick's import for the screenshot" >&2; exit 1; }
mkdir -p "$out"
out=$(realpath "$out")

work=$(mktemp -d "${TMPDIR:-/tmp}/sorvant-sweep.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for ((i = 0; i < 500; ++i)); do [[ -s $work/display ]] && break; sleep 0.01; done
export DISPLAY=:$(head -1 "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)
socat pty,raw,echo=0,link="$work/ttyDisplay" pty,raw,echo=0,link="$work/ttyReceiver" &
pids+=($!)
sleep 1

# Default settings with the test source off and COM1 on the pseudo-terminal.
mkdir -p "$work/config/sorvant"
XDG_CONFIG_HOME=$work/config "$program" >/dev/null 2>&1 &
p=$!
timeout 20 xdotool search --sync --onlyvisible --name "Sorvant DF Display" >/dev/null 2>&1 || true
sleep 1
kill -TERM "$p"
wait "$p" 2>/dev/null || true
sed -i 's/"T:TEST             ( ON )"/"T:TEST             ( OFF )"/' "$work/config/sorvant/Sorvant.ini"
ln -sf "$work/ttyDisplay" "$work/config/sorvant/COM1"

XDG_CONFIG_HOME=$work/config "$program" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)
timeout 20 xdotool search --sync --onlyvisible --name "Sorvant DF Display" >/dev/null 2>&1
# The receiver: 18 bearings a second, all at 090 relative to the vehicle.
(while :; do printf '%%090'; sleep 0.0556; done) >"$work/ttyReceiver" &
pids+=($!)

ticks=$(getconf CLK_TCK)
cpu_ticks() { local s; read -r -a s <"/proc/$1/stat"; echo $((s[13] + s[14])); }
declare -a per_minute
last=$(cpu_ticks "$app")
for ((m = 1; m <= minutes; ++m)); do
  sleep 60
  kill -0 "$app" 2>/dev/null || { echo "the program ended in minute $m" >&2; exit 1; }
  now=$(cpu_ticks "$app")
  per_minute[m]=$(awk -v u=$((now - last)) -v t="$ticks" 'BEGIN { printf "%.2f", 100 * u / t / 60 }')
  last=$now
  echo "minute $m: CPU ${per_minute[m]} % of a core"
done
import -window root "$out/end.png"
if ((minutes >= 11)); then
  awk -v a="${per_minute[1]}" -v b="${per_minute[2]}" -v c="${per_minute[10]}" -v d="${per_minute[11]}" \
    'BEGIN { e = (a + b) / 2; l = (c + d) / 2; printf "minutes 1-2: %.2f %%, minutes 10-11: %.2f %%, ratio %.2fx\n", e, l, (e > 0 ? l / e : 0) }'
fi
echo "screenshot: $out/end.png"
