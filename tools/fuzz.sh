#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UBSan and runs each for a while.
#
# Usage: tools/fuzz.sh [seconds per target] [corpus folder]
#   seconds        time for each target (default 10)
#   corpus folder  kept between runs: each target's corpus lives in <folder>/<target>, started from the
#                  seeds in fuzz/corpus/<target>, so a long run continues where the last one stopped.
#                  Without it the run works on a throw-away copy of the seeds.
#   FUZZ_TARGETS   environment: the targets to run (default: all five)
#   FUZZ_JOBS      environment: parallel workers per target in a long run (default 1)
#   FUZZ_RUNS      environment: stop a target after this many inputs even if time is left
#
# Each target reports the inputs it ran, inputs per second, coverage (cov: edges, ft: features, as
# libFuzzer counts them) and the size of its corpus.
#
# A long run, then folding what it found back into the seeds kept in the repository:
#   tools/fuzz.sh 1800 ~/sorvant-corpus
#   tools/fuzz.sh --merge ~/sorvant-corpus
# The day-long run of bench/day_run.cpp under the same sanitizers, for a number of simulated hours:
#   tools/fuzz.sh --day 1
#
# Findings (the input that failed) are kept in build-fuzz/findings/. Nothing is left in /tmp.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
targets=${FUZZ_TARGETS:-"fuzz_receive fuzz_nmea fuzz_settings fuzz_actions fuzz_restart"}

# Longest input per target: long enough for whole settings files and scripts of a few hundred steps,
# short enough that every input runs in well under a millisecond.
max_len() {
  case $1 in
    fuzz_receive) echo 512 ;;
    fuzz_nmea) echo 256 ;;
    fuzz_settings | fuzz_restart) echo 1024 ;;
    fuzz_actions) echo 768 ;;
  esac
}

cmake -S . -B build-fuzz -DSORVANT_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2 >/dev/null

# Everything a run writes (settings folders of the targets, logs, a throw-away corpus) lives here and
# goes at exit, also when the run fails or is interrupted.
work=$(mktemp -d "${TMPDIR:-/tmp}/sorvant-fuzz-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work

if [[ ${1:-} == --day ]]; then
  build-fuzz/fuzz/day_run "${2:-1}"
  exit 0
fi

if [[ ${1:-} == --merge ]]; then
  corpus=${2:?usage: tools/fuzz.sh --merge <corpus folder>}
  for target in $targets; do
    [[ -d $corpus/$target ]] || continue
    mkdir -p "$work/merged/$target"
    "build-fuzz/fuzz/$target" -merge=1 -max_len="$(max_len "$target")" "$work/merged/$target" \
      "fuzz/corpus/$target" "$corpus/$target" >"$work/$target.log" 2>&1
    rm -rf "fuzz/corpus/$target"
    mv "$work/merged/$target" "fuzz/corpus/$target"
    echo "$target: $(ls "fuzz/corpus/$target" | wc -l) seeds, $(($(du -sb "fuzz/corpus/$target" | cut -f1) / 1024)) KB"
  done
  exit 0
fi

seconds=${1:-10}
corpus=${2:-$work/corpus}
jobs=${FUZZ_JOBS:-1}
mkdir -p build-fuzz/findings
for target in $targets; do
  mkdir -p "$corpus/$target"
  cp -n fuzz/corpus/"$target"/* "$corpus/$target/" 2>/dev/null || true
  echo "fuzzing $target for $seconds s"
  log="$work/$target.log"
  args=(-max_total_time="$seconds" -max_len="$(max_len "$target")" -print_final_stats=1 -timeout=10
    -artifact_prefix="$root/build-fuzz/findings/$target-")
  if ((jobs > 1)); then args+=(-fork="$jobs"); fi
  if [[ -n ${FUZZ_RUNS:-} ]]; then args+=(-runs="$FUZZ_RUNS"); fi
  if ! "build-fuzz/fuzz/$target" "${args[@]}" "$corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzzing: $target found a failure (input kept in build-fuzz/findings/)"
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  last=$(grep -E "^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE)" "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\) corp: \([0-9]*\/[0-9A-Za-z]*\).*/cov \1, ft \2, corpus \3/p' <<<"$last")
  echo "$target: ${runs:-?} inputs, ${rate:-?}/s, ${cov:-no coverage line}"
done
echo "fuzzing: no crash"
