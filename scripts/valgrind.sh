#!/usr/bin/env bash
# Runs the test programs that need no window under Valgrind memcheck: any memory error or definite leak fails.
# Usage: scripts/valgrind.sh   (after scripts/test.sh dev has built build-dev)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_packages.sh valgrind

tests=(
    platform/tst_platform app/tst_appsettings store/tst_recordtable store/tst_recordtable_damage
    archive/tst_zip_round_trip archive/tst_zip_unsafe_archives execution/tst_work_line
    execution/tst_docking_rules fuzz/tst_fuzz_inputs reliability/tst_crash_safety reliability/tst_power_cut
    # Programs that also hold window tests run their window-free functions only: program:function,function
    projects/tst_trash:endedBeforeAnyStep_eachProjectInTheCatalogueOrTheTrashOnce,orphanEndedBeforeAnyStep_inTheDataFolderOrTheTrashOnce,everyOtherCommand_endedBeforeAnyStep_nothingLostNothingTwice
    projects/tst_history:replacingPackage_keepsTheOneBeforeUnlessTheBytesAreTheSame,keeping_beyondTheLimits_oldestGoButNeverTheOneJustKept,placing_endedBeforeAnyStep_oldOrNewPackageWithItsRecord
)
# Qt's GLib event dispatcher keeps per-thread state that a forked check (run as another user) never frees;
# the plain Unix dispatcher has none. Children forked for such checks are not judged.
# Valgrind cannot follow the machine code PCRE2 compiles for a regular expression and reports its reads as
# uninitialised; the interpreter gives the same matches.
export QT_ENABLE_REGEXP_JIT=0 QT_NO_GLIB=1 QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TZ=Asia/Shanghai
status=0
for entry in "${tests[@]}"; do
    t="${entry%%:*}"
    functions=()
    [[ "$entry" == *:* ]] && IFS=, read -r -a functions <<<"${entry#*:}"
    log="build-dev/valgrind-$(basename "$t").log"
    if valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite --show-leak-kinds=definite \
        --child-silent-after-fork=yes --suppressions=tests/valgrind.supp -q "build-dev/tests/$t" "${functions[@]}" >"$log" 2>&1; then
        echo "valgrind $t: $(grep -E '^Totals' "$log" | tail -1)"
    else
        status=1
        echo "valgrind $t: FAILED"
        tail -60 "$log"
    fi
done
exit $status
