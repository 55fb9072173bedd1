#!/usr/bin/env bash
# Measures the display's CPU use and memory under X11 (Xvfb with a window manager) and natively on the
# Wayland compositors an operator meets, at 1920x1080 and at 3840x2160 with a scale of 2:
#   floor    bench/cpu_floor under X11: a bare Qt window that changes two labels and draws ten lines
#            every 50 ms, what any Qt window on this machine costs (and floor-<compositor>: the same
#            window on that compositor, as Qt shows it there by default);
#   x11      the display playing the test source under Xvfb + openbox;
#   serial   the display reading 15 bearings a second from a pseudo-terminal (test source off), X11;
#   weston, sway, kwin, mutter
#            the display playing the test source on that compositor, started headless here with a
#            private runtime folder and home, at the same size and scale. They render in software
#            (weston and sway with pixman, kwin on its virtual output, mutter with its software GL),
#            as on a machine without a graphics card; their own CPU is not counted.
# Runs are interleaved round by round, so a busy machine weighs on every case alike. Per case the
# median CPU (% of one core), resident memory (MB) and time from start to the window on screen are
# printed, then a table of CPU and memory with the ratio to X11, with the compositors' versions. A
# compositor that is missing or does not start is named with the reason. Resident memory is read
# four times a second through each run: the median of a run's readings is its memory, the highest
# its peak (as the counts grow, the range steps up every few seconds and every vector is drawn at
# the new scale: on Wayland the changed parts then hold a second buffer for a moment; one reading
# at a fixed moment of the test source's fixed sequence would show that moment only).
#
# Usage: bench/cpu_usage.sh [seconds per run] [rounds] [build folder]   (default 20 s, 3 rounds, build)
# The build folder needs sorvant and bench/cpu_floor (configure with -DSORVANT_BENCH=ON).
# With BEFORE=path/to/an/older/sorvant, that program's display cases run in the same rounds too, and
# the table is printed for both, so a change can be judged on equal terms.
# COMPOSITORS="weston sway" limits the Wayland cases; GEOMETRIES="1920x1080" limits the sizes.
set -euo pipefail
seconds=${1:-20}
rounds=${2:-3}
build=${3:-build}
program=$build/sorvant
floor=$build/bench/cpu_floor
before=${BEFORE:-}
compositors=(${COMPOSITORS:-weston sway kwin mutter})
geometries=(${GEOMETRIES:-1920x1080 3840x2160})
for f in "$program" "$floor" ${before:+"$before"}; do
  [[ -x $f ]] || { echo "missing $f: build with -DSORVANT_BENCH=ON" >&2; exit 1; }
done

# What the measurement needs: a virtual X server, a small window manager, a pseudo-terminal pair, the
# compositors and Qt's Wayland plugin.
"$(dirname "$0")/../tools/install-deps.sh" bench

ticks=$(getconf CLK_TCK)
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

