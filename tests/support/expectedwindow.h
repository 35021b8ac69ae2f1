// The window as drawn, written out here rather than taken from the window table that
// both front-ends build from, so a wrong row in that table fails the window tests.
#pragma once
#include "app/controlid.h"
#include "maker.h"

namespace lumivox::testing {

struct ExpectedControl {
    ControlId id;
    const char* kind; // Tabs, Page, Panel, Group, Label, Link, Check, Combo, Button, Memo, KeyBox
    ControlId parent;
    int left, top, width, height; // a label's size is its text's
    const char* text;
    bool visible = true;
    bool enabled = true;
};

// Parents before their children.
inline const ExpectedControl kExpectedControls[] = {
    {ControlId::pgc1, "Tabs", ControlId::Form1, 0, 0, 544, 342, ""},
    {ControlId::pnl2, "Panel", ControlId::Form1, 0, 342, 544, 20, ""},
    {ControlId::ts1, "Page", ControlId::pgc1, 4, 27, 536, 311, "定时设置"},
    {ControlId::ts3, "Page", ControlId::pgc1, 4, 27, 536, 311, "更多设置"},
    {ControlId::ts2, "Page", ControlId::pgc1, 4, 27, 536, 311, "关于帮助"},
    {ControlId::grp1Timer, "Group", ControlId::ts1, 338, 8, 167, 89, "报时设置"},
    {ControlId::chkHour, "Check", ControlId::grp1Timer, 21, 25, 97, 17, "整点报时"},
    {ControlId::chkHalf, "Check", ControlId::grp1Timer, 21, 56, 92, 17, "半点报时"},
    {ControlId::grp12, "Group", ControlId::ts1, 9, 5, 312, 284, "倒计时"},
    {ControlId::lbl7, "Label", ControlId::grp12, 15, 22, 144, 16, "倒计数(时:分:秒)："},
    {ControlId::lblMinTick, "Label", ControlId::grp12, 162, 15, 104, 24, "00:10:30"},
    {ControlId::cbbHour, "Combo", ControlId::grp12, 32, 45, 70, 24, "0"},
    {ControlId::lbl10, "Label", ControlId::grp12, 103, 47, 8, 16, ":"},
    {ControlId::cbbMin, "Combo", ControlId::grp12, 114, 45, 70, 24, "10"},
    {ControlId::lbl11, "Label", ControlId::grp12, 184, 47, 8, 16, ":"},
    {ControlId::cbbSec, "Combo", ControlId::grp12, 195, 45, 70, 24, "30"},
    {ControlId::chkMin, "Check", ControlId::grp12, 15, 85, 57, 17, "最后"},
    {ControlId::cbbLastMin, "Combo", ControlId::grp12, 72, 82, 49, 24, "10"},
    {ControlId::lbl12, "Label", ControlId::grp12, 125, 85, 48, 16, "分钟每"},
    {ControlId::cbbPerMin, "Combo", ControlId::grp12, 176, 82, 49, 24, "1"},
    {ControlId::lbl13, "Label", ControlId::grp12, 227, 85, 64, 16, "分钟报数"},
    {ControlId::chkSec, "Check", ControlId::grp12, 15, 120, 57, 17, "最后"},
    {ControlId::cbbLastSec, "Combo", ControlId::grp12, 72, 117, 49, 24, "30"},
    {ControlId::lbl15, "Label", ControlId::grp12, 125, 120, 48, 16, "秒钟每"},
    {ControlId::cbbPerSec, "Combo", ControlId::grp12, 176, 117, 49, 24, "1"},
    {ControlId::lbl16, "Label", ControlId::grp12, 227, 120, 64, 16, "秒钟报数"},
    {ControlId::chkLastOne, "Check", ControlId::grp12, 15, 154, 154, 17, "最后一秒提示声音"},
    {ControlId::btnLastOne, "Button", ControlId::grp12, 176, 154, 113, 23, "选择声音", false},
    {ControlId::chkCircle, "Check", ControlId::grp12, 15, 196, 91, 17, "循环计时"},
    {ControlId::btnMinStart, "Button", ControlId::grp12, 15, 239, 113, 27, "启动"},
    {ControlId::btnStop, "Button", ControlId::grp12, 176, 239, 113, 27, "停止", true, false},
    {ControlId::chkDispTop, "Check", ControlId::ts1, 338, 107, 122, 17, "显示在最前面"},
    {ControlId::grp3Chime, "Group", ControlId::ts3, 9, 5, 250, 146, "报时选项"},
    {ControlId::chkQuarter, "Check", ControlId::grp3Chime, 15, 25, 97, 17, "刻钟报时"},
    {ControlId::chkQuiet, "Check", ControlId::grp3Chime, 15, 56, 97, 17, "夜间免报"},
    {ControlId::lblQuietFrom, "Label", ControlId::grp3Chime, 33, 88, 16, 16, "从"},
    {ControlId::cbbQuietFrom, "Combo", ControlId::grp3Chime, 52, 85, 49, 24, "22"},
    {ControlId::lblQuietTo, "Label", ControlId::grp3Chime, 105, 88, 32, 16, "点到"},
    {ControlId::cbbQuietTo, "Combo", ControlId::grp3Chime, 140, 85, 49, 24, "7"},
    {ControlId::lblQuietEnd, "Label", ControlId::grp3Chime, 193, 88, 16, 16, "点"},
    {ControlId::chkFollowDnd, "Check", ControlId::grp3Chime, 15, 118, 122, 17, "勿扰时不报时"},
    {ControlId::grpSound, "Group", ControlId::ts3, 270, 5, 257, 146, "声音"},
    {ControlId::lblVolume, "Label", ControlId::grpSound, 15, 28, 32, 16, "音量"},
    {ControlId::cbbVolume, "Combo", ControlId::grpSound, 50, 25, 62, 24, "100"},
    {ControlId::lblPercent, "Label", ControlId::grpSound, 116, 28, 8, 16, "%"},
    {ControlId::chkMute, "Check", ControlId::grpSound, 150, 27, 60, 17, "静音"},
    {ControlId::btnSayTime, "Button", ControlId::grpSound, 15, 70, 113, 27, "现在报时"},
    {ControlId::lblVoice, "Label", ControlId::grpSound, 15, 108, 32, 16, "语音"},
    {ControlId::cbbVoice, "Combo", ControlId::grpSound, 50, 105, 110, 24, "内置语音"},
    {ControlId::btnVoiceTry, "Button", ControlId::grpSound, 170, 103, 72, 27, "试听"},
    // Hidden while no pack has a clip to report.
    {ControlId::lblVoiceNote, "Label", ControlId::ts3, 15, 268, 0, 16, "", false},
    {ControlId::grpUntil, "Group", ControlId::ts3, 9, 161, 518, 72, "定点倒计时"},
    {ControlId::lblUntil, "Label", ControlId::grpUntil, 15, 20, 160, 16, "倒计时到(时:分:秒)："},
    {ControlId::cbbUntilHour, "Combo", ControlId::grpUntil, 32, 40, 70, 24, "20"},
    {ControlId::lblUntil1, "Label", ControlId::grpUntil, 103, 42, 8, 16, ":"},
    {ControlId::cbbUntilMin, "Combo", ControlId::grpUntil, 114, 40, 70, 24, "0"},
    {ControlId::lblUntil2, "Label", ControlId::grpUntil, 184, 42, 8, 16, ":"},
    {ControlId::cbbUntilSec, "Combo", ControlId::grpUntil, 195, 40, 70, 24, "0"},
    {ControlId::btnUntilStart, "Button", ControlId::grpUntil, 290, 38, 113, 27, "定点启动"},
    {ControlId::lblUntilHint, "Label", ControlId::grpUntil, 190, 20, 272, 16,
     "报数和提示声音按“定时设置”页的选项"},
    {ControlId::lblHotKey, "Label", ControlId::ts3, 15, 244, 80, 16, "报时快捷键"},
    {ControlId::edtHotKey, "KeyBox", ControlId::ts3, 100, 240, 120, 21, ""},
    {ControlId::lblHotKeyHint, "Label", ControlId::ts3, 228, 244, 0, 16, ""},
    {ControlId::mmoHelp, "Memo", ControlId::ts2, 0, 0, 366, 311, ""},
    {ControlId::pnl1, "Panel", ControlId::ts2, 366, 0, 170, 311, ""},
    {ControlId::lbl1, "Label", ControlId::pnl1, 29, 15, 112, 16, "Lumivox语音报时器"},
    {ControlId::lbl2, "Label", ControlId::pnl1, 29, 50, 104, 16, "版本：1.7.921"},
    {ControlId::lbl14, "Label", ControlId::pnl1, 35, 93, 104, 16, "欢迎反馈建议"},
    {ControlId::lbl8, "Link", ControlId::pnl1, 45, 125, 72, 12, "下载最新版本"},
    {ControlId::lbl3, "Link", ControlId::pnl1, 51, 171, 60, 12, "Lumivox工作室"},
    {ControlId::lbl4, "Link", ControlId::pnl1, 23, 188, 126, 12, maker::kHomePage},
    {ControlId::lbl5, "Link", ControlId::pnl1, 43, 243, 96, 12, "赞助开发，谢谢！"},
    {ControlId::lblTips, "Link", ControlId::pnl2, 2, 3, 7, 13, ""},
};

// The combo boxes' lists: the numbers first..last; selected -1 is none.
struct ExpectedCombo {
    ControlId id;
    int first, last, selected;
    bool editable;
};

inline const ExpectedCombo kExpectedCombos[] = {
    {ControlId::cbbHour, 0, 23, 0, false},       {ControlId::cbbMin, 0, 59, 10, false},
    {ControlId::cbbSec, 0, 59, 30, false},       {ControlId::cbbLastMin, 1, 60, 9, true},
    {ControlId::cbbPerMin, 1, 30, 0, true},      {ControlId::cbbLastSec, 1, 60, -1, true},
    {ControlId::cbbPerSec, 1, 30, 0, true},      {ControlId::cbbQuietFrom, 0, 23, 22, false},
    {ControlId::cbbQuietTo, 0, 23, 7, false},    {ControlId::cbbVolume, 0, 100, 100, false},
    {ControlId::cbbUntilHour, 0, 23, 20, false}, {ControlId::cbbUntilMin, 0, 59, 0, false},
    {ControlId::cbbUntilSec, 0, 59, 0, false},
};

} // namespace lumivox::testing
