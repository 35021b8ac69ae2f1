#include "announcer/voicepack.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "announcer/clipdecode.h"
#include "framework/utf8path.h"

namespace lumivox {

namespace {

// The whole file, unless it is missing, unreadable or over the cap (then nothing is read).
std::optional<std::vector<std::uint8_t>> ReadClipFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxClipFileBytes)
        return std::nullopt;
    std::FILE* file = OpenUtf8File(PathUtf8(path), "rb");
    if (!file)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (got != bytes.size())
        return std::nullopt;
    return bytes;
}

bool HasUsableClip(const std::filesystem::path& folder) {
    for (int i = 0; i < kClipCount; ++i) {
        const auto bytes = ReadClipFile(folder / PackClipFileName(i));
        if (bytes && DecodeClip(bytes->data(), bytes->size()))
            return true;
    }
    return false;
}

// A clip source over the built-in bank with the pack's clips laid over it.
class PackClips : public ClipSource {
public:
    PackClips(const Voice& voice, const ClipBank& builtIn) : voice_(voice), builtIn_(builtIn) {}
    ClipHandle FindClip(const std::string&, const std::string& name) const override {
        for (int i = 0; i < kClipCount; ++i) {
            if (name != ClipResourceName(i))
                continue;
            const auto& image = voice_.images[static_cast<std::size_t>(i)];
            return image.empty() ? builtIn_.Clip(i) : ClipHandle{image.data(), image.size()};
        }
        return {};
    }

private:
    const Voice& voice_;
    const ClipBank& builtIn_;
};

} // namespace

std::string PackClipFileName(int index) {
    return ClipResourceName(index) + ".wav";
}

std::shared_ptr<const Voice> LoadPack(const std::string& folder, const ClipBank& builtIn) {
    auto voice = std::make_shared<Voice>();
    const std::filesystem::path root = Utf8Path(folder);
    for (int i = 0; i < kClipCount; ++i) {
        const auto bytes = ReadClipFile(root / PackClipFileName(i));
        const auto samples = bytes ? DecodeClip(bytes->data(), bytes->size()) : std::nullopt;
        if (samples)
            voice->images[static_cast<std::size_t>(i)] = ClipImage(*samples);
        else
            voice->replaced.push_back(i);
    }
    if (voice->replaced.size() == static_cast<std::size_t>(kClipCount))
        return nullptr;
    voice->clips.LoadAll(PackClips(*voice, builtIn));
    return voice;
}

std::vector<std::string> FindPacks(const std::string& voicesFolder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(Utf8Path(voicesFolder), error), end;
         !error && it != end; it.increment(error)) {
        if (it->is_directory(error) && HasUsableClip(it->path()))
            names.push_back(PathUtf8(it->path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace lumivox
