#!/usr/bin/env bash
# Checks the files that describe the program to the desktop and to Debian: the desktop entry and the
# AppStream metainfo with their validators, the manual page with man's warnings, and that the newest
# changelog and metainfo release are the project's version. Prints every remark; fails on any.
# Usage: packaging/check-metadata.sh <project version>
set -uo pipefail
cd "$(dirname "$0")"
version=${1:?usage: $0 <project version>}
failed=0
remark() {
  echo "$1:" >&2
  echo "$2" >&2
  failed=1
}

out=$(desktop-file-validate sorvant.desktop 2>&1)
if [ $? -ne 0 ] || [ -n "$out" ]; then remark "desktop-file-validate sorvant.desktop" "$out"; fi

for metainfo in *.metainfo.xml; do
  out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1)
  if [ $? -ne 0 ] || grep -qE '^[EWIP]: ' <<<"$out"; then remark "appstreamcli validate $metainfo" "$out"; fi
  newest=$(grep -oE '<release version="[^"]+"' "$metainfo" | head -n 1 | cut -d'"' -f2)
  [ "$newest" = "$version" ] || remark "$metainfo" "its newest release is '$newest', the project is $version"
done

# The settings lintian uses for its own manual page check.
out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z sorvant.1 2>&1 >/dev/null)
if [ $? -ne 0 ] || [ -n "$out" ]; then remark "man --warnings sorvant.1" "$out"; fi

grep -qE "^\.TH .*\"sorvant $version\"" sorvant.1 || remark sorvant.1 "its heading does not name sorvant $version"

newest=$(sed -nE '1s/^sorvant \(([^)]+)\).*/\1/p' changelog)
[ "$newest" = "$version" ] || remark changelog "its newest entry is '$newest', the project is $version"

exit "$failed"
