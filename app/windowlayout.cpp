#include "app/windowlayout.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <sstream>

#include "maker.h"

namespace lumivox::layout {

namespace {

Control Combo(ControlId id, int left, int top, int width, std::string text, int first, int last,
              bool editable, int selected, int tab, ControlId parent = ControlId::grp12) {
    Control c{id, Kind::Combo, parent, left, top, width, 24, std::move(text)};
    c.firstItem = first;
    c.lastItem = last;
    c.editable = editable;
    c.selected = selected;
    c.tabOrder = tab;
    return c;
}

Control Check(ControlId id, ControlId parent, int left, int top, int width, std::string text,
              int tab) {
    Control c{id, Kind::Check, parent, left, top, width, 17, std::move(text)};
    c.tabOrder = tab;
    return c;
}

Control Label(ControlId id, ControlId parent, int left, int top, int width, int height,
              std::string text) {
    return Control{id, Kind::Label, parent, left, top, width, height, std::move(text)};
}

Control Link(ControlId id, int left, int top, int width, std::string text, Target target, int tab) {
    Control c{id, Kind::Link, ControlId::pnl1, left, top, width, 12, std::move(text)};
    c.tabOrder = tab;
    c.font = FontRole::Link;
    c.target = target;
    return c;
}

Control Group(ControlId id, ControlId parent, int left, int top, int width, int height,
              std::string text, int tab) {
    Control c{id, Kind::Group, parent, left, top, width, height, std::move(text)};
    c.tabOrder = tab;
    return c;
}

Control Button(ControlId id, ControlId parent, int left, int top, int height, std::string text,
               int tab) {
    Control c{id, Kind::Button, parent, left, top, 113, height, std::move(text)};
    c.tabOrder = tab;
    return c;
}

Control Docked(ControlId id, Kind kind, ControlId parent, int left, int top, int width, int height,
               Dock dock, int tab) {
    Control c{id, kind, parent, left, top, width, height, {}};
    c.dock = dock;
    c.tabOrder = tab;
    return c;
}

Control Named(Control c, std::string name) {
    c.name = std::move(name);
    return c;
}

Control Keyed(Control c, char key) {
    c.accessKey = key;
    return c;
}

std::vector<Control> MakeControls() {
    using enum ControlId;
    std::vector<Control> all;
    all.push_back(Docked(pgc1, Kind::Tabs, Form1, 0, 0, 544, 342, Dock::Client, 0));
    all.push_back(Docked(pnl2, Kind::Panel, Form1, 0, 342, 544, 20, Dock::Bottom, 1));
    all.push_back(Control{ts1, Kind::Page, pgc1, 4, 27, 536, 311, "定时设置"});
    all.push_back(Control{ts3, Kind::Page, pgc1, 4, 27, 536, 311, "更多设置"});
    all.push_back(Control{ts2, Kind::Page, pgc1, 4, 27, 536, 311, "关于帮助"});

    all.push_back(Group(grp1Timer, ts1, 338, 8, 167, 89, "报时设置", 0));
    all.push_back(Keyed(Check(chkHour, grp1Timer, 21, 25, 97, "整点报时", 0), 'H'));
    all.push_back(Keyed(Check(chkHalf, grp1Timer, 21, 56, 92, "半点报时", 1), 'B'));

    all.push_back(Group(grp12, ts1, 9, 5, 312, 284, "倒计时", 1));
    all.push_back(Label(lbl7, grp12, 15, 22, 144, 16, "倒计数(时:分:秒)："));
    Control tick = Label(lblMinTick, grp12, 162, 15, 104, 24, "00:10:30");
    tick.font = FontRole::Tick;
    tick.name = kNotCounting; // while counting, what is left in words
    all.push_back(tick);
    all.push_back(Named(Combo(cbbHour, 32, 45, 70, "0", 0, 23, false, 0, 0), "倒计时 时"));
    all.push_back(Label(lbl10, grp12, 103, 47, 8, 16, ":"));
    all.push_back(Named(Combo(cbbMin, 114, 45, 70, "10", 0, 59, false, 10, 1), "分"));
    all.push_back(Label(lbl11, grp12, 184, 47, 8, 16, ":"));
    all.push_back(Named(Combo(cbbSec, 195, 45, 70, "30", 0, 59, false, 30, 2), "秒"));
    all.push_back(Keyed(Named(Check(chkMin, grp12, 15, 85, 57, "最后", 3), "最后几分钟报数"), 'F'));
    all.push_back(Named(Combo(cbbLastMin, 72, 82, 49, "10", 1, 60, true, 9, 4), "最后几分钟"));
    all.push_back(Label(lbl12, grp12, 125, 85, 48, 16, "分钟每"));
    all.push_back(Named(Combo(cbbPerMin, 176, 82, 49, "1", 1, 30, true, 0, 5), "每几分钟报数"));
    all.push_back(Label(lbl13, grp12, 227, 85, 64, 16, "分钟报数"));
    all.push_back(
        Keyed(Named(Check(chkSec, grp12, 15, 120, 57, "最后", 6), "最后几秒钟报数"), 'M'));
    // Shows "30" with no list item selected.
    all.push_back(
        Named(Combo(cbbLastSec, 72, 117, 49, "30", 1, 60, true, kNoItem, 7), "最后几秒钟"));
    all.push_back(Label(lbl15, grp12, 125, 120, 48, 16, "秒钟每"));
    all.push_back(Named(Combo(cbbPerSec, 176, 117, 49, "1", 1, 30, true, 0, 8), "每几秒钟报数"));
    all.push_back(Label(lbl16, grp12, 227, 120, 64, 16, "秒钟报数"));
    all.push_back(Keyed(Check(chkLastOne, grp12, 15, 154, 154, "最后一秒提示声音", 9), 'L'));
    Control button = Button(btnLastOne, grp12, 176, 154, 23, "选择声音", 10);
    button.visible = false;
    all.push_back(button);
    all.push_back(Keyed(Check(chkCircle, grp12, 15, 196, 91, "循环计时", 11), 'R'));
    all.push_back(Keyed(Button(btnMinStart, grp12, 15, 239, 27, "启动", 12), 'S'));
    button = Keyed(Button(btnStop, grp12, 176, 239, 27, "停止", 13), 'T');
    button.enabled = false;
    all.push_back(button);

    all.push_back(Keyed(Check(chkDispTop, ts1, 338, 107, 122, "显示在最前面", 2), 'O'));

    // The page of further settings: more chimes, the voice's loudness, the time on
    // demand, and a countdown to a time of day.
    all.push_back(Group(grp3Chime, ts3, 9, 5, 250, 146, "报时选项", 0));
    all.push_back(Keyed(Check(chkQuarter, grp3Chime, 15, 25, 97, "刻钟报时", 0), 'K'));
    all.push_back(Keyed(Check(chkQuiet, grp3Chime, 15, 56, 97, "夜间免报", 1), 'Y'));
    all.push_back(Label(lblQuietFrom, grp3Chime, 33, 88, 16, 16, "从"));
    all.push_back(Named(Combo(cbbQuietFrom, 52, 85, 49, "22", 0, 23, false, 22, 2, grp3Chime),
                        "夜间免报 从几点"));
    all.push_back(Label(lblQuietTo, grp3Chime, 105, 88, 32, 16, "点到"));
    all.push_back(
        Named(Combo(cbbQuietTo, 140, 85, 49, "7", 0, 23, false, 7, 3, grp3Chime), "到几点"));
    all.push_back(Label(lblQuietEnd, grp3Chime, 193, 88, 16, 16, "点"));
    all.push_back(Keyed(Check(chkFollowDnd, grp3Chime, 15, 118, 122, "勿扰时不报时", 4), 'D'));

    all.push_back(Group(grpSound, ts3, 270, 5, 257, 146, "声音", 1));
    all.push_back(Label(lblVolume, grpSound, 15, 28, 32, 16, "音量"));
    all.push_back(
        Named(Combo(cbbVolume, 50, 25, 62, "100", 0, 100, false, 100, 0, grpSound), "音量 百分比"));
    all.push_back(Label(lblPercent, grpSound, 116, 28, 8, 16, "%"));
    all.push_back(Keyed(Check(chkMute, grpSound, 150, 27, 60, "静音", 1), 'J'));
    all.push_back(Keyed(Button(btnSayTime, grpSound, 15, 70, 27, "现在报时", 2), 'A'));
    all.push_back(Label(lblVoice, grpSound, 15, 108, 32, 16, "语音"));
    // The voices are listed at run time: the built-in ones, then the packs found.
    all.push_back(
        Named(Combo(cbbVoice, 50, 105, 110, "", 0, -1, false, kNoItem, 3, grpSound), "语音"));
    Control tryVoice = Keyed(Button(btnVoiceTry, grpSound, 170, 103, 27, "试听", 4), 'V');
    tryVoice.width = 72; // inside the group
    all.push_back(tryVoice);
    // Which clips of the chosen pack the built-in voice stands in for.
    all.push_back(Label(lblVoiceNote, ts3, 15, 268, 512, 16, ""));

    all.push_back(Group(grpUntil, ts3, 9, 161, 518, 72, "定点倒计时", 2));
    all.push_back(Label(lblUntil, grpUntil, 15, 20, 160, 16, "倒计时到(时:分:秒)："));
    all.push_back(
        Named(Combo(cbbUntilHour, 32, 40, 70, "20", 0, 23, false, 20, 0, grpUntil), "倒计时到 时"));
    all.push_back(Label(lblUntil1, grpUntil, 103, 42, 8, 16, ":"));
    all.push_back(Named(Combo(cbbUntilMin, 114, 40, 70, "0", 0, 59, false, 0, 1, grpUntil), "分"));
    all.push_back(Label(lblUntil2, grpUntil, 184, 42, 8, 16, ":"));
    all.push_back(Named(Combo(cbbUntilSec, 195, 40, 70, "0", 0, 59, false, 0, 2, grpUntil), "秒"));
    all.push_back(Keyed(Button(btnUntilStart, grpUntil, 290, 38, 27, "定点启动", 3), 'U'));
    all.push_back(
        Label(lblUntilHint, grpUntil, 190, 20, 272, 16, "报数和提示声音按“定时设置”页的选项"));

    // The hotkey that speaks the time from any window; the words beside it say why one
    // is refused or where the desktop wants it set instead.
    all.push_back(Label(lblHotKey, ts3, 15, 244, 80, 16, "报时快捷键"));
    Control keyBox{edtHotKey, Kind::KeyBox, ts3, 100, 240, 120, 21, ""};
    keyBox.tabOrder = 3;
    keyBox.name = "报时快捷键";
    all.push_back(keyBox);
    all.push_back(Label(lblHotKeyHint, ts3, 228, 244, 0, 16, ""));

    all.push_back(Named(Docked(mmoHelp, Kind::Memo, ts2, 0, 0, 366, 311, Dock::Client, 0), "说明"));
    all.push_back(Docked(pnl1, Kind::Panel, ts2, 366, 0, 170, 311, Dock::Right, 1));
    Control title = Label(lbl1, pnl1, 29, 15, 112, 16, maker::kTitle);
    title.font = FontRole::Title;
    all.push_back(title);
    all.push_back(Label(lbl2, pnl1, 29, 50, 104, 16, std::string("版本：") + maker::kShownVersion));
    all.push_back(Label(lbl14, pnl1, 35, 93, 104, 16, "欢迎反馈建议"));
    all.push_back(Link(lbl8, 45, 125, 72, "下载最新版本", Target::DownloadPage, 0));
    all.push_back(Link(lbl3, 51, 171, 60, "Lumivox工作室", Target::HomePage, 1));
    all.push_back(Link(lbl4, 23, 188, 126, maker::kHomePage, Target::HomePage, 2));
    all.push_back(Link(lbl5, 43, 243, 96, "赞助开发，谢谢！", Target::ShopPage, 3));

    Control tips{lblTips, Kind::Link, pnl2, 2, 3, 7, 13, ""};
    tips.font = FontRole::Tips;
    tips.target = Target::CurrentTip;
    tips.tabOrder = 0; // reached once a tip is shown
    all.push_back(tips);
    return all;
}

} // namespace

const Frame& Window() {
    static const Frame frame{maker::kTitle, 544, 362, 11, 16, "宋体", "SimSun"};
    return frame;
}

const std::vector<Control>& Controls() {
    static const std::vector<Control> controls = MakeControls();
    return controls;
}

const Control& Find(ControlId id) {
    // Every control has its row (the window itself, Form1, has none).
    static const std::vector<const Control*> byId = [] {
        std::vector<const Control*> rows(kControlIdCount, nullptr);
        for (const Control& c : Controls())
            rows[IndexOf(c.id)] = &c;
        return rows;
    }();
    return *byId[IndexOf(id)];
}

bool IsContainer(Kind kind) {
    return kind == Kind::Tabs || kind == Kind::Page || kind == Kind::Group || kind == Kind::Panel;
}

Font FontOf(FontRole role) {
    switch (role) {
    case FontRole::Tick:
        return {24, true, false, false, 0xFF0000, false};
    case FontRole::Link:
        return {12, false, false, false, 0x0000FF, true};
    case FontRole::Tips:
        return {13, false, true, true, 0, true};
    case FontRole::Window:
    case FontRole::Title:
        break;
    }
    return {16, false, false, true, 0, false};
}

const std::vector<std::string>& HelpLines() {
    static const std::vector<std::string> lines = {
        "Lumivox语音定时器说明：",
        "",
        "1、可以设置语音报时；",
        "",
        "2、可以设置倒计时并语音报数；",
        "",
        "3、可以设置循环倒计时；",
        "",
        "4、常用于游戏、秒杀、计时等进行语音提醒；",
        "",
        "",
        "     Lumivox工作室  出品",
        "",
        std::string("     ") + maker::kHomePage,
    };
    return lines;
}

const std::vector<Setting>& Settings() {
    using enum ControlId;
    static const std::vector<Setting> settings = {
        {"HourCounter", cbbHour},
        {"MinuteCounter", cbbMin},
        {"SecondCounter", cbbSec},
        {"IsMinuteCounter", chkMin},
        {"LastMinute", cbbLastMin},
        {"PerMinute", cbbPerMin},
        {"IsSecondCounter", chkSec},
        {"LastSecond", cbbLastSec},
        {"PerSecond", cbbPerSec},
        {"IsLastOne", chkLastOne},
        {"IsCircle", chkCircle},
        {"IsDispTop", chkDispTop},
        {"IsHour", chkHour},
        {"IsHalf", chkHalf},
        // Later additions: a value that is none of the box's is taken as its default.
        {"IsQuarter", chkQuarter, true},
        {"IsQuiet", chkQuiet, true},
        {"QuietFrom", cbbQuietFrom, true},
        {"QuietTo", cbbQuietTo, true},
        {"Volume", cbbVolume, true},
        {"IsMute", chkMute, true},
        {"UntilHour", cbbUntilHour, true},
        {"UntilMin", cbbUntilMin, true},
        {"UntilSec", cbbUntilSec, true},
        {"IsFollowDnd", chkFollowDnd, true},
        {"HotKey", edtHotKey, true},
    };
    return settings;
}

namespace {

// "HH:MM:SS" as its three numbers.
std::optional<std::array<int, 3>> Clock(const std::string& shown) {
    std::array<int, 3> hms{};
    char colon1 = 0, colon2 = 0;
    std::istringstream in(shown);
    if (!(in >> hms[0] >> colon1 >> hms[1] >> colon2 >> hms[2]) || colon1 != ':' || colon2 != ':')
        return std::nullopt;
    return hms;
}

} // namespace

std::string SpokenRemaining(const std::string& shown) {
    const auto hms = Clock(shown);
    if (!hms)
        return shown;
    const auto [hours, minutes, seconds] = *hms;
    std::string words = "还剩";
    if (hours > 0)
        words += " " + std::to_string(hours) + " 小时";
    if (hours > 0 || minutes > 0)
        words += " " + std::to_string(minutes) + " 分";
    return words + " " + std::to_string(seconds) + " 秒";
}

bool WorthAnnouncing(const std::string& shown) {
    const auto hms = Clock(shown);
    return hms && ((*hms)[2] == 0 || ((*hms)[0] == 0 && (*hms)[1] == 0 && (*hms)[2] <= 10));
}

std::string Address(Target target) {
    switch (target) {
    case Target::HomePage:
        return maker::kHomePage;
    case Target::DownloadPage:
        return maker::kDownloadPage;
    case Target::ShopPage:
        return maker::kShopPage;
    case Target::None:
    case Target::CurrentTip:
        break;
    }
    return {};
}

std::vector<const Control*> TabChain(ControlId root) {
    std::vector<const Control*> chain;
    std::function<void(ControlId)> walk = [&](ControlId parent) {
        std::vector<const Control*> children;
        for (const Control& c : Controls())
            if (c.parent == parent && c.id != parent && c.tabOrder != kNoTab && c.visible)
                children.push_back(&c);
        std::stable_sort(children.begin(), children.end(), [](const Control* a, const Control* b) {
            return a->tabOrder < b->tabOrder;
        });
        for (const Control* c : children) {
            if (!IsContainer(c->kind))
                chain.push_back(c);
            walk(c->id);
        }
    };
    walk(root);
    return chain;
}

Rect PlaceIn(const Control& c, int parentWidth, int parentHeight) {
    switch (c.dock) {
    case Dock::Client: {
        Rect rect{0, 0, parentWidth, parentHeight};
        for (const Control& other : Controls()) {
            if (other.parent != c.parent)
                continue;
            if (other.dock == Dock::Right)
                rect.width -= other.width;
            if (other.dock == Dock::Bottom)
                rect.height -= other.height;
        }
        return rect;
    }
    case Dock::Right:
        return {parentWidth - c.width, 0, c.width, parentHeight};
    case Dock::Bottom:
        return {0, parentHeight - c.height, parentWidth, c.height};
    case Dock::None:
        break;
    }
    return {c.left, c.top, c.width, c.height};
}

FlatParent Flattened(const Control& c) {
    FlatParent flat{c.parent, 0, 0};
    while (flat.parent != ControlId::Form1 && Find(flat.parent).kind == Kind::Group) {
        const Control& group = Find(flat.parent);
        flat.offsetLeft += group.left;
        flat.offsetTop += group.top;
        flat.parent = group.parent;
    }
    return flat;
}

} // namespace lumivox::layout
