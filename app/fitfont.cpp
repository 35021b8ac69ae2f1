#include "app/fitfont.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>

namespace lumivox {

namespace {

constexpr int kSmallestPixelSize = 9;

bool SmallerFont(QWidget* w) {
    QFont font = w->font();
    if (font.pixelSize() <= kSmallestPixelSize)
        return false;
    font.setPixelSize(font.pixelSize() - 1);
    w->setFont(font);
    return true;
}

bool InLayout(QWidget* w) {
    QLayout* layout = w->parentWidget() ? w->parentWidget()->layout() : nullptr;
    return layout && layout->indexOf(w) >= 0;
}

// Taller lines than the drawn 17 px: grow about the box's middle, so it stays in line
// with the combo box beside it.
void FitCheckBox(QCheckBox* box) {
    QRect g = box->geometry();
    const int line = box->fontMetrics().height();
    if (g.height() < line)
        g.adjust(0, -(line - g.height()) / 2, 0, line - g.height() - (line - g.height()) / 2);
    g.setWidth(std::max(g.width(), box->sizeHint().width()));
    box->setGeometry(g);
}

void FitPlacedLabel(QLabel* label) {
    const QRect room = label->parentWidget()->contentsRect();
    while (label->width() > room.width() && SmallerFont(label))
        label->adjustSize();
    if (label->geometry().right() > room.right())
        label->move(std::max(room.left(), room.right() + 1 - label->width()), label->y());
}

// A label in a fixed-height strip: first the strip's top margin, then its size.
void FitLaidOutLabel(QLabel* label) {
    QWidget* strip = label->parentWidget();
    if (strip->maximumHeight() != strip->minimumHeight())
        return;
    QLayout* layout = strip->layout();
    QMargins margins = layout->contentsMargins();
    const int room = strip->maximumHeight() - (strip->height() - strip->contentsRect().height());
    // Sized for any tip: the label may still be empty.
    QLabel probe(QString::fromUtf8("提示 Tips"));
    auto free = [&] {
        probe.setFont(label->font());
        return room - margins.top() - margins.bottom() - probe.sizeHint().height();
    };
    if (free() < 0)
        margins.setTop(std::max(0, margins.top() + free()));
    layout->setContentsMargins(margins);
    while (free() < 0 && SmallerFont(label)) {
    }
}

// The height the memo's own layout gives its text in this font: every line with its
// leading, between the document's margins.
int HelpHeight(const QPlainTextEdit* memo, const QFont& font) {
    const qreal margin = memo->document()->documentMargin();
    const qreal width = memo->viewport()->width() - 2 * margin;
    qreal height = 2 * margin;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) {
        QTextLayout layout(b.text(), font);
        layout.setTextOption(memo->document()->defaultTextOption());
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(width);
            height += line.height();
        }
        layout.endLayout();
    }
    return qCeil(height);
}

// The memo cannot scroll: once its size is known, its text takes the largest pixel
// size, up to the drawn one, at which every line shows.
class FitHelpToView : public QObject {
public:
    // Lives with the view it watches, which sees events while the memo is destroyed.
    explicit FitHelpToView(QPlainTextEdit* memo)
        : QObject(memo->viewport()), memo_(memo), drawnPixelSize_(memo->font().pixelSize()) {
        memo->viewport()->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == parent() && drawnPixelSize_ > 0) {
            QFont font = memo_->font();
            font.setPixelSize(drawnPixelSize_);
            while (font.pixelSize() > kSmallestPixelSize &&
                   HelpHeight(memo_, font) > memo_->viewport()->height())
                font.setPixelSize(font.pixelSize() - 1);
            if (font != memo_->font())
                memo_->setFont(font);
        }
        return false;
    }

private:
    QPlainTextEdit* memo_;
    int drawnPixelSize_;
};

} // namespace

void FitTextToFont(QWidget* window) {
    for (QCheckBox* box : window->findChildren<QCheckBox*>())
        if (!InLayout(box))
            FitCheckBox(box);
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (InLayout(label))
            FitLaidOutLabel(label);
        else
            FitPlacedLabel(label);
    }
    for (QPlainTextEdit* memo : window->findChildren<QPlainTextEdit*>())
        if (memo->isReadOnly() && memo->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff)
            new FitHelpToView(memo);
}

} // namespace lumivox
