// The window's controls as data: names, kinds, parents, places, captions, fonts,
// colours, list items, tab order and link targets. The Qt window and the Win32 window
// are both built from this one table, so the layout is written once.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumivox::layout {

enum class Kind { Tabs, Page, Panel, Group, Label, Link, Check, Combo, Button, Memo };

// Where a control sits in its parent: at its own place, or filling a side.
enum class Dock { None, Client, Right, Bottom };

enum class FontRole { Window, Tick, Link, Tips };

enum class Target { None, HomePage, DownloadPage, ShopPage, CurrentTip };

inline constexpr int kNoTab = -1;
inline constexpr int kNoItem = -1;

struct Control {
    std::string name;
    Kind kind;
    std::string parent; // "Form1" for the window itself
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
// The control of that name; throws std::out_of_range for an unknown one.
const Control& Find(std::string_view name);
Font FontOf(FontRole role);
// The help memo's lines.
const std::vector<std::string>& HelpLines();
// A setting of section "Common" in the settings file and the control holding it.
struct Setting {
    std::string key;
    std::string control;
};
inline constexpr const char* kSettingsSection = "Common";
// In the order they are read and written.
const std::vector<Setting>& Settings();

// The address a link opens; empty for Target::None and Target::CurrentTip.
std::string Address(Target target);
// The controls under `root` that take the keyboard focus, in the order Tab walks
// them: depth first, each parent's children by tab order. Hidden ones are left out.
std::vector<const Control*> TabChain(std::string_view root);

} // namespace lumivox::layout
