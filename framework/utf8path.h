// File names travel through the program as UTF-8 text. On Windows a narrow name
// would be read in the ANSI code page (and std::filesystem::path(std::string)
// even byte by byte), so every name reaches the system through these.
#pragma once
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace lumivox {

std::filesystem::path Utf8Path(std::string_view utf8);
std::string PathUtf8(const std::filesystem::path& path);

// std::fopen for a UTF-8 name (the wide call on Windows).
std::FILE* OpenUtf8File(const std::string& utf8Path, const char* mode);

} // namespace lumivox
