// A fresh folder under the system's temporary folder, removed with its content. Its
// name is partly Chinese, so every file the tests name goes through UTF-8 paths.
#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "framework/utf8path.h"

class TempFolder {
public:
    TempFolder() {
        std::random_device device;
        path_ = std::filesystem::temp_directory_path() /
                lumivox::Utf8Path("lumivox-设置-" + std::to_string(device()) +
                                  std::to_string(device()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string File(const std::string& name) const {
        return lumivox::PathUtf8(path_ / lumivox::Utf8Path(name));
    }

    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(lumivox::Utf8Path(path), std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(lumivox::Utf8Path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::size_t Count() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_),
                                                      std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path path_;
};
