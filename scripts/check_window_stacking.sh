#!/bin/sh
# Checks by hand, under a real X server and window manager, that with 窗口总在最前面 ticked the
# decibel calculator opens in front of the main window and stays there after a click on the
# main window. Not part of ctest: it needs Xvfb, openbox, xdotool and xprop.
#
#   scripts/check_window_stacking.sh [build/bin/kuvacalc] [display number]
#
# The clicks are placed from the main window's position at its default size (1366×768 screen).
set -eu
prog=${1:-build/bin/kuvacalc}
display=:${2:-77}
shots=${SHOTS:-/tmp/kuva_stacking}
mkdir -p "$shots"
home=$(mktemp -d)

Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 2
DISPLAY=$display openbox >/dev/null 2>&1 &
wm=$!
# Its own settings and single-instance lock: a copy running elsewhere does not stop it.
export DISPLAY="$display" HOME="$home" TMPDIR="$home"
timeout 120 "$prog" >/dev/null 2>&1 &
app=$!
# shellcheck disable=SC2317  # run by the trap
cleanup() {
  kill "$app" "$wm" "$xvfb" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
sleep 4

main=$(xdotool search --onlyvisible --name '^kuva环评计算$' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$main")"
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 1; }
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g'; }
topmost() { printf '%d' "$(stacking | awk '{print $NF}')"; }

click 32 627  # 窗口总在最前面
click 81 121  # 噪声预测工具
click 76 195  # 分贝计算器
scrot -o "$shots/opened.png"
calc=$(xdotool search --onlyvisible --name '^分贝计算器$' | head -n 1)
status=0
if [ -z "$calc" ] || [ "$(topmost)" != "$calc" ]; then
  echo "FAIL: the decibel calculator did not open in front of the main window"
  status=1
fi
click 800 500  # the main window's page
scrot -o "$shots/after_click.png"
if [ "$(topmost)" != "$calc" ]; then
  echo "FAIL: a click on the stay-on-top main window covered the calculator"
  status=1
fi
[ $status -eq 0 ] && echo "PASS: the calculator opens and stays in front ($shots/after_click.png)"
exit $status