cpu_ticks() { local s; read -r -a s < "/proc/$1/stat"; echo $((s[13] + s[14])); }
rss_mb() { awk '/^VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
# The median of the numbers read (runs that gave none, "-", are left out); nothing when there are none.
median() {
  { grep -E '^[0-9.]+$' || true; } | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) exit; if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The highest of the numbers read; nothing when there are none.
highest() { { grep -E '^[0-9.]+$' || true; } | sort -g | tail -1; }

# One run: starts the command, waits for its window, measures CPU over the run, ends it. A title of
# "@wayland" waits for the first buffer shared with the compositor instead of an X window.
# Prints "cpu% rssMB startMs peakMB", or "- - - -" when the program did not keep running.
measure() {
  local title=$1
  shift
  local t0 t1 app before after
  t0=$(date +%s%N)
  "$@" >/dev/null 2>"$work/last-errors" &
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
  local kept="" rss="" peak="" elapsedNs t2
  if before=$(cpu_ticks "$app" 2>/dev/null); then
    t2=$(date +%s%N)
    : >"$work/rss-readings"
    for ((i = 0; i < seconds * 4; ++i)); do
      sleep 0.25
      rss_mb "$app" >>"$work/rss-readings" 2>/dev/null && echo >>"$work/rss-readings" || break
    done
    after=$(cpu_ticks "$app" 2>/dev/null) && kept=yes
    elapsedNs=$(($(date +%s%N) - t2))
    rss=$(median <"$work/rss-readings")
    peak=$(highest <"$work/rss-readings")
  fi
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  if [[ -z $kept || -z $rss ]]; then
    echo "- - - -"
    { echo "a run of $* did not keep going:"; tail -3 "$work/last-errors"; } >&2
    return
  fi
  awk -v u=$((after - before)) -v t="$ticks" -v ns="$elapsedNs" -v r="$rss" -v p="$peak" -v ms=$(((t1 - t0) / 1000000)) \
    'BEGIN { printf "%.3f %s %d %s\n", 100 * u / t / (ns / 1e9), r, ms, p }'
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

# The compositors run as this user, except sway, which refuses to run as root: as root it runs as
# nobody, in a runtime folder of nobody's, and the display, as root, reaches its socket by path.
other_user=()
if [[ $(id -u) -eq 0 ]]; then other_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --); fi

# kwin_wayland carries a file capability (cap_sys_resource) that a container without it cannot grant,
# so it does not even start there: a copy without the capability is the same compositor.
kwinPath=$(command -v kwin_wayland || true)
if [[ -n $kwinPath ]] && ! "$kwinPath" --version >/dev/null 2>&1; then
  cp "$kwinPath" "$work/kwin_wayland"
  kwinPath=$work/kwin_wayland
fi

version_of() {
  case $1 in
    weston) weston --version 2>/dev/null | head -1 ;;
    sway) sway --version 2>/dev/null | head -1 ;;
    kwin) [[ -n $kwinPath ]] && "$kwinPath" --version 2>/dev/null | tail -1 ;;
    mutter) mutter --version 2>/dev/null | head -1 ;;
  esac
}

