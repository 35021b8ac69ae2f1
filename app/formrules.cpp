#include "app/formrules.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "announcer/mythread.h"
#include "app/windowlayout.h"
#include "framework/exceptiontext.h"
#include "framework/strtoint.h"
#include "framework/utf8path.h"
#include "maker.h"
#include "settings/inifile.h"
#include "tips/lvwebtips.h"
#include "tips/tipsfile.h"
#include "tips/weblink.h"

namespace lumivox {

namespace {

const char* const kSection = layout::kSettingsSection;

// A burst of changes (typing, a wheel over a box) becomes one write.
constexpr int kSaveDelayMs = 500;

constexpr std::int64_t kMinutesPerDay = 24 * 60;
constexpr std::int64_t kMsPerDay = kMinutesPerDay * 60'000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

bool HoldsSetting(ControlId id) {
    const auto& settings = layout::Settings();
    return std::any_of(settings.begin(), settings.end(),
                       [id](const layout::Setting& s) { return s.control == id; });
}

// The countdown's boxes and checks, in the order of CountdownBox and CountdownCheck.
constexpr ControlId kCountdownBoxes[] = {
    ControlId::cbbHour,   ControlId::cbbMin,     ControlId::cbbSec,   ControlId::cbbLastMin,
    ControlId::cbbPerMin, ControlId::cbbLastSec, ControlId::cbbPerSec};
constexpr ControlId kCountdownChecks[] = {ControlId::chkMin, ControlId::chkSec,
                                          ControlId::chkLastOne, ControlId::chkCircle};

constexpr std::int64_t kDoublePressMs = 1000;
constexpr char kHotKeyTaken[] = "快捷键已被占用";
constexpr char kHotKeyNotOffered[] = "桌面快捷键可运行 lumivox --say-time";

// "00:09:58"
std::string ClockText(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

} // namespace

FormRules::FormRules(Parts parts)
    : ui_(parts.ui), clipSource_(parts.clipSource), sound_(std::move(parts.sound)),
      waitForAnnouncer_(parts.waitForAnnouncer),
      monotonic_(parts.monotonic ? std::move(parts.monotonic) : std::make_shared<SteadyClock>()),
      wall_(std::move(parts.wall)), countdownAlarm_(parts.countdownAlarm),
      chimeAlarm_(parts.chimeAlarm), settingsDir_(std::move(parts.settingsDir)),
      places_(std::move(parts.places)), doNotDisturb_(std::move(parts.doNotDisturb)) {
    MakeEngines();
}

FormRules::~FormRules() {
    // Closing normally has stopped the announcer already.
    if (Announcer)
        Announcer->Shutdown();
}

void FormRules::MakeEngines() {
    CountdownView& countdownView = *this;
    ChimeView& chimeView = *this;
    RequestPoster& poster = *this;
    countdown_ = std::make_unique<Countdown>(countdownView, poster, *monotonic_, countdownAlarm_);
    chime_ = std::make_unique<Chime>(chimeView, poster, *wall_, chimeAlarm_, doNotDisturb_.get());
}

void FormRules::SetClocks(std::shared_ptr<MonotonicClock> monotonic,
                          std::shared_ptr<WallClock> wall) {
    countdown_->Stop();
    chimeAlarm_.Disarm();
    monotonic_ = std::move(monotonic);
    wall_ = std::move(wall);
    MakeEngines();
    chime_->Update();
}

template <typename Handler> void FormRules::Guarded(Handler&& handler) {
    // The standard exception box: the handler is abandoned, the program goes on.
    std::string message;
    try {
        handler();
        return;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
    }
    ui_.ShowMessageBox(ExceptionBoxText(message));
}

void FormRules::FormCreate() {
    LoadSettings();
    Clips.LoadAll(clipSource_);
    // The announcer connects to the sound server on its own thread when it first
    // speaks, and closes it there.
    Announcer = waitForAnnouncer_ ? std::make_unique<TMyThread>(Clips, *sound_)
                                  : std::make_unique<TMyThread>(Clips, sound_);
    Announcer->Resume();
    PostVolume();
    StartVoices();
    // The chime follows its boxes, as their click handler sets it.
    chime_->Update();
    // A combination another program holds now stays in the box, and in the file.
    const std::optional<HotKey> hotKey = ParseHotKey(ui_.Text(ControlId::edtHotKey));
    const HotKeyGrab grab = ui_.GrabHotKey(hotKey);
    if (grab != HotKeyGrab::Taken)
        heldHotKey_ = hotKey;
    HotKeyGrabAnswered(grab);
    watching_ = true;
}

void FormRules::FormClose(bool openHomePage) {
    if (closed_)
        return;
    closed_ = true;
    // Stops the clip being played; a thread stuck in the sound server is left behind
    // unless the front-end must wait for it.
    if (Announcer)
        Announcer->Shutdown();
    Clips.ReleaseAll();
    ui_.CancelSaveDelay();
    SaveSettings();
    if (openHomePage)
        ui_.OpenAddress(maker::kHomePageSlash);
    Tips.reset();
}

void FormRules::Clicked(ControlId id) {
    if (HoldsSetting(id))
        SaveSoon();
    Guarded([&] {
        switch (id) {
        case ControlId::chkHour:
        case ControlId::chkHalf:
        case ControlId::chkQuarter:
            return chime_->Update();
        case ControlId::chkDispTop:
            return chkDispTopClick();
        case ControlId::btnMinStart:
            return btnMinStartClick();
        case ControlId::btnStop:
            return btnStopClick();
        case ControlId::chkMute:
            return PostVolume();
        case ControlId::btnSayTime:
            return btnSayTimeClick();
        case ControlId::btnVoiceTry:
            return btnVoiceTryClick();
        case ControlId::btnUntilStart:
            return btnUntilStartClick();
        case ControlId::lblTips:
            return lblTipsClick();
        default:
            break;
        }
        const std::string address = layout::Address(layout::Find(id).target);
        if (!address.empty())
            ui_.OpenAddress(address);
    });
}

void FormRules::Edited(ControlId id) {
    if (id == ControlId::edtHotKey)
        return HotKeyEdited();
    if (HoldsSetting(id))
        SaveSoon();
    if (id == ControlId::cbbVolume)
        PostVolume();
    if (id == ControlId::cbbVoice)
        Guarded([this] { VoiceChosen(); });
}

void FormRules::PostVolume() {
    // Muted, the announcer says nothing and lets go of the sound server.
    const int volume =
        ui_.Checked(ControlId::chkMute)
            ? 0
            : ParseInteger(ui_.Text(ControlId::cbbVolume), HexPrefix::DollarOr0x).value_or(100);
    Post(RequestKind::Volume, volume);
}

// --- Settings, in section "Common" ----------------------------------------------------

void FormRules::LoadSettings() {
    try {
        TIniFile ini(SettingsDirectory(settingsDir_, places_) + kSettingsFileName);
        if (!ini.SectionExists(kSection))
            return; // every control keeps its design value
        // Not in the table: its list is filled at run time, and it is written only
        // once a voice was chosen, so older files keep their bytes.
        constexpr char kAbsent[] = "\x01";
        voiceChoice_ = ini.ReadString(kSection, layout::kVoiceKey, kAbsent);
        voiceStored_ = voiceChoice_ != kAbsent;
        if (!voiceStored_)
            voiceChoice_.clear();
        for (const layout::Setting& setting : layout::Settings()) {
            const layout::Control& c = layout::Find(setting.control);
            if (c.kind == layout::Kind::Check && setting.designValueWhenInvalid) {
                ui_.SetChecked(c.id, ini.ReadString(kSection, setting.key, "0") == "1");
                continue;
            }
            if (c.kind == layout::Kind::Check) {
                ui_.SetChecked(c.id, ini.ReadInteger(kSection, setting.key, 0) != 0);
                continue;
            }
            const std::string stored = ini.ReadString(kSection, setting.key, c.text);
            if (c.kind == layout::Kind::KeyBox) {
                const std::optional<HotKey> hotKey = ParseHotKey(stored);
                ui_.SetText(c.id, hotKey ? HotKeyText(*hotKey) : "");
                continue;
            }
            if (c.editable) {
                ui_.SetText(c.id, stored);
                continue;
            }
            // A pick-only box selects the item with the stored text, or none.
            int found = layout::kNoItem;
            for (int i = 0; i <= c.lastItem - c.firstItem && found == layout::kNoItem; ++i)
                if (EqualsIgnoringAsciiCase(std::to_string(c.firstItem + i), stored))
                    found = i;
            if (found == layout::kNoItem && setting.designValueWhenInvalid)
                found = c.selected;
            ui_.SelectItem(c.id, found);
        }
    } catch (...) {
        // Settings never stop the window from starting: what was set stays set.
    }
}

void FormRules::SaveSettings() {
    try {
        const std::string folder = SettingsDirectory(settingsDir_, places_);
        const std::string path = folder + kSettingsFileName;
        TIniFile ini(path);
        bool write = ini.SectionExists(kSection);
        // A portable copy keeps its file as the user left it; the per-user place
        // is the program's own, so its file is made at the first save.
        std::error_code error;
        if (!write && !IsPortableSettings(settingsDir_, places_) &&
            !std::filesystem::exists(Utf8Path(path), error)) {
            std::filesystem::create_directories(Utf8Path(folder), error);
            write = true;
        }
        if (write) {
            for (const layout::Setting& setting : layout::Settings()) {
                if (layout::Find(setting.control).kind == layout::Kind::Check)
                    ini.WriteInteger(kSection, setting.key, ui_.Checked(setting.control) ? 1 : 0);
                else
                    ini.WriteString(kSection, setting.key, ui_.Text(setting.control));
            }
            if (voiceStored_ || !voiceChoice_.empty()) {
                ini.WriteString(kSection, layout::kVoiceKey, voiceChoice_);
                voiceStored_ = true;
            }
        }
        ini.UpdateFile();
    } catch (...) {
        // A refused save must not stop the close; the old file is left as it was.
    }
}

void FormRules::SaveSoon() {
    // Not pushed back by later changes: every change is on disk within the delay, so
    // a session that ends without the window's close keeps it too.
    if (!watching_ || closed_ || saveDue_)
        return;
    saveDue_ = true;
    ui_.ArmSaveDelay(kSaveDelayMs);
}

void FormRules::SaveDelayElapsed() {
    saveDue_ = false;
    if (!closed_)
        SaveSettings();
}

// --- Countdown and chime ----------------------------------------------------------------

void FormRules::chkDispTopClick() {
    ui_.SetKeepOnTop(ui_.Checked(ControlId::chkDispTop));
}

void FormRules::btnMinStartClick() {
    countdown_->Start();
}

void FormRules::btnStopClick() {
    countdown_->Stop();
}

void FormRules::btnSayTimeClick() {
    const std::int64_t minute = FloorDiv(wall_->LocalMs(), 60'000) % kMinutesPerDay;
    Post(RequestKind::SpeakTime, static_cast<std::int32_t>(minute / 60 * 1000 + minute % 60));
}

void FormRules::btnUntilStartClick() {
    // The next time the clock shows the boxes' time: today, or tomorrow once it has passed.
    const std::int64_t now = wall_->LocalMs();
    const std::int64_t secondOfDay = (StrToInt(ui_.Text(ControlId::cbbUntilHour)) * 60LL +
                                      StrToInt(ui_.Text(ControlId::cbbUntilMin))) *
                                         60 +
                                     StrToInt(ui_.Text(ControlId::cbbUntilSec));
    std::int64_t target = FloorDiv(now, kMsPerDay) * kMsPerDay + secondOfDay * 1000;
    if (target <= now)
        target += kMsPerDay;
    countdown_->StartUntil(*wall_, target);
}

void FormRules::tmrSecTimer() {
    Guarded([this] { countdown_->OnTimer(); });
}

void FormRules::tmrHourTimer() {
    Guarded([this] { chime_->OnTimer(); });
}

void FormRules::ClockChanged() {
    Guarded([this] { chime_->OnClockChanged(); });
}

std::string FormRules::BoxText(CountdownBox box) const {
    return ui_.Text(kCountdownBoxes[static_cast<int>(box)]);
}

bool FormRules::IsChecked(CountdownCheck check) const {
    return ui_.Checked(kCountdownChecks[static_cast<int>(check)]);
}

void FormRules::ShowRemaining(const std::string& text) {
    ui_.SetText(ControlId::lblMinTick, text);
    if (counting_)
        ui_.SetSpokenRemaining(layout::SpokenRemaining(text), layout::WorthAnnouncing(text));
}

void FormRules::ShowCounting(bool counting) {
    if (counting != counting_) {
        counting_ = counting;
        ui_.SetSpokenRemaining(counting ? layout::SpokenRemaining(ui_.Text(ControlId::lblMinTick))
                                        : layout::kNotCounting,
                               true);
    }
    ui_.SetEnabled(ControlId::btnMinStart, !counting);
    ui_.SetEnabled(ControlId::btnUntilStart, !counting);
    ui_.SetEnabled(ControlId::btnStop, counting);
}

void FormRules::ShowNoCondition() {
    ui_.ShowMessageBox("请选择倒计数条件后再试！");
}

bool FormRules::HourChecked() const {
    return ui_.Checked(ControlId::chkHour);
}

bool FormRules::HalfChecked() const {
    return ui_.Checked(ControlId::chkHalf);
}

bool FormRules::QuarterChecked() const {
    return ui_.Checked(ControlId::chkQuarter);
}

std::optional<QuietHours> FormRules::Quiet() const {
    if (!ui_.Checked(ControlId::chkQuiet))
        return std::nullopt;
    const QuietHours design;
    return QuietHours{
        ParseInteger(ui_.Text(ControlId::cbbQuietFrom), HexPrefix::DollarOr0x)
            .value_or(design.from),
        ParseInteger(ui_.Text(ControlId::cbbQuietTo), HexPrefix::DollarOr0x).value_or(design.to)};
}

bool FormRules::FollowDndChecked() const {
    return ui_.Checked(ControlId::chkFollowDnd);
}

void FormRules::Post(std::int32_t kind, std::int32_t value) {
    if (Announcer)
        Announcer->Post(kind, value);
}

// --- Tips: loaded once, in the background, on tmr1's first tick; then one at random
// on every tick ---------------------------------------------------------------------------

void FormRules::tmr1Timer() {
    Guarded([this] {
        if (!TipsLoaded) {
            // Set first: whatever the load does, it is never tried again.
            TipsLoaded = true;
            ui_.StartTipsDownload(tipsTimeLimitMs);
            return;
        }
        ShowRandomTip();
    });
}

void FormRules::TipsArrived(const std::string& body) {
    if (closed_)
        return;
    // A tips file that cannot be written or read: the standard exception box, and no
    // tips for this run.
    Guarded([&] {
        const std::string path = TipsFilePath(SettingsDirectory(settingsDir_, places_));
        WriteTipsFile(path, body);
        auto tips = std::make_unique<lvWebTips>();
        tips->ParseTips(path);
        Tips = std::move(tips);
        ShowRandomTip();
    });
}

void FormRules::ShowRandomTip() {
    if (!Tips || Tips->TipCount <= 0)
        return;
    const int i = Tips->PickTip();
    const std::string tip = ui_.TextFromNetwork(Tips->TipText[i]);
    ui_.SetText(ControlId::lblTips, tip + " >>");
    ui_.SetHint(ControlId::lblTips, tip);
    CurrentTipLink = Tips->TipLink[i];
}

void FormRules::lblTipsClick() {
    // Links come over plain HTTP: only web addresses are handed on.
    const std::string address = OpenableWebLink(CurrentTipLink);
    if (!address.empty())
        ui_.OpenAddress(address);
}

} // namespace lumivox

namespace lumivox {

// --- The hotkey and commands from the command line ----------------------------------

void FormRules::HotKeyEdited() {
    Guarded([this] {
        const std::optional<HotKey> wanted = ParseHotKey(ui_.Text(ControlId::edtHotKey));
        if (wanted == heldHotKey_)
            return;
        const HotKeyGrab grab = ui_.GrabHotKey(wanted);
        HotKeyGrabAnswered(grab);
        if (grab == HotKeyGrab::Taken) {
            ui_.SetText(ControlId::edtHotKey, heldHotKey_ ? HotKeyText(*heldHotKey_) : "");
            return;
        }
        heldHotKey_ = wanted;
        SaveSoon();
    });
}

void FormRules::HotKeyGrabAnswered(HotKeyGrab grab) {
    const char* line = grab == HotKeyGrab::Taken        ? kHotKeyTaken
                       : grab == HotKeyGrab::NotOffered ? kHotKeyNotOffered
                                                        : "";
    ui_.SetText(ControlId::lblHotKeyHint, line);
}

void FormRules::HotKeyPressed() {
    Guarded([this] {
        const std::int64_t now = monotonic_->NowMs();
        const bool again = lastHotKeyMs_ && now - *lastHotKeyMs_ <= kDoublePressMs;
        lastHotKeyMs_ = again ? std::nullopt : std::optional<std::int64_t>(now);
        if (!again)
            return btnSayTimeClick();
        if (!countdown_->Ticking())
            return;
        const int left = std::max(0, countdown_->State.RemainSeconds);
        if (left >= 60)
            Post(RequestKind::MinuteCount, left / 60);
        if (left % 60 != 0 || left < 60)
            Post(RequestKind::SecondCount, left % 60);
    });
}

CommandReply FormRules::RunCommand(const Command& command) {
    // What went wrong goes back to the command line, not into a box nobody asked for.
    try {
        return Act(command);
    } catch (const std::exception& error) {
        return {1, error.what()};
    } catch (...) {
        return {1, "the running copy could not do it"};
    }
}

void FormRules::SetBox(ControlId id, int value) {
    const layout::Control& c = layout::Find(id);
    if (c.editable)
        ui_.SetText(id, std::to_string(value));
    else
        ui_.SelectItem(id, value - c.firstItem);
}

CommandReply FormRules::Act(const Command& command) {
    using enum ControlId;
    switch (command.action) {
    case CommandAction::SayTime:
        btnSayTimeClick();
        return {};
    case CommandAction::Countdown:
    case CommandAction::Until:
        break;
    case CommandAction::Stop:
        btnStopClick();
        return {};
    case CommandAction::Status:
        return Status(command.json);
    case CommandAction::Show:
        ui_.BringToFront();
        return {};
    case CommandAction::Quit:
        ui_.EndSoon();
        return {};
    default:
        return {kExitUsage, "not a command for the running copy"};
    }
    // The countdown's options, as the user would set them; kept like any change.
    if (command.optionsGiven) {
        ui_.SetChecked(chkCircle, command.cyclic);
        ui_.SetChecked(chkLastOne, command.cue);
        ui_.SetChecked(chkMin, command.lastMinutes.has_value());
        ui_.SetChecked(chkSec, command.lastSeconds.has_value());
        if (command.lastMinutes) {
            SetBox(cbbLastMin, command.lastMinutes->last);
            SetBox(cbbPerMin, command.lastMinutes->every);
        }
        if (command.lastSeconds) {
            SetBox(cbbLastSec, command.lastSeconds->last);
            SetBox(cbbPerSec, command.lastSeconds->every);
        }
    } else if (!ui_.Checked(chkMin) && !ui_.Checked(chkSec) && !ui_.Checked(chkLastOne)) {
        return {kExitUsage, "nothing to count: add --cue, --last-minutes or --last-seconds"};
    }
    const bool until = command.action == CommandAction::Until;
    SetBox(until ? cbbUntilHour : cbbHour, command.hours);
    SetBox(until ? cbbUntilMin : cbbMin, command.minutes);
    SetBox(until ? cbbUntilSec : cbbSec, command.seconds);
    SaveSoon();
    // A new countdown replaces a running one.
    countdown_->Stop();
    if (until)
        btnUntilStartClick();
    else
        btnMinStartClick();
    return {};
}

CommandReply FormRules::Status(bool json) const {
    if (!countdown_->Ticking())
        return {kExitDone, json ? R"({"state":"idle"})" : "idle"};
    const int left = std::max(0, countdown_->State.RemainSeconds);
    const std::optional<std::int64_t> target = countdown_->Target();
    const std::string until =
        target ? ClockText(((*target / 1000) % (kMsPerDay / 1000) + kMsPerDay / 1000) %
                           (kMsPerDay / 1000))
               : "";
    if (!json)
        return {kExitDone, (target ? "until " + until + " " : "") + ClockText(left)};
    const bool cyclic = ui_.Checked(ControlId::chkCircle) && !target;
    return {kExitDone, R"({"state":"counting","left":)" + std::to_string(left) + R"(,"until":)" +
                           (target ? '"' + until + '"' : "null") + R"(,"cyclic":)" +
                           (cyclic ? "true" : "false") + "}"};
}

} // namespace lumivox
