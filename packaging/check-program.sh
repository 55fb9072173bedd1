#!/usr/bin/env bash
# Checks the installed program as Debian wants it: no run path of its own (it finds Qt where the system
# keeps it) and, with --hardened, stack protection, checked (fortified) functions and full RELRO.
# Prints every fault; fails on any.
# Usage: packaging/check-program.sh [--hardened] PROGRAM
#        packaging/check-program.sh [--hardened] --install BUILD-FOLDER
#   --install  installs the build folder into a temporary prefix first and checks the program there
set -uo pipefail
hardened=false
if [ "${1:-}" = "--hardened" ]; then
  hardened=true
  shift
fi
work=
trap '[ -z "$work" ] || rm -rf "$work"' EXIT
if [ "${1:-}" = "--install" ]; then
  build=${2:?usage: $0 [--hardened] --install BUILD-FOLDER}
  work=$(mktemp -d)
  if ! out=$(DESTDIR= cmake --install "$build" --prefix "$work" 2>&1); then
    echo "$out" >&2
    echo "program check failed: cmake --install $build did not install" >&2
    exit 1
  fi
  program=$work/bin/sorvant
else
  program=${1:?usage: $0 [--hardened] PROGRAM | --install BUILD-FOLDER}
fi

failed=0
fail() {
  echo "program check failed: $*" >&2
  failed=1
}
# Each listing is read whole before it is searched: grep -q at the end of a pipe may stop its writer
# early, which pipefail would count as a failure.
dynamic=$(readelf -dW "$program") || exit 1
grep -E '\((RPATH|RUNPATH)\)' <<<"$dynamic" >&2 && fail "$program carries a run path"
if $hardened; then
  headers=$(readelf -lW "$program")
  symbols=$(readelf --dyn-syms -W "$program")
  grep -qE '\(FLAGS\).*BIND_NOW' <<<"$dynamic" || fail "$program is not linked with -z now"
  grep -q GNU_RELRO <<<"$headers" || fail "$program has no RELRO segment"
  grep -q __stack_chk_fail <<<"$symbols" || fail "$program has no stack protection"
  # A checked function such as __snprintf_chk@GLIBC_2.3.4; __stack_chk_fail is not one.
  grep -qE '__[a-z_]+_chk@' <<<"$symbols" || fail "$program uses no checked (fortified) functions"
fi
exit "$failed"
