#!/usr/bin/env bash
# Measures the display's CPU use under Xvfb while the test source plays, at 1920x1080 and 3840x2160.
# Usage: bench/cpu_usage.sh [seconds] [path to sorvant]   (default 30 s, build/sorvant)
set -euo pipefail
seconds=${1:-30}
program=${2:-build/sorvant}
ticks=$(getconf CLK_TCK)
for geometry in 1920x1080 3840x2160; do
  display=:$((90 + RANDOM % 9))
  config=$(mktemp -d)
  Xvfb "$display" -screen 0 "${geometry}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  DISPLAY=$display XDG_CONFIG_HOME=$config "$program" >/dev/null 2>&1 &
  app=$!
  sleep 3  # start-up and the first layout are not what is measured
  read -r -a before < "/proc/$app/stat"
  sleep "$seconds"
  read -r -a after < "/proc/$app/stat"
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$config"
  used=$(( (after[13] + after[14]) - (before[13] + before[14]) ))
  awk -v g="$geometry" -v u="$used" -v t="$ticks" -v s="$seconds" \
    'BEGIN { printf "%s: %.2f %% of one core over %d s\n", g, 100 * u / t / s, s }'
done
