// The window's controls as data: kinds, parents, places, captions, fonts, colours, list
// items, tab order and link targets. The Qt window and the Win32 window are both built
// from this one table, so the layout is written once.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/controlid.h"

namespace lumivox::layout {

// KeyBox: shows a key combination and takes the next one pressed.
enum class Kind { Tabs, Page, Panel, Group, Label, Link, Check, Combo, Button, Memo, KeyBox };

// Where a control sits in its parent: at its own place, or filling a side.
enum class Dock { None, Client, Right, Bottom };

// Title: the window's font, set on the control itself rather than inherited.
enum class FontRole { Window, Title, Tick, Link, Tips };

enum class Target { None, HomePage, DownloadPage, ShopPage, CurrentTip };

inline constexpr int kNoTab = -1;
inline constexpr int kNoItem = -1;

struct Control {
    ControlId id;
    Kind kind;
    ControlId parent;
    // Relative to the parent's client area at 96 dpi; a label's size is that of its
    // text in the window font, and the label grows to fit whatever text it shows.
    int left, top, width, height;
    std::string text; // caption, tab caption, or a combo box's text at start
    Dock dock = Dock::None;
    FontRole font = FontRole::Window;
    int tabOrder = kNoTab; // within the parent
    bool visible = true;
    bool enabled = true;
    // Combo boxes: the items are the numbers first..last.
    int firstItem = 0, lastItem = -1;
    bool editable = false;
    int selected = kNoItem;
    Target target = Target::None;
    // What a screen reader calls the control where its caption alone would not say
    // (a box named by its value, two check boxes both captioned "最后"); empty: the
    // caption. Windows reads it from a hidden label created just before the control.
    std::string name = {};
    // Alt plus this letter clicks a button or a check box; the caption stays as drawn.
    char accessKey = 0;
};

struct Font {
    int pixelHeight;
    bool bold;
    bool underline;
    bool windowText;   // the system's window-text colour, else rgb
    std::uint32_t rgb; // 0xRRGGBB
    bool handCursor;
};

struct Frame {
    std::string title;
    int clientWidth, clientHeight;
    int comboRows; // rows a combo box drops down at a time
    int comboItemHeight;
    std::string face;      // the font every control uses (宋体)
    std::string faceLatin; // its Latin name
};

const Frame& Window();
// Parents before their children, each parent's children in tab order where they
// have one.
const std::vector<Control>& Controls();
const Control& Find(ControlId id);
// Whether windows of this kind hold other controls.
bool IsContainer(Kind kind);
Font FontOf(FontRole role);
// The help memo's lines.
const std::vector<std::string>& HelpLines();
// A setting of section "Common" in the settings file and the control holding it.
struct Setting {
    std::string key;
    ControlId control;
    // A stored value the control cannot hold (a check box's other than 0 or 1, a
    // pick-only box's that is none of its items) is taken as the design value.
    bool designValueWhenInvalid = false;
};
inline constexpr const char* kSettingsSection = "Common";
// The voice: a pack's folder name, the second built-in voice's name, empty for the
// default one. Kept by the rules themselves (app/formvoice.cpp), after the table's keys.
inline constexpr const char* kVoiceKey = "Voice";
// In the order they are read and written.
const std::vector<Setting>& Settings();

// What a screen reader says of the countdown's "00:09:58": "还剩 9 分 58 秒".
std::string SpokenRemaining(const std::string& shown);
// Whether that change is worth saying unasked: at whole minutes and in the last ten
// seconds, so a listener is not told every second.
bool WorthAnnouncing(const std::string& shown);
inline constexpr const char* kNotCounting = "未计时";

// The address a link opens; empty for Target::None and Target::CurrentTip.
std::string Address(Target target);
// The controls under `root` that take the keyboard focus, in the order Tab walks
// them: depth first, each parent's children by tab order. Hidden ones are left out.
std::vector<const Control*> TabChain(ControlId root);

struct Rect {
    int left, top, width, height;
    bool operator==(const Rect&) const = default;
};

// A control's place in its parent's client area of that size: docked ones fill their
// side (a client-docked one what its right- and bottom-docked siblings leave), the
// others sit where the table puts them.
Rect PlaceIn(const Control& c, int parentWidth, int parentHeight);

// Where a control sits when group boxes hold no windows of their own (Win32, where a
// group box would swallow its children's notifications): on the nearest ancestor that
// is not a group box, moved by the places of the groups between.
struct FlatParent {
    ControlId parent;
    int offsetLeft, offsetTop;
};
FlatParent Flattened(const Control& c);

} // namespace lumivox::layout
