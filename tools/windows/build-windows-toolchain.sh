#!/bin/bash
# Builds the Windows toolchain of Tallyra from Debian 12's own sources: Qt 6.4.2 (qtbase and qtsvg) and SQLite and
# libzip, cross-built for Windows x86-64 with MinGW-w64, and packs them as the two archives scripts/windows.sh
# unpacks. scripts/windows.sh runs it only when no archives are at hand; it takes about an hour on two cores.
#
#   W=FOLDER bash tools/windows/build-windows-toolchain.sh STAGE...
#     stages, in order: packages sources qtbase qtsvg deps archives
#
# Everything lives under $W (default ~/.cache/tallyra-mingw): the sources, the build trees, the Qt prefix
# $W/qt6-mingw, the library prefix $W/prefix and, last, $W/archives. Every compile runs under nice -n 19.
#
# Sources: Debian's source packages qt6-base, sqlite3 and libzip of bookworm (apt-get source, from a deb-src list
# of its own under $W). The Debian archive serves qt6-svg's .dsc but not its tarballs, so Qt Svg is the same
# release from the Qt Project: https://download.qt.io/archive/qt/6.4/6.4.2/submodules/qtsvg-everywhere-src-6.4.2.tar.xz
# (TALLYRA_QTSVG_TARBALL names a copy at hand instead).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/../.." && pwd)
W=${W:-$HOME/.cache/tallyra-mingw}
QT=$W/qt6-mingw # the Qt prefix, relocatable
P=$W/prefix     # SQLite and libzip
J=${J:-2}
QTSVG_URL=https://download.qt.io/archive/qt/6.4/6.4.2/submodules/qtsvg-everywhere-src-6.4.2.tar.xz
APT_SRC=(-o Dir::Etc::SourceList="$W/aptsrc/sources.list" -o Dir::Etc::SourceParts=/dev/null
         -o Dir::State::Lists="$W/aptsrc/lists")
mkdir -p "$W"

stage_packages() {
    # MinGW-w64 GCC 12 (its POSIX-thread variant), zlib for MinGW, the host's Qt 6.4.2 tools (moc, rcc, uic and
    # their CMake packages), tclsh for SQLite's amalgamation, dpkg-dev and curl for the sources.
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev qt6-base-dev qt6-base-dev-tools \
        cmake ninja-build pkg-config tcl make dpkg-dev curl ca-certificates xz-utils patch
}

stage_sources() {
    mkdir -p "$W/aptsrc/lists/partial" "$W/src/deps"
    echo "deb-src http://deb.debian.org/debian bookworm main" >"$W/aptsrc/sources.list"
    apt-get "${APT_SRC[@]}" update
    cd "$W/src"
    apt-get "${APT_SRC[@]}" source --download-only qt6-base sqlite3 libzip
    tar xf qt6-base_6.4.2+dfsg.orig.tar.xz
    cd deps
    tar xf ../sqlite3_3.40.1.orig.tar.xz
    tar xf ../libzip_1.7.3.orig.tar.xz
    if [ -n "${TALLYRA_QTSVG_TARBALL:-}" ]; then
        tar xf "$TALLYRA_QTSVG_TARBALL"
    else
        curl -fsSL "$QTSVG_URL" | tar xJf -
    fi
}

stage_qtbase() {
    # Only what Tallyra needs: Core, Gui, Widgets, Test and the windows, offscreen, windowsvista-style and
    # image-format plugins. The +dfsg tarball keeps every bundled library a Windows build needs (pcre2, zlib,
    # libpng, libjpeg, harfbuzz, freetype, double-conversion, md4c); it drops src/3rdparty/wintab (tablet support
    # of the windows plugin: hence tabletevent=OFF) and the ones Qt for Windows does not use here. No ICU: the
    # program converts GB18030 through Windows' code page 54936. The patch mends two includes that Qt 6.4.2 gets
    # wrong with OpenGL and Direct2D off.
    local B=$W/build/qtbase
    cd "$W/src/qtbase-everywhere-src-6.4.2"
    patch -p1 -N <"$HERE/qtbase-6.4.2-windows-plugin-features.patch" || true
    mkdir -p "$B" && cd "$B"
    nice -n 19 cmake -G Ninja -S "$W/src/qtbase-everywhere-src-6.4.2" -B . \
        -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/mingw-w64-x86_64.cmake" -DTALLYRA_MINGW_PREFIX="$P" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$QT" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
        -DFEATURE_xml=OFF -DFEATURE_opengl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF \
        -DFEATURE_direct2d=OFF -DINPUT_openssl=no -DFEATURE_pkg_config=OFF
    nice -n 19 ninja -j"$J" # about 1,200 steps: 45 min on two shared cores
    nice -n 19 cmake --install .
}

