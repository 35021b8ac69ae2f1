#include "app/globalhotkey.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdlib>
#include <vector>

#include <xcb/xcb.h>

#include "app/platformchoice.h"
#include "app/portalhotkey.h"

namespace lumivox {

namespace {

// Num Lock sits on Mod2 on every usual keymap.
constexpr std::uint16_t kLockMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                        XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

std::uint16_t ModifierMask(unsigned modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & kCtrl)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & kAlt)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & kShift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & kMeta)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

} // namespace

// A connection of its own: the grab's errors and key events come here and nowhere
// in Qt's event handling.
struct GlobalHotKey::Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_keycode_t keycode = 0; // 0: nothing held
    std::uint16_t mask = 0;
    bool down = false;               // a held key repeats as presses without releases
    xcb_timestamp_t lastRelease = 0; // or as a release and a press at one moment
    ~Connection() {
        if (c)
            xcb_disconnect(c);
    }

    xcb_keycode_t KeycodeOf(std::uint32_t keysym) {
        const xcb_setup_t* setup = xcb_get_setup(c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto cookie = xcb_get_keyboard_mapping(c, setup->min_keycode, count);
        xcb_get_keyboard_mapping_reply_t* reply =
            xcb_get_keyboard_mapping_reply(c, cookie, nullptr);
        if (!reply)
            return 0;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
        const int perCode = reply->keysyms_per_keycode;
        xcb_keycode_t found = 0;
        // The unshifted symbol first, then any level.
        for (int level = 0; level < perCode && !found; ++level)
            for (int i = 0; i < count && !found; ++i)
                if (syms[i * perCode + level] == keysym)
                    found = static_cast<xcb_keycode_t>(setup->min_keycode + i);
        std::free(reply);
        return found;
    }

    // All four lock states, or none.
    bool GrabAll(xcb_keycode_t code, std::uint16_t modifiers) {
        std::vector<xcb_void_cookie_t> cookies;
        for (std::uint16_t lock : kLockMasks)
            cookies.push_back(xcb_grab_key_checked(c, 1, root, modifiers | lock, code,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        bool all = true;
        for (xcb_void_cookie_t cookie : cookies) {
            if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
                all = false;
                std::free(error);
            }
        }
        if (!all)
            UngrabAll(code, modifiers);
        return all;
    }

    void UngrabAll(xcb_keycode_t code, std::uint16_t modifiers) {
        for (std::uint16_t lock : kLockMasks)
            xcb_ungrab_key(c, code, root, modifiers | lock);
        xcb_flush(c);
    }
};

GlobalHotKey::GlobalHotKey(QObject* parent) : QObject(parent) {}

GlobalHotKey::~GlobalHotKey() = default;

bool GlobalHotKey::Connect() {
    if (x_)
        return true;
    auto x = std::make_unique<Connection>();
    int screenNumber = 0;
    x->c = xcb_connect(nullptr, &screenNumber);
    if (!x->c || xcb_connection_has_error(x->c))
        return false;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x->c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return false;
    x->root = it.data->root;
    x_ = std::move(x);
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(x_->c), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &GlobalHotKey::ReadEvents);
    return true;
}

HotKeyGrab GlobalHotKey::Grab(const std::optional<HotKey>& hotKey) {
    // On Wayland only the desktop reaches every window, XWayland or not: through its
    // portal, whose answers come later.
    if (IsWaylandSession() || QGuiApplication::platformName() == QLatin1String("wayland")) {
        if (!portal_) {
            portal_ = new PortalHotKey(this);
            connect(portal_, &PortalHotKey::pressed, this, &GlobalHotKey::pressed);
            connect(portal_, &PortalHotKey::notOffered, this, &GlobalHotKey::notOffered);
        }
        portal_->Bind(hotKey);
        return portal_->Offered() == PortalHotKey::Offer::NotOffered ? HotKeyGrab::NotOffered
                                                                     : HotKeyGrab::Held;
    }
    if (!hotKey && !x_)
        return HotKeyGrab::Held; // no connection of its own until there is a hotkey
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !Connect())
        return HotKeyGrab::NotOffered;
    xcb_keycode_t code = 0;
    std::uint16_t mask = 0;
    if (hotKey) {
        code = x_->KeycodeOf(hotKey->key->keysym);
        mask = ModifierMask(hotKey->modifiers);
        if (code == 0)
            return HotKeyGrab::Taken; // no key on this keyboard makes it
        if (code == x_->keycode && mask == x_->mask)
            return HotKeyGrab::Held;
        if (!x_->GrabAll(code, mask))
            return HotKeyGrab::Taken;
    }
    if (x_->keycode != 0)
        x_->UngrabAll(x_->keycode, x_->mask);
    x_->keycode = code;
    x_->mask = mask;
    x_->down = false;
    return HotKeyGrab::Held;
}

void GlobalHotKey::ReadEvents() {
    int presses = 0;
    while (xcb_generic_event_t* event = xcb_poll_for_event(x_->c)) {
        const std::uint8_t type = event->response_type & 0x7F;
        if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
            const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
            if (key->detail == x_->keycode) {
                if (type == XCB_KEY_RELEASE) {
                    x_->down = false;
                    x_->lastRelease = key->time;
                } else if (!x_->down && key->time != x_->lastRelease) {
                    x_->down = true;
                    ++presses;
                } else {
                    x_->down = true;
                }
            }
        }
        std::free(event);
    }
    for (int i = 0; i < presses; ++i)
        emit pressed();
}

} // namespace lumivox
