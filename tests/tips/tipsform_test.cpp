// The status line in the window: loading on the first tick without freezing it,
// the rotation, the file errors and the click.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

#include "fakesound.h"
#include "formfixture.h"
#include "maker.h"
#include "tiplinks.h"
#include "tips/lvwebtips.h"
#include "tipsserver.h"
#include "urlrecorder.h"

namespace {

using lumivox::testing::ProxyVariable;
using lumivox::testing::TipsServer;

class TipsFormTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = dir_.path() + "/"; }

    TForm1& MakeForm() {
        form_ = lumivox::testing::MakeForm(
            folder_.toStdString(), std::make_shared<lumivox::testing::RecordingSound>(clips_),
            std::shared_ptr<lumivox::ClipSource>(&clips_, [](auto*) {}));
        return *form_;
    }

    QString TipsFile() const { return folder_ + "tipsupd.dat"; }

    QByteArray FileBytes() const {
        QFile file(TipsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // First tick, then wait until the load has shown a tip. (QTRY_* macros only
    // return from the test, which GoogleTest counts as a pass: waits go through this.)
    void LoadAndWaitForTip(TForm1& form) {
        form.Rules().tmr1Timer();
        ASSERT_TRUE(form.Rules().TipsLoaded);
        ASSERT_TRUE(Eventually([&] {
            return !form.Control<QLabel>(Id::lblTips)->text().isEmpty();
        })) << "no tip shown";
    }

    static bool Eventually(const std::function<bool()>& done, int timeoutMs = 60000) {
        return QTest::qWaitFor(done, timeoutMs);
    }

    lumivox::testing::NumberedClipSource clips_;
    QTemporaryDir dir_;
    QString folder_;
    lumivox::testing::UrlRecorder recorder_{
        {"http", "https", "file", "javascript", "mailto", "steam", ""}};
    lumivox::testing::BoxRecorder shown_;
    QList<lumivox::testing::BoxRecorder::Box>& boxes_ = shown_.boxes;
    std::unique_ptr<TForm1> form_;
};

TEST_F(TipsFormTest, FirstTickReturnsAtOnceAndFirstTipShowsWhenLoaded) {
    TipsServer proxy({"only tip@#$http://a.example/only\r\n"});
    ProxyVariable viaProxy(proxy.Address());
    TForm1& form = MakeForm();
    form.Rules().tmr1Timer();
    // Nothing has been fetched yet: the tick only started the load.
    EXPECT_TRUE(form.Rules().TipsLoaded);
    EXPECT_EQ(form.Control<QLabel>(Id::lblTips)->text(), QString());
    ASSERT_TRUE(Eventually([&] {
        return form.Control<QLabel>(Id::lblTips)->text() == QStringLiteral("only tip >>");
    })) << form.Control<QLabel>(Id::lblTips)->text().toStdString();
    EXPECT_EQ(form.Control<QLabel>(Id::lblTips)->toolTip(), QStringLiteral("only tip"));
    EXPECT_EQ(form.Rules().CurrentTipLink, "http://a.example/only");
    EXPECT_EQ(FileBytes(), QByteArray("only tip@#$http://a.example/only\r\n"));
    ASSERT_EQ(proxy.Requests().size(), 1);
    EXPECT_EQ(
        proxy.Requests()[0].target,
        QStringLiteral("http://%1/tips.asp").arg(QString::fromUtf8(lumivox::maker::kTipsHost)));

    form.Rules().lblTipsClick();
    ASSERT_EQ(recorder_.opened.size(), 1);
    EXPECT_EQ(recorder_.opened[0], QUrl("http://a.example/only"));

    // Later ticks never fetch again; with one tip they keep showing it.
    for (int i = 0; i < 5; ++i)
        form.Rules().tmr1Timer();
    QTest::qWait(300);
    EXPECT_EQ(form.Control<QLabel>(Id::lblTips)->text(), QStringLiteral("only tip >>"));
    EXPECT_EQ(proxy.Requests().size(), 1);
    EXPECT_TRUE(boxes_.isEmpty());
}

TEST_F(TipsFormTest, MarkupInATipIsPlainTextInTheHoverHintToo) {
    const QString tip = QStringLiteral("<b>bold</b> & <img src=x>");
    TipsServer proxy({tip.toUtf8() + "@#$http://a.example/1\r\n"});
    ProxyVariable viaProxy(proxy.Address());
    TForm1& form = MakeForm();
    LoadAndWaitForTip(form);
    // What a hover hint makes of its text.
    const QString hint = form.Control<QLabel>(Id::lblTips)->toolTip();
    QTextDocument shown;
    if (Qt::mightBeRichText(hint))
        shown.setHtml(hint);
    else
        shown.setPlainText(hint);
    EXPECT_EQ(shown.toPlainText(), tip);
}

TEST_F(TipsFormTest, LaterTicksRotateRandomTipsWithTheirLinks) {
    TipsServer proxy({"t0@#$http://x/0\r\nt1@#$http://x/1\nt2@#$http://x/2\rt3@#$http://x/3\r\n"
                      "t4@#$http://x/4"});
    ProxyVariable viaProxy(proxy.Address());
    TForm1& form = MakeForm();
    LoadAndWaitForTip(form);
    ASSERT_TRUE(form.Rules().Tips);
    EXPECT_EQ(form.Rules().Tips->TipCount, 5);

    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        form.Rules().tmr1Timer();
        const QString text = form.Control<QLabel>(Id::lblTips)->text();
        ASSERT_TRUE(text.endsWith(" >>")) << text.toStdString();
        const QString tip = text.chopped(3);
        ASSERT_EQ(form.Control<QLabel>(Id::lblTips)->toolTip(), tip);
        ASSERT_EQ(tip.size(), 2);
        ASSERT_EQ(form.Rules().CurrentTipLink, "http://x/" + tip.mid(1).toStdString());
        seen.insert(tip);
    }
    EXPECT_EQ(seen.size(), 5);
}

