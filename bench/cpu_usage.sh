#!/usr/bin/env bash
# Measures the display's CPU use under Xvfb with a window manager, side by side with the floor program
# (bench/cpu_floor: a bare Qt window that changes two labels and draws ten lines every 50 ms), at
# 1920x1080 and at 3840x2160 with a scale of 2, in four cases run in turn: the floor, the display
# playing the test source, the display reading 15 bearings a second from a pseudo-terminal (test
# source off), and the display playing the test source natively on Wayland, under a headless weston
# of the same size and scale. Runs are interleaved round by round, so a busy machine weighs on every
# case alike; medians are printed, with the ratio to the floor, the resident memory at the end of each
# run and the time from start to the window on screen.
#
# Usage: bench/cpu_usage.sh [seconds per run] [rounds] [build folder]   (default 20 s, 3 rounds, build)
# The build folder needs sorvant and bench/cpu_floor (configure with -DSORVANT_BENCH=ON).
# With BEFORE=path/to/an/older/sorvant, that program's three display cases run in the same rounds too,
# so a change can be judged on equal terms.
set -euo pipefail
seconds=${1:-20}
rounds=${2:-3}
build=${3:-build}
program=$build/sorvant
floor=$build/bench/cpu_floor
before=${BEFORE:-}
for f in "$program" "$floor" ${before:+"$before"}; do
  [[ -x $f ]] || { echo "missing $f: build with -DSORVANT_BENCH=ON" >&2; exit 1; }
done

# What the measurement needs: a virtual X server, a small window manager, a pseudo-terminal pair, a
# headless Wayland compositor and Qt's Wayland plugin.
"$(dirname "$0")/../tools/install-deps.sh" bench

ticks=$(getconf CLK_TCK)
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

