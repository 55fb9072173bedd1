# Cross-builds for 64-bit ARM Linux (a Raspberry Pi 4 or 5 with a 64-bit Debian-based system) on a Debian
# machine whose arm64 libraries sit beside its own (Debian multiarch: dpkg --add-architecture arm64;
# tools/install-deps.sh arm64 installs them):
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# Qt's build tools (moc, rcc) are the build machine's own; the arm64 programs, the tests among them, run
# under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(SORVANT_TRIPLET aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${SORVANT_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${SORVANT_TRIPLET}-g++)
# Libraries and package configurations are looked up in the arm64 folders: /usr/lib/aarch64-linux-gnu.
set(CMAKE_LIBRARY_ARCHITECTURE ${SORVANT_TRIPLET})
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${SORVANT_TRIPLET}/pkgconfig:/usr/share/pkgconfig)

# The host's Qt, for its build tools.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake)

# CTest and GoogleTest's test discovery run the arm64 programs through qemu-user. The arm64 dynamic
# loader and libraries are the multiarch ones, at the paths the programs name, so qemu needs no root.
find_program(SORVANT_QEMU NAMES qemu-aarch64-static qemu-aarch64)
if(SORVANT_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SORVANT_QEMU})
endif()
