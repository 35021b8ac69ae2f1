// The download against a real HTTP server (and proxy) on 127.0.0.1.
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "tips/platform/tipdisplay.h"
#include "tips/platform/tipsdownload.h"
#include "tipsserver.h"

namespace {

using lumivox::TipsLimits;
using lumivox::testing::ProxyVariable;
using lumivox::testing::TipsServer;

QByteArray SampleBody() {
    QByteArray body("\xc4\xe3\xba\xc3@#$http://a.example/\r\nsecond@#$\n\0after nul\r");
    for (int i = 0; i < 10000; ++i)
        body += char(i % 251);
    return body;
}

QUrl ServerUrl(const TipsServer& server) {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/tips.asp").arg(server.Port()));
}

// A download as the window starts one, and the bodies it reported, in order.
struct Download {
    QList<QByteArray> bodies;
    QObject owner; // first to go: a transfer still running ends with it, unreported

    void Start(const QUrl& url, TipsLimits limits) {
        lumivox::StartTipsDownload(url, limits, &owner,
                                   [this](const QByteArray& body) { bodies.append(body); });
    }
    bool Wait() {
        return QTest::qWaitFor([this] { return !bodies.isEmpty(); }, 60000);
    }
};

// Runs a download to its end; the result is the body it reported.
QByteArray Load(const QUrl& url, TipsLimits limits = {}, int* reports = nullptr) {
    Download download;
    download.Start(url, limits);
    EXPECT_TRUE(download.Wait());
    QTest::qWait(200); // a second report would arrive here
    if (reports)
        *reports = int(download.bodies.size());
    return download.bodies.isEmpty() ? QByteArray() : download.bodies.first();
}

struct BodyCase {
    const char* name;
    int status;
};

class LoaderBodyTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(LoaderBodyTest, BodySavedByteForByteWhateverTheStatus) {
    ProxyVariable direct{QString()};
    TipsServer server({SampleBody(), GetParam().status});
    int reports = 0;
    EXPECT_EQ(Load(ServerUrl(server), {}, &reports), SampleBody());
    EXPECT_EQ(reports, 1);
}

INSTANTIATE_TEST_SUITE_P(Statuses, LoaderBodyTest,
                         ::testing::Values(BodyCase{"Ok", 200}, BodyCase{"NotFound", 404},
                                           BodyCase{"ServerError", 500}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoaderTest, AsksForTipsWithItsUserAgentAndNoCacheHeaders) {
    ProxyVariable direct{QString()};
    TipsServer server({"a@#$b"});
    Load(ServerUrl(server));
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].target, "/tips.asp");
    EXPECT_EQ(requests[0].headers["User-Agent"].toString(), "URLCheck");
    EXPECT_FALSE(requests[0].headers.contains("Cookie"));
    EXPECT_FALSE(requests[0].headers.contains("Cache-Control"));
    EXPECT_FALSE(requests[0].headers.contains("Pragma"));
}

TEST(LoaderTest, GoesThroughTheProxyNamedByHttpProxy) {
    TipsServer proxy({"via proxy@#$http://p.example/"});
    ProxyVariable viaProxy(proxy.Address());
    EXPECT_EQ(Load(lumivox::TipsUrl()), QByteArray("via proxy@#$http://p.example/"));
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].target, lumivox::TipsUrl().toString());
    EXPECT_TRUE(requests[0].target.endsWith("/tips.asp"));
    EXPECT_EQ(requests[0].headers["User-Agent"].toString(), "URLCheck");
}

TEST(LoaderTest, ServerDownGivesEmptyBody) {
    ProxyVariable direct{QString()};
    int port;
    {
        TipsServer gone({"x"});
        port = gone.Port();
    }
    int reports = 0;
    EXPECT_TRUE(Load(QUrl(QStringLiteral("http://127.0.0.1:%1/tips.asp").arg(port)), {}, &reports)
                    .isEmpty());
    EXPECT_EQ(reports, 1);
}

TEST(LoaderTest, LargeBodyIsCutAtTheLimit) {
    ProxyVariable direct{QString()};
    QByteArray big(2 * 1024 * 1024, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char('a' + i % 26);
    TipsServer server({big});
    const QByteArray body = Load(ServerUrl(server));
    EXPECT_EQ(body.size(), 1024 * 1024);
    EXPECT_EQ(body, big.left(1024 * 1024));
}

TEST(LoaderTest, HangingServerGivesUpAfterTheLimitWhileOtherTimersTick) {
    ProxyVariable direct{QString()};
    TipsServer server({"never sent", 200, true});
    Download download;

    QTimer other;
    other.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    int ticks = 0;
    QObject::connect(&other, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
        ++ticks;
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    other.start(100);
    download.Start(ServerUrl(server), {3000, 1024 * 1024});

    ASSERT_TRUE(download.Wait());
    const qint64 elapsed = clock.elapsed();
    EXPECT_TRUE(download.bodies.first().isEmpty());
    EXPECT_EQ(server.Requests().size(), 1);
    std::printf("hanging download: gave up after %lld ms; %d ticks of a 100 ms timer, longest "
                "gap %lld ms\n",
                static_cast<long long>(elapsed), ticks, static_cast<long long>(longestGap));
    // Only a gross stall fails: the window must not wait for the network.
    EXPECT_LT(longestGap, 2500);
    EXPECT_GT(ticks, 5);
}

struct DisplayCase {
    const char* name;
    std::string bytes;
    QString shown;
};

class DisplayTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayTest, Utf8ElseGb18030) {
    EXPECT_EQ(lumivox::TipDisplayText(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DisplayTest,
    ::testing::Values(DisplayCase{"Ascii", "Tip of the day", "Tip of the day"},
                      DisplayCase{"Utf8", "\xe4\xbd\xa0\xe5\xa5\xbd", QString::fromUtf8("你好")},
                      DisplayCase{"Gb18030", "\xc4\xe3\xba\xc3", QString::fromUtf8("你好")},
                      DisplayCase{"Gb18030Mixed", "abc\xd6\xd0\xce\xc4 >",
                                  QString::fromUtf8("abc中文 >")},
                      DisplayCase{"Empty", "", QString()}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
