#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds one configuration.
# Usage: scripts/setup.sh [dev|asan|release]   (default: dev)
set -euo pipefail
preset="${1:-dev}"
cd "$(dirname "$0")/.."

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev qt6-multimedia-dev
    qt6-translations-l10n    # Qt's own Chinese texts for file, colour and folder dialogs
    libqt6svg6               # SVG icon engine: the program's pictures are SVG
    libzip-dev libsqlite3-dev zlib1g-dev   # zlib: the ZIP writer deflates pieces itself
    libisal-dev libdeflate-dev             # ISA-L inflates when unpacking, libdeflate deflates when packing
    fonts-wqy-microhei       # a CJK font, or every Chinese caption shows as boxes
    fonts-noto-color-emoji   # emoji in project and tool names, or they show as boxes
    zip unzip python3        # archive tests compare with archives made by other tools
    libarchive-tools p7zip-full  # bsdtar and 7z: archive tests have them unpack what the program packed
)
scripts/install_packages.sh "${packages[@]}"

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
