#!/usr/bin/env bash
# Prints deb-src stanzas (deb822) for every binary apt source of the release named by $1 (its main
# suite, not -updates or -security), taken from this machine's own sources: the same URIs, suite,
# components and keyring. Used where a package's source must be fetched and only binary lines exist.
set -euo pipefail
codename=$1
etc=${SORVANT_APT_ETC:-/etc/apt}  # another folder for a dry run
shopt -s nullglob
{
  # deb822 files: one stanza per blank-line-separated block.
  for f in "$etc"/sources.list.d/*.sources; do cat "$f"; echo; done
  # One-line files, turned into stanzas first.
  for f in "$etc"/sources.list "$etc"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '
      /^[ \t]*deb[ \t]/ {
        sub(/^[ \t]*deb[ \t]+/, "")
        signed = ""
        if ($0 ~ /^\[/) {
          opts = substr($0, 2, index($0, "]") - 2)
          $0 = substr($0, index($0, "]") + 1)
          n = split(opts, o, /[ \t]+/)
          for (i = 1; i <= n; i++) if (o[i] ~ /^signed-by=/) signed = substr(o[i], 11)
        }
        split($0, f, /[ \t]+/)
        j = 1; while (f[j] == "") j++
        uri = f[j]; suite = f[j + 1]; comps = ""
        for (k = j + 2; f[k] != ""; k++) comps = comps (comps == "" ? "" : " ") f[k]
        printf "Types: deb\nURIs: %s\nSuites: %s\nComponents: %s\n", uri, suite, comps
        if (signed != "") printf "Signed-By: %s\n", signed
        print ""
      }' "$f"
  done
} | awk -v codename="$codename" '
  function flush() {
    if (types ~ /(^| )deb( |$)/ && enabled !~ /^[Nn]o/ && uris != "" && (" " suites " ") ~ (" " codename " ")) {
      printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", uris, codename, comps
      if (signed != "") printf "Signed-By: %s\n", signed
      print ""
    }
    types = uris = suites = comps = signed = enabled = ""
  }
  /^[ \t]*#/ { next }
  /^[ \t]*$/ { flush(); next }
  {
    key = $1; sub(/:$/, "", key); $1 = ""; sub(/^[ \t]+/, "")
    if (key == "Types") types = $0
    else if (key == "URIs") uris = $0
    else if (key == "Suites") suites = $0
    else if (key == "Components") comps = $0
    else if (key == "Signed-By") signed = $0
    else if (key == "Enabled") enabled = $0
  }
  END { flush() }'
