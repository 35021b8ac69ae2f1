// The tips on Windows: WinINet through the proxy named in the user's Internet
// settings, the limits, and which links reach the shell.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "loopbackhttp.h"
#include "maker.h"
#include "tiplinks.h"
#include "tips/lvwebtips.h"
#include "tips/platform/wintips.h"
#include "winregistry.h"

namespace {

using lumivox::testing::LoopbackHttp;
using lumivox::testing::ScopedRegValue;

const wchar_t* kInternetSettings =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The body a fetch reported, waited for with a generous bound.
class Outcome {
public:
    lumivox::WinTipsFetch::Done Callback() {
        return [this](std::string body) {
            std::lock_guard lock(mutex_);
            body_ = std::move(body);
            ++reports_;
            arrived_.notify_all();
        };
    }
    std::optional<std::string> Wait(std::chrono::seconds bound = std::chrono::seconds(60)) {
        std::unique_lock lock(mutex_);
        if (!arrived_.wait_for(lock, bound, [this] { return reports_ > 0; }))
            return std::nullopt;
        return body_;
    }
    int Reports() {
        std::lock_guard lock(mutex_);
        return reports_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::string body_;
    int reports_ = 0;
};

class WinTipsTest : public ::testing::Test {
protected:
    // Every request goes to the server, as to the proxy set for this user.
    void UseProxy(int port) {
        settings_.push_back(ScopedRegValue::Number(kInternetSettings, L"ProxyEnable", 1));
        settings_.push_back(ScopedRegValue::Text(kInternetSettings, L"ProxyServer",
                                                 L"127.0.0.1:" + std::to_wstring(port)));
        settings_.push_back(ScopedRegValue::Text(kInternetSettings, L"ProxyOverride", L""));
    }
    std::optional<std::string> Fetch(lumivox::WinTipsLimits limits = {}) {
        Outcome outcome;
        lumivox::WinTipsFetch fetch(lumivox::WinTipsUrl(), limits, outcome.Callback());
        fetch.Start();
        return outcome.Wait();
    }

    LoopbackHttp server;
    std::vector<ScopedRegValue> settings_;
};

TEST_F(WinTipsTest, AsksTheProxyForTheTipsWithItsAgentAndKeepsTheBody) {
    server.body = "第一条@#$http://a.example/1\r\nsecond@#$\r\n";
    UseProxy(server.Port());
    EXPECT_EQ(Fetch(), server.body);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    std::istringstream head(requests[0]);
    std::string line;
    std::getline(head, line);
    // The target as sent to a proxy, with or without the default port.
    const std::string host = std::string("http://") + lumivox::maker::kTipsHost;
    EXPECT_TRUE(line == "GET " + host + "/tips.asp HTTP/1.1\r" ||
                line == "GET " + host + ":80/tips.asp HTTP/1.1\r")
        << line;
    EXPECT_NE((requests[0] + "\r\n").find("\r\nUser-Agent: URLCheck\r\n"), std::string::npos)
        << requests[0];

    // What the window then shows: the file's tips, text in Unicode.
    lvWebTips tips(1);
    tips.ParseContent(server.body);
    ASSERT_EQ(tips.TipCount, 2);
    EXPECT_EQ(lumivox::TipTextW(tips.TipText[0]), L"第一条");
    EXPECT_EQ(lumivox::TipTextW("\xb5\xda\xd2\xbb"), L"第一"); // code page 936
}

TEST_F(WinTipsTest, BodyKeptWhateverTheStatusAndCutAtTheLimit) {
    server.status = 404;
    server.body = std::string(20000, 'x');
    UseProxy(server.Port());
    lumivox::WinTipsLimits limits;
    limits.maxBytes = 5000;
    EXPECT_EQ(Fetch(limits), std::string(5000, 'x'));
}

TEST_F(WinTipsTest, UnreachableServiceGivesAnEmptyBody) {
    const int closedPort = [] {
        LoopbackHttp gone;
        return gone.Port();
    }();
    UseProxy(closedPort);
    EXPECT_EQ(Fetch(), "");
}

TEST_F(WinTipsTest, HangingServerIsGivenUpAtTheLimitAndNeverHoldsTheCaller) {
    server.hang = true;
    UseProxy(server.Port());
    lumivox::WinTipsLimits limits;
    limits.totalMs = 1500;
    Outcome outcome;
    {
        lumivox::WinTipsFetch fetch(lumivox::WinTipsUrl(), limits, outcome.Callback());
        fetch.Start();
        EXPECT_EQ(outcome.Wait(std::chrono::seconds(0)), std::nullopt); // returned before any reply
        EXPECT_EQ(outcome.Wait(), "");
    }
    EXPECT_EQ(outcome.Reports(), 1);

    // Dropped while hanging: the owner goes at once and nothing is reported.
    Outcome dropped;
    { lumivox::WinTipsFetch(lumivox::WinTipsUrl(), {}, dropped.Callback()).Start(); }
    EXPECT_EQ(dropped.Wait(std::chrono::seconds(2)), std::nullopt);
}

// The shell's handler for web addresses, replaced by a program that
// writes down what it was asked to open.
class WinTipLinkTest : public ::testing::TestWithParam<lumivox::testing::TipLinkCase> {
protected:
    void SetUp() override {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        const auto folder = std::filesystem::path(self).parent_path();
        capture_ = folder / (L"opened-" + std::to_wstring(GetCurrentProcessId()) + L".txt");
        std::filesystem::remove(capture_);
        const std::wstring command = L"\"" + (folder / L"urlcapture.exe").wstring() + L"\" \"" +
                                     capture_.wstring() + L"\" \"%1\"";
        for (const wchar_t* scheme : {L"http", L"https"}) {
            const std::wstring key = std::wstring(scheme) + L"\\shell\\open\\command";
            handlers_.push_back(ScopedRegValue::Text(key, L"", command, HKEY_CLASSES_ROOT));
        }
    }
    void TearDown() override { std::filesystem::remove(capture_); }

    std::string Opened() {
        // ShellExecute may hand over to the handler and return before it ran.
        for (int i = 0; i < 100 && !std::filesystem::exists(capture_); ++i)
            Sleep(100);
        std::ifstream in(capture_, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        return text;
    }

    std::filesystem::path capture_;
    std::vector<ScopedRegValue> handlers_;
};

TEST_P(WinTipLinkTest, OpensOnlyWebLinks) {
    const auto& c = GetParam();
    EXPECT_EQ(lumivox::OpenTipLink(nullptr, c.link), c.opened);
    if (c.opened) {
        EXPECT_EQ(Opened(), c.link + "\n");
    } else {
        Sleep(100);
        EXPECT_FALSE(std::filesystem::exists(capture_));
    }
}

INSTANTIATE_TEST_SUITE_P(Links, WinTipLinkTest,
                         ::testing::ValuesIn(lumivox::testing::kTipLinkCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
