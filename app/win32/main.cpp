// Entry of the Windows program: the command line, the window, its message loop, and
// the standard exception box for anything that escapes.
#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "app/commandline.h"
#include "app/win32/winform.h"
#include "app/win32/winsingleinstance.h"
#include "app/windowlayout.h"
#include "framework/exceptiontext.h"
#include "maker.h"

namespace {

std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    int count = 0;
    if (LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.push_back(lumivox::win::Utf8(words[i]));
        LocalFree(words);
    }
    return args;
}

// A program with windows has no console of its own: output goes where it was sent,
// or else to the console of whatever started it.
void Print(DWORD stream, const std::string& text) {
    auto valid = [](HANDLE h) { return h && h != INVALID_HANDLE_VALUE; };
    HANDLE out = GetStdHandle(stream);
    if (!valid(out) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        out = GetStdHandle(stream);
        // Not every system fills in the standard handles on attaching.
        if (!valid(out))
            out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    }
    if (!valid(out))
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::wstring wide = lumivox::win::Wide(text);
        WriteConsoleW(out, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

// What the command line asked of this process, when it ends before any window.
std::optional<int> CommandOnly(const lumivox::ParsedCommand& parsed) {
    using lumivox::CommandAction;
    if (!parsed.command) {
        Print(STD_ERROR_HANDLE, "lumivox: " + parsed.error + "\n" + lumivox::CommandUsage());
        return lumivox::kExitUsage;
    }
    if (parsed.command->action == CommandAction::Help) {
        Print(STD_OUTPUT_HANDLE, lumivox::CommandUsage());
        return lumivox::kExitDone;
    }
    if (parsed.command->action == CommandAction::Version) {
        Print(STD_OUTPUT_HANDLE, std::string("lumivox ") + lumivox::maker::kFileVersion + "\n");
        return lumivox::kExitDone;
    }
    return std::nullopt;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    const lumivox::ParsedCommand parsed = lumivox::ParseCommand(Arguments());
    if (const std::optional<int> status = CommandOnly(parsed))
        return *status;
    const lumivox::Command& command = *parsed.command;

    // --- one copy per user: a later start hands its request to the first one ---
    const lumivox::win::SingleInstance instance(command);
    if (!instance.First()) {
        if (command.action == lumivox::CommandAction::Start)
            return lumivox::kExitDone;
        const std::optional<lumivox::CommandReply> reply = instance.Reply();
        if (!reply) {
            Print(STD_ERROR_HANDLE, "lumivox: the running copy did not answer\n");
            return 1;
        }
        if (!reply->text.empty())
            Print(reply->status == lumivox::kExitDone ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE,
                  reply->text + "\n");
        return reply->status;
    }
    if (lumivox::NeedsRunningCopy(command.action)) {
        Print(STD_OUTPUT_HANDLE, "not running\n");
        return lumivox::kExitNotRunning;
    }
    // --- end one copy ---
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The countdown and chime alarms are timer-queue timers: 1 ms resolution.
    timeBeginPeriod(1);
    int result = 0;
    std::string failure;
    bool failed = false;
    try {
        TForm1 form;
        if (form.Create(showCommand)) {
            // This start's own command, once the window is there.
            if (command.action != lumivox::CommandAction::Start) {
                const lumivox::CommandReply reply = form.Rules().RunCommand(command);
                if (!reply.text.empty())
                    Print(STD_ERROR_HANDLE, "lumivox: " + reply.text + "\n");
            }
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (!form.PreTranslate(msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
            result = static_cast<int>(msg.wParam);
        }
    } catch (const std::exception& error) {
        failed = true;
        failure = error.what();
    } catch (...) {
        failed = true;
    }
    if (failed) {
        const std::wstring text = lumivox::win::Wide(lumivox::ExceptionBoxText(failure));
        MessageBoxW(nullptr, text.c_str(),
                    lumivox::win::Wide(lumivox::layout::Window().title).c_str(),
                    MB_OK | MB_ICONERROR);
        result = 1;
    }
    timeEndPeriod(1);
    return result;
}
