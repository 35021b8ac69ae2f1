// The window's rules on a front-end of the test's own: settings in and out of the
// controls, the save after a change, the tips line, the links, the close. The same
// rules serve the Qt and the Win32 window, so this runs on Linux and under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "announcer/clipdecode.h"
#include "announcer/mythread.h"
#include "announcer/wavfile.h"
#include "app/commandline.h"
#include "app/formrules.h"
#include "app/windowlayout.h"
#include "fakesound.h"
#include "maker.h"
#include "silentsound.h"
#include "tests/settings/tempfolder.h"
#include "tests/timing/simtime.h"

namespace {

using Id = lumivox::ControlId;
namespace layout = lumivox::layout;

// The controls as plain values; a changed check box reports its click, as both
// windows do.
class FakeFrontEnd : public lumivox::FormFrontEnd {
public:
    lumivox::FormRules* rules = nullptr;
    std::map<Id, std::string> text;
    std::map<Id, int> selected;
    std::map<Id, std::vector<std::string>> items; // lists set at run time
    std::map<Id, bool> checked, disabled, hidden;
    std::map<Id, std::string> hints;
    std::vector<std::string> spoken;
    std::vector<std::string> boxes, opened;
    std::vector<int> tipsDownloads;
    int saveDelays = 0;
    bool saveDelayArmed = false;
    bool onTop = false;
    std::string takenHotKey;          // a combination another program holds
    std::vector<std::string> grabbed; // each asked for, "" for none
    int fronts = 0, ends = 0;

    std::string Text(Id id) const override {
        const layout::Control& c = layout::Find(id);
        if (c.kind == layout::Kind::Combo && !c.editable) {
            const int item = selected.count(id) ? selected.at(id) : c.selected;
            if (items.count(id))
                return item < 0 ? "" : items.at(id).at(static_cast<std::size_t>(item));
            return item < 0 ? "" : std::to_string(c.firstItem + item);
        }
        return text.count(id) ? text.at(id) : c.text;
    }
    void SetText(Id id, const std::string& value) override { text[id] = value; }
    void SelectItem(Id id, int index) override { selected[id] = index; }
    void SetItems(Id id, const std::vector<std::string>& list) override {
        items[id] = list;
        selected[id] = -1;
    }
    bool Checked(Id id) const override { return checked.count(id) && checked.at(id); }
    void SetChecked(Id id, bool value) override {
        if (Checked(id) == value)
            return;
        checked[id] = value;
        rules->Clicked(id);
    }
    void SetEnabled(Id id, bool enabled) override { disabled[id] = !enabled; }
    void SetVisible(Id id, bool visible) override { hidden[id] = !visible; }
    void SetHint(Id id, const std::string& value) override { hints[id] = value; }
    void SetSpokenRemaining(const std::string& words, bool announce) override {
        spoken.push_back(words + (announce ? " (said)" : ""));
    }
    void ShowMessageBox(const std::string& message) override { boxes.push_back(message); }
    void OpenAddress(const std::string& address) override { opened.push_back(address); }
    void SetKeepOnTop(bool on) override { onTop = on; }
    std::string TextFromNetwork(const std::string& bytes) const override { return bytes; }
    void ArmSaveDelay(int) override {
        ++saveDelays;
        saveDelayArmed = true;
    }
    void CancelSaveDelay() override { saveDelayArmed = false; }
    void StartTipsDownload(int milliseconds) override { tipsDownloads.push_back(milliseconds); }
    lumivox::HotKeyGrab GrabHotKey(const std::optional<lumivox::HotKey>& hotKey) override {
        grabbed.push_back(hotKey ? lumivox::HotKeyText(*hotKey) : "");
        return !grabbed.back().empty() && grabbed.back() == takenHotKey ? lumivox::HotKeyGrab::Taken
                                                                        : lumivox::HotKeyGrab::Held;
    }
    void BringToFront() override { ++fronts; }
    void EndSoon() override { ++ends; }
    // At once: the window's side of it is what is tested here.
    void RunInBackground(std::function<void()> work, std::function<void()> done) override {
        work();
        done();
    }

