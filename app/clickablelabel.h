// A label that reports a left click (pressed and released over it), and Enter or
// Space while it has the keyboard focus.
#pragma once
#include <QLabel>

namespace lumivox {

class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

    // What a click does: a screen reader's press.
    void Activate() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool pressed_ = false;
};

} // namespace lumivox
