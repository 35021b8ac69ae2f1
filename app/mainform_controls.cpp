// The window as the user sees it: every control with its place, text, font and
// default, the three timers, which handler each event reaches, and the window's own
// handlers (keep on top and the About page's links).
#include "app/mainform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <type_traits>
#include <vector>

#include "app/clickablelabel.h"
#include "app/exceptionbox.h"
#include "app/fitfont.h"
#include "app/keepontop.h"
#include "app/windowlayout.h"
#include "maker.h"

namespace {

namespace layout = lumivox::layout;

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
    }
    return nullptr;
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

// Every handler reached from a signal runs inside the standard exception box.
template <typename Sender, typename Signal>
void Bind(TForm1* form, Sender* sender, Signal signal, void (TForm1::*handler)()) {
    QObject::connect(sender, signal, form,
                     [form, handler] { lumivox::RunHandler(form, [&] { (form->*handler)(); }); });
}

void BindLink(TForm1* form, QLabel* label, void (TForm1::*handler)()) {
    Bind(form, static_cast<lumivox::ClickableLabel*>(label), &lumivox::ClickableLabel::clicked,
         handler);
}

} // namespace

namespace {

using Made = std::map<std::string, QWidget*>;

// Builds, in the table's order, every control whose parent is in `made` and that is
// not there yet, leaving out whatever lies in `skipped`; lays out the docked ones.
void BuildControls(Made& made, const std::string& skipped = {}) {
    std::map<std::string, std::vector<std::pair<QWidget*, const layout::Control*>>> docked;
    for (const layout::Control& c : layout::Controls()) {
        if (made.count(c.name) || !made.count(c.parent) || c.parent == skipped)
            continue;
        QWidget* parent = made.at(c.parent);
        QWidget* widget = MakeWidget(parent, c);
        widget->setObjectName(U(c.name));
        if (c.kind == layout::Kind::Page)
            static_cast<QTabWidget*>(parent)->addTab(widget, U(c.text));
        if (c.font != layout::FontRole::Window || c.name == "lbl1")
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
        made[c.name] = widget;
    }
    for (const auto& [parent, children] : docked)
        LayOutDocked(made.at(parent), children);
}

template <typename Widget> void Take(const Made& made, Widget*& member, const char* name) {
    member = qobject_cast<Widget*>(made.at(name));
}

} // namespace

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
    Made made{{"Form1", this}};
    BuildControls(made, "ts2");
    lumivox::FitTextToFont(this);

    auto as = [&made](auto*& member, const char* name) { Take(made, member, name); };
    as(pgc1, "pgc1"), as(ts1, "ts1"), as(ts2, "ts2"), as(pnl2, "pnl2");
    as(grp1Timer, "grp1Timer"), as(grp12, "grp12"), as(chkDispTop, "chkDispTop");
    as(chkHour, "chkHour"), as(chkHalf, "chkHalf"), as(lbl7, "lbl7");
    as(lblMinTick, "lblMinTick"), as(cbbHour, "cbbHour"), as(lbl10, "lbl10");
    as(cbbMin, "cbbMin"), as(lbl11, "lbl11"), as(cbbSec, "cbbSec"), as(chkMin, "chkMin");
    as(cbbLastMin, "cbbLastMin"), as(lbl12, "lbl12"), as(cbbPerMin, "cbbPerMin");
    as(lbl13, "lbl13"), as(chkSec, "chkSec"), as(cbbLastSec, "cbbLastSec");
    as(lbl15, "lbl15"), as(cbbPerSec, "cbbPerSec"), as(lbl16, "lbl16");
    as(chkLastOne, "chkLastOne"), as(btnLastOne, "btnLastOne"), as(chkCircle, "chkCircle");
    as(btnMinStart, "btnMinStart"), as(btnStop, "btnStop"), as(lblTips, "lblTips");
    // Chosen before the first paint (a test, a very quick click), the page fills at once.
    connect(pgc1, &QTabWidget::currentChanged, this, [this] {
        if (pgc1->currentWidget() == ts2)
            CreateAboutPage();
    });
    pgc1->setCurrentWidget(ts1);

    const QString reason = lumivox::KeepOnTopUnavailableReason();
    if (!reason.isEmpty())
        chkDispTop->setToolTip(reason);

    // Tab walks the timer page in the table's order; Qt skips the hidden button and
    // a disabled Stop.
    const std::vector<const layout::Control*> chain = layout::TabChain("ts1");
    for (std::size_t i = 1; i < chain.size(); ++i)
        setTabOrder(made.at(chain[i - 1]->name), made.at(chain[i]->name));

    tmrSec = new QTimer(this);
    tmrSec->setObjectName(QStringLiteral("tmrSec"));
    tmrSec->setTimerType(Qt::PreciseTimer);
    tmrSec->setInterval(985);
    tmrHour = new QTimer(this);
    tmrHour->setObjectName(QStringLiteral("tmrHour"));
    tmrHour->setTimerType(Qt::PreciseTimer);
    tmrHour->setInterval(60000);
    tmr1 = new QTimer(this);
    tmr1->setObjectName(QStringLiteral("tmr1"));
    tmr1->setInterval(15000);
    tmr1->start();
}

void TForm1::CreateAboutPage() {
    if (mmoHelp)
        return;
    Made made{{"ts2", ts2}};
    BuildControls(made);
    lumivox::FitTextToFont(ts2);
    auto as = [&made](auto*& member, const char* name) { Take(made, member, name); };
    as(mmoHelp, "mmoHelp"), as(pnl1, "pnl1"), as(lbl1, "lbl1"), as(lbl2, "lbl2");
    as(lbl14, "lbl14"), as(lbl8, "lbl8"), as(lbl3, "lbl3"), as(lbl4, "lbl4"), as(lbl5, "lbl5");
    BindLink(this, lbl3, &TForm1::lbl3Click);
    BindLink(this, lbl4, &TForm1::lbl4Click);
    BindLink(this, lbl8, &TForm1::lbl8Click);
    BindLink(this, lbl5, &TForm1::lbl5Click);
}

void TForm1::ConnectControls() {
    Bind(this, tmrSec, &QTimer::timeout, &TForm1::tmrSecTimer);
    Bind(this, tmrHour, &QTimer::timeout, &TForm1::tmrHourTimer);
    Bind(this, tmr1, &QTimer::timeout, &TForm1::tmr1Timer);
    // toggled fires on every change of state, by the user or by setChecked, and
    // not when the state is set to the value it already has.
    Bind(this, chkHour, &QCheckBox::toggled, &TForm1::chkHourClick);
    Bind(this, chkHalf, &QCheckBox::toggled, &TForm1::chkHalfClick);
    Bind(this, chkDispTop, &QCheckBox::toggled, &TForm1::chkDispTopClick);
    Bind(this, btnMinStart, &QPushButton::clicked, &TForm1::btnMinStartClick);
    Bind(this, btnStop, &QPushButton::clicked, &TForm1::btnStopClick);
    BindLink(this, lblTips, &TForm1::lblTipsClick);
}

void TForm1::chkDispTopClick() {
    lumivox::SetKeepOnTop(this, chkDispTop->isChecked());
}

namespace {
void OpenTargetOf(const char* label) {
    QDesktopServices::openUrl(QUrl(U(layout::Address(layout::Find(label).target))));
}
} // namespace

void TForm1::lbl3Click() {
    OpenTargetOf("lbl3");
}

void TForm1::lbl4Click() {
    OpenTargetOf("lbl4");
}

void TForm1::lbl8Click() {
    OpenTargetOf("lbl8");
}

void TForm1::lbl5Click() {
    OpenTargetOf("lbl5");
}
