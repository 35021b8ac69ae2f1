#ifdef _WIN32
#include "tips/platform/wintips.h"

#include <shellapi.h>
#include <wininet.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "maker.h"
#include "tips/weblink.h"

namespace lumivox {

namespace {
std::wstring Widen(const std::string& bytes, UINT codePage, DWORD flags) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length);
    return wide;
}
} // namespace

std::wstring WinTipsUrl() {
    return Widen(std::string("http://") + maker::kTipsHost + maker::kTipsPath, CP_UTF8, 0);
}

std::wstring TipTextW(const std::string& bytes) {
    std::wstring text = Widen(bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (text.empty() && !bytes.empty())
        text = Widen(bytes, 936, 0);
    return text;
}

bool OpenTipLink(HWND owner, const std::string& link) {
    const std::string address = OpenableWebLink(link);
    if (address.empty())
        return false;
    std::wstring wide = Widen(address, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty())
        wide = Widen(address, 936, 0);
    ShellExecuteW(owner, L"open", wide.c_str(), nullptr, nullptr, SW_SHOW);
    return true;
}

// Shared by the owner, the worker and the watchdog: whichever of them ends the
// transfer first reports it, and the root handle is closed exactly once.
struct WinTipsFetch::State {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    HINTERNET root = nullptr;
    bool rootClosed = false;
    std::string body;
    WinTipsFetch::Done report;

    // Under the lock: ends the transfer; returns what to report, if anything.
    Done EndLocked() {
        done = true;
        if (root && !rootClosed) {
            rootClosed = true;
            // Closing the root aborts a call blocked on the network.
            InternetCloseHandle(root);
        }
        finished.notify_all();
        return std::move(report);
    }
};

namespace {
void Fetch(const std::shared_ptr<WinTipsFetch::State>& state, const std::wstring& url,
           std::size_t maxBytes) {
    HINTERNET root = InternetOpenW(L"URLCheck", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    {
        std::lock_guard lock(state->mutex);
        if (state->done) {
            if (root)
                InternetCloseHandle(root);
            return;
        }
        state->root = root;
    }
    HINTERNET request = nullptr;
    if (root) {
        request = InternetOpenUrlW(root, url.c_str(), nullptr, 0, INTERNET_FLAG_NO_CACHE_WRITE, 0);
    }
    if (request) {
        std::vector<char> buffer(4096);
        for (;;) {
            DWORD read = 0;
            if (!InternetReadFile(request, buffer.data(), DWORD(buffer.size()), &read) || read == 0)
                break;
            std::lock_guard lock(state->mutex);
            if (state->done)
                break;
            const std::size_t room = maxBytes - state->body.size();
            state->body.append(buffer.data(), std::min<std::size_t>(room, read));
            if (state->body.size() >= maxBytes)
                break;
        }
        InternetCloseHandle(request);
    }
    WinTipsFetch::Done report;
    std::string body;
    {
        std::lock_guard lock(state->mutex);
        if (state->done)
            return;
        report = state->EndLocked();
        body = state->body;
    }
    if (report)
        report(std::move(body));
}
} // namespace

WinTipsFetch::WinTipsFetch(std::wstring url, WinTipsLimits limits, Done done)
    : url_(std::move(url)), limits_(limits), state_(std::make_shared<State>()) {
    state_->report = std::move(done);
}

WinTipsFetch::~WinTipsFetch() {
    std::lock_guard lock(state_->mutex);
    if (!state_->done)
        state_->EndLocked(); // dropped: nobody is listening any more
}

void WinTipsFetch::Start() {
    // Both threads keep the state alive; neither is waited for, so a transfer
    // blocked in the network never holds up the window or its closing.
    std::thread([state = state_, url = url_, maxBytes = limits_.maxBytes] {
        Fetch(state, url, maxBytes);
    }).detach();
    std::thread([state = state_, totalMs = limits_.totalMs] {
        WinTipsFetch::Done report;
        std::string body;
        {
            std::unique_lock lock(state->mutex);
            if (state->finished.wait_for(lock, std::chrono::milliseconds(totalMs),
                                         [&] { return state->done; }))
                return;
            report = state->EndLocked();
            body = state->body;
        }
        if (report)
            report(std::move(body));
    }).detach();
}

} // namespace lumivox
#endif
