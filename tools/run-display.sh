#!/usr/bin/env bash
# Installs what is missing, builds the display and starts it (the built-in test source plays).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANT_TESTS=OFF >/dev/null
cmake --build build -j2 --target sorvant
exec ./build/sorvant
