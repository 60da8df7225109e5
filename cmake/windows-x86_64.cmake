# Cross-compiles for Windows x86-64 with Debian's MinGW-w64 (posix threads).
# The dependencies live in the prefix scripts/setup-windows builds; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(DEFINED ENV{XKM_WINDOWS_PREFIX})
  set(XKM_WINDOWS_PREFIX "$ENV{XKM_WINDOWS_PREFIX}")
else()
  set(XKM_WINDOWS_PREFIX "$ENV{HOME}/.cache/xkmtool-windows/prefix")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${XKM_WINDOWS_PREFIX}" "${XKM_WINDOWS_PREFIX}/qt6")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must see only the cross-built libraries.
set(ENV{PKG_CONFIG_LIBDIR} "${XKM_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
endif()
