// The window as the user sees it: every control with its place, text, font and
// default, built from the window table, and which of the rules' events each reaches.
#include "app/mainform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <vector>

#include "app/accessible.h"
#include "app/clickablelabel.h"
#include "app/fitfont.h"
#include "app/hotkeybox.h"
#include "app/keepontop.h"
#include "app/windowlayout.h"

namespace {

namespace layout = lumivox::layout;
using lumivox::ControlId;

QString U(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The layout was drawn for SimSun, whose CJK glyphs are one pixel size wide and its
// Latin half that. Where it is missing, WenQuanYi Zen Hei Sharp keeps those widths
// and has crisp bitmaps at 12, 13 and 16 pixels; the others are fallbacks.
QFont SongFont(int pixelSize) {
    QFont font;
    font.setFamilies({U(layout::Window().face), U(layout::Window().faceLatin),
                      QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Zen Hei Sharp"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Droid Sans Fallback")});
    font.setPixelSize(pixelSize);
    return font;
}

void ApplyFont(QWidget* widget, layout::FontRole role) {
    const layout::Font look = layout::FontOf(role);
    QFont font = SongFont(look.pixelHeight);
    font.setBold(look.bold);
    font.setUnderline(look.underline);
    widget->setFont(font);
    if (!look.windowText) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, QColor::fromRgb(look.rgb));
        widget->setPalette(palette);
    }
    if (look.handCursor)
        widget->setCursor(Qt::PointingHandCursor);
}

// Some styles pop a pick-only list up over the whole screen, ignoring the row count;
// this keeps every box dropping down its 11 rows. A style sheet could say the same, but
// would bring the style-sheet engine into the window's start-up and every paint.
class DropDownListStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// One for the whole program, owned by the application so it outlives every window.
QStyle* DropDownList() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new DropDownListStyle(QApplication::style()->name());
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

QComboBox* MakeComboBox(QWidget* parent, const layout::Control& c) {
    auto* box = new QComboBox(parent);
    box->setStyle(DropDownList()); // first: a later change of style lays the box out again
    box->setEditable(c.editable);
    if (c.editable)
        box->setInsertPolicy(QComboBox::NoInsert); // typed text stays text, not a new item
    QStringList items;
    for (int n = c.firstItem; n <= c.lastItem; ++n)
        items << QString::number(n);
    box->addItems(items);
    box->setMaxVisibleItems(layout::Window().comboRows);
    box->setCurrentIndex(c.selected);
    if (c.selected == layout::kNoItem)
        box->setEditText(U(c.text));
    return box;
}

QPlainTextEdit* MakeMemo(QWidget* parent) {
    auto* memo = new QPlainTextEdit(parent);
    QStringList lines;
    for (const std::string& line : layout::HelpLines())
        lines << U(line);
    memo->setPlainText(lines.join(QLatin1Char('\n')));
    memo->setReadOnly(true);
    memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setTabChangesFocus(true); // read only: Tab moves on to the links
    return memo;
}

QWidget* MakeWidget(QWidget* parent, const layout::Control& c) {
    switch (c.kind) {
    case layout::Kind::Tabs:
        return new QTabWidget(parent);
    case layout::Kind::Page:
        return new QWidget;
    case layout::Kind::Panel: {
        auto* panel = new QFrame(parent);
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setLineWidth(1);
        return panel;
    }
    case layout::Kind::Group:
        return new QGroupBox(U(c.text), parent);
    case layout::Kind::Label:
        return new QLabel(U(c.text), parent);
    case layout::Kind::Link:
        return new lumivox::ClickableLabel(U(c.text), parent);
    case layout::Kind::Check:
        return new QCheckBox(U(c.text), parent);
    case layout::Kind::Combo:
        return MakeComboBox(parent, c);
    case layout::Kind::Button: {
        auto* button = new QPushButton(U(c.text), parent);
        button->setAutoDefault(false);
        return button;
    }
    case layout::Kind::Memo:
        return MakeMemo(parent);
    case layout::Kind::KeyBox:
        return new lumivox::HotKeyBox(parent);
    }
    return nullptr;
}

