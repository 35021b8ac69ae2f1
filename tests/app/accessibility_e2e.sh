#!/usr/bin/env bash
# The window as a screen reader (over a private AT-SPI bus) and the keyboard meet it:
# every control's role and name; Tab and Ctrl+Tab; Start pressed through the reader and
# heard on the sink; the countdown label's name; Alt+S and Alt+T.
# Usage: accessibility_e2e.sh PATH_TO_LUMIVOX SOURCE_DIR. Exits 77 (skipped) without
# the test desktop or the accessibility tools.
set -uo pipefail

program=${1:-}
source_dir=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
[[ -x $program ]] || { echo "skip: program not built"; exit 77; }
source "$here/../support/checks.sh"
needs_desktop xdotool parec dbus-daemon
launcher=/usr/libexec/at-spi-bus-launcher
[[ -x $launcher ]] || { echo "skip: at-spi2-core missing"; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skip: python3-pyatspi missing"; exit 77; }

work=$(mktemp -d /tmp/a11y-e2e.XXXXXX)
source "$here/../support/xwindows.sh"
trap stop_started EXIT
reader() { /usr/bin/python3 "$here/atspi_window.py" "$@" 2>>"$work/reader.log"; }

private_bus || exit 1
"$launcher" --launch-immediately >"$work/bus.log" 2>&1 &
started+=($!)
program_copy "$program"
# Seven seconds, said from five down, then the cue; no chimes to get in the way.
printf '[Common]\r\nIsHour=0\r\nIsHalf=0\r\nHourCounter=0\r\nMinuteCounter=0\r\nSecondCounter=7\r\nIsMinuteCounter=0\r\nIsSecondCounter=1\r\nLastSecond=5\r\nPerSecond=1\r\nIsLastOne=1\r\n' \
    >"$work/app/lvvoxclk.db"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/app/lumivox" >"$work/program.log" 2>&1 &
started+=($!)
check "the window is on the accessibility bus" wait_until 30 reader focused || exit 1
wait_until 10 find_main_window
# The About page's contents come right after the first paint.
has_links() { reader tree | grep -q '^3 link|赞助开发'; }
wait_until 10 has_links

echo "== what the reader lists"
# Qt's own parts (list items, scroll bars, unnamed fillers) left out; the version
# number changes with each release.
reader tree | grep -vE '\|$|list item|scroll bar|Scroll (Left|Right)' |
    sed 's/版本：.*/版本：…/' >"$work/tree"
# depth role|name|description, the window's controls in the table's order
cat >"$work/expected" <<'TREE'
2 filler|定时设置
3 panel|报时设置
4 check box|整点报时
4 check box|半点报时
3 panel|倒计时
4 label|倒计数(时:分:秒)：
4 label|未计时
4 combo box|倒计时 时
4 label|:
4 combo box|分
4 label|:
4 combo box|秒
4 check box|最后几分钟报数
4 combo box|最后几分钟
5 text|最后几分钟
4 label|分钟每
4 combo box|每几分钟报数
5 text|每几分钟报数
4 label|分钟报数
4 check box|最后几秒钟报数
4 combo box|最后几秒钟
5 text|最后几秒钟
4 label|秒钟每
4 combo box|每几秒钟报数
5 text|每几秒钟报数
4 label|秒钟报数
4 check box|最后一秒提示声音
4 check box|循环计时
4 push button|启动
4 push button|停止
3 check box|显示在最前面
2 filler|更多设置
3 panel|报时选项
4 check box|刻钟报时
4 check box|夜间免报
4 label|从
4 combo box|夜间免报 从几点
4 label|点到
4 combo box|到几点
4 label|点
4 check box|勿扰时不报时
3 panel|声音
4 label|音量
4 combo box|音量 百分比
4 label|%
4 check box|静音
4 push button|现在报时
4 label|语音
4 combo box|语音
4 push button|试听
3 panel|定点倒计时
4 label|倒计时到(时:分:秒)：
4 combo box|倒计时到 时
4 label|:
4 combo box|分
4 label|:
4 combo box|秒
4 push button|定点启动
4 label|报数和提示声音按“定时设置”页的选项
3 label|报时快捷键
3 text|报时快捷键
2 filler|关于帮助
3 text|说明
4 label|Lumivox语音报时器
4 label|版本：…
4 label|欢迎反馈建议
4 link|下载最新版本|http://lumivox.example/showsoft.asp?id=101
4 link|Lumivox工作室|http://lumivox.example
4 link|http://lumivox.example|http://lumivox.example
4 link|赞助开发，谢谢！|http://shop.lumivox.example
1 page tab list|定时设置
2 page tab|定时设置
2 page tab|更多设置
2 page tab|关于帮助
TREE
check "every control by role and name, links with their addresses" diff "$work/expected" "$work/tree"

echo "== Tab alone"
xdotool windowactivate --sync "$main" >/dev/null 2>&1
on() { [[ $(reader focused) == "$1" ]]; }
for _ in $(seq 1 30); do on "check box|整点报时" && break; xdotool key Tab; sleep 0.2; done
# From the first check box round the timer page: the reader's order, then the tabs.
for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16; do
    reader focused
    xdotool key Tab
    sleep 0.2
done >"$work/walk"
cat >"$work/expected-walk" <<'WALK'
check box|整点报时
check box|半点报时
combo box|倒计时 时
combo box|分
combo box|秒
check box|最后几分钟报数
text|最后几分钟
text|每几分钟报数
check box|最后几秒钟报数
text|最后几秒钟
text|每几秒钟报数
check box|最后一秒提示声音
check box|循环计时
push button|启动
check box|显示在最前面
page tab list|定时设置
WALK
check "Tab visits the timer page's controls in the reader's order" diff "$work/expected-walk" "$work/walk"
xdotool key ctrl+Tab
check "Ctrl+Tab goes to the next page's first control" wait_until 5 on "check box|刻钟报时"
xdotool key ctrl+shift+Tab
check "Ctrl+Shift+Tab back" wait_until 5 on "check box|整点报时"

echo "== Start through the reader, heard on the sink"
clips="$source_dir/resources/clips"
record_sink "$work/count.raw" 9 reader press 启动
/usr/bin/python3 "$source_dir/tests/win32/find_clips.py" "$work/count.raw" "$clips/WAV5.wav" \
    "$clips/WAV4.wav" "$clips/WAV3.wav" "$clips/WAV2.wav" "$clips/WAV21.wav" >"$work/heard"
heard=$?
cat "$work/heard"
check "5, 4, 3, 2 and the cue are heard" test "$heard" -eq 0
stopped() { [[ $(reader tick) == 未计时 ]]; }
check "once over, the countdown label says so" wait_until 5 stopped

echo "== access keys"
xdotool windowactivate --sync "$main" >/dev/null 2>&1
xdotool key alt+s
counting() { reader tick | grep -qE '^还剩 [0-9] 秒$'; }
check "Alt+S starts; the label's name says what is left" wait_until 5 counting
xdotool key alt+t
check "Alt+T stops" wait_until 5 stopped

((failures == 0)) || { tail -n 20 "$work"/*.log; echo "$failures check(s) failed"; exit 1; }
echo "all accessibility checks passed"
