// Entry of the Windows program: the window, its message loop, and the standard
// exception box for anything that escapes.
#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

#include <exception>

#include "app/win32/winform.h"
#include "app/windowlayout.h"
#include "framework/exceptiontext.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
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
