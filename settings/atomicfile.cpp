#include "settings/atomicfile.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "framework/utf8path.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#define LUMIVOX_HAVE_FSYNC 1
#endif

namespace lumivox {
namespace fs = std::filesystem;

namespace {

std::string RandomSuffix() {
    std::random_device device;
    std::mt19937_64 generator((static_cast<std::uint64_t>(device()) << 32) ^ device());
    static constexpr char kHex[] = "0123456789abcdef";
    std::string suffix;
    for (std::uint64_t bits = generator(), i = 0; i < 12; ++i, bits >>= 4)
        suffix += kHex[bits & 0xF];
    return suffix;
}

// The file a name stands for: a link's target, so that replacing it keeps the link.
std::string ResolveTarget(const std::string& path) {
    std::error_code error;
    if (fs::is_symlink(Utf8Path(path), error)) {
        const fs::path resolved = fs::weakly_canonical(Utf8Path(path), error);
        if (!error)
            return PathUtf8(resolved);
    }
    return path;
}

void SyncFolder([[maybe_unused]] const fs::path& folder) {
#ifdef LUMIVOX_HAVE_FSYNC
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

} // namespace

bool IsReadOnlyFile(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(Utf8Path(path), error);
    if (error || !fs::exists(status))
        return false;
    if (!fs::is_regular_file(status))
        return true;
    constexpr fs::perms kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & kAnyWrite) == fs::perms::none)
        return true;
    // Opening for update neither creates nor truncates.
    std::FILE* probe = OpenUtf8File(path, "r+b");
    if (!probe)
        return true;
    std::fclose(probe);
    return false;
}

AtomicFileWriter::AtomicFileWriter(std::string path) : path_(std::move(path)) {}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Discard() {
    if (temp_) {
        std::fclose(temp_);
        temp_ = nullptr;
    }
    if (!tempPath_.empty()) {
        std::error_code ignored;
        fs::remove(Utf8Path(tempPath_), ignored);
        tempPath_.clear();
    }
}

bool AtomicFileWriter::Open() {
    Discard();
    target_ = ResolveTarget(path_);
    if (IsReadOnlyFile(target_))
        return false;
    for (int attempt = 0; attempt < 8 && !temp_; ++attempt) {
        tempPath_ = target_ + "." + RandomSuffix() + ".tmp";
        temp_ = OpenUtf8File(tempPath_, "wbx"); // never an existing file
    }
    if (!temp_) {
        tempPath_.clear();
        return false;
    }
    // The new file keeps the old one's permissions.
    std::error_code error;
    const fs::file_status old = fs::status(Utf8Path(target_), error);
    if (!error && fs::exists(old))
        fs::permissions(Utf8Path(tempPath_), old.permissions(), error);
    return true;
}

bool AtomicFileWriter::Commit(std::string_view content) {
    if (!temp_)
        return false;
    bool written = std::fwrite(content.data(), 1, content.size(), temp_) == content.size();
    written = std::fflush(temp_) == 0 && written;
#ifdef LUMIVOX_HAVE_FSYNC
    written = ::fsync(::fileno(temp_)) == 0 && written;
#elif defined(_WIN32)
    written = ::_commit(::_fileno(temp_)) == 0 && written;
#endif
    written = std::fclose(temp_) == 0 && written;
    temp_ = nullptr;
    if (!written) {
        Discard();
        return false;
    }
    if (beforeReplace_)
        beforeReplace_();
    std::error_code error;
    fs::rename(Utf8Path(tempPath_), Utf8Path(target_), error);
    if (error) {
        Discard();
        return false;
    }
    tempPath_.clear();
    SyncFolder(Utf8Path(target_).parent_path());
    return true;
}

} // namespace lumivox
