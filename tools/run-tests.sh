#!/usr/bin/env bash
# Installs what is missing, builds everything (benchmarks too, so they keep compiling) with warnings as
# errors, fuzzes briefly under ASan and UBSan and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANT_WERROR=ON -DSORVANT_TESTS=ON -DSORVANT_BENCH=ON >/dev/null
cmake --build build-test -j2
tools/fuzz.sh 8  # five targets on random input: receive path, NMEA, settings, operator scripts, restart
cd build-test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
