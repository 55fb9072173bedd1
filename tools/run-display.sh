#!/usr/bin/env bash
# Installs what is missing, builds the display and starts it (the built-in test source plays).
set -euo pipefail
cd "$(dirname "$0")/.."

# The display is a window: without a screen to show it on, say so before spending minutes on a build.
# A local X display is checked by its socket; remote and forwarded ones are taken on trust.
display_missing() {
  if [ -n "${QT_QPA_PLATFORM:-}" ]; then return 1; fi
  if [ -n "${WAYLAND_DISPLAY:-}" ]; then
    case $WAYLAND_DISPLAY in
      /*) [ -S "$WAYLAND_DISPLAY" ] && return 1 ;;
      *) [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/$WAYLAND_DISPLAY" ] && return 1 ;;
    esac
  fi
  if [ -n "${DISPLAY:-}" ]; then
    if [[ $DISPLAY =~ ^(unix)?:([0-9]+)(\.[0-9]+)?$ ]]; then
      [ -S "/tmp/.X11-unix/X${BASH_REMATCH[2]}" ] && return 1
    else
      return 1
    fi
  fi
  return 0
}
if display_missing; then
  if [ -n "${DISPLAY:-}" ]; then
    echo "No screen to show the display on: no X server is running at DISPLAY=$DISPLAY." >&2
  else
    echo "No screen to show the display on: DISPLAY is not set (no desktop session)." >&2
  fi
  echo "Run this from a desktop session, or on a virtual screen under Xvfb:" >&2
  echo "  apt-get install -y xvfb xauth   # as root, once" >&2
  echo "  xvfb-run -a -s '-screen 0 1920x1080x24' tools/run-display.sh" >&2
  exit 1
fi

tools/install-deps.sh display
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVANT_TESTS=OFF >/dev/null
cmake --build build -j2 --target sorvant
exec ./build/sorvant