// Names and keys for those who do not see the window or do not use a mouse.
void MakeAccessible(QWidget* widget, const layout::Control& c) {
    if (c.kind == layout::Kind::Label && !c.name.empty())
        lumivox::SetSpokenName(static_cast<QLabel*>(widget), U(c.name), false);
    else if (!c.name.empty())
        widget->setAccessibleName(U(c.name));
    else if (c.kind == layout::Kind::Page) // a page is read by its tab's caption
        widget->setAccessibleName(U(c.text));
    // An editable box's edit line takes the focus: the reader hears it by the same name.
    if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit())
        box->lineEdit()->setAccessibleName(U(c.name));
    if (c.kind == layout::Kind::Link) {
        widget->setAccessibleDescription(U(layout::Address(c.target)));
        widget->setFocusPolicy(c.text.empty() ? Qt::NoFocus : Qt::StrongFocus);
    }
    if (c.accessKey)
        static_cast<QAbstractButton*>(widget)->setShortcut(
            QKeySequence(Qt::ALT | static_cast<Qt::Key>(c.accessKey)));
}

// Tab walks each page in the table's order; Qt skips hidden and disabled controls.
void ChainTabs(QWidget* const* controls, ControlId page) {
    const std::vector<const layout::Control*> chain = layout::TabChain(page);
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(controls[lumivox::IndexOf(chain[i - 1]->id)],
                             controls[lumivox::IndexOf(chain[i]->id)]);
}

// Docked controls are laid out by their parent; the others sit where the table says,
// labels sized to their text.
void Place(QWidget* widget, const layout::Control& c) {
    if (c.dock != layout::Dock::None || c.kind == layout::Kind::Page)
        return;
    if (c.kind == layout::Kind::Label || c.kind == layout::Kind::Link) {
        widget->move(c.left, c.top);
        widget->adjustSize();
    } else {
        widget->setGeometry(c.left, c.top, c.width, c.height);
    }
}

// Children docked client and right (or bottom) in one row (or column).
void LayOutDocked(QWidget* parent,
                  const std::vector<std::pair<QWidget*, const layout::Control*>>& docked) {
    if (docked.empty())
        return;
    const bool column = std::any_of(docked.begin(), docked.end(), [](const auto& d) {
        return d.second->dock == layout::Dock::Bottom;
    });
    QBoxLayout* box = column ? static_cast<QBoxLayout*>(new QVBoxLayout(parent))
                             : static_cast<QBoxLayout*>(new QHBoxLayout(parent));
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    for (const auto& [widget, c] : docked) {
        if (c->dock == layout::Dock::Right)
            widget->setFixedWidth(c->width);
        if (c->dock == layout::Dock::Bottom)
            widget->setFixedHeight(c->height);
        box->addWidget(widget, c->dock == layout::Dock::Client ? 1 : 0);
    }
}

// The tips line grows with its tip: the strip's layout sizes it, and with the
// 1-pixel bevel the label sits where the table puts it.
void LayOutStatusLine(QWidget* strip, QWidget* label, const layout::Control& c) {
    auto* box = new QHBoxLayout(strip);
    box->setContentsMargins(c.left - 1, c.top - 1, 1, 0);
    box->setSpacing(0);
    box->addWidget(label, 0, Qt::AlignLeft | Qt::AlignTop);
    box->addStretch(1);
}

// Centres the window on its screen the first time it is shown; later shows (back
// from the tray) keep wherever the user put it.
class CentreOnFirstShow : public QObject {
public:
    explicit CentreOnFirstShow(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show) {
            window_->removeEventFilter(this);
            if (QScreen* screen = window_->screen()) {
                const QRect area = screen->geometry();
                window_->move(area.center() - window_->rect().center());
            }
        }
        return false;
    }

private:
    QWidget* window_;
};

} // namespace