# Starts compositor $1 at $2 (WxH) and scale $3 in a folder of its own. Sets compositorSocket to its
# socket's path, or fails with the reason in compositorTrouble.
start_compositor() {
  local name=$1 geometry=$2 scale=$3
  local width=${geometry%x*} height=${geometry#*x}
  local dir=$work/$name-$geometry
  mkdir -p "$dir/runtime" "$dir/home/.config"
  chmod 700 "$dir/runtime"
  local socket=$dir/runtime/wayland-bench
  local log=$dir/log
  local runner=()
  case $name in
    weston)
      command -v weston >/dev/null || { compositorTrouble="not installed"; return 1; }
      env XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home" weston --backend=headless-backend.so --use-pixman \
        --socket=wayland-bench --idle-time=0 --width=$((width / scale)) --height=$((height / scale)) \
        --scale="$scale" >"$log" 2>&1 &
      ;;
    sway)
      command -v sway >/dev/null || { compositorTrouble="not installed"; return 1; }
      printf 'output HEADLESS-1 resolution %sx%s scale %s\n' "$width" "$height" "$scale" >"$dir/sway.config"
      if [[ ${#other_user[@]} -gt 0 ]]; then
        chown -R nobody "$dir/runtime" "$dir/home"
        runner=("${other_user[@]}")
      fi
      socket=$dir/runtime/wayland-1
      env -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home" WLR_BACKENDS=headless \
        WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${runner[@]}" sway -c "$dir/sway.config" >"$log" 2>&1 &
      ;;
    kwin)
      [[ -n $kwinPath ]] || { compositorTrouble="not installed"; return 1; }
      # kwin locks an idle screen after five minutes, and a locked screen shows no window: the rounds
      # after that would measure a display nobody sees.
      printf '[Daemon]\nAutolock=false\nLockOnResume=false\n' >"$dir/home/.config/kscreenlockerrc"
      env XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" "$kwinPath" --virtual \
        --width $((width / scale)) --height $((height / scale)) --scale "$scale" --socket wayland-bench \
        >"$log" 2>&1 &
      ;;
    mutter)
      command -v mutter >/dev/null || { compositorTrouble="not installed"; return 1; }
      # A session bus of its own, and the virtual monitor's scale in the monitor configuration.
      dbus-daemon --session --nofork --print-address=3 3>"$dir/bus" >/dev/null 2>&1 &
      pids+=($!)
      for ((i = 0; i < 200; ++i)); do [[ -s $dir/bus ]] && break; sleep 0.02; done
      cat >"$dir/home/.config/monitors.xml" <<EOF
<monitors version="2"><configuration><logicalmonitor><x>0</x><y>0</y><scale>$scale</scale><primary>yes</primary>
<monitor><monitorspec><connector>Meta-0</connector><vendor>MetaVendor</vendor><product>MetaVirtualMonitor</product>
<serial>0x00</serial></monitorspec><mode><width>$width</width><height>$height</height><rate>60.000</rate></mode>
</monitor></logicalmonitor></configuration></monitors>
EOF
      env XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" \
        DBUS_SESSION_BUS_ADDRESS="$(head -1 "$dir/bus")" mutter --headless --wayland --no-x11 \
        --virtual-monitor "${width}x${height}" --wayland-display=wayland-bench >"$log" 2>&1 &
      ;;
  esac
  local pid=$!
  pids+=("$pid")
  for ((i = 0; i < 1000; ++i)); do
    [[ -S $socket ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  if [[ ! -S $socket ]]; then
    compositorTrouble="did not start: $(grep -v '^$' "$log" | tail -1)"
    return 1
  fi
  sleep 1  # the first output and its configuration
  compositorSocket=$socket
}

# The display's own runtime folder (single instance, Qt's runtime files).
runtime=$work/runtime
mkdir -m 700 "$runtime"

declare -A cpuOf rssOf peakOf unmeasured
echo "load before: $(uptime)"
for geometry in "${geometries[@]}"; do
  scale=1
  [[ $geometry == 3840x2160 ]] && scale=2
  # A display number no other X server uses, told by the server itself.
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${geometry}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  pids+=($!)
  for ((i = 0; i < 500; ++i)); do [[ -s $work/display ]] && break; sleep 0.01; done
  export DISPLAY=:$(head -1 "$work/display")
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  x11=(env QT_SCALE_FACTOR=$scale XDG_RUNTIME_DIR="$runtime")

  socat pty,raw,echo=0,link="$work/ttyDisplay" pty,raw,echo=0,link="$work/ttyReceiver" &
  pids+=($!)
  sleep 0.5
  # The receiver: 15 bearings a second around 120 degrees, relative to the vehicle.
  (while :; do printf '%%%03d' $((100 + RANDOM % 41)); sleep 0.0667; done) >"$work/ttyReceiver" &
  pids+=($!)

  testConfig=$(config_for "test-$geometry")
  serialConfig=$(config_for serial)

  declare -A socketOf=()
  cases=(floor x11 serial)
  for c in "${compositors[@]}"; do
    compositorSocket="" compositorTrouble=""
    if start_compositor "$c" "$geometry" "$scale"; then
      socketOf[$c]=$compositorSocket
      cases+=("$c" "floor-$c")
    else
      unmeasured[$c@$geometry]=$compositorTrouble
    fi
  done
  if [[ -n $before ]]; then
    for c in "${cases[@]}"; do [[ $c != floor* ]] && cases+=("$c-before"); done
  fi
  for case in "${cases[@]}"; do : >"$work/result-$case"; done
  for ((round = 1; round <= rounds; ++round)); do
    for case in "${cases[@]}"; do
      binary=$program
      [[ $case == *-before ]] && binary=$before
      name=${case%-before}
      case $name in
        floor) command=("${x11[@]}" "$floor") title="cpu floor" ;;
        floor-*)
          command=(env -u DISPLAY QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="${socketOf[${name#floor-}]}"
            "$floor")
          title=@wayland
          ;;
        x11) command=("${x11[@]}" XDG_CONFIG_HOME="$testConfig" "$binary") title="Sorvant DF Display" ;;
        serial) command=("${x11[@]}" XDG_CONFIG_HOME="$serialConfig" "$binary") title="Sorvant DF Display" ;;
        *)
          command=(env -u DISPLAY QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="${socketOf[$name]}"
            XDG_CONFIG_HOME="$testConfig" "$binary")
          title=@wayland
          ;;
      esac
      measure "$title" "${command[@]}" >>"$work/result-$case"
    done
  done

  floorCpu=$(cut -d' ' -f1 "$work/result-floor" | median)
  for case in "${cases[@]}"; do
    cpu=$(cut -d' ' -f1 "$work/result-$case" | median)
    rss=$(cut -d' ' -f2 "$work/result-$case" | median)
    peak=$(cut -d' ' -f4 "$work/result-$case" | highest)
    start=$(cut -d' ' -f3 "$work/result-$case" | median)
    cpuOf[$case@$geometry]=$cpu
    rssOf[$case@$geometry]=$rss
    peakOf[$case@$geometry]=$peak
    if [[ -z $cpu ]]; then
      echo "$geometry $case: no run kept going (the program ended or found no display)"
      continue
    fi
    awk -v g="$geometry" -v c="$case" -v cpu="$cpu" -v f="$floorCpu" -v rss="$rss" -v pk="$peak" -v st="$start" \
      -v n="$rounds" -v s="$seconds" 'BEGIN { printf "%s %-15s CPU %.2f %% of a core (%.2fx floor)  RSS %.1f MB (peak %.1f)  window after %d ms  [median of %d x %d s]\n", g, c, cpu, (f > 0 ? cpu / f : 0), rss, pk, st, n, s }'
  done
  unset DISPLAY
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  pids=()
done
echo "load after: $(uptime)"

