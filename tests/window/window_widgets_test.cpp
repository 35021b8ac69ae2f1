// The window as built, before any setting is applied: every control checked from one
// table, then the behaviour of the window's own parts (tab order, links, memo, combo
// boxes, keep-on-top flag).
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/windowlayout.h"
#include "expectedwindow.h"
#include "formfixture.h"
#include "maker.h"
#include "urlrecorder.h"

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture = std::make_unique<lumivox::testing::FormFixture>();
        form().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
        QApplication::processEvents();
    }
    TForm1& form() { return *fixture->form; }
    template <typename T = QWidget> T* control(const char* name) {
        return form().findChild<T*>(QLatin1String(name));
    }

    lumivox::testing::UrlRecorder recorder;
    std::unique_ptr<lumivox::testing::FormFixture> fixture;
};

namespace layout = lumivox::layout;

const char* QtClass(const std::string& kind) {
    static const std::map<std::string, const char*> classes = {{"Tabs", "QTabWidget"},
                                                               {"Page", "QWidget"},
                                                               {"Panel", "QFrame"},
                                                               {"Group", "QGroupBox"},
                                                               {"Label", "QLabel"},
                                                               {"Link", "lumivox::ClickableLabel"},
                                                               {"Check", "QCheckBox"},
                                                               {"Combo", "QComboBox"},
                                                               {"Button", "QPushButton"},
                                                               {"Memo", "QPlainTextEdit"},
                                                               {"KeyBox", "lumivox::HotKeyBox"}};
    return classes.at(kind);
}

QString TextOf(QWidget* widget, QTabWidget* pages) {
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->currentText();
    if (auto* group = qobject_cast<QGroupBox*>(widget))
        return group->title();
    if (pages->indexOf(widget) >= 0)
        return pages->tabText(pages->indexOf(widget));
    return {};
}

// The window as built matches the window as drawn, control by control.
TEST_F(WindowTest, EveryControlAsDrawn) {
    using lumivox::NameOf;
    auto* pages = control<QTabWidget>("pgc1");
    ASSERT_NE(pages, nullptr);
    for (const lumivox::testing::ExpectedControl& e : lumivox::testing::kExpectedControls) {
        const std::string name(NameOf(e.id));
        SCOPED_TRACE(name);
        QWidget* widget = control(name.c_str());
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget, form().Control(e.id));
        EXPECT_TRUE(widget->inherits(QtClass(e.kind))) << widget->metaObject()->className();

        const QRect rect(e.left, e.top, e.width, e.height);
        const layout::Control& c = layout::Find(e.id);
        if (c.kind == layout::Kind::Page) {
            EXPECT_GE(pages->indexOf(widget), 0);
        } else {
            ASSERT_NE(widget->parentWidget(), nullptr);
            EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), NameOf(e.parent));
            if (c.kind == layout::Kind::Label || c.kind == layout::Kind::Link) {
                // Sized to the text shown: nothing clipped.
                EXPECT_EQ(widget->pos(), rect.topLeft());
                EXPECT_GE(widget->width(), widget->sizeHint().width());
                EXPECT_GE(widget->height(), widget->sizeHint().height());
            } else if (c.dock == layout::Dock::None || e.parent == Id::Form1) {
                EXPECT_EQ(widget->geometry(), rect);
            }
        }
        EXPECT_EQ(TextOf(widget, pages), QString::fromUtf8(e.text));
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            EXPECT_FALSE(box->isChecked());
        }
        EXPECT_EQ(widget->isEnabled(), e.enabled);
        if (c.kind != layout::Kind::Page) { // the page behind is hidden by its tab control
            EXPECT_EQ(!widget->isHidden(), e.visible);
        }

        const layout::Font look = layout::FontOf(c.font);
        const QFont font = widget->font();
        EXPECT_EQ(font.pixelSize(), look.pixelHeight);
        EXPECT_EQ(font.bold(), look.bold);
        EXPECT_EQ(font.underline(), look.underline);
        const QColor expected = look.windowText
                                    ? form().palette().color(QPalette::Active, QPalette::WindowText)
                                    : QColor::fromRgb(look.rgb);
        EXPECT_EQ(widget->palette().color(QPalette::Active, QPalette::WindowText).name(),
                  expected.name());
        EXPECT_EQ(widget->cursor().shape(),
                  look.handCursor ? Qt::PointingHandCursor : Qt::ArrowCursor);
        // Only the tips line has a hint of its own, written later by the tips.
        EXPECT_TRUE(widget->toolTip().isEmpty());
    }
    for (const lumivox::testing::ExpectedCombo& e : lumivox::testing::kExpectedCombos) {
        SCOPED_TRACE(std::string(NameOf(e.id)));
        auto* combo = form().Control<QComboBox>(e.id);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->count(), e.last - e.first + 1);
        EXPECT_EQ(combo->currentIndex(), e.selected);
        EXPECT_EQ(combo->isEditable(), e.editable);
        EXPECT_EQ(combo->maxVisibleItems(), 11);
        for (int i = 0; i < combo->count(); ++i)
            EXPECT_EQ(combo->itemText(i), QString::number(e.first + i));
    }
    // The label's font must draw the text it holds: CJK glyphs present, not boxes.
    EXPECT_TRUE(QFontMetrics(control("lbl7")->font()).inFont(QChar(0x5012)));
}

