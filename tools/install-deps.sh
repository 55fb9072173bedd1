#!/usr/bin/env bash
# Installs the Debian packages one purpose needs, when any is missing.
# Usage: tools/install-deps.sh [display|test|package|bench|windows|windows-qt|windows-program|arm64 ...]   (no purpose: the first three)
#   display  build and run the program
#   test     build everything with the tests and benchmarks, fuzz, run the test suite (also under a
#            headless weston)
#   package  build the Debian package without the test stack, check it, try it under Xvfb
#   bench    measure the display's CPU use and memory under Xvfb with a window manager and under the
#            headless Wayland compositors weston, sway, kwin and mutter (bench/cpu_usage.sh)
#   windows  cross-build the core and its tests for Windows and run them under Wine (tools/windows-check.sh)
#   windows-qt       build Qt for MinGW-w64 from Debian's source (tools/windows-qt.sh)
#   windows-program  cross-build the whole program, test it under Wine, make the installer
#   arm64    cross-build the program and its tests for 64-bit ARM, run them under qemu-user, try the
#            program on a virtual screen (tools/arm64-program.sh). The arm64 libraries install beside
#            the amd64 ones (Debian multiarch): the arm64 architecture must have been added to dpkg
#            first, which tools/arm64-program.sh does after asking. Their versions must match the
#            amd64 ones, so apt may upgrade amd64 packages on the way; it never removes any.
set -euo pipefail

build=(cmake g++ make qt6-base-dev libgl-dev libxkbcommon-dev libxcb1-dev)
display=("${build[@]}" qt6-qpa-plugins qt6-wayland fonts-liberation)
test=("${display[@]}" libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev socat xvfb xauth
      xdotool desktop-file-utils appstream man-db weston)
package=("${build[@]}" fonts-liberation dpkg-dev file lintian desktop-file-utils appstream man-db xvfb xauth)
bench=(xvfb openbox socat xdotool weston sway kwin-wayland mutter dbus-daemon qt6-wayland)
windows=(cmake make g++-mingw-w64-x86-64-posix wine wine64 googletest socat)
windows_qt=(cmake ninja-build dpkg-dev patch g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools)
windows_program=("${windows[@]}" "${windows_qt[@]}" nsis xvfb xauth xdotool socat fonts-liberation imagemagick)
# The host's Qt tools (moc, rcc) serve the cross build; the program is tried under qemu with openbox.
arm64=(cmake make g++-aarch64-linux-gnu qemu-user-static qt6-base-dev qt6-base-dev-tools pkgconf
       qt6-base-dev:arm64 libgl-dev:arm64 libxkbcommon-dev:arm64 libxcb1-dev:arm64
       libgtest-dev:arm64 libgmock-dev:arm64 qt6-wayland:arm64
       xvfb xauth xdotool socat openbox imagemagick fonts-liberation)

purposes=("$@")
no_remove=()
if [ ${#purposes[@]} -eq 0 ]; then purposes=(display test package); fi
wanted=()
for purpose in "${purposes[@]}"; do
  case $purpose in
    display) wanted+=("${display[@]}") ;;
    test) wanted+=("${test[@]}") ;;
    package) wanted+=("${package[@]}") ;;
    bench) wanted+=("${bench[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    windows-qt) wanted+=("${windows_qt[@]}") ;;
    windows-program) wanted+=("${windows_program[@]}") ;;
    arm64)
      if ! dpkg --print-foreign-architectures | grep -qx arm64; then
        echo "The arm64 libraries need the arm64 architecture added to dpkg, which may upgrade packages:" >&2
        echo "tools/arm64-program.sh does it after asking (or run: dpkg --add-architecture arm64)." >&2
        exit 1
      fi
      wanted+=("${arm64[@]}")
      no_remove=(--no-remove)
      ;;
    *) echo "usage: $0 [display|test|package|bench|windows|windows-qt|windows-program|arm64 ...]" >&2; exit 2 ;;
  esac
done

missing=()
for p in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi

command="apt-get update && apt-get install -y --no-install-recommends ${no_remove[*]} ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  # sudo only where it can work here: with a terminal to ask for the password, or without one when
  # it needs none. Otherwise say plainly what root has to run.
  if command -v sudo >/dev/null && { [ -t 0 ] || sudo -n true 2>/dev/null; }; then
    as_root=(sudo env DEBIAN_FRONTEND=noninteractive)
  else
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "They need root to install. Run this as root (for example after su -), then try again:" >&2
    echo "  $command" >&2
    exit 1
  fi
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${no_remove[@]}" "${missing[@]}"
