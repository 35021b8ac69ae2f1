// The box that shows the hotkey and takes the next combination pressed in it:
// Backspace clears it, Esc leaves it as it is, Tab moves on.
#pragma once
#include <QLineEdit>

namespace lumivox {

class HotKeyBox : public QLineEdit {
    Q_OBJECT

public:
    explicit HotKeyBox(QWidget* parent = nullptr);

signals:
    // The user pressed a combination or cleared the box.
    void edited();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace lumivox
