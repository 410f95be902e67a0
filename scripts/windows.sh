#!/usr/bin/env bash
# Builds Tallyra for 64-bit Windows on Debian 12 (a MinGW-w64 cross-build) and lays out the portable folder.
# Usage: scripts/windows.sh [prepare|build|test|suite]   (default: build)
#   prepare  the packages and the toolchain only (what needs apt, so a build can then run beside other work)
#   build  packages, toolchain, the program and the tests, build-windows/app/ (the folder a Windows user unpacks
#          and starts) and build-windows/Tallyra-windows-x86_64.zip of it
#   test   the same, then every test program under Wine through CTest
#   suite  the tests under Wine only, of what build made
#
# The toolchain (Qt 6.4.2, SQLite and libzip built for Windows) comes as two archives from the folder named by
# TALLYRA_WINDOWS_TOOLCHAINS, else from ../shared/toolchains beside the clone; without either it is built from
# Debian's sources with tools/windows/build-windows-toolchain.sh (about an hour on two cores). It is unpacked into
# build-windows/toolchain once and used from there.
set -euo pipefail
mode="${1:-build}"
case "$mode" in prepare | build | test | suite) ;; *) echo "usage: $0 [prepare|build|test|suite]" >&2; exit 2 ;; esac
cd "$(dirname "$0")/.."
root="$(pwd)"
jobs="${TALLYRA_JOBS:-$(nproc)}"
# How long each step took, for the CI log.
step_start=$SECONDS
took() {
    echo "windows.sh: $1 took $((SECONDS - step_start)) s"
    step_start=$SECONDS
}

export WINEDEBUG=-all
if [ "$mode" = suite ]; then
    ctest --preset windows -j "$jobs"
    took "the suite under Wine"
    exit 0
fi

packages=(
    g++-mingw-w64-x86-64 mingw-w64-tools   # the compiler (GCC 12 with POSIX threads) and its tools
    libz-mingw-w64-dev                     # zlib for Windows: the ZIP writer and libzip link it
    wine64 wine                            # runs the data installer during the build, and the tests
    fonts-wine                             # Tahoma and the other fonts a Windows program asks the system for
    qt6-base-dev-tools                     # moc, rcc and uic run on the build machine
    cmake ninja-build pkg-config zip
    qt6-translations-l10n                  # qtbase_zh_CN.qm: Qt's dialogs in Chinese, as on Linux
    fonts-dejavu-core fonts-wqy-microhei fonts-noto-color-emoji   # what the offscreen tests paint with
)
scripts/install_packages.sh "${packages[@]}"
took "installing packages"

# --- the toolchain -------------------------------------------------------------------------------------------
toolchain="build-windows/toolchain"
qt_archive="qt6-mingw-6.4.2-x86_64.tar.gz"
deps_archive="mingw-sqlite-libzip-x86_64.tar.gz"
if [ ! -f "$toolchain/qt6-mingw/lib/cmake/Qt6/qt.toolchain.cmake" ] || [ ! -f "$toolchain/prefix/lib/libsqlite3.a" ]; then
    archives=""
    for candidate in "${TALLYRA_WINDOWS_TOOLCHAINS:-}" "$root/../shared/toolchains" /work/shared/toolchains; do
        if [ -n "$candidate" ] && [ -f "$candidate/$qt_archive" ] && [ -f "$candidate/$deps_archive" ]; then
            archives="$candidate"
            break
        fi
    done
    if [ -z "$archives" ]; then
        echo "No toolchain archives found: building them from source (about an hour)"
        W="$root/build-windows/toolchain-build" bash tools/windows/build-windows-toolchain.sh \
            packages sources qtbase qtsvg deps archives
        archives="$root/build-windows/toolchain-build/archives"
    fi
    rm -rf "$toolchain"
    mkdir -p "$toolchain"
    tar xzf "$archives/$qt_archive" -C "$toolchain"
    tar xzf "$archives/$deps_archive" -C "$toolchain"
fi
took "the toolchain"
[ "$mode" = prepare ] && exit 0

# --- the build -----------------------------------------------------------------------------------------------
cmake --preset windows >/dev/null
# The default target also lays out app/data with the data installer, run under Wine.
nice cmake --build --preset windows -j "$jobs"
took "the cross-build"

# --- the portable folder -------------------------------------------------------------------------------------
# What windeployqt would copy: the DLLs the program loads (followed through their own imports), the plugins it
# needs (the platform, the style, the SVG icon engine, the image formats), Qt's Chinese texts and a qt.conf.
# The copies lose their symbols (libstdc++ alone carries 20 MB of them).
qt="$toolchain/qt6-mingw"
dll_folders=(
    "$qt/bin" "$toolchain/prefix/bin"
    "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
    /usr/x86_64-w64-mingw32/lib
)
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll iconengines/qsvgicon.dll
         imageformats/qgif.dll imageformats/qico.dll imageformats/qjpeg.dll imageformats/qsvg.dll)

dlls_of() { # FILE FOLDER: copies into FOLDER the DLLs FILE imports that are ours, and theirs in turn
    local dll found candidate
    for dll in $(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'); do
        [ -f "$2/$dll" ] && continue
        found=""
        for candidate in "${dll_folders[@]}"; do
            if [ -f "$candidate/$dll" ]; then found="$candidate/$dll"; break; fi
        done
        # Not found: a DLL of Windows itself.
        if [ -n "$found" ]; then
            cp "$(readlink -f "$found")" "$2/$dll"
            x86_64-w64-mingw32-strip --strip-unneeded "$2/$dll"
            dlls_of "$2/$dll" "$2"
        fi
    done
    return 0
}

deploy() { # FOLDER holding tallyra.exe
    local folder="$1" plugin
    # Laid out anew each time, so nothing of an older toolchain stays.
    rm -rf "$folder"/*.dll "$folder"/{platforms,styles,iconengines,imageformats,translations}
    dlls_of "$folder/tallyra.exe" "$folder"
    for plugin in "${plugins[@]}"; do
        mkdir -p "$folder/$(dirname "$plugin")"
        cp "$qt/plugins/$plugin" "$folder/$plugin"
        x86_64-w64-mingw32-strip --strip-unneeded "$folder/$plugin"
        dlls_of "$folder/$plugin" "$folder"
    done
    mkdir -p "$folder/translations"
    cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$folder/translations/"
    printf '[Paths]\r\nPrefix=.\r\nPlugins=.\r\nTranslations=translations\r\n' >"$folder/qt.conf"
}

deploy build-windows/app

# The ZIP holds a fresh installation, not build-windows/app, which a run may have changed.
package="build-windows/package"
rm -rf "$package" build-windows/Tallyra-windows-x86_64.zip
cmake --install build-windows --prefix "$root/$package/Tallyra" --strip >/dev/null
deploy "$package/Tallyra"
(cd "$package" && zip -q -r -X ../Tallyra-windows-x86_64.zip Tallyra)
echo "Portable folder: build-windows/app/   ZIP: build-windows/Tallyra-windows-x86_64.zip" \
     "($(du -k build-windows/Tallyra-windows-x86_64.zip | cut -f1) KiB)"
took "the portable folder and its ZIP"

# --- the tests under Wine ------------------------------------------------------------------------------------
if [ "$mode" = test ]; then
    ctest --preset windows -j "$jobs"
    took "the suite under Wine"
fi
