// This machine's settings places, for the program and its tests.
#pragma once
#include <string>

#include "settings/settingslocation.h"

namespace lumivox {

// The executable's folder and the per-user configuration folder of this system.
SettingsPlaces SystemSettingsPlaces();

inline std::string SettingsDirectory(const std::string& overrideDir) {
    return SettingsDirectory(overrideDir, SystemSettingsPlaces());
}

inline std::string SettingsFilePath(const std::string& overrideDir) {
    return SettingsDirectory(overrideDir) + kSettingsFileName;
}

inline bool IsPortableSettings(const std::string& overrideDir) {
    return IsPortableSettings(overrideDir, SystemSettingsPlaces());
}

} // namespace lumivox
