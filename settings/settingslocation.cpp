#include "settings/settingslocation.h"

#include <filesystem>
#include <system_error>

#include "framework/utf8path.h"

namespace lumivox {

bool IsPortableSettings(const std::string& overrideDir, const SettingsPlaces& places) {
    if (!overrideDir.empty() || places.executableFolder.empty())
        return false;
    std::error_code error;
    return std::filesystem::is_regular_file(Utf8Path(places.executableFolder + kSettingsFileName),
                                            error);
}

std::string SettingsDirectory(const std::string& overrideDir, const SettingsPlaces& places) {
    if (!overrideDir.empty()) {
        const char last = overrideDir.back();
        if (last == '/' || last == '\\')
            return overrideDir;
        return overrideDir + static_cast<char>(std::filesystem::path::preferred_separator);
    }
    return IsPortableSettings(overrideDir, places) ? places.executableFolder : places.perUserFolder;
}

} // namespace lumivox
