# Cross-builds for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DSORVANT_QT=OFF
# The posix flavour of the compiler is the one with std::thread and std::mutex, which GoogleTest needs.
# Programs without Qt are linked statically, so they run on Windows (or under Wine) with no MinGW DLLs
# beside them. With Qt (SORVANT_SHARED_RUNTIME, set by tools/windows-qt.sh and tools/windows-program.sh)
# the program shares the MinGW runtime DLLs with the Qt DLLs, so one C++ runtime serves both.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SORVANT_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SORVANT_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SORVANT_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${SORVANT_MINGW}-windres)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${SORVANT_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT SORVANT_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
endif()

# CTest runs the Windows programs through Wine when it is there.
find_program(SORVANT_WINE NAMES wine64 wine)
if(SORVANT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SORVANT_WINE})
endif()
