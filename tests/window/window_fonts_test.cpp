// The window with each common CJK font as the only one and at each scale factor:
// nothing cut off. Every case runs the window in a child process of its own, since
// the font set and the scale are fixed when a process starts; the child lists what
// it finds cut off and saves both pages under <build>/artifacts/fonts/.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

#include "formfixture.h"

namespace {

struct FontCase {
    const char* font; // <build>/fonts/<font>.conf
    const char* scale;
};

void PrintTo(const FontCase& c, std::ostream* out) {
    *out << c.font << " x" << c.scale;
}

// clang-format off
const FontCase kCases[] = {
    {"zenhei", "1"},   {"zenhei", "1.25"},   {"zenhei", "1.5"},   {"zenhei", "2"},
    {"microhei", "1"}, {"microhei", "1.25"}, {"microhei", "1.5"}, {"microhei", "2"},
    {"noto", "1"},     {"noto", "1.25"},     {"noto", "1.5"},     {"noto", "2"},
    {"droid", "1"},    {"droid", "1.25"},    {"droid", "1.5"},    {"droid", "2"},
};
// clang-format on

QString Where(const QWidget* w) {
    const QRect g = w->geometry();
    return QStringLiteral("%1 at %2,%3 %4x%5 hint %6x%7 line %11 in %8 %9x%10")
        .arg(w->objectName())
        .arg(g.x())
        .arg(g.y())
        .arg(g.width())
        .arg(g.height())
        .arg(w->sizeHint().width())
        .arg(w->sizeHint().height())
        .arg(w->parentWidget()->objectName())
        .arg(w->parentWidget()->width())
        .arg(w->parentWidget()->height())
        .arg(w->fontMetrics().height());
}

// What a user of this font would find cut off on the page shown. A check box keeps
// its drawn height while its caption's line fits: its size hint adds a focus frame.
QStringList CutOff(TForm1& form) {
    QStringList problems;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        const bool box = qobject_cast<QCheckBox*>(w);
        if (!w->isVisible() || !(qobject_cast<QLabel*>(w) || box))
            continue;
        const int height = box ? w->fontMetrics().height() : w->sizeHint().height();
        const bool whole = w->width() >= w->sizeHint().width() && w->height() >= height &&
                           w->parentWidget()->rect().contains(w->geometry());
        if (!whole)
            problems << Where(w);
    }
    QPlainTextEdit* memo = form.Control<QPlainTextEdit>(Id::mmoHelp);
    if (memo->isVisible()) {
        QTextCursor end(memo->document());
        end.movePosition(QTextCursor::End);
        const int bottom = memo->cursorRect(end).bottom();
        if (bottom >= memo->viewport()->height())
            problems << QStringLiteral("mmoHelp: last line ends at %1 in a %2 px view")
                            .arg(bottom + 1)
                            .arg(memo->viewport()->height());
    }
    return problems;
}

// The child: one font, one scale, set by the parent through the environment.
TEST(FontCaseChild, NothingCutOff) {
    const QString name = qEnvironmentVariable("LUMIVOX_FONT_CASE");
    if (name.isEmpty())
        GTEST_SKIP() << "run by FontsAndScales";
    lumivox::testing::FormFixture fixture;
    TForm1& form = *fixture.form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Control<QLabel>(Id::lblTips)
        ->setText(QString::fromUtf8("这是一条比较长的提示文字，点击打开网页"));
    const QString shots = qEnvironmentVariable("LUMIVOX_BINARY_DIR") + "/artifacts/fonts";
    QDir().mkpath(shots);
    QStringList problems;
    for (int page : {0, 1, 2}) {
        form.Control<QTabWidget>(Id::pgc1)->setCurrentIndex(page);
        QTest::qWait(50);
        problems << CutOff(form);
        form.grab().save(QStringLiteral("%1/%2-page%3.png").arg(shots, name).arg(page + 1));
    }
    problems.removeDuplicates();
    for (const QString& p : problems)
        std::printf("cut off: %s\n", qPrintable(p));
    EXPECT_TRUE(problems.isEmpty());
}

class FontsAndScales : public ::testing::TestWithParam<FontCase> {};

TEST_P(FontsAndScales, NothingCutOff) {
    const FontCase c = GetParam();
    const QString build = qEnvironmentVariable("LUMIVOX_BINARY_DIR");
    const QString config = QStringLiteral("%1/fonts/%2.conf").arg(build, c.font);
    ASSERT_TRUE(QFile::exists(config)) << qPrintable(config);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("FONTCONFIG_FILE", config);
    env.insert("QT_SCALE_FACTOR", c.scale);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("LUMIVOX_FONT_CASE", QStringLiteral("%1-x%2").arg(c.font, c.scale));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=FontCaseChild.*")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString out = QString::fromLocal8Bit(child.readAll());
    QStringList cut;
    for (const QString& line : out.split('\n'))
        if (line.startsWith(QLatin1String("cut off: ")))
            cut << line;
    EXPECT_TRUE(cut.isEmpty()) << qPrintable(cut.join('\n'));
    EXPECT_EQ(child.exitCode(), 0) << qPrintable(out.right(3000));
}

INSTANTIATE_TEST_SUITE_P(Table, FontsAndScales, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FontCase>& info) {
                             std::string scale = info.param.scale;
                             for (char& ch : scale)
                                 if (ch == '.')
                                     ch = '_';
                             return std::string(info.param.font) + "_x" + scale;
                         });

} // namespace
