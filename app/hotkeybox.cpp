#include "app/hotkeybox.h"

#include <QKeyEvent>

#include "app/hotkey.h"

namespace lumivox {

HotKeyBox::HotKeyBox(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true); // typed text never lands here; keys are read as combinations
    setContextMenuPolicy(Qt::NoContextMenu);
}

void HotKeyBox::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers held = event->modifiers();
    if (event->key() == Qt::Key_Escape && held == Qt::NoModifier)
        return;
    if (event->key() == Qt::Key_Backspace && held == Qt::NoModifier) {
        clear();
        emit edited();
        return;
    }
    unsigned modifiers = 0;
    if (held & Qt::ControlModifier)
        modifiers |= kCtrl;
    if (held & Qt::AltModifier)
        modifiers |= kAlt;
    if (held & Qt::ShiftModifier)
        modifiers |= kShift;
    if (held & Qt::MetaModifier)
        modifiers |= kMeta;
    // Modifiers alone, or a key no hotkey may use: wait for the next.
    if (const std::optional<HotKey> hotKey = HotKeyFromQtKey(event->key(), modifiers)) {
        setText(QString::fromStdString(HotKeyText(*hotKey)));
        emit edited();
    }
}

} // namespace lumivox
