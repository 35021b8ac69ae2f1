#include "app/win32/winsingleinstance.h"

#include <string>
#include <vector>

#include "app/win32/winsupport.h"
#include "app/windowlayout.h"

namespace lumivox::win {

namespace {

// WM_COPYDATA kinds: a command line's request, and the copy's answer.
constexpr ULONG_PTR kCommandData = 0x4C56434D;
constexpr ULONG_PTR kReplyData = 0x4C565250;
constexpr DWORD kMaxData = 512;
constexpr UINT kCommandAnswerMs = 10000;
constexpr wchar_t kReplyClass[] = L"LumivoxCommandReply";

std::wstring MutexName() {
    // "Local\": the user's session; the user's name keeps two accounts of one
    // session apart.
    wchar_t user[256] = L"";
    DWORD size = 256;
    GetUserNameW(user, &size);
    return std::wstring(L"Local\\Lumivox.VoiceClock.") + user;
}

std::vector<BYTE> UserOf(HANDLE process) {
    std::vector<BYTE> sid;
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return sid;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        const auto* bytes = static_cast<const BYTE*>(user);
        sid.assign(bytes, bytes + GetLengthSid(user));
    }
    CloseHandle(token);
    return sid;
}

// The window's process runs as this user, in this session.
bool SameUserWindow(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    DWORD ours = 0, theirs = 0;
    if (!process || !ProcessIdToSessionId(GetCurrentProcessId(), &ours) ||
        !ProcessIdToSessionId(process, &theirs) || ours != theirs)
        return false;
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!handle)
        return false;
    const std::vector<BYTE> user = UserOf(handle);
    CloseHandle(handle);
    return !user.empty() && user == UserOf(GetCurrentProcess());
}

HWND FindFirstCopy() {
    // The first copy may still be creating its window.
    const std::wstring title = Wide(layout::Window().title);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (HWND window = FindWindowW(L"TForm1", title.c_str()))
            return SameUserWindow(window) ? window : nullptr;
        Sleep(100);
    }
    return nullptr;
}

void AskFirstCopy() {
    if (HWND window = FindFirstCopy()) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        // Only a process the user just started may hand the foreground on.
        AllowSetForegroundWindow(process);
        PostMessageW(window, BringToFrontMessage(), 0, 0);
    }
}

// The answer arrives while the request is still being sent: a window of ours to take
// it, which keeps only what the copy's own window sends.
struct AwaitedReply {
    HWND from;
    std::optional<CommandReply> reply;
};

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* awaited = reinterpret_cast<AwaitedReply*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_COPYDATA && awaited && reinterpret_cast<HWND>(wParam) == awaited->from) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->dwData == kReplyData && data->cbData <= kMaxData)
            awaited->reply =
                ReadReplyLine(std::string(static_cast<const char*>(data->lpData), data->cbData));
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::optional<CommandReply> SendToFirstCopy(const Command& command) {
    HWND window = FindFirstCopy();
    if (!window)
        return std::nullopt;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW replyClass{};
    replyClass.cbSize = sizeof replyClass;
    replyClass.lpfnWndProc = ReplyProc;
    replyClass.hInstance = instance;
    replyClass.lpszClassName = kReplyClass;
    RegisterClassExW(&replyClass);
    HWND replyWindow = CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       instance, nullptr);
    if (!replyWindow)
        return std::nullopt;
    AwaitedReply awaited{window, std::nullopt};
    SetWindowLongPtrW(replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&awaited));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    AllowSetForegroundWindow(process); // --show
    std::string request = CommandRequest(command);
    COPYDATASTRUCT data{kCommandData, static_cast<DWORD>(request.size()), request.data()};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow),
                        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kCommandAnswerMs, &result);
    DestroyWindow(replyWindow);
    return awaited.reply;
}

} // namespace

UINT BringToFrontMessage() {
    static const UINT message = RegisterWindowMessageW(L"Lumivox.VoiceClock.BringToFront");
    return message;
}

bool AnswerCommand(HWND window, WPARAM wParam, LPARAM lParam,
                   const std::function<CommandReply(const Command&)>& run) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    HWND sender = reinterpret_cast<HWND>(wParam);
    if (!data || data->dwData != kCommandData || data->cbData > kMaxData || !IsWindow(sender) ||
        !SameUserWindow(sender))
        return false;
    const std::optional<Command> command =
        ReadCommandRequest(std::string(static_cast<const char*>(data->lpData), data->cbData));
    if (!command)
        return false;
    std::string reply = ReplyLine(run(*command));
    COPYDATASTRUCT answer{kReplyData, static_cast<DWORD>(reply.size()), reply.data()};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(sender, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                        reinterpret_cast<LPARAM>(&answer), SMTO_ABORTIFHUNG, 2000, &result);
    return true;
}

SingleInstance::SingleInstance(const Command& command) {
    mutex_ = CreateMutexW(nullptr, FALSE, MutexName().c_str());
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        first_ = false;
        if (command.action == CommandAction::Start)
            AskFirstCopy();
        else
            reply_ = SendToFirstCopy(command);
    }
}

SingleInstance::~SingleInstance() {
    if (mutex_)
        CloseHandle(mutex_); // the system drops it with the process too, even when killed
}

} // namespace lumivox::win
