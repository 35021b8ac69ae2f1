#include "tips/tipsfile.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "framework/utf8path.h"

namespace lumivox {

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;
} // namespace

FileCreateError::FileCreateError(const std::string& path)
    : std::runtime_error("Cannot create file " + path) {}

FileOpenError::FileOpenError(const std::string& path)
    : std::runtime_error("Cannot open file " + path) {}

std::string TipsFilePath(const std::string& folder) {
    return folder + kTipsFileName;
}

void WriteTipsFile(const std::string& path, std::string_view body) {
    // The per-user folder may not exist on a first run.
    std::error_code ignored;
    const auto folder = Utf8Path(path).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ignored);

    File file(OpenUtf8File(path, "wb"));
    if (!file)
        throw FileCreateError(path);
    const bool written =
        body.empty() || std::fwrite(body.data(), 1, body.size(), file.get()) == body.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed)
        throw FileCreateError(path);
}

std::string ReadTipsFile(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(Utf8Path(path), error);
    if (!std::filesystem::exists(status))
        return {};
    if (std::filesystem::is_directory(status))
        throw FileOpenError(path);
    File file(OpenUtf8File(path, "rb"));
    if (!file)
        throw FileOpenError(path);
    std::string content;
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        content.append(buffer, count);
    if (std::ferror(file.get()))
        throw FileOpenError(path);
    return content;
}

} // namespace lumivox
