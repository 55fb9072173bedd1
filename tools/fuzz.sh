#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UBSan and runs each for a while.
# Usage: tools/fuzz.sh [seconds per target]   (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
cmake -S . -B build-fuzz -DSORVANT_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
for target in fuzz_receive fuzz_nmea fuzz_settings; do
  mkdir -p "$corpus/$target"
  case $target in
    fuzz_receive|fuzz_nmea) seeds=tests/data/nmea ;;
    *) seeds=tests/data/settings ;;
  esac
  echo "fuzzing $target for $seconds s"
  log="$corpus/$target.log"
  if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$corpus/" "$corpus/$target" "$seeds" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzzing: $target found a failure"
    exit 1
  fi
  grep -E "^stat::number_of_executed_units" "$log" || true
done
echo "fuzzing: no crash"
