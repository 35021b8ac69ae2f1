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

bool HasPortableFile() {
    const DWORD attributes =
        GetFileAttributesW((ExecutableFolder() + win::Wide(kSettingsFileName)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder += '\\';
    return folder;
}

} // namespace

bool IsPortableSettings(const std::string& overrideDir) {
    return overrideDir.empty() && HasPortableFile();
}

std::string SettingsDirectory(const std::string& overrideDir) {
    if (!overrideDir.empty())
        return WithSeparator(overrideDir);
    if (HasPortableFile())
        return win::Utf8(ExecutableFolder());
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return WithSeparator(win::Utf8(appData)) + "Lumivox\\lumivox\\";
}

std::string SettingsFilePath(const std::string& overrideDir) {
    return SettingsDirectory(overrideDir) + kSettingsFileName;
}

} // namespace lumivox
