#!/usr/bin/env bash
# Cross-builds the core and its test programs for 64-bit Windows with MinGW-w64 (no Qt) and runs every
# test under Wine, headless. Installs what is missing with apt-get first; GoogleTest for Windows is built
# once from Debian's googletest source package. Everything else stays in build-windows/, including the
# Wine prefix, so nothing touches ~/.wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-windows
toolchain=$root/cmake/mingw-w64-x86_64.cmake

tools/install-deps.sh windows

gtest=$build/googletest
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "Building GoogleTest for Windows"
  cmake -S /usr/src/googletest -B "$gtest/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest/install" -DBUILD_GMOCK=OFF >/dev/null
  cmake --build "$gtest/build" -j2 --target install >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANT_QT=OFF \
  -DSORVANT_WERROR=ON -DSORVANT_TESTS=ON -DGTest_DIR="$gtest/install/lib/cmake/GTest" >/dev/null
cmake --build "$build" -j2

# A Wine of its own, quiet, with no display, no menu entries and no offer to install Mono or Gecko.
# The prefix is made once before the tests start, so parallel tests never race to create it.
export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" DISPLAY=
unset WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix"
  wine wineboot --init </dev/null >/dev/null 2>&1
  wineserver --wait
fi
# COM5 of the prefix is one end of a pair of joined pseudo-terminals; the serial device test reads it and
# writes the far end through Wine's Z: drive. Wine takes its ports from the registry (a bare link in
# dosdevices is reset) when its server starts. The far end waits for the test to open it, and socat ends
# once the test closes it again, which takes COM5 away as pulling out an adapter does.
ptys=$build/pty
socat_pid=
rm -rf "$ptys" && mkdir -p "$ptys"
if command -v socat >/dev/null; then
  socat pty,raw,echo=0,link="$ptys/com5" pty,raw,echo=0,link="$ptys/far",wait-slave </dev/null >/dev/null 2>&1 &
  socat_pid=$!
  trap '[ -z "$socat_pid" ] || kill "$socat_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -e "$ptys/com5" ] && [ -e "$ptys/far" ] && break; sleep 0.1; done
fi
if [ -e "$ptys/com5" ] && [ -e "$ptys/far" ]; then
  wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$(readlink -f "$ptys/com5")" /f </dev/null >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  export SORVANT_WINE_COM=5 SORVANT_WINE_COM_PEER="Z:${ptys//\//\\}\\far"
else
  echo "No pseudo-terminal for COM5 (is socat installed?): the serial device test is skipped"
fi

# One server and one set of Wine's own background processes for all the tests, started here with no
# terminal or pipe: a background process started by the first test would hold that test's output open
# (CTest would wait for it), and each test program then starts in a fraction of a second.
wineserver --persistent=10 </dev/null >/dev/null 2>&1
wine wineboot </dev/null >/dev/null 2>&1

ready=$SECONDS
log=$build/windows-tests.log
cd "$build"
status=0
ctest -j2 -V >"$log" 2>&1 || status=$?
# Each program's own count, and the reason of every skipped test.
{ grep -E '^[0-9]+: \[  (PASSED|SKIPPED|FAILED) +\] [0-9]+ test' "$log" || true; } | sed 's/^[0-9]*: //' |
  awk '{n[$2]+=$4} END {printf "windows: %d passed, %d skipped, %d failed\n", n["PASSED"], n["SKIPPED"], n["FAILED"]}'
grep -E -A1 '^[0-9]+: .*Skipped$' "$log" | grep -v -E 'Skipped$|^--$' | sed 's/^[0-9]*: /  skipped: /' || true
if [ $status -ne 0 ]; then
  grep -E '^[0-9]+: \[  FAILED  \]|Failure$' "$log" || true
  tail -n 40 "$log"
  echo "windows: tests failed (whole log: $log)"
  exit 1
fi
echo "windows: installs, builds and Wine ready in $ready s; tests in $((SECONDS - ready)) s"
