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