TEST_F(WindowTest, WindowFrameAndTimers) {
    EXPECT_EQ(form().size(), QSize(544, 362));
    EXPECT_EQ(form().minimumSize(), form().maximumSize());
    EXPECT_EQ(form().windowTitle(), U(lumivox::maker::kTitle));
    const Qt::WindowFlags flags = form().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form().findChild<QMenuBar*>(), nullptr);
    EXPECT_EQ(control<QTabWidget>("pgc1")->currentWidget(), control("ts1"));

    struct TimerRow {
        const char* name;
        int interval;
        bool active;
        Qt::TimerType type;
    };
    const TimerRow timers[] = {{"tmrSec", 985, false, Qt::PreciseTimer},
                               {"tmrHour", 60000, false, Qt::PreciseTimer},
                               {"tmr1", 15000, true, Qt::CoarseTimer}};
    for (const TimerRow& row : timers) {
        SCOPED_TRACE(row.name);
        auto* timer = form().findChild<QTimer*>(QLatin1String(row.name));
        ASSERT_NE(timer, nullptr);
        EXPECT_EQ(timer->interval(), row.interval);
        EXPECT_EQ(timer->isActive(), row.active);
        EXPECT_EQ(timer->timerType(), row.type);
    }
    EXPECT_EQ(form().tmrSec, form().findChild<QTimer*>(QStringLiteral("tmrSec")));
}

// Focus names: an editable combo box's line edit stands for the box.
QString FocusName() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return QStringLiteral("(none)");
    if (qobject_cast<QComboBox*>(focus->parentWidget()))
        focus = focus->parentWidget();
    if (qobject_cast<QTabBar*>(focus))
        return QStringLiteral("tabs");
    return focus->objectName();
}

TEST_F(WindowTest, TabWalksTheTimerPageInOrderAndSkipsTheHiddenButton) {
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    form().Control<QCheckBox>(Id::chkHour)->setFocus(Qt::TabFocusReason);
    QStringList seen{FocusName()};
    for (int i = 0; i < 20 && (seen.size() == 1 || seen.last() != seen.first()); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << FocusName();
    }
    const QStringList expected = {
        "chkHour",    "chkHalf",     "cbbHour",    "cbbMin",     "cbbSec",    "chkMin",
        "cbbLastMin", "cbbPerMin",   "chkSec",     "cbbLastSec", "cbbPerSec", "chkLastOne",
        "chkCircle",  "btnMinStart", "chkDispTop", "tabs",       "chkHour"};
    EXPECT_EQ(seen, expected);

    // With Stop enabled (a countdown running) it follows Start.
    form().Control<QPushButton>(Id::btnStop)->setEnabled(true);
    form().Control<QPushButton>(Id::btnMinStart)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(FocusName(), "btnStop");
    EXPECT_EQ(form().Control<QPushButton>(Id::btnLastOne)->focusPolicy(), Qt::NoFocus);
}

TEST_F(WindowTest, HiddenButtonStaysHiddenOnEveryPage) {
    auto* pages = control<QTabWidget>("pgc1");
    for (int index : {1, 0, 2, 0}) {
        pages->setCurrentIndex(index);
        QApplication::processEvents();
        EXPECT_FALSE(form().Control<QPushButton>(Id::btnLastOne)->isVisible());
    }
    form().hide();
    form().show();
    QApplication::processEvents();
    EXPECT_FALSE(form().Control<QPushButton>(Id::btnLastOne)->isVisible());
    EXPECT_TRUE(form().Control<QPushButton>(Id::btnMinStart)->isVisible());
}

