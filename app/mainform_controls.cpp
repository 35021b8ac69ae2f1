// The window as the user sees it: every control with its place, text, font and
// default, the three timers, which handler each event reaches, and the window's own
// handlers (keep on top and the About page's links).
#include "app/mainform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <iterator>

#include "app/clickablelabel.h"
#include "app/exceptionbox.h"
#include "app/fitfont.h"
#include "app/keepontop.h"
#include "maker.h"

namespace {

constexpr int kClientWidth = 544;
constexpr int kClientHeight = 362;
constexpr int kStatusHeight = 20;
constexpr int kAboutPanelWidth = 170;
constexpr int kComboRows = 11;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The layout was drawn for SimSun, whose CJK glyphs are one pixel size wide and its
// Latin half that. Where it is missing, WenQuanYi Zen Hei Sharp keeps those widths
// and has crisp bitmaps at 12, 13 and 16 pixels; the others are fallbacks.
QFont SongFont(int pixelSize) {
    QFont font;
    font.setFamilies({U("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Zen Hei Sharp"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Sans SC"), QStringLiteral("Source Han Sans SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("Droid Sans Fallback")});
    font.setPixelSize(pixelSize);
    return font;
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// Labels size themselves to their text, as the layout expects.
template <typename Label = QLabel>
Label* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new Label(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* box = new QCheckBox(U(text), parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}

QComboBox* MakeComboBox(QWidget* parent, const char* name, int first, int last, bool editable,
                        QRect geometry) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert); // typed text stays text, not a new item
    for (int n = first; n <= last; ++n)
        box->addItem(QString::number(n));
    box->setMaxVisibleItems(kComboRows);
    // Some styles pop a pick-only list up over the whole screen, ignoring the row
    // count; this keeps every box dropping down its 11 rows.
    box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    box->setGeometry(geometry);
    return box;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* button = new QPushButton(U(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QFrame* MakeRaisedPanel(QWidget* parent, const char* name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

lumivox::ClickableLabel* MakeLinkLabel(QWidget* parent, const char* name, const QString& text,
                                       int left, int top) {
    auto* label = new lumivox::ClickableLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(SongFont(12));
    SetTextColour(label, QColor(0, 0, 255));
    label->setCursor(Qt::PointingHandCursor);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QString HelpText() {
    const QStringList lines = {
        U("Lumivox语音定时器说明："),
        QString(),
        U("1、可以设置语音报时；"),
        QString(),
        U("2、可以设置倒计时并语音报数；"),
        QString(),
        U("3、可以设置循环倒计时；"),
        QString(),
        U("4、常用于游戏、秒杀、计时等进行语音提醒；"),
        QString(),
        QString(),
        U("     Lumivox工作室  出品"),
        QString(),
        QStringLiteral("     ") + U(lumivox::maker::kHomePage),
    };
    return lines.join(QLatin1Char('\n'));
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

void BuildTimerPage(TForm1& w) {
    QWidget* page = w.ts1;

    w.grp1Timer = new QGroupBox(U("报时设置"), page);
    w.grp1Timer->setObjectName(QStringLiteral("grp1Timer"));
    w.grp1Timer->setGeometry(338, 8, 167, 89);
    w.chkHour = MakeCheckBox(w.grp1Timer, "chkHour", "整点报时", {21, 25, 97, 17});
    w.chkHalf = MakeCheckBox(w.grp1Timer, "chkHalf", "半点报时", {21, 56, 92, 17});

    w.grp12 = new QGroupBox(U("倒计时"), page);
    w.grp12->setObjectName(QStringLiteral("grp12"));
    w.grp12->setGeometry(9, 5, 312, 284);
    QGroupBox* g = w.grp12;

    w.lbl7 = MakeLabel(g, "lbl7", U("倒计数(时:分:秒)："), 15, 22);
    w.lblMinTick = new QLabel(QStringLiteral("00:10:30"), g);
    w.lblMinTick->setObjectName(QStringLiteral("lblMinTick"));
    QFont tickFont = SongFont(24);
    tickFont.setBold(true);
    w.lblMinTick->setFont(tickFont);
    SetTextColour(w.lblMinTick, QColor(255, 0, 0));
    w.lblMinTick->move(162, 15);
    w.lblMinTick->adjustSize();

    w.cbbHour = MakeComboBox(g, "cbbHour", 0, 23, false, {32, 45, 70, 24});
    w.lbl10 = MakeLabel(g, "lbl10", QStringLiteral(":"), 103, 47);
    w.cbbMin = MakeComboBox(g, "cbbMin", 0, 59, false, {114, 45, 70, 24});
    w.lbl11 = MakeLabel(g, "lbl11", QStringLiteral(":"), 184, 47);
    w.cbbSec = MakeComboBox(g, "cbbSec", 0, 59, false, {195, 45, 70, 24});

    w.chkMin = MakeCheckBox(g, "chkMin", "最后", {15, 85, 57, 17});
    w.cbbLastMin = MakeComboBox(g, "cbbLastMin", 1, 60, true, {72, 82, 49, 24});
    w.lbl12 = MakeLabel(g, "lbl12", U("分钟每"), 125, 85);
    w.cbbPerMin = MakeComboBox(g, "cbbPerMin", 1, 30, true, {176, 82, 49, 24});
    w.lbl13 = MakeLabel(g, "lbl13", U("分钟报数"), 227, 85);

    w.chkSec = MakeCheckBox(g, "chkSec", "最后", {15, 120, 57, 17});
    w.cbbLastSec = MakeComboBox(g, "cbbLastSec", 1, 60, true, {72, 117, 49, 24});
    w.lbl15 = MakeLabel(g, "lbl15", U("秒钟每"), 125, 120);
    w.cbbPerSec = MakeComboBox(g, "cbbPerSec", 1, 30, true, {176, 117, 49, 24});
    w.lbl16 = MakeLabel(g, "lbl16", U("秒钟报数"), 227, 120);

    w.chkLastOne = MakeCheckBox(g, "chkLastOne", "最后一秒提示声音", {15, 154, 154, 17});
    w.btnLastOne = MakeButton(g, "btnLastOne", "选择声音", {176, 154, 113, 23});
    w.btnLastOne->setFocusPolicy(Qt::NoFocus); // never shown, never reached with Tab
    w.btnLastOne->setVisible(false);
    w.chkCircle = MakeCheckBox(g, "chkCircle", "循环计时", {15, 196, 91, 17});
    w.btnMinStart = MakeButton(g, "btnMinStart", "启动", {15, 239, 113, 27});
    w.btnStop = MakeButton(g, "btnStop", "停止", {176, 239, 113, 27});
    w.btnStop->setEnabled(false);

    w.cbbHour->setCurrentIndex(0);
    w.cbbMin->setCurrentIndex(10);
    w.cbbSec->setCurrentIndex(30);
    w.cbbLastMin->setCurrentIndex(9);
    w.cbbPerMin->setCurrentIndex(0);
    w.cbbLastSec->setCurrentIndex(-1); // shows "30" without selecting the list's "30"
    w.cbbLastSec->setEditText(QStringLiteral("30"));
    w.cbbPerSec->setCurrentIndex(0);

    w.chkDispTop = MakeCheckBox(page, "chkDispTop", "显示在最前面", {338, 107, 122, 17});
    const QString reason = lumivox::KeepOnTopUnavailableReason();
    if (!reason.isEmpty())
        w.chkDispTop->setToolTip(reason);
}

void BuildAboutPage(TForm1& w) {
    w.mmoHelp = new QPlainTextEdit(w.ts2);
    w.mmoHelp->setObjectName(QStringLiteral("mmoHelp"));
    w.mmoHelp->setPlainText(HelpText());
    w.mmoHelp->setReadOnly(true);
    w.mmoHelp->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    w.mmoHelp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    w.mmoHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w.mmoHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    w.pnl1 = MakeRaisedPanel(w.ts2, "pnl1");
    w.pnl1->setFixedWidth(kAboutPanelWidth);

    auto* layout = new QHBoxLayout(w.ts2);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(w.mmoHelp, 1);
    layout->addWidget(w.pnl1, 0);

    QFrame* p = w.pnl1;
    w.lbl1 = MakeLabel(p, "lbl1", U(lumivox::maker::kTitle), 29, 15);
    w.lbl1->setFont(w.font());
    w.lbl2 = MakeLabel(p, "lbl2", U("版本：") + U(lumivox::maker::kShownVersion), 29, 50);
    w.lbl14 = MakeLabel(p, "lbl14", U("欢迎反馈建议"), 35, 93);
    w.lbl8 = MakeLinkLabel(p, "lbl8", U("下载最新版本"), 45, 125);
    w.lbl3 = MakeLinkLabel(p, "lbl3", U("Lumivox工作室"), 51, 171);
    w.lbl4 = MakeLinkLabel(p, "lbl4", U(lumivox::maker::kHomePage), 23, 188);
    w.lbl5 = MakeLinkLabel(p, "lbl5", U("赞助开发，谢谢！"), 43, 243);
}

void BuildStatusStrip(TForm1& w) {
    w.pnl2 = MakeRaisedPanel(&w, "pnl2");
    w.pnl2->setFixedHeight(kStatusHeight);

    auto* tips = new lumivox::ClickableLabel(w.pnl2);
    tips->setObjectName(QStringLiteral("lblTips"));
    QFont font = SongFont(13);
    font.setUnderline(true);
    tips->setFont(font);
    tips->setCursor(Qt::PointingHandCursor);
    w.lblTips = tips;

    // The layout sizes the label to whatever tip it shows; with the 1-pixel bevel
    // the label sits at 2, 3 in the strip.
    auto* layout = new QHBoxLayout(w.pnl2);
    layout->setContentsMargins(1, 2, 1, 0);
    layout->setSpacing(0);
    layout->addWidget(tips, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);
}

// Every handler reached from a signal runs inside the standard exception box.
template <typename Sender, typename Signal>
void Bind(TForm1* form, Sender* sender, Signal signal, void (TForm1::*handler)()) {
    QObject::connect(sender, signal, form,
                     [form, handler] { lumivox::RunHandler(form, [&] { (form->*handler)(); }); });
}

} // namespace

void TForm1::CreateControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(SongFont(16));
    setFixedSize(kClientWidth, kClientHeight);
    new CentreOnFirstShow(this);

    pgc1 = new QTabWidget(this);
    pgc1->setObjectName(QStringLiteral("pgc1"));
    ts1 = new QWidget;
    ts1->setObjectName(QStringLiteral("ts1"));
    ts2 = new QWidget;
    ts2->setObjectName(QStringLiteral("ts2"));
    pgc1->addTab(ts1, U("定时设置"));
    pgc1->addTab(ts2, U("关于帮助"));
    BuildTimerPage(*this);
    BuildAboutPage(*this);
    pgc1->setCurrentWidget(ts1);

    BuildStatusStrip(*this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pgc1, 1);
    layout->addWidget(pnl2, 0);
    lumivox::FitTextToFont(this);

    // Tab order: the chime group, then the countdown group row by row, then the
    // keep-on-top box. The hidden button and the disabled Stop are skipped by Qt.
    QWidget* chain[] = {chkHour,    chkHalf,     cbbHour, cbbMin,     cbbSec,    chkMin,
                        cbbLastMin, cbbPerMin,   chkSec,  cbbLastSec, cbbPerSec, chkLastOne,
                        chkCircle,  btnMinStart, btnStop, chkDispTop};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

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
    auto link = [this](QLabel* label, void (TForm1::*handler)()) {
        Bind(this, static_cast<lumivox::ClickableLabel*>(label), &lumivox::ClickableLabel::clicked,
             handler);
    };
    link(lblTips, &TForm1::lblTipsClick);
    link(lbl3, &TForm1::lbl3Click);
    link(lbl4, &TForm1::lbl4Click);
    link(lbl8, &TForm1::lbl8Click);
    link(lbl5, &TForm1::lbl5Click);
}

void TForm1::chkDispTopClick() {
    lumivox::SetKeepOnTop(this, chkDispTop->isChecked());
}

void TForm1::lbl3Click() {
    QDesktopServices::openUrl(QUrl(U(lumivox::maker::kHomePage)));
}

void TForm1::lbl4Click() {
    QDesktopServices::openUrl(QUrl(U(lumivox::maker::kHomePage)));
}

void TForm1::lbl8Click() {
    QDesktopServices::openUrl(QUrl(U(lumivox::maker::kDownloadPage)));
}

void TForm1::lbl5Click() {
    QDesktopServices::openUrl(QUrl(U(lumivox::maker::kShopPage)));
}
