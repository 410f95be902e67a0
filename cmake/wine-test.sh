#!/bin/sh
# One test program of a Windows build under Wine, as CTest runs it: wine-test.sh WINE-RUN PROGRAM.exe [ARGUMENT...]
# What a Windows program writes to a redirected output under Wine may never arrive, so Qt Test writes its
# results to a file; the file is shown here and decides, with the exit code, whether the program passed.
run=$1
program=$2
shift 2
results="$(basename "$program" .exe).results.txt"
rm -f "$results"
# No display: a test that opened a real window would wait for a person. The tests paint offscreen.
# Wine's own output goes to a file: the Wine server it starts inherits it, and would keep CTest waiting for the
# end of a pipe until the last test of the run is done.
log="$(basename "$program" .exe).wine.log"
env -u DISPLAY -u WAYLAND_DISPLAY "$run" "$program" -o "$results,txt" "$@" </dev/null >"$log" 2>&1
status=$?
if [ ! -s "$results" ]; then
    echo "$program wrote no results (exit code $status): it ended before Qt Test finished"
    tail -20 "$log"
    exit 1
fi
cat "$results"
totals=$(grep -E '^Totals: [0-9]+ passed, [0-9]+ failed' "$results" | tail -1)
if [ -z "$totals" ]; then
    echo "$program ended before its totals (exit code $status)"
    exit 1
fi
failed=$(echo "$totals" | sed -E 's/^Totals: [0-9]+ passed, ([0-9]+) failed.*/\1/')
if [ "$failed" != 0 ] || [ "$status" != 0 ]; then
    echo "$program: $failed failed, exit code $status"
    exit 1
fi
exit 0
