# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads variant, so <thread> and
# <mutex> work). Libraries come from the compiler's own folder and from KIS_WIN32_DEPS (the third-party
# libraries that scripts/deps.sh win32 builds), never from the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KIS_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KIS_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIS_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${KIS_MINGW_HOST}-windres)
set(CMAKE_AR ${KIS_MINGW_HOST}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${KIS_MINGW_HOST}-ranlib CACHE FILEPATH "")

get_filename_component(KIS_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT KIS_WIN32_DEPS)
    set(KIS_WIN32_DEPS "${KIS_SOURCE_ROOT}/build/win32-deps/prefix")
endif()
# Try-compile projects see the same libraries.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KIS_WIN32_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${KIS_MINGW_HOST} ${KIS_WIN32_DEPS})
set(CMAKE_PREFIX_PATH ${KIS_WIN32_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for the Windows libraries only, with their static link lines.
set(ENV{PKG_CONFIG_LIBDIR} "${KIS_WIN32_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static)

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${KIS_SOURCE_ROOT}/scripts/wine-run.sh)
