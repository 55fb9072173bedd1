#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (MinGW-w64) from Debian's own qt6-base source, once, into a cache folder
# outside the repository, and prints that folder's install prefix on its last line. A cache that holds a
# finished build is reused as it is; a missing or half-made one is built again.
#   tools/windows-qt.sh            the cache is $SORVANT_QT_CACHE, default ~/.cache/sorvant-qt-mingw
# The host tools (moc, rcc, uic) come from Debian's Qt of the same version, so only the libraries, the
# Windows platform plugin and their headers are built here: about 22 minutes on 2 cores, 1.5 GB while
# building, 90 MB installed. Needs deb-src lines for Debian's main archive (added when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cache=${SORVANT_QT_CACHE:-$HOME/.cache/sorvant-qt-mingw}
prefix=$cache/install
stamp=$prefix/.complete
if [ -f "$stamp" ]; then
  echo "$prefix"
  exit 0
fi

tools/install-deps.sh windows-qt >&2

mkdir -p "$cache"
cd "$cache"
src=$(find . -maxdepth 1 -type d -name 'qt6-base-6.4*' | head -n 1)
if [ -z "$src" ]; then
  if ! apt-get source --download-only qt6-base >/dev/null 2>&1; then
    # Debian's images list only binary packages; the source lines are the same archive.
    if [ "$(id -u)" -ne 0 ]; then
      echo "apt-get source qt6-base failed: add deb-src lines for Debian main and run apt-get update as root" >&2
      exit 1
    fi
    # The source lines are made from the machine's own binary lines for this release (whatever mirror
    # or proxy they name), so the source comes from where the packages already come from.
    list=/etc/apt/sources.list.d/sorvant-deb-src.sources
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    "$root"/tools/apt-source-lines.sh "$codename" >"$list.new"
    if [ ! -s "$list.new" ]; then
      rm -f "$list.new"
      echo "no apt line for $codename to take the source from: add deb-src lines for Debian main" >&2
      exit 1
    fi
    mv "$list.new" "$list"
    apt-get update -qq >&2
    apt-get source --download-only qt6-base >/dev/null
  fi
  dpkg-source -x qt6-base_*.dsc >/dev/null
  src=$(find . -maxdepth 1 -type d -name 'qt6-base-6.4*' | head -n 1)
fi
src=$cache/${src#./}

# Debian's tarball leaves out the Wintab tablet headers: build the Windows platform plugins without
# the Wintab tablet support (pen input through Windows' own pointer messages stays).
windows=$src/src/plugins/platforms/windows
if ! grep -q 'sorvant: no wintab' "$windows/CMakeLists.txt"; then
  for list in "$windows/CMakeLists.txt" "$src/src/plugins/platforms/direct2d/CMakeLists.txt"; do
    sed -i 's/CONDITION QT_FEATURE_tabletevent$/CONDITION OFF # sorvant: no wintab/' "$list"
  done
  sed -i 's/QT_CONFIG(tabletevent)/0/' "$windows/qwindowscontext.cpp"
  sed -i 's/^#  include "qwindowstabletsupport.h"$//' "$windows/qwindowspointerhandler.cpp"
fi
build=$cache/build
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DSORVANT_SHARED_RUNTIME=ON \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
  -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_openssl=OFF -DFEATURE_windeployqt=OFF \
  -DINPUT_opengl=no >"$cache/configure.log" 2>&1 || { tail -n 40 "$cache/configure.log" >&2; exit 1; }
# The Windows platform plugin first: it is what the patches above touch, so a fault there shows early.
{ cmake --build "$build" -j"${SORVANT_JOBS:-2}" --target QWindowsIntegrationPlugin &&
  cmake --build "$build" -j"${SORVANT_JOBS:-2}"; } >"$cache/build.log" 2>&1 || { grep -E -m 20 'error|Error' "$cache/build.log" >&2; tail -n 20 "$cache/build.log" >&2; exit 1; }
cmake --install "$build" >"$cache/install.log" 2>&1
touch "$stamp"
echo "$prefix"