cpu_ticks() { local s; read -r -a s < "/proc/$1/stat"; echo $((s[13] + s[14])); }
rss_mb() { awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run: starts the command, waits for its window, measures CPU over the run, ends it. A title of
# "@wayland" waits for the first buffer shared with the compositor instead of an X window.
# Prints "cpu% rssMB startMs".
measure() {
  local title=$1
  shift
  local t0 t1 app before after
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1 &
  app=$!
  pids+=("$app")
  # Until the window is on screen, asking often (xdotool's own wait polls only twice a second).
  for ((i = 0; i < 2000; ++i)); do
    if [[ $title == @wayland ]]; then
      grep -q 'memfd:wayland-shm' "/proc/$app/maps" 2>/dev/null && break
    else
      xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 && break
    fi
    sleep 0.005
  done
  t1=$(date +%s%N)
  sleep 3  # start-up and the first layout are not what is measured
  before=$(cpu_ticks "$app")
  sleep "$seconds"
  after=$(cpu_ticks "$app")
  local rss
  rss=$(rss_mb "$app")
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  awk -v u=$((after - before)) -v t="$ticks" -v s="$seconds" -v r="$rss" -v ms=$(((t1 - t0) / 1000000)) \
    'BEGIN { printf "%.3f %s %d\n", 100 * u / t / s, r, ms }'
}

# A settings folder for the display: default settings, or the test source off and COM1 on a pty.
config_for() {
  local folder=$work/$1
  mkdir -p "$folder/sorvant"
  if [[ $1 == serial ]]; then
    # Let the display write its default settings, then switch the test source off in them.
    env XDG_CONFIG_HOME="$folder" "$program" >/dev/null 2>&1 &
    local p=$!
    timeout 20 xdotool search --sync --onlyvisible --name "Sorvant DF Display" >/dev/null 2>&1 || true
    sleep 1
    kill -TERM "$p"
    wait "$p" 2>/dev/null || true
    sed -i 's/"T:TEST             ( ON )"/"T:TEST             ( OFF )"/' "$folder/sorvant/Sorvant.ini"
    ln -sf "$work/ttyDisplay" "$folder/sorvant/COM1"
  fi
  echo "$folder"
}

# The compositor's runtime folder: a private one, so no session's compositor is disturbed or used.
runtime=$work/runtime
mkdir -m 700 "$runtime"

echo "load before: $(uptime)"
for geometry in 1920x1080 3840x2160; do
  scale=1
  [[ $geometry == 3840x2160 ]] && scale=2
  display=:$((90 + RANDOM % 9))
  Xvfb "$display" -screen 0 "${geometry}x24" -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  export DISPLAY=$display
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  # Weston's headless output keeps every committed buffer until the next one, as a compositor that
  # draws from the client's memory does. Its size is given in scaled pixels.
  socket=sorvant-bench-$$-$scale
  XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --socket="$socket" --idle-time=0 \
    --width=$((${geometry%x*} / scale)) --height=$((${geometry#*x} / scale)) --scale=$scale >/dev/null 2>&1 &
  pids+=($!)
  for ((i = 0; i < 500; ++i)); do [[ -S $runtime/$socket ]] && break; sleep 0.01; done
  x11=(env QT_SCALE_FACTOR=$scale)
  wayland=(env QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket")

  socat pty,raw,echo=0,link="$work/ttyDisplay" pty,raw,echo=0,link="$work/ttyReceiver" &
  pids+=($!)
  sleep 0.5
  # The receiver: 15 bearings a second around 120 degrees, relative to the vehicle.
  (while :; do printf '%%%03d' $((100 + RANDOM % 41)); sleep 0.0667; done) > "$work/ttyReceiver" &
  pids+=($!)

  testConfig=$(config_for "test-$geometry")
  serialConfig=$(config_for serial)

  cases=(floor test serial wayland)
  [[ -n $before ]] && cases+=(test-before serial-before wayland-before)
  for case in "${cases[@]}"; do : > "$work/result-$case"; done
  for ((round = 1; round <= rounds; ++round)); do
    for case in "${cases[@]}"; do
      case $case in
        floor) command=("${x11[@]}" "$floor") title="cpu floor" ;;
        test) command=("${x11[@]}" XDG_CONFIG_HOME="$testConfig" "$program") title="Sorvant DF Display" ;;
        serial) command=("${x11[@]}" XDG_CONFIG_HOME="$serialConfig" "$program") title="Sorvant DF Display" ;;
        wayland) command=("${wayland[@]}" XDG_CONFIG_HOME="$testConfig" "$program") title=@wayland ;;
        test-before) command=("${x11[@]}" XDG_CONFIG_HOME="$testConfig" "$before") title="Sorvant DF Display" ;;
        serial-before) command=("${x11[@]}" XDG_CONFIG_HOME="$serialConfig" "$before") title="Sorvant DF Display" ;;
        wayland-before) command=("${wayland[@]}" XDG_CONFIG_HOME="$testConfig" "$before") title=@wayland ;;
      esac
      measure "$title" "${command[@]}" >> "$work/result-$case"
    done
  done

  floorCpu=$(cut -d' ' -f1 "$work/result-floor" | median)
  for case in "${cases[@]}"; do
    cpu=$(cut -d' ' -f1 "$work/result-$case" | median)
    rss=$(cut -d' ' -f2 "$work/result-$case" | median)
    start=$(cut -d' ' -f3 "$work/result-$case" | median)
    awk -v g="$geometry" -v c="$case" -v cpu="$cpu" -v f="$floorCpu" -v rss="$rss" -v st="$start" -v n="$rounds" \
      -v s="$seconds" 'BEGIN { printf "%s %-14s CPU %.2f %% of a core (%.2fx floor)  RSS %.1f MB  window after %d ms  [median of %d x %d s]\n", g, c, cpu, (f > 0 ? cpu / f : 0), rss, st, n, s }'
  done
  unset DISPLAY
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  pids=()
done
echo "load after: $(uptime)"
