# Cross-building for 64-bit Windows with Debian's MinGW-w64 (GCC, POSIX threads), chain-loaded by the
# toolchain file of a Qt built for Windows:
#
#   cmake --preset windows        (scripts/windows.sh unpacks that Qt and the libraries beside it)
#
# The libraries the program links (SQLite, libzip) lie in a prefix folder beside the Qt folder, so one unpacked
# toolchain folder holds both; TALLYRA_MINGW_PREFIX names another one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Qt's toolchain file includes this one, so CMAKE_TOOLCHAIN_FILE is <toolchain>/qt6-mingw/lib/cmake/Qt6/...
if(NOT TALLYRA_MINGW_PREFIX)
    if(DEFINED ENV{TALLYRA_MINGW_PREFIX})
        set(TALLYRA_MINGW_PREFIX "$ENV{TALLYRA_MINGW_PREFIX}")
    else()
        get_filename_component(TALLYRA_MINGW_PREFIX "${CMAKE_TOOLCHAIN_FILE}/../../../../../prefix" ABSOLUTE)
    endif()
endif()
# try_compile projects read this file again and must find the same prefix.
set(ENV{TALLYRA_MINGW_PREFIX} "${TALLYRA_MINGW_PREFIX}")

list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${TALLYRA_MINGW_PREFIX}")
list(APPEND CMAKE_PREFIX_PATH "${TALLYRA_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for Windows libraries only; the .pc files were made in another folder, and
# --define-prefix reads the prefix from where each file lies now.
set(ENV{PKG_CONFIG_LIBDIR} "${TALLYRA_MINGW_PREFIX}/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --define-prefix)

# Programs the build runs (the data installer) and the tests run through Wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
endif()