stage_qtsvg() {
    # Qt Svg: the SVG icon engine and image plugin, which draw every picture of the program. About a minute.
    local B=$W/build/qtsvg
    mkdir -p "$B" && cd "$B"
    nice -n 19 cmake -G Ninja -S "$W/src/deps/qtsvg-everywhere-src-6.4.2" -B . \
        -DCMAKE_TOOLCHAIN_FILE="$QT/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$REPO/cmake/mingw-w64-x86_64.cmake" -DTALLYRA_MINGW_PREFIX="$P" \
        -DQT_HOST_PATH=/usr -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    nice -n 19 ninja -j"$J"
    nice -n 19 cmake --install .
}

stage_deps() {
    # SQLite as a static library (the flags of Debian's own build, FTS5 too, which find's text index uses; the
    # amalgamation holds it, the flag turns it on) and libzip as a DLL with zlib and Windows' own cryptography.
    # About a minute.
    local S=$W/src/deps/sqlite3-3.40.1 B=$W/build/sqlite
    mkdir -p "$B" "$P/lib/pkgconfig" "$P/include"
    (cd "$B" && "$S/configure" --disable-tcl >/dev/null && make sqlite3.c >/dev/null)
    nice -n 19 x86_64-w64-mingw32-gcc-posix -O2 -c "$B/sqlite3.c" -o "$B/sqlite3.o" -DSQLITE_THREADSAFE=1 \
        -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_DBSTAT_VTAB -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS5 \
        -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_PREUPDATE_HOOK -DSQLITE_ENABLE_RTREE -DSQLITE_ENABLE_SESSION \
        -DSQLITE_ENABLE_STMTVTAB -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_ENABLE_UPDATE_DELETE_LIMIT \
        -DSQLITE_OMIT_LOOKASIDE
    x86_64-w64-mingw32-ar rcs "$P/lib/libsqlite3.a" "$B/sqlite3.o"
    cp "$B/sqlite3.h" "$S/src/sqlite3ext.h" "$P/include/"
    cat >"$P/lib/pkgconfig/sqlite3.pc" <<PC
prefix=$P
libdir=\${prefix}/lib
includedir=\${prefix}/include
Name: SQLite
Description: SQL database engine (static, MinGW)
Version: 3.40.1
Libs: -L\${libdir} -lsqlite3
Cflags: -I\${includedir}
PC
    local Z=$W/build/libzip
    mkdir -p "$Z"
    nice -n 19 cmake -G Ninja -S "$W/src/deps/libzip-1.7.3" -B "$Z" \
        -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/mingw-w64-x86_64.cmake" -DTALLYRA_MINGW_PREFIX="$P" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$P" -DBUILD_SHARED_LIBS=ON \
        -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF \
        -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=ON -DENABLE_COMMONCRYPTO=OFF \
        -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
    nice -n 19 ninja -C "$Z" -j"$J" install
}

stage_archives() {
    # What scripts/windows.sh looks for: the Qt prefix and the library prefix, each as one archive.
    mkdir -p "$W/archives"
    tar czf "$W/archives/qt6-mingw-6.4.2-x86_64.tar.gz" -C "$W" qt6-mingw
    tar czf "$W/archives/mingw-sqlite-libzip-x86_64.tar.gz" -C "$W" prefix
}

for s in "$@"; do
    echo "=== $s $(date +%T)"
    "stage_${s//-/_}"
done
