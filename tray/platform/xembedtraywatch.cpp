#include "tray/platform/xembedtraywatch.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdlib>
#include <cstring>
#include <string>

#include <xcb/xcb.h>

namespace lumivox {

// A connection of its own, so selecting events on the root window cannot change
// the event masks Qt keeps on its connection.
struct XEmbedTrayWatch::Connection {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t selection = 0;
    xcb_atom_t manager = 0;
    ~Connection() {
        if (c)
            xcb_disconnect(c);
    }
    xcb_atom_t Atom(const std::string& name) {
        auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str());
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }
    void SelectStructure(xcb_window_t window) {
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    }
    xcb_window_t Owner() {
        auto cookie = xcb_get_selection_owner(c, selection);
        xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(c, cookie, nullptr);
        const xcb_window_t owner = reply ? reply->owner : 0;
        std::free(reply);
        return owner;
    }
};

XEmbedTrayWatch::XEmbedTrayWatch(QObject* parent) : QObject(parent) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto x = std::make_unique<Connection>();
    int screenNumber = 0;
    x->c = xcb_connect(nullptr, &screenNumber);
    if (!x->c || xcb_connection_has_error(x->c))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x->c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return;
    x->root = it.data->root;
    x->selection = x->Atom("_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
    x->manager = x->Atom("MANAGER");
    if (!x->selection || !x->manager)
        return;
    x->SelectStructure(x->root); // MANAGER arrives with this mask
    x_ = std::move(x);
    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(x_->c), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &XEmbedTrayWatch::Drain);
    Refresh();
    Drain();
}

XEmbedTrayWatch::~XEmbedTrayWatch() = default;

void XEmbedTrayWatch::Refresh() {
    xcb_window_t owner = x_->Owner();
    if (owner) {
        // Its destruction is how a tray that goes away is seen; check again after
        // asking, in case it went in between.
        x_->SelectStructure(owner);
        owner = x_->Owner();
    }
    xcb_flush(x_->c);
    const bool was = Present();
    owner_ = owner;
    if (was != Present())
        emit Changed(Present());
}

void XEmbedTrayWatch::Drain() {
    if (!x_)
        return;
    if (xcb_connection_has_error(x_->c)) {
        // The display is gone: so is its tray.
        notifier_->setEnabled(false);
        const bool was = Present();
        owner_ = 0;
        if (was)
            emit Changed(false);
        return;
    }
    while (xcb_generic_event_t* event = xcb_poll_for_event(x_->c)) {
        bool look = false;
        switch (event->response_type & 0x7f) {
        case XCB_CLIENT_MESSAGE: {
            const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(event);
            look = m->type == x_->manager && m->format == 32 && m->data.data32[1] == x_->selection;
            break;
        }
        case XCB_DESTROY_NOTIFY:
            look = reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == owner_;
            break;
        default:
            break;
        }
        std::free(event);
        if (look)
            Refresh();
    }
}

} // namespace lumivox
