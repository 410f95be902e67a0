#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a bounded time on a copy of its seed
# corpus. An input that breaks a promise is kept under build-fuzz/crashes/TARGET/; copy it into
# tests/data/fuzz/TARGET/ so the suite runs it from then on.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default: 60 seconds, every target)
#        FUZZ_RUNS=N scripts/fuzz.sh 0 [TARGET...]          (N runs per target instead of a time)
set -euo pipefail
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings_file record_table extract_archive entry_name)
if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); else limit=(-max_total_time="$seconds"); fi
cd "$(dirname "$0")/.."

# clang with its libFuzzer runtime, and the libraries the targets link.
scripts/install_packages.sh clang libclang-rt-14-dev cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev \
    qt6-multimedia-dev libzip-dev libsqlite3-dev zlib1g-dev libisal-dev libdeflate-dev

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

status=0
for target in "${targets[@]}"; do
    work="build-fuzz/corpus/$target"
    crashes="build-fuzz/crashes/$target"
    mkdir -p "$work" "$crashes"
    cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
    log="build-fuzz/$target.log"
    if "build-fuzz/fuzz/fuzz_$target" "${limit[@]}" -timeout=20 -rss_limit_mb=3072 \
        -artifact_prefix="$crashes/" "$work" >"$log" 2>&1; then
        echo "fuzz_$target: $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -1), no promise broken"
    else
        status=1
        echo "fuzz_$target: FAILED, see $log and $crashes/"
        tail -40 "$log"
    fi
done
exit $status
