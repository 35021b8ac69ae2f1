// Windows: the settings file beside the executable when a portable copy keeps one
// there, else in the user's roaming application data.
#include <windows.h>

#include <shlobj.h>

#include "app/win32/winsupport.h"
#include "settings/platform/settingslocation.h"

namespace lumivox {
namespace {

std::wstring ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

} // namespace

SettingsPlaces SystemSettingsPlaces() {
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return {win::Utf8(ExecutableFolder()),
            WithSeparator(win::Utf8(appData)) + "Lumivox\\lumivox\\"};
}

} // namespace lumivox