# The table: X11 and each compositor, CPU with its ratio to X11's, resident memory.
echo
echo "Versions: Xvfb $(dpkg-query -W -f='${Version}' xvfb 2>/dev/null || true), $(openbox --version 2>/dev/null | head -1)$(
  for c in "${compositors[@]}"; do v=$(version_of "$c" || true); [[ -n $v ]] && printf ', %s' "$v"; done)"
# A table's caption and its head: X11, then each compositor.
table_head() {
  echo
  echo "$1"
  printf '| |%s' " X11 |"
  for c in "${compositors[@]}"; do printf ' %s |' "$c"; done
  printf '\n|---|---|'
  for c in "${compositors[@]}"; do printf -- '---|'; done
  echo
}
# The first cell of a row: what it holds ("cpu", "rss" or "peak"), at which size.
row_title() {
  local title
  case $1 in
    cpu) title="CPU $2 (% of a core)" ;;
    rss) title="RSS $2 (MB)" ;;
    peak) title="RSS peak $2 (MB)" ;;
  esac
  [[ $2 == 3840x2160 ]] && title=${title/3840x2160/3840x2160 at scale 2}
  printf '| %s |' "$title"
}
table() {
  local suffix=$1 label=$2
  table_head "$label (median of $rounds rounds of $seconds s, test source playing):"
  for what in cpu rss peak; do
    for geometry in "${geometries[@]}"; do
      row_title "$what" "$geometry"
      for c in x11 "${compositors[@]}"; do
        local key=$c$suffix@$geometry value x
        case $what in
          cpu) value=${cpuOf[$key]:-} ;;
          rss) value=${rssOf[$key]:-} ;;
          peak) value=${peakOf[$key]:-} ;;
        esac
        x=${cpuOf[x11$suffix@$geometry]:-}
        if [[ -z $value ]]; then
          printf ' - |'
        elif [[ $what == cpu && $c != x11 && -n $x ]]; then
          awk -v v="$value" -v x="$x" 'BEGIN { printf " %.2f (%.1fx) |", v, (x > 0 ? v / x : 0) }'
        else
          awk -v v="$value" -v w="$what" 'BEGIN { printf (w == "cpu" ? " %.2f |" : " %.1f |"), v }'
        fi
      done
      echo
    done
  done
}
# The bare Qt window on each: what any Qt window costs there, against its cost under X11.
floor_table() {
  table_head "Floor, bench/cpu_floor (median of $rounds rounds of $seconds s):"
  for geometry in "${geometries[@]}"; do
    local x=${cpuOf[floor@$geometry]:-}
    row_title cpu "$geometry"
    awk -v v="${x:-}" 'BEGIN { if (v == "") printf " - |"; else printf " %.2f |", v }'
    for c in "${compositors[@]}"; do
      awk -v v="${cpuOf[floor-$c@$geometry]:-}" -v x="${x:-0}" \
        'BEGIN { if (v == "") printf " - |"; else printf " %.2f (%.1fx) |", v, (x > 0 ? v / x : 0) }'
    done
    echo
  done
}
[[ -n $before ]] && table -before "Before ($before)"
table "" "This build ($program)"
floor_table
for key in "${!unmeasured[@]}"; do echo "not measured: ${key%@*} at ${key#*@}: ${unmeasured[$key]}"; done | sort
