#!/bin/sh
# Runs the end-to-end scenario on a virtual X display; skipped (77) without xvfb-run.
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is not installed: skipped"; exit 77; }
# Under the address sanitizer, leaks of the X desktop's libraries are not ours.
LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan-x11.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export LSAN_OPTIONS
exec xvfb-run -a -s "-screen 0 1280x900x24" env QT_QPA_PLATFORM=xcb "$@"
