// One copy per user: the first start owns a named mutex in the user's session; a
// later start asks that copy's window to come forward and ends.
#pragma once
#include <windows.h>

namespace lumivox::win {

// The message a later start posts to the running copy's window.
UINT BringToFrontMessage();

class SingleInstance {
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another copy runs; it has then been asked to come forward.
    bool First() const { return first_; }

private:
    HANDLE mutex_ = nullptr;
    bool first_ = true;
};

} // namespace lumivox::win