class UrlOpenedBy : public WindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UrlOpenedBy, ClickOnLinkLabel) {
    const std::string name = GetParam();
    struct Link {
        const char* label;
        const char* url;
    };
    const Link links[] = {{"lbl3", lumivox::maker::kHomePage},
                          {"lbl4", lumivox::maker::kHomePage},
                          {"lbl8", lumivox::maker::kDownloadPage},
                          {"lbl5", lumivox::maker::kShopPage}};
    for (const Link& link : links) {
        if (name != link.label)
            continue;
        control<QTabWidget>("pgc1")->setCurrentWidget(control("ts2"));
        QApplication::processEvents();
        QLabel* label = control<QLabel>(link.label);
        ASSERT_NE(label, nullptr);
        QTest::mouseClick(label, Qt::LeftButton);
        QApplication::processEvents();
        ASSERT_EQ(recorder.opened.size(), 1);
        EXPECT_EQ(recorder.opened[0].toString(), U(link.url));
        EXPECT_FALSE(recorder.opened[0].toString().endsWith('/'));

        // Pressed on the label but let go elsewhere: no click.
        QTest::mousePress(label, Qt::LeftButton);
        QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(-20, -20));
        QApplication::processEvents();
        EXPECT_EQ(recorder.opened.size(), 1);
        EXPECT_TRUE(form().isVisible());
        return;
    }
    FAIL() << "no such link label";
}

INSTANTIATE_TEST_SUITE_P(AboutPage, UrlOpenedBy, ::testing::Values("lbl3", "lbl4", "lbl8", "lbl5"));

TEST_F(WindowTest, DownloadPageIsOnTheHomeHost) {
    EXPECT_EQ(QUrl(U(lumivox::maker::kDownloadPage)).host(),
              QUrl(U(lumivox::maker::kHomePage)).host());
    EXPECT_TRUE(U(lumivox::maker::kDownloadPage).endsWith("/showsoft.asp?id=101"));
}

TEST_F(WindowTest, HelpMemoIsReadOnlyAndTheAboutPanelKeepsItsWidth) {
    auto* pages = control<QTabWidget>("pgc1");
    pages->setCurrentWidget(control("ts2"));
    QApplication::processEvents();
    QPlainTextEdit* memo = form().Control<QPlainTextEdit>(Id::mmoHelp);
    ASSERT_EQ(memo->document()->blockCount(), 14);
    EXPECT_EQ(memo->document()->findBlockByNumber(0).text(), U("Lumivox语音定时器说明："));
    EXPECT_EQ(memo->document()->findBlockByNumber(11).text(), U("     Lumivox工作室  出品"));
    EXPECT_EQ(memo->document()->findBlockByNumber(13).text(),
              QStringLiteral("     ") + U(lumivox::maker::kHomePage));
    for (int empty : {1, 3, 5, 7, 9, 10, 12})
        EXPECT_TRUE(memo->document()->findBlockByNumber(empty).text().isEmpty()) << empty;

    const QString before = memo->toPlainText();
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("abc"));
    QTest::keyClick(memo, Qt::Key_Delete);
    QTest::keyClick(memo, Qt::Key_Backspace);
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(memo->toPlainText(), before);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    // The panel is docked right at 170 wide; the memo takes the rest of the page.
    QWidget* page = control("ts2");
    EXPECT_EQ(form().Control<QWidget>(Id::pnl1)->geometry(),
              QRect(page->width() - 170, 0, 170, page->height()));
    EXPECT_EQ(memo->geometry(), QRect(0, 0, page->width() - 170, page->height()));
    // Every line fits without scrolling.
    EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0);
}