void TForm1::ForwardEvents(QWidget* widget, const layout::Control& c) {
    const ControlId id = c.id;
    lumivox::FormRules* rules = rules_.get();
    switch (c.kind) {
    case layout::Kind::Check:
        // toggled fires on every change of state, by the user or by setChecked, and
        // not when the state is set to the value it already has.
        connect(static_cast<QCheckBox*>(widget), &QCheckBox::toggled, this,
                [rules, id] { rules->Clicked(id); });
        break;
    case layout::Kind::Button:
        connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                [rules, id] { rules->Clicked(id); });
        break;
    case layout::Kind::Link:
        connect(static_cast<lumivox::ClickableLabel*>(widget), &lumivox::ClickableLabel::clicked,
                this, [rules, id] { rules->Clicked(id); });
        break;
    case layout::Kind::Combo:
        connect(static_cast<QComboBox*>(widget), &QComboBox::currentTextChanged, this,
                [rules, id] { rules->Edited(id); });
        break;
    case layout::Kind::KeyBox:
        connect(static_cast<lumivox::HotKeyBox*>(widget), &lumivox::HotKeyBox::edited, this,
                [rules, id] { rules->Edited(id); });
        break;
    default:
        break;
    }
}

void TForm1::BuildControls(bool aboutPage) {
    std::map<ControlId, std::vector<std::pair<QWidget*, const layout::Control*>>> docked;
    for (const layout::Control& c : layout::Controls()) {
        QWidget* parent = Control(c.parent);
        if (Control(c.id) || !parent || (c.parent == ControlId::ts2 && !aboutPage))
            continue;
        QWidget* widget = MakeWidget(parent, c);
        MakeAccessible(widget, c); // first: a reader may ask for it while it is built
        widget->setObjectName(U(std::string(lumivox::NameOf(c.id))));
        if (c.kind == layout::Kind::Page)
            static_cast<QTabWidget*>(parent)->addTab(widget, U(c.text));
        if (c.font != layout::FontRole::Window)
            ApplyFont(widget, c.font);
        Place(widget, c);
        if (c.dock != layout::Dock::None)
            docked[c.parent].emplace_back(widget, &c);
        if (c.target == layout::Target::CurrentTip)
            LayOutStatusLine(parent, widget, c);
        if (!c.visible) {
            widget->setFocusPolicy(Qt::NoFocus); // never shown, never reached with Tab
            widget->setVisible(false);
        }
        widget->setEnabled(c.enabled);
        controls_[lumivox::IndexOf(c.id)] = widget;
        ForwardEvents(widget, c);
    }
    for (const auto& [parent, children] : docked)
        LayOutDocked(Control(parent), children);
}

void TForm1::CreateControls() {
    const layout::Frame& frame = layout::Window();
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(SongFont(layout::FontOf(layout::FontRole::Window).pixelHeight));
    setFixedSize(frame.clientWidth, frame.clientHeight);
    new CentreOnFirstShow(this);

    // The About page is not seen at start: its contents come after the first paint.
    controls_[lumivox::IndexOf(ControlId::Form1)] = this;
    BuildControls(false);
    lumivox::FitTextToFont(this);

    auto* pages = Control<QTabWidget>(ControlId::pgc1);
    // Chosen before the first paint (a test, a very quick click), the page fills at once.
    connect(pages, &QTabWidget::currentChanged, this, [this, pages] {
        if (pages->currentWidget() == Control(ControlId::ts2))
            CreateAboutPage();
    });
    pages->setCurrentWidget(Control(ControlId::ts1));

    const QString reason = lumivox::KeepOnTopUnavailableReason();
    if (!reason.isEmpty())
        Control(ControlId::chkDispTop)->setToolTip(reason);

    ChainTabs(controls_.data(), ControlId::ts1);
    ChainTabs(controls_.data(), ControlId::ts3);
}

void TForm1::CreateAboutPage() {
    if (Control(ControlId::mmoHelp))
        return;
    BuildControls(true);
    ChainTabs(controls_.data(), ControlId::ts2);
    lumivox::FitTextToFont(Control(ControlId::ts2));
}
