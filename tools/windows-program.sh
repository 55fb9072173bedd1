#!/usr/bin/env bash
# The whole Windows program, made and tried here: builds Qt for MinGW-w64 once (tools/windows-qt.sh,
# cached outside the repository), cross-builds the program and every test program with warnings as
# errors, runs the tests under a headless Wine prefix of their own, makes the NSIS installer, and
# tries it: a silent install into a fresh Wine prefix, the program started on a virtual screen, bearings
# sent on a pseudo-terminal mapped as COM1, the settings written on Q, a second start, a silent
# uninstall. Ends with one line: "windows: N passed, N skipped, N failed".
#   tools/windows-program.sh          everything
#   tools/windows-program.sh --no-try the tests and the installer, without trying it
# Screenshots of the tried program are left in build-windows-program/try/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-windows-program
toolchain=$root/cmake/mingw-w64-x86_64.cmake
try=1
[ "${1:-}" = "--no-try" ] && try=0

tools/install-deps.sh windows-program
started=$SECONDS
qt=$(tools/windows-qt.sh | tail -n 1)
qt_done=$SECONDS

gtest=$build/googletest
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$gtest/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DSORVANT_SHARED_RUNTIME=ON \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest/install" -DBUILD_GMOCK=OFF >/dev/null
  cmake --build "$gtest/build" -j2 --target install >/dev/null
fi

# -O2 rather than CMake's Release -O3: at -O3 g++ 12 warns falsely (-Wrestrict) inside std::string.
cmake -S . -B "$build/program" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DSORVANT_SHARED_RUNTIME=ON \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DSORVANT_WERROR=ON -DSORVANT_TESTS=ON -DGTest_DIR="$gtest/install/lib/cmake/GTest" >/dev/null
cmake --build "$build/program" -j2

# The installer, and the installed tree it holds (the test programs find the same DLLs there).
(cd "$build/program" && cpack -G NSIS64 >/dev/null)
installer=$(ls "$build"/program/sorvant-*-win64.exe)
stage=$build/stage
rm -rf "$stage"
DESTDIR= cmake --install "$build/program" --prefix "$stage" >/dev/null
built=$SECONDS

# A Wine of its own, quiet, with no menu entries and no offer to install Mono or Gecko. Wine passes
# no variable whose name starts with QT_ to Windows programs: the test programs choose their own
# platform. Arial is Liberation Sans, as on the Linux program; real Windows has Arial itself.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
new_prefix() {
  export WINEPREFIX=$1
  rm -rf "$WINEPREFIX"
  DISPLAY= wine wineboot --init </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
  wineserver --wait
}
new_prefix "$build/wine-tests"
# The test programs load Qt from the Qt build (its plugins, the offscreen platform among them, are found
# beside it) and the MinGW runtime from the staged install. Written out by hand: winepath would start a
# server of its own before the persistent one.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
export WINEPATH="$(windows_path "$qt/bin");$(windows_path "$stage/bin")"
wineserver --persistent=10 </dev/null >/dev/null 2>&1
# The shell tests run on the Windows platform plugin, on a virtual screen larger than 1920x1080 (the
# offscreen plugin of a Windows Qt has no font substitution, so captions would not measure as on Windows).
display=40
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
log=$build/windows-tests.log
status=0
(cd "$build/program" && DISPLAY=:$display SORVANT_TEST_PLATFORM=windows ctest -j2 -V) >"$log" 2>&1 || status=$?
wineserver -k || true
counts=$({ grep -E '^[0-9]+: \[  (PASSED|SKIPPED|FAILED) +\] [0-9]+ test' "$log" || true; } | sed 's/^[0-9]*: //' |
  awk '{n[$2]+=$4} END {printf "%d passed, %d skipped, %d failed", n["PASSED"], n["SKIPPED"], n["FAILED"]}')
grep -E -A1 '^[0-9]+: .*Skipped$' "$log" | grep -v -E 'Skipped$|^--$' | sed 's/^[0-9]*: /  skipped: /' || true
if [ $status -ne 0 ]; then
  grep -E '^[0-9]+: \[  FAILED  \]|Failure$' "$log" || true
  tail -n 30 "$log"
  echo "windows: tests failed (whole log: $log)"
  echo "windows: $counts"
  exit 1
fi
tested=$SECONDS

if [ $try -eq 1 ]; then
  tools/windows-try.sh "$installer" "$build/try"
fi
echo "windows: Qt ready in $((qt_done - started)) s, program and installer in $((built - qt_done)) s, tests in $((tested - built)) s, try in $((SECONDS - tested)) s"
echo "windows: $counts"