    // What the user does: a click on a check box changes it first.
    void Click(Id id) {
        if (layout::Find(id).kind == layout::Kind::Check)
            checked[id] = !Checked(id);
        rules->Clicked(id);
    }
};

class FormRulesTest : public ::testing::Test {
protected:
    // settingsDir: the folder passed as an override; empty: the usual place, where
    // `executable` stands for the program's folder and `perUser` for the user's.
    void Open(const std::string& settingsDir) {
        rules.reset();
        ui = std::make_unique<FakeFrontEnd>();
        rules = std::make_unique<lumivox::FormRules>(lumivox::FormRules::Parts{
            *ui, clips, sound, false, clock, clock, alarm, alarm, settingsDir,
            lumivox::SettingsPlaces{executable.File(""), perUser.File("made") + "/"}, desktop});
        ui->rules = rules.get();
        rules->FormCreate();
    }
    std::string Stored() const { return TempFolder::Read(folder.File("lvvoxclk.db")); }

    TempFolder folder, executable, perUser;
    lumivox::testing::NumberedClipSource clips;
    std::shared_ptr<lumivox::testing::SilentSound> sound =
        std::make_shared<lumivox::testing::SilentSound>();
    std::shared_ptr<lumivox::testing::SimClock> clock =
        std::make_shared<lumivox::testing::SimClock>();
    lumivox::testing::SimAlarm alarm{*clock};
    std::shared_ptr<lumivox::testing::FakeDoNotDisturb> desktop =
        std::make_shared<lumivox::testing::FakeDoNotDisturb>();
    std::unique_ptr<FakeFrontEnd> ui;
    std::unique_ptr<lumivox::FormRules> rules;
};

TEST_F(FormRulesTest, StoredValuesReachTheControlsAsEachKindTakesThem) {
    TempFolder::Write(folder.File("lvvoxclk.db"),
                      "[Common]\r\nHourCounter=5\r\nMinuteCounter=x\r\nLastMinute=abc\r\n"
                      "IsHour=1\r\nIsDispTop=1\r\nIsCircle=0\r\nIsQuarter=1\r\nIsQuiet=2\r\n"
                      "QuietFrom=abc\r\nQuietTo=3\r\nVolume=250\r\nUntilMin=-5\r\nIsFollowDnd=1\r\n"
                      "HotKey=Hyper+T\r\n");
    Open(folder.File(""));
    EXPECT_EQ(ui->selected[Id::cbbHour], 5);
    EXPECT_EQ(ui->selected[Id::cbbMin], -1); // no item of that text: none selected
    EXPECT_EQ(ui->selected[Id::cbbSec], 30); // missing: the design value
    EXPECT_EQ(ui->text[Id::cbbLastMin], "abc");
    EXPECT_EQ(ui->text[Id::cbbLastSec], "30");
    // Keys added later take their default for a value their box cannot hold.
    EXPECT_TRUE(ui->Checked(Id::chkQuarter));
    EXPECT_FALSE(ui->Checked(Id::chkQuiet));
    EXPECT_TRUE(ui->Checked(Id::chkFollowDnd));
    EXPECT_EQ(ui->selected[Id::cbbQuietFrom], 22);
    EXPECT_EQ(ui->selected[Id::cbbQuietTo], 3);
    EXPECT_EQ(ui->selected[Id::cbbVolume], 100);
    EXPECT_EQ(ui->selected[Id::cbbUntilMin], 0);
    EXPECT_EQ(ui->text[Id::edtHotKey], "");
    // A stored check runs the box's click: the chime wakes, the window stays on top.
    EXPECT_TRUE(rules->ChimeEngine().Enabled());
    EXPECT_TRUE(ui->onTop);
    EXPECT_FALSE(ui->Checked(Id::chkCircle));
    // Applying them is no change of the user's: nothing is written back.
    EXPECT_EQ(ui->saveDelays, 0);
}

TEST_F(FormRulesTest, ABurstOfChangesIsOneSaveAndOnlySettingsCount) {
    TempFolder::Write(folder.File("lvvoxclk.db"), "[Common]\r\nIsHour=0\r\n");
    Open(folder.File(""));
    ui->Click(Id::chkCircle);
    ui->text[Id::cbbLastSec] = "5";
    rules->Edited(Id::cbbLastSec);
    EXPECT_EQ(ui->saveDelays, 1);
    rules->SaveDelayElapsed();
    EXPECT_NE(Stored().find("LastSecond=5\r\n"), std::string::npos);
    EXPECT_NE(Stored().find("IsCircle=1\r\n"), std::string::npos);
    ui->Click(Id::btnStop); // holds no setting
    EXPECT_EQ(ui->saveDelays, 1);
}

TEST_F(FormRulesTest, ThePerUserFileIsMadeAtTheFirstSaveAPortableOneIsNeverFilledIn) {
    Open("");
    rules->FormClose(false);
    EXPECT_EQ(
        TempFolder::Read(perUser.File("made/lvvoxclk.db")).rfind("[Common]\r\nHourCounter=0", 0),
        0u);

    TempFolder::Write(executable.File("lvvoxclk.db"), "[Common]\r\n");
    Open("");
    ui->Click(Id::chkHalf);
    rules->FormClose(false);
    EXPECT_EQ(TempFolder::Read(executable.File("lvvoxclk.db")), "[Common]\r\n");
}

TEST_F(FormRulesTest, CloseSavesOpensTheHomePageOnceAndAQuietEndDoesNot) {
    Open(folder.File(""));
    ui->Click(Id::chkHour);
    rules->FormClose();
    rules->FormClose();
    EXPECT_FALSE(ui->saveDelayArmed);
    EXPECT_NE(Stored().find("IsHour=1\r\n"), std::string::npos);
    EXPECT_EQ(ui->opened, std::vector<std::string>{std::string(lumivox::maker::kHomePage) + "/"});

    Open(folder.File(""));
    rules->FormClose(false);
    EXPECT_TRUE(ui->opened.empty());
}

TEST_F(FormRulesTest, LinksOpenTheirPagesAndTheTipItsOwnWebAddressOnly) {
    Open(folder.File(""));
    ui->Click(Id::lbl8);
    ui->Click(Id::lbl5);
    EXPECT_EQ(ui->opened,
              (std::vector<std::string>{lumivox::maker::kDownloadPage, lumivox::maker::kShopPage}));

    rules->tmr1Timer();
    rules->tmr1Timer();
    EXPECT_EQ(ui->tipsDownloads, std::vector<int>{30000}); // loaded once, on the first tick
    rules->TipsArrived("only tip@#$ http://a.example/x \r\n");
    EXPECT_EQ(ui->text[Id::lblTips], "only tip >>");
    EXPECT_EQ(ui->hints[Id::lblTips], "only tip");
    ui->opened.clear();
    ui->Click(Id::lblTips);
    rules->TipsArrived("bad@#$file:///etc/passwd\r\n");
    ui->Click(Id::lblTips);
    EXPECT_EQ(ui->opened, std::vector<std::string>{"http://a.example/x"});
}

TEST_F(FormRulesTest, AnUnwritableTipsFileIsShownAndTheWindowGoesOn) {
    TempFolder::Write(folder.File("blocker"), "a file where the folder should be");
    Open(folder.File("blocker/sub"));
    rules->TipsArrived("tip@#$http://a.example/\r\n");
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].rfind("Cannot create file ", 0), 0u);
    // The countdown still answers, with its own box.
    ui->Click(Id::btnMinStart);
    EXPECT_EQ(ui->boxes.back(), "请选择倒计数条件后再试！");
    ui->Click(Id::chkSec);
    ui->Click(Id::btnMinStart);
    EXPECT_TRUE(ui->disabled[Id::btnMinStart]);
    EXPECT_FALSE(ui->disabled[Id::btnStop]);
}

