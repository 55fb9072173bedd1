#!/usr/bin/env bash
# Builds the Debian package without the test stack and checks it: lintian, desktop-file-validate,
# appstreamcli, and the program's hardening and run path. Fails on any error or warning.
# Usage: tools/package.sh [--try] [--arch ARCH]
#   --try   also installs the package with apt-get (root only), starts the program under Xvfb, ends it,
#           purges the package and checks that nothing of it is left behind
#   --arch  the Debian architecture to build for (default: this machine's). Another one is cross-built
#           with the toolchain file cmake/<its GNU triplet>.cmake (arm64: cmake/aarch64-linux-gnu.cmake,
#           set up by tools/arm64-program.sh) into build-package-ARCH.
set -euo pipefail
cd "$(dirname "$0")/.."
usage() { echo "usage: $0 [--try] [--arch ARCH]" >&2; exit 2; }
try=false
host=$(dpkg --print-architecture)
arch=$host
while [ $# -gt 0 ]; do
  case $1 in
    --try) try=true ;;
    --arch) [ $# -ge 2 ] || usage; arch=$2; shift ;;
    *) usage ;;
  esac
  shift
done

build=build-package
cross=()
if [ "$arch" = "$host" ]; then
  tools/install-deps.sh package
else
  if $try; then
    echo "--try installs and runs the package here: it needs a $host package, not $arch" >&2
    exit 2
  fi
  triplet=$(dpkg-architecture -a "$arch" -qDEB_HOST_MULTIARCH 2>/dev/null) || {
    echo "unknown Debian architecture: $arch" >&2
    exit 2
  }
  toolchain=cmake/$triplet.cmake
  if [ ! -f "$toolchain" ]; then
    echo "no toolchain file for $arch: $toolchain" >&2
    exit 2
  fi
  tools/install-deps.sh package "$arch"
  build=build-package-$arch
  cross=(-DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain")
fi
# -O2 as Debian builds; the symbols that RelWithDebInfo adds are stripped from the package. Warnings
# are the test command's business: a newer compiler's new warning must not stop a package build.
cmake -S . -B "$build" "${cross[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANT_TESTS=OFF -DSORVANT_BENCH=OFF \
  -DSORVANT_WERROR=OFF >/dev/null
cmake --build "$build" -j2 --target sorvant
rm -f "$build"/sorvant_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/sorvant_*_"$arch".deb)
deb=${debs[0]}
echo "package: $deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "package check failed: $*" >&2
  failed=1
}

# lintian warns when run as root; that is about lintian, not about the package.
echo "== lintian"
lintian --fail-on error,warning "$deb" 2> >(grep -v "running with root privileges" >&2) || fail lintian

echo "== desktop-file-validate, appstreamcli validate, manual page, versions"
packaging/check-metadata.sh "$(dpkg-deb -f "$deb" Version)" || fail "package metadata"
# The installed tree as a software centre sees it: metainfo, desktop entry and icon together.
root=$work/root
dpkg-deb -x "$deb" "$root"
out=$(appstreamcli validate-tree --no-net --pedantic "$root" 2>&1) || fail "appstreamcli validate-tree"
if grep -qE '^[EWIP]: ' <<<"$out"; then
  echo "$out"
  fail "appstreamcli validate-tree has remarks"
fi

echo "== hardening and run path"
packaging/check-program.sh --hardened "$root/usr/bin/sorvant" || fail "the program's hardening or run path"

if [ "$failed" -ne 0 ]; then exit 1; fi
echo "package checks: clean"
if ! $try; then exit 0; fi

echo "== install, run and purge"
if [ "$(id -u)" -ne 0 ]; then
  echo "--try installs a package: run it as root" >&2
  exit 1
fi
if dpkg-query -W -f='${Status}' sorvant 2>/dev/null | grep -q "install ok installed"; then
  echo "sorvant is installed already; --try would replace and then purge it. Remove it first." >&2
  exit 1
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
dpkg -L sorvant >"$work/files"
echo "installed: $(wc -l <"$work/files") paths; depends: $(dpkg-query -W -f='${Depends}' sorvant)"
# Xvfb picks a free display and reports its number. The program must still run after a few seconds,
# and end cleanly on SIGTERM, writing its settings: proof that it started and ran its event loop.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
config=$work/config
DISPLAY=:$(cat "$work/display") XDG_CONFIG_HOME=$config sorvant >"$work/run.log" 2>&1 &
app=$!
sleep 5
if kill -0 "$app" 2>/dev/null; then
  kill -TERM "$app"
  status=0
  wait "$app" || status=$?
  [ "$status" -eq 0 ] || fail "the installed program ended with status $status on SIGTERM"
  [ -f "$config/sorvant/Sorvant.ini" ] || fail "the installed program wrote no settings file"
else
  status=0
  wait "$app" || status=$?
  fail "the installed program ended by itself with status $status: $(tail -n 5 "$work/run.log")"
fi
kill "$xvfb" 2>/dev/null || true
wait "$xvfb" 2>/dev/null || true
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq sorvant >/dev/null
left=0
while read -r path; do
  # Shared folders (/usr, /usr/share/icons/hicolor, ...) belong to other packages as well.
  if [ -e "$path" ] && ! [ -d "$path" ]; then
    echo "left behind: $path" >&2
    left=1
  fi
  if [ -d "$path" ] && [[ $path == */sorvant || $path == */sorvant/* ]]; then
    echo "left behind: $path" >&2
    left=1
  fi
done <"$work/files"
[ "$left" -eq 0 ] || fail "files left after purge"
if [ "$failed" -ne 0 ]; then exit 1; fi
echo "install, run and purge: clean"