TEST_F(TipsFormTest, EmptyLinkAndEmptyTextAndChineseText) {
    TipsServer proxy({"\xd6\xd0\xce\xc4@#$\r\n"});
    ProxyVariable viaProxy(proxy.Address());
    TForm1& form = MakeForm();
    LoadAndWaitForTip(form);
    EXPECT_EQ(form.Control<QLabel>(Id::lblTips)->text(), QString::fromUtf8("中文 >>"));
    EXPECT_EQ(form.Rules().CurrentTipLink, "");
    form.Rules().lblTipsClick();
    EXPECT_TRUE(recorder_.opened.isEmpty());
}

TEST_F(TipsFormTest, ServerDownLeavesEmptyFileNoMessageAndEmptyLine) {
    int port;
    {
        TipsServer gone({"x"});
        port = gone.Port();
    }
    ProxyVariable viaProxy(QStringLiteral("127.0.0.1:%1").arg(port));
    {
        QFile old(TipsFile());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old tip@#$http://old.example/\r\n");
    }
    TForm1& form = MakeForm();
    form.Rules().tmr1Timer();
    ASSERT_TRUE(Eventually([&] { return form.Rules().Tips != nullptr; }));
    EXPECT_EQ(FileBytes(), QByteArray());
    for (int i = 0; i < 3; ++i)
        form.Rules().tmr1Timer();
    EXPECT_EQ(form.Rules().Tips->TipCount, 0);
    EXPECT_EQ(form.Control<QLabel>(Id::lblTips)->text(), QString());
    EXPECT_EQ(form.Rules().CurrentTipLink, "");
    form.Rules().lblTipsClick();
    EXPECT_TRUE(recorder_.opened.isEmpty());
    EXPECT_TRUE(boxes_.isEmpty());
}

TEST_F(TipsFormTest, HangingServerDoesNotStopTheWindowsTimers) {
    TipsServer proxy({"never@#$http://x/", 200, true});
    ProxyVariable viaProxy(proxy.Address());
    TForm1& form = MakeForm();
    form.Rules().tipsTimeLimitMs = 4000;

    // Stands for the countdown: a precise 985 ms tick on the window's thread.
    QTimer countdown;
    countdown.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    int ticks = 0;
    QObject::connect(&countdown, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        ++ticks;
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    countdown.start(985);
    form.Rules().tmr1Timer();
    const qint64 tickReturned = clock.elapsed();

    ASSERT_TRUE(Eventually([&] { return form.Rules().Tips != nullptr; }));
    const qint64 gaveUp = clock.elapsed();
    std::printf("hanging download in the window: first tick returned after %lld ms, load gave up "
                "after %lld ms (limit %d ms); %d countdown ticks, longest gap %lld ms\n",
                static_cast<long long>(tickReturned), static_cast<long long>(gaveUp),
                form.Rules().tipsTimeLimitMs, ticks, static_cast<long long>(longestGap));
    EXPECT_EQ(proxy.Requests().size(), 1);
    EXPECT_EQ(form.Rules().Tips->TipCount, 0);
    EXPECT_EQ(FileBytes(), QByteArray());
    EXPECT_EQ(form.Control<QLabel>(Id::lblTips)->text(), QString());
    EXPECT_TRUE(boxes_.isEmpty());
    // Generous bound: only a window that waits for the network fails it.
    EXPECT_GE(ticks, 2);
    EXPECT_LT(longestGap, 3000);
}

TEST_F(TipsFormTest, FileThatCannotBeCreatedShowsOneBoxAndLaterTicksChangeNothing) {
    TipsServer proxy({"tip@#$http://x/"});
    ProxyVariable viaProxy(proxy.Address());
    {
        QFile plain(dir_.path() + "/plain");
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    }
    folder_ = dir_.path() + "/plain/";
    TForm1& form = MakeForm();
    form.Rules().tmr1Timer();
    ASSERT_TRUE(Eventually([&] { return !boxes_.isEmpty(); }));
    EXPECT_EQ(boxes_[0].title, QString::fromUtf8(lumivox::maker::kTitle));
    EXPECT_EQ(boxes_[0].text, "Cannot create file " + TipsFile() + ".");
    EXPECT_FALSE(form.Rules().Tips);

    for (int i = 0; i < 5; ++i)
        form.Rules().tmr1Timer();
    QTest::qWait(500);
    EXPECT_EQ(boxes_.size(), 1);
    EXPECT_FALSE(form.Rules().Tips);
    EXPECT_EQ(form.Control<QLabel>(Id::lblTips)->text(), QString());
    EXPECT_EQ(proxy.Requests().size(), 1);
}

using lumivox::testing::TipLinkCase;

class TipsClickTest : public TipsFormTest, public ::testing::WithParamInterface<TipLinkCase> {};

TEST_P(TipsClickTest, OpensOnlyWebLinksOnce) {
    TForm1& form = MakeForm();
    form.Rules().CurrentTipLink = GetParam().link;
    form.Rules().lblTipsClick();
    if (GetParam().opened) {
        ASSERT_EQ(recorder_.opened.size(), 1);
        EXPECT_EQ(recorder_.opened[0], QUrl(QString::fromStdString(GetParam().link)));
    } else {
        EXPECT_TRUE(recorder_.opened.isEmpty())
            << recorder_.opened.value(0).toString().toStdString();
    }
    EXPECT_TRUE(boxes_.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Links, TipsClickTest, ::testing::ValuesIn(lumivox::testing::kTipLinkCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
