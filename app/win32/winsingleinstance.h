// One copy per user: the first start owns a named mutex in the user's session; a
// later start hands that copy's window its request (come forward, or a command from
// its command line, sent with WM_COPYDATA and answered the same way) and ends. Both
// ends make sure the other window is the same user's, in the same session.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>

#include "app/commandline.h"

namespace lumivox::win {

// The message a later start posts to the running copy's window.
UINT BringToFrontMessage();

// A WM_COPYDATA sent to the running copy's window: when it carries a command from
// the same user, runs it and sends the answer back. False for anything else.
bool AnswerCommand(HWND window, WPARAM wParam, LPARAM lParam,
                   const std::function<CommandReply(const Command&)>& run);

class SingleInstance {
public:
    explicit SingleInstance(const Command& command = Command{});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy runs; it has then been handed the request.
    bool First() const { return first_; }
    // The running copy's answer to a command, when one was handed over and came back.
    std::optional<CommandReply> Reply() const { return reply_; }

private:
    HANDLE mutex_ = nullptr;
    bool first_ = true;
    std::optional<CommandReply> reply_;
};

} // namespace lumivox::win
