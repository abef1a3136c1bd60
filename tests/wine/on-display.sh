# Sourced by a Wine test that CTest runs (SETUP_WINE_STATE set): DISPLAY becomes the display of
# the test's prefix, and the test notes its begin and end on it in the prefix's tests.log, which
# display.sh checks. The end is noted on exit; a script with an EXIT trap of its own calls
# on_display_note end from it.
on_display_note() {
  echo "$1 $(date +%s.%N) ${SETUP_WINE_TEST:-unnamed} $DISPLAY" \
    "$(tr -d ' ' <"/tmp/.X${DISPLAY#:}-lock" 2>/dev/null)" >>"$SETUP_WINE_STATE/tests.log"
}
DISPLAY=$(cat "$SETUP_WINE_STATE/display" 2>/dev/null) || {
  echo "no display in $SETUP_WINE_STATE: the prefix's display fixture did not run" >&2
  return 1
}
export DISPLAY
on_display_note begin
trap 'on_display_note end' EXIT
