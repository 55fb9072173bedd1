#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks too, so they keep compiling) with warnings as
# errors, fuzzes briefly under ASan and UBSan and runs the whole test suite, then the Qt shell tests once
# more on the Wayland platform under a headless weston of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANT_WERROR=ON -DSORVANT_TESTS=ON -DSORVANT_BENCH=ON >/dev/null
cmake --build build-test -j2
tools/fuzz.sh 8  # five targets on random input: receive path, NMEA, settings, operator scripts, restart
cd build-test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j2

# Wayland clients need a private runtime folder (mode 0700, as mktemp makes it); the compositor's
# socket, its log and the folder go when this script ends, however it ends.
runtime=$(mktemp -d)
socket="sorvant-tests-$$"
weston_pid=""
cleanup() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null || true
    wait "$weston_pid" 2>/dev/null || true
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT
XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --no-config --idle-time=0 --width=1920 --height=1080 \
  --socket="$socket" >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [ -S "$runtime/$socket" ] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$runtime/$socket" ]; then
  echo "weston did not start:" >&2
  cat "$runtime/weston.log" >&2
  exit 1
fi
echo "Shell tests on Wayland (headless weston):"
XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" SORVANT_TEST_PLATFORM=wayland ctest --output-on-failure --timeout 300 -j2 -L shell
