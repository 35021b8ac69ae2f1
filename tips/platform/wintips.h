// The tips on Windows: WinINet fetches the list on a worker thread of its own, the
// shell opens a tip's link.
#pragma once
#ifdef _WIN32
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace lumivox {

struct WinTipsLimits {
    int totalMs = 30000;                // the whole transfer, connecting included
    std::size_t maxBytes = 1024 * 1024; // beyond this the transfer is cut
};

// http://<tips host>/tips.asp
std::wstring WinTipsUrl();

class WinTipsFetch {
public:
    // done receives the body as far as it arrived, whatever the status (empty when
    // nothing did), once, on a thread of the fetch's own: the window posts it on.
    using Done = std::function<void(std::string body)>;

    WinTipsFetch(std::wstring url, WinTipsLimits limits, Done done);
    // Never waits for the network: an unfinished transfer is dropped unreported.
    ~WinTipsFetch();
    WinTipsFetch(const WinTipsFetch&) = delete;
    WinTipsFetch& operator=(const WinTipsFetch&) = delete;

    // Sends the request with the agent "URLCheck" through the system's proxy
    // settings; returns at once.
    void Start();

    struct State;

private:
    std::wstring url_;
    WinTipsLimits limits_;
    std::shared_ptr<State> state_;
};

// The tip's bytes as UTF-8 when they are valid UTF-8, else as code page 936.
std::wstring TipTextW(const std::string& bytes);

// Opens the link with the shell's "open" verb when it is a web address; returns
// whether it was handed to the shell.
bool OpenTipLink(HWND owner, const std::string& link);

} // namespace lumivox
#endif
