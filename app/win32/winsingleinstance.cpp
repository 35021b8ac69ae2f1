#include "app/win32/winsingleinstance.h"

#include <string>

#include "app/win32/winsupport.h"
#include "app/windowlayout.h"

namespace lumivox::win {

namespace {
std::wstring MutexName() {
    // "Local\": the user's session; the user's name keeps two accounts of one
    // session apart.
    wchar_t user[256] = L"";
    DWORD size = 256;
    GetUserNameW(user, &size);
    return std::wstring(L"Local\\Lumivox.VoiceClock.") + user;
}

void AskFirstCopy() {
    // The first copy may still be creating its window.
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::wstring title = Wide(layout::Window().title);
        if (HWND window = FindWindowW(L"TForm1", title.c_str())) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            // Only a process the user just started may hand the foreground on.
            AllowSetForegroundWindow(process);
            PostMessageW(window, BringToFrontMessage(), 0, 0);
            return;
        }
        Sleep(100);
    }
}
} // namespace

UINT BringToFrontMessage() {
    static const UINT message = RegisterWindowMessageW(L"Lumivox.VoiceClock.BringToFront");
    return message;
}

SingleInstance::SingleInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, MutexName().c_str());
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        first_ = false;
        AskFirstCopy();
    }
}

SingleInstance::~SingleInstance() {
    if (mutex_)
        CloseHandle(mutex_); // the system drops it with the process too, even when killed
}

} // namespace lumivox::win