TEST_F(WindowTest, EditableBoxesKeepTypedTextAndPickOnlyBoxesDoNot) {
    QComboBox* last = form().Control<QComboBox>(Id::cbbLastMin);
    last->setFocus();
    last->lineEdit()->selectAll();
    QTest::keyClicks(last->lineEdit(), QStringLiteral("90"));
    QTest::keyClick(last->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(last->currentText(), "90");
    EXPECT_EQ(last->count(), 60); // nothing clamps it, nothing adds it to the list
    last->lineEdit()->selectAll();
    QTest::keyClicks(last->lineEdit(), QStringLiteral("abc"));
    EXPECT_EQ(last->currentText(), "abc");

    for (QComboBox* box :
         {form().Control<QComboBox>(Id::cbbHour), form().Control<QComboBox>(Id::cbbMin),
          form().Control<QComboBox>(Id::cbbSec)})
        EXPECT_FALSE(box->isEditable()) << box->objectName().toStdString();
    for (QComboBox* box :
         {form().Control<QComboBox>(Id::cbbLastMin), form().Control<QComboBox>(Id::cbbPerMin),
          form().Control<QComboBox>(Id::cbbLastSec), form().Control<QComboBox>(Id::cbbPerSec)})
        EXPECT_TRUE(box->isEditable()) << box->objectName().toStdString();
}

TEST_F(WindowTest, EveryComboDropsDownElevenRows) {
    for (QComboBox* box :
         {form().Control<QComboBox>(Id::cbbHour), form().Control<QComboBox>(Id::cbbLastMin)}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->showPopup();
        QApplication::processEvents();
        QAbstractItemView* view = box->view();
        ASSERT_TRUE(view->isVisible());
        const int row = view->sizeHintForRow(0);
        ASSERT_GT(row, 0);
        EXPECT_EQ(view->viewport()->height() / row, 11);
        box->hidePopup();
        QApplication::processEvents();
    }
}

TEST_F(WindowTest, KeepOnTopFollowsTheBoxWithoutReplacingTheWindow) {
    const WId id = form().winId();
    QWindow* handle = form().windowHandle();
    const QRect geometry = form().geometry();

    form().Control<QCheckBox>(Id::chkDispTop)->setChecked(true);
    EXPECT_TRUE(handle->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTest::mouseClick(form().Control<QCheckBox>(Id::chkDispTop), Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_FALSE(form().Control<QCheckBox>(Id::chkDispTop)->isChecked());
    EXPECT_FALSE(handle->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    EXPECT_EQ(form().winId(), id);
    EXPECT_EQ(form().windowHandle(), handle);
    EXPECT_EQ(form().geometry(), geometry);
    EXPECT_TRUE(form().isVisible());
    // The title-bar buttons survive the change.
    EXPECT_FALSE(form().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST_F(WindowTest, KeepOnTopSetBeforeTheWindowExistsTakesEffectWhenShown) {
    lumivox::testing::FormFixture hidden;
    hidden.form->Control<QCheckBox>(Id::chkDispTop)->setChecked(true);
    hidden.form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hidden.form.get()));
    EXPECT_TRUE(hidden.form->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(WindowTest, TipsLineGrowsWithItsText) {
    QLabel* tips = form().Control<QLabel>(Id::lblTips);
    tips->setText(U("这是一条比较长的提示文字"));
    QApplication::processEvents();
    EXPECT_GE(tips->width(), tips->sizeHint().width());
    EXPECT_EQ(tips->pos(), QPoint(2, 3));
}

} // namespace

// Built as the program builds it (no test fixture filling it in advance), the About
// page is whole once the window has painted, or at once when chosen before that, and
// its links work.
TEST(AboutPage, FilledAfterTheFirstPaintOrWhenChosenFirst) {
    for (const bool painted : {true, false}) {
        SCOPED_TRACE(painted ? "after the first paint" : "chosen first");
        QTemporaryDir settings;
        TForm1::Options options;
        options.sound = std::make_shared<lumivox::testing::SilentSound>();
        options.settingsDir = settings.path().toStdString();
        TForm1 form(std::move(options));
        lumivox::testing::UrlRecorder recorder;
        if (painted) {
            form.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return form.Control<QPlainTextEdit>(Id::mmoHelp) != nullptr; }, 5000));
        } else {
            form.Control<QTabWidget>(Id::pgc1)->setCurrentWidget(form.Control<QWidget>(Id::ts2));
        }
        ASSERT_NE(form.Control<QPlainTextEdit>(Id::mmoHelp), nullptr);
        EXPECT_EQ(form.Control<QPlainTextEdit>(Id::mmoHelp)->document()->blockCount(), 14);
        EXPECT_EQ(form.Control<QLabel>(Id::lbl3)->text(), U("Lumivox工作室"));
        QTest::mouseClick(form.Control<QLabel>(Id::lbl3), Qt::LeftButton);
        ASSERT_EQ(recorder.opened.size(), 1);
        EXPECT_EQ(recorder.opened[0].toString(), U(lumivox::maker::kHomePage));
    }
}