TEST_F(FormRulesTest, TimeOfDayPassedIsTomorrowTimeIsSaidNowDndHoldsOnlyTheChime) {
    clock->wallOffset = 20'000LL * 86'400'000 + 20 * 3'600'000 + 500 - clock->now; // 20:00:00.5
    Open(folder.File(""));
    ui->Click(Id::chkSec);
    ui->Click(Id::btnUntilStart);
    EXPECT_EQ(ui->text[Id::lblMinTick], "23:59:59");
    EXPECT_EQ(ui->spoken, std::vector<std::string>{"还剩 23 小时 59 分 59 秒 (said)"});
    EXPECT_TRUE(ui->disabled[Id::btnUntilStart]);
    EXPECT_TRUE(ui->disabled[Id::btnMinStart]);
    ui->Click(Id::btnStop);
    EXPECT_EQ(ui->spoken.back(), "未计时 (said)");
    EXPECT_FALSE(ui->disabled[Id::btnUntilStart]);

    // The desktop asks not to be disturbed and the box follows it: the time asked for
    // is still said.
    desktop->doNotDisturb = true;
    ui->Click(Id::chkFollowDnd);
    ui->Click(Id::btnSayTime); // 北京时间二十点整: eight clips
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sound->Played().size() < 8 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(sound->Played().size(), 8u);
    // Muted, the time asked for is not said: the next thing heard comes after unmuting.
    ui->Click(Id::chkMute);
    ui->Click(Id::btnSayTime);
    ui->Click(Id::chkMute);
    rules->Announcer->Post(lumivox::RequestKind::Cue, 22);
    while (sound->Played().size() < 9 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(sound->Played().size(), 9u);
    EXPECT_EQ(sound->Played()[8], rules->Clips.Clip(21).data);

    // The hour's chime at 21:00 asks the desktop and is held: the cue posted after it
    // is the next thing heard. Unchecked, 22:00 is heard again without asking.
    const auto runHour = [&] {
        lumivox::testing::RunUntil(*clock, alarm, clock->now + 3'600'000,
                                   [&] { rules->tmrHourTimer(); });
    };
    const auto heardUpToCue = [&](std::size_t atLeast) {
        while (!(sound->Played().size() >= atLeast &&
                 sound->Played().back() == rules->Clips.Clip(21).data) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return sound->Played().size();
    };
    ui->Click(Id::chkHour);
    runHour();
    EXPECT_EQ(desktop->asked, 1);
    rules->Announcer->Post(lumivox::RequestKind::Cue, 22);
    EXPECT_EQ(heardUpToCue(10), 10u);
    ui->Click(Id::chkFollowDnd);
    runHour();
    EXPECT_EQ(desktop->asked, 1);
    rules->Announcer->Post(lumivox::RequestKind::Cue, 22);
    EXPECT_GT(heardUpToCue(11), 11u);
}

TEST_F(FormRulesTest, TheHotKeyIsHeldSavedAndATakenOneRefusedWithTheOldKept) {
    TempFolder::Write(folder.File("lvvoxclk.db"), "[Common]\r\nHotKey=ctrl+alt+t\r\n");
    Open(folder.File(""));
    EXPECT_EQ(ui->text[Id::edtHotKey], "Ctrl+Alt+T");
    ui->takenHotKey = "Alt+F9";
    for (const char* pressed : {"Alt+F9", "Ctrl+Shift+F5"}) {
        ui->text[Id::edtHotKey] = pressed;
        rules->Edited(Id::edtHotKey);
    }
    EXPECT_EQ(ui->grabbed, (std::vector<std::string>{"Ctrl+Alt+T", "Alt+F9", "Ctrl+Shift+F5"}));
    EXPECT_EQ(ui->text[Id::lblHotKeyHint], "");
    EXPECT_EQ(ui->saveDelays, 1);
    rules->SaveDelayElapsed();
    EXPECT_NE(Stored().find("HotKey=Ctrl+Shift+F5\r\n"), std::string::npos);
    ui->text[Id::edtHotKey] = "Alt+F9";
    rules->Edited(Id::edtHotKey);
    EXPECT_EQ(ui->text[Id::lblHotKeyHint], "快捷键已被占用");
    EXPECT_EQ(ui->text[Id::edtHotKey], "Ctrl+Shift+F5");
    EXPECT_EQ(ui->saveDelays, 1);
}

TEST_F(FormRulesTest, CommandsActAsTheirButtonsAndTheHotKeyTwiceSaysWhatIsLeft) {
    clock->wallOffset = 20'000LL * 86'400'000 + 20 * 3'600'000 + 500 - clock->now; // 20:00:00.5
    Open(folder.File(""));
    const auto run = [&](std::vector<std::string> args) {
        const lumivox::ParsedCommand parsed = lumivox::ParseCommand(args);
        EXPECT_TRUE(parsed.command) << parsed.error;
        return parsed.command ? rules->RunCommand(*parsed.command) : lumivox::CommandReply{};
    };
    EXPECT_EQ(run({"--status"}).text, "idle");
    EXPECT_EQ(run({"--countdown", "0:0:5"}).status, lumivox::kExitUsage); // nothing to count
    ui->checked[Id::chkSec] = true;
    ui->text[Id::cbbPerSec] = "x";
    EXPECT_EQ(run({"--countdown", "0:0:5"}).text, "'x' is not a valid integer value");
    EXPECT_TRUE(ui->boxes.empty());
    EXPECT_FALSE(rules->CountdownEngine().Ticking());
    // Options given replace the page's.
    ui->checked[Id::chkMin] = true;
    EXPECT_EQ(run({"--countdown", "0:1:5", "--last-seconds", "5/1", "--cue"}).status, 0);
    EXPECT_FALSE(ui->Checked(Id::chkMin));
    EXPECT_TRUE(ui->Checked(Id::chkSec) && ui->Checked(Id::chkLastOne));
    EXPECT_EQ(ui->text[Id::cbbLastSec], "5");
    EXPECT_EQ(run({"--status"}).text, "00:01:05");
    lumivox::testing::RunUntil(*clock, alarm, clock->now + 2000, [&] { rules->tmrSecTimer(); });
    EXPECT_EQ(run({"--status", "--json"}).text,
              R"({"state":"counting","left":63,"until":null,"cyclic":false})");

    // The hotkey: the time (eight clips at 20:00), then 还剩一分钟 and 三.
    rules->HotKeyPressed();
    clock->now += 900;
    rules->HotKeyPressed();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sound->Played().size() < 14 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::vector<int> tail;
    for (std::size_t i = 8; i < sound->Played().size(); ++i)
        for (int k = 0; k < lumivox::kClipCount; ++k)
            if (sound->Played()[i] == rules->Clips.Clip(k).data)
                tail.push_back(k);
    EXPECT_EQ(tail, (std::vector<int>{18, 19, 1, 20, 21, 3}));

    EXPECT_EQ(run({"--until", "20:10"}).status, 0);
    EXPECT_EQ(run({"--status"}).text, "until 20:10:00 00:09:56");
    run({"--stop"});
    EXPECT_EQ(run({"--status"}).text, "idle");
    run({"--show"});
    run({"--quit"});
    EXPECT_EQ(ui->fronts + ui->ends, 2);
    rules->SaveDelayElapsed();
    EXPECT_NE(Stored().find("IsSecondCounter=1\r\nLastSecond=5\r\n"), std::string::npos);
}

// What the command line takes, and what it refuses before any copy is asked.
TEST(CommandLine, ReadsEachCommandAndRefusesMalformedOnes) {
    using A = lumivox::CommandAction;
    struct Row {
        std::vector<std::string> args;
        A action;          // when accepted
        const char* error; // the start of the one line, when refused
    };
    const Row rows[] = {
        {{}, A::Start, nullptr},
        {{"--countdown", "1:2:3", "--cyclic", "--last-minutes", "60/30"}, A::Countdown, nullptr},
        {{"--until", "23:59:59"}, A::Until, nullptr},
        {{"--status", "--json"}, A::Status, nullptr},
        {{"--countdown", "1:99:0"}, A::Start, "--countdown takes H:M:S"},
        {{"--countdown", "abc"}, A::Start, "--countdown takes H:M:S"},
        {{"--countdown", "24:0:0"}, A::Start, "--countdown takes H:M:S"},
        {{"--countdown"}, A::Start, "--countdown takes H:M:S"},
        {{"--until", "25:00"}, A::Start, "--until takes"},
        {{"--until", "7"}, A::Start, "--until takes"},
        {{"--last-seconds", "5/0", "--countdown", "0:0:9"}, A::Start, "--last-seconds takes N/M"},
        {{"--countdown", "0:0:9", "--cyclic"}, A::Start, "nothing to count"},
        {{"--stop", "--cue"}, A::Start, "--cyclic, --cue"},
        {{"--stop", "--quit"}, A::Start, "one command at a time"},
        {{"--say-time", "--json"}, A::Start, "--json goes with --status"},
        {{"-x"}, A::Start, "unknown argument: -x"},
    };
    for (const Row& row : rows) {
        const lumivox::ParsedCommand parsed = lumivox::ParseCommand(row.args);
        SCOPED_TRACE(row.args.empty() ? "" : row.args[0] + " " + parsed.error);
        ASSERT_EQ(parsed.command.has_value(), row.error == nullptr);
        if (row.error)
            EXPECT_EQ(parsed.error.rfind(row.error, 0), 0u);
        else
            EXPECT_EQ(parsed.command->action, row.action);
    }
    // The running copy reads a request as the command line would, and nothing else.
    const auto request = [](std::vector<std::string> args) {
        return lumivox::CommandRequest(*lumivox::ParseCommand(args).command);
    };
    EXPECT_EQ(request({"--countdown", "0:0:7", "--cue"}),
              "lumivox-command\t--countdown\t0:0:7\t--cue\n");
    EXPECT_TRUE(lumivox::ReadCommandRequest(request({"--stop"})));
    for (const std::string junk :
         {"lumivox-command\t--help\n", "lumivox-command\n", "activate\n",
          "lumivox-command\t--until\t25:00\n", "x\t--stop\n", "lumivox-command\t--stop"})
        EXPECT_FALSE(lumivox::ReadCommandRequest(junk)) << junk;
    EXPECT_EQ(lumivox::ReadReplyLine("3\tnot running\n")->text, "not running");
    EXPECT_FALSE(lumivox::ReadReplyLine("0\ta\nb\n"));

    // Hotkeys as the settings file spells them.
    struct Key {
        const char* text;
        const char* read; // "" for none
    };
    const Key keys[] = {{"ctrl+alt+t", "Ctrl+Alt+T"},
                        {"Shift+Meta+f12", "Shift+Meta+F12"},
                        {"F9", "F9"},
                        {"Pause", "Pause"},
                        {"T", ""},
                        {"Shift+Space", ""},
                        {"Ctrl+Ctrl+T", ""},
                        {"Ctrl+", ""},
                        {"Hyper+T", ""},
                        {"", ""}};
    for (const Key& key : keys) {
        const std::optional<lumivox::HotKey> hotKey = lumivox::ParseHotKey(key.text);
        EXPECT_EQ(hotKey ? lumivox::HotKeyText(*hotKey) : "", key.read) << key.text;
    }
}

// A pack in the settings folder's voices/: listed after the built-in voices, chosen,
// saved; its missing and broken clips come from the built-in voice and are named.
TEST_F(FormRulesTest, APackIsListedChosenSavedAndItsUnusableClipsComeFromTheBuiltInVoice) {
    clock->wallOffset = 20'000LL * 86'400'000 + 20 * 3'600'000 - clock->now; // 20:00
    const std::string pack = folder.File("voices/我的声音");
    std::filesystem::create_directories(lumivox::Utf8Path(pack));
    std::filesystem::create_directories(lumivox::Utf8Path(folder.File("voices/坏包")));
    for (int i = 0; i < lumivox::kClipCount; ++i) { // clip i: 10 ms of 2000 + i
        const auto image =
            lumivox::ClipImage(std::vector<std::int16_t>(220, std::int16_t(2000 + i)));
        if (i != 14)
            TempFolder::Write(pack + "/wav" + std::to_string(i) + ".wav",
                              i == 2 ? "RIFF...." : std::string(image.begin(), image.end()));
    }
    TempFolder::Write(folder.File("voices/坏包/wav3.wav"), "not a wave");
    TempFolder::Write(folder.File("lvvoxclk.db"), "[Common]\r\nIsHour=0\r\n");
    Open(folder.File(""));
    EXPECT_EQ(ui->items[Id::cbbVoice],
              (std::vector<std::string>{"内置语音", "内置女声", "我的声音"}));
    EXPECT_EQ(ui->selected[Id::cbbVoice], 0);

    ui->selected[Id::cbbVoice] = 2;
    rules->Edited(Id::cbbVoice);
    EXPECT_EQ(ui->text[Id::lblVoiceNote],
              "语音包「我的声音」：wav2.wav、wav14.wav 无法使用，已用内置语音代替");
    EXPECT_FALSE(ui->hidden[Id::lblVoiceNote]);
    ui->Click(Id::btnVoiceTry); // 北京时间二十点整
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (sound->Played().size() < 8 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::vector<int> heard; // the first sample of each: 1000 + i built in, 2000 + i the pack's
    for (const std::uint8_t* clip : sound->Played()) {
        const auto wave = lumivox::ParseWave(clip, 46);
        heard.push_back(wave->samples[0] | wave->samples[1] << 8);
    }
    EXPECT_EQ(heard, (std::vector<int>{2011, 2012, 2010, 2013, 1002, 2010, 1014, 2015}));
    // Saved after the keys of the table, and chosen again at the next start.
    EXPECT_EQ(ui->saveDelays, 1);
    rules->SaveDelayElapsed();
    const std::string saved = Stored();
    const std::string tail = "IsFollowDnd=0\r\nHotKey=\r\nVoice=我的声音\r\n";
    EXPECT_EQ(saved.substr(saved.size() - tail.size()), tail);
    Open(folder.File(""));
    EXPECT_EQ(ui->selected[Id::cbbVoice], 2);
    EXPECT_NE(ui->text[Id::lblVoiceNote], "");

    // Gone since: the default voice, quietly, and the file as it was.
    std::filesystem::remove_all(lumivox::Utf8Path(pack));
    Open(folder.File(""));
    EXPECT_EQ(ui->items[Id::cbbVoice], (std::vector<std::string>{"内置语音", "内置女声"}));
    EXPECT_EQ(ui->selected[Id::cbbVoice], 0);
    EXPECT_EQ(ui->text[Id::lblVoiceNote], "");
    EXPECT_TRUE(ui->hidden[Id::lblVoiceNote]);
    EXPECT_EQ(ui->saveDelays, 0);
    EXPECT_EQ(Stored(), saved);
}

// Docking, group boxes flattened for Win32, and the Tab walk, from the one table.
TEST(WindowLayout, PlacesAndTabWalk) {
    struct Row {
        Id id;
        int parentWidth, parentHeight;
        layout::Rect place;
    };
    const Row rows[] = {
        {Id::pgc1, 544, 362, {0, 0, 544, 342}},    {Id::pnl2, 544, 362, {0, 342, 544, 20}},
        {Id::mmoHelp, 530, 300, {0, 0, 360, 300}}, {Id::pnl1, 530, 300, {360, 0, 170, 300}},
        {Id::cbbHour, 0, 0, {32, 45, 70, 24}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(lumivox::NameOf(row.id)));
        EXPECT_EQ(layout::PlaceIn(layout::Find(row.id), row.parentWidth, row.parentHeight),
                  row.place);
    }
    const layout::FlatParent inGroup = layout::Flattened(layout::Find(Id::chkHalf));
    EXPECT_EQ(inGroup.parent, Id::ts1);
    EXPECT_EQ(inGroup.offsetLeft, 338);
    EXPECT_EQ(inGroup.offsetTop, 8);
    EXPECT_EQ(layout::Flattened(layout::Find(Id::lbl3)).parent, Id::pnl1);

    std::vector<std::string> walk;
    for (const layout::Control* c : layout::TabChain(Id::ts1))
        walk.emplace_back(lumivox::NameOf(c->id));
    EXPECT_EQ(walk, (std::vector<std::string>{"chkHour", "chkHalf", "cbbHour", "cbbMin", "cbbSec",
                                              "chkMin", "cbbLastMin", "cbbPerMin", "chkSec",
                                              "cbbLastSec", "cbbPerSec", "chkLastOne", "chkCircle",
                                              "btnMinStart", "btnStop", "chkDispTop"}));
}

} // namespace

// What a screen reader hears of the countdown, and which changes it is told unasked.
TEST(CountdownInWords, WholeMinutesAndTheLastTenSecondsAreSaid) {
    const struct {
        const char* shown;
        const char* words;
        bool said;
    } rows[] = {
        {"00:09:58", "还剩 9 分 58 秒", false},
        {"00:10:00", "还剩 10 分 0 秒", true},
        {"01:00:05", "还剩 1 小时 0 分 5 秒", false},
        {"00:00:11", "还剩 11 秒", false},
        {"00:00:10", "还剩 10 秒", true},
        {"00:00:00", "还剩 0 秒", true},
        {"", "", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(layout::SpokenRemaining(row.shown), row.words) << row.shown;
        EXPECT_EQ(layout::WorthAnnouncing(row.shown), row.said) << row.shown;
    }
}
