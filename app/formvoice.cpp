// The voice the program speaks in: the built-in one, the second built-in one, or a
// pack from the settings folder's voices/. Packs are read and converted on a thread
// of their own; the window goes on meanwhile and speaks in the voice it had.
#include <algorithm>
#include <exception>

#include "announcer/mythread.h"
#include "announcer/voicepack.h"
#include "app/formrules.h"
#include "app/windowlayout.h"
#include "settings/settingslocation.h"

namespace lumivox {

namespace {

constexpr char kDefaultVoiceItem[] = "内置语音"; // saved as ""
constexpr char kSecondVoice[] = "内置女声";
// The second built-in voice's clips: resources of this type, named as the first's.
constexpr char kSecondVoiceType[] = "WAVF";

// One of the source's voices: the same clip names under another resource type.
class TypedClips : public ClipSource {
public:
    TypedClips(const ClipSource& source, std::string type)
        : source_(source), type_(std::move(type)) {}
    ClipHandle FindClip(const std::string&, const std::string& name) const override {
        return source_.FindClip(type_, name);
    }

private:
    const ClipSource& source_;
    std::string type_;
};

std::string ReplacedNote(const std::string& pack, const std::vector<int>& replaced) {
    if (replaced.empty())
        return {};
    std::string files;
    for (int i : replaced)
        files += (files.empty() ? "" : "、") + PackClipFileName(i);
    return "语音包「" + pack + "」：" + files + " 无法使用，已用内置语音代替";
}

} // namespace

std::string FormRules::VoicesFolder() const {
    return SettingsDirectory(settingsDir_, places_) + kVoicesFolder + "/";
}

void FormRules::StartVoices() {
    const std::vector<std::string> builtIn = {kDefaultVoiceItem, kSecondVoice};
    fillingVoices_ = true;
    ui_.SetItems(ControlId::cbbVoice, builtIn);
    ui_.SelectItem(ControlId::cbbVoice, voiceChoice_ == kSecondVoice ? 1 : 0);
    fillingVoices_ = false;
    // A saved pack is loaded once it is found: one gone since must not be reported.
    const std::string saved = voiceChoice_;
    const bool savedPack = !saved.empty() && saved != kSecondVoice;
    if (!savedPack)
        ApplyVoice();
    // The packs found, without holding the window up.
    struct Found {
        std::vector<std::string> packs;
    };
    auto found = std::make_shared<Found>();
    const std::string folder = VoicesFolder();
    ui_.RunInBackground(
        [found, folder] {
            try {
                found->packs = FindPacks(folder);
            } catch (...) {
                // No list: the built-in voices only.
            }
        },
        [this, found, builtIn, saved, savedPack] {
            if (closed_)
                return;
            std::vector<std::string> items = builtIn;
            for (const std::string& pack : found->packs)
                if (std::find(items.begin(), items.end(), pack) == items.end())
                    items.push_back(pack);
            const auto chosen = std::find(items.begin(), items.end(),
                                          voiceChoice_.empty() ? kDefaultVoiceItem : voiceChoice_);
            fillingVoices_ = true;
            ui_.SetItems(ControlId::cbbVoice, items);
            ui_.SelectItem(ControlId::cbbVoice,
                           chosen == items.end() ? 0 : static_cast<int>(chosen - items.begin()));
            fillingVoices_ = false;
            if (chosen == items.end()) {
                // A pack gone since: the default, and nothing saved until a change.
                voiceChoice_.clear();
                ApplyVoice();
            } else if (savedPack && voiceChoice_ == saved) {
                ApplyVoice();
            }
        });
}

void FormRules::VoiceChosen() {
    if (fillingVoices_)
        return;
    const std::string item = ui_.Text(ControlId::cbbVoice);
    voiceChoice_ = item == kDefaultVoiceItem ? "" : item;
    SaveSoon();
    ApplyVoice();
}

void FormRules::ApplyVoice() {
    const int load = ++voiceLoad_;
    const std::string choice = voiceChoice_;
    voiceLoading_ = false;
    if (choice.empty())
        return VoiceReady(choice, nullptr);
    if (choice == kSecondVoice) {
        auto voice = std::make_shared<Voice>();
        voice->clips.LoadAll(TypedClips(clipSource_, kSecondVoiceType));
        return VoiceReady(choice, std::move(voice));
    }
    voiceLoading_ = true;
    auto loaded = std::make_shared<std::shared_ptr<const Voice>>();
    const std::string folder = VoicesFolder() + choice;
    const ClipBank builtIn = Clips;
    ui_.RunInBackground(
        [loaded, folder, builtIn] {
            try {
                *loaded = LoadPack(folder, builtIn);
            } catch (const std::exception&) {
                // Out of memory on the way: the default voice.
            }
        },
        [this, loaded, load, choice] {
            if (closed_ || load != voiceLoad_)
                return; // another voice was chosen meanwhile
            voiceLoading_ = false;
            VoiceReady(choice, *loaded);
        });
}

void FormRules::VoiceReady(const std::string& choice, std::shared_ptr<const Voice> voice) {
    const bool isPack = !choice.empty() && choice != kSecondVoice;
    std::string note;
    if (isPack && !voice)
        note = "语音包「" + choice + "」：没有可用的声音，已用内置语音代替";
    else if (isPack)
        note = ReplacedNote(choice, voice->replaced);
    // Shown only while there is something to say: the line is the page's last.
    ui_.SetText(ControlId::lblVoiceNote, note);
    ui_.SetVisible(ControlId::lblVoiceNote, !note.empty());
    if (Announcer)
        Announcer->UseVoice(std::move(voice));
    if (tryWhenLoaded_) {
        tryWhenLoaded_ = false;
        btnSayTimeClick();
    }
}

void FormRules::btnVoiceTryClick() {
    if (voiceLoading_)
        tryWhenLoaded_ = true; // spoken in the new voice once it is there
    else
        btnSayTimeClick();
}

} // namespace lumivox
