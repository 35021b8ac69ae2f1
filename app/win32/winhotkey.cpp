#include "app/win32/winhotkey.h"

#include <commctrl.h>

#include "app/win32/winsupport.h"

namespace lumivox::win {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kFirstHotKeyId = 1;

unsigned HeldModifiers() {
    auto down = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    unsigned modifiers = 0;
    if (down(VK_CONTROL))
        modifiers |= kCtrl;
    if (down(VK_MENU))
        modifiers |= kAlt;
    if (down(VK_SHIFT))
        modifiers |= kShift;
    if (down(VK_LWIN) || down(VK_RWIN))
        modifiers |= kMeta;
    return modifiers;
}

LRESULT CALLBACK HotKeyBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    auto* edited = reinterpret_cast<std::function<void()>*>(data);
    switch (message) {
    case WM_GETDLGCODE: {
        // Every key but a plain Tab, which still walks the window.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && HeldModifiers() == 0)
            break;
        return DLGC_WANTALLKEYS;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const unsigned modifiers = HeldModifiers();
        if (wParam == VK_ESCAPE && modifiers == 0)
            return 0;
        if (wParam == VK_BACK && modifiers == 0) {
            SetWindowTextW(hwnd, L"");
            (*edited)();
            return 0;
        }
        if (const auto hotKey =
                HotKeyFromVirtualKey(static_cast<std::uint32_t>(wParam), modifiers)) {
            SetWindowTextW(hwnd, Wide(HotKeyText(*hotKey)).c_str());
            (*edited)();
        }
        return 0;
    }
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return 0; // no typing, no beep, no menu
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, HotKeyBoxProc, kSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

UINT NativeModifiers(unsigned modifiers) {
    UINT native = MOD_NOREPEAT;
    if (modifiers & kCtrl)
        native |= MOD_CONTROL;
    if (modifiers & kAlt)
        native |= MOD_ALT;
    if (modifiers & kShift)
        native |= MOD_SHIFT;
    if (modifiers & kMeta)
        native |= MOD_WIN;
    return native;
}

} // namespace

void MakeHotKeyBox(HWND edit, std::function<void()>* edited) {
    SetWindowSubclass(edit, HotKeyBoxProc, kSubclassId, reinterpret_cast<DWORD_PTR>(edited));
}

RegisteredHotKey::~RegisteredHotKey() {
    if (held_)
        UnregisterHotKey(window_, id_);
}

HotKeyGrab RegisteredHotKey::Grab(const std::optional<HotKey>& hotKey) {
    if (hotKey == held_)
        return HotKeyGrab::Held;
    const int next = id_ == kFirstHotKeyId ? kFirstHotKeyId + 1 : kFirstHotKeyId;
    if (hotKey &&
        !RegisterHotKey(window_, next, NativeModifiers(hotKey->modifiers), hotKey->key->virtualKey))
        return HotKeyGrab::Taken;
    if (held_)
        UnregisterHotKey(window_, id_);
    held_ = hotKey;
    id_ = next;
    return HotKeyGrab::Held;
}

} // namespace lumivox::win
