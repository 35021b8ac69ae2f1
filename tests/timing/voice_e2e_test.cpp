// Voices on the real program, heard on the test desktop's null sink: a pack of 23
// tones (44.1 kHz stereo 24-bit) speaks the time and a countdown; a pack with a clip
// missing and one broken speaks those two in the built-in voice and names them; the
// second built-in voice is not the first.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "announcer/platform/resourceclips.h"
#include "app/mainform.h"
#include "sinkrecorder.h"

namespace {

using lumivox::testing::ClipSamples;
using lumivox::testing::FindClipSequence;
using lumivox::testing::kSinkRate;
using lumivox::testing::SinkRecorder;
using Id = lumivox::ControlId;
using Clip = std::vector<std::int16_t>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kToneSeconds = 0.3;

// Clip i's tone at t seconds: 300 + 50 i Hz, rising from 0.15 to 0.45 of full scale (a
// pure tone's loudness is flat, and the recording is searched by loudness first).
double Tone(int clip, double t) {
    return (0.15 + 0.3 * t / kToneSeconds) * std::sin(2 * kPi * (300.0 + 50.0 * clip) * t);
}

void Put(QByteArray& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.append(static_cast<char>(v >> (8 * i)));
}

// Clip i of the pack: 0.3 s of its tone, 44.1 kHz stereo 24-bit.
QByteArray ToneFile(int clip) {
    const int frames = static_cast<int>(kToneSeconds * 44100);
    QByteArray b("RIFF");
    Put(b, 36 + frames * 6, 4);
    b.append("WAVEfmt ");
    for (const auto& [v, n] :
         {std::pair{16u, 4}, {1u, 2}, {2u, 2}, {44100u, 4}, {264600u, 4}, {6u, 2}, {24u, 2}})
        Put(b, v, n);
    b.append("data");
    Put(b, static_cast<std::uint32_t>(frames * 6), 4);
    for (int i = 0; i < frames; ++i) {
        const auto s = static_cast<std::uint32_t>(
            static_cast<std::int32_t>(std::lround(Tone(clip, i / 44100.0) * 8388607)));
        Put(b, s, 3);
        Put(b, s, 3);
    }
    return b;
}

// The same tone as the program should play it: 22050 Hz mono, its silent first sample
// (at 44.1 kHz) trimmed.
Clip ExpectedTone(int clip) {
    Clip samples(static_cast<std::size_t>(kToneSeconds * kSinkRate) - 2);
    for (std::size_t n = 0; n < samples.size(); ++n)
        samples[n] = static_cast<std::int16_t>(
            std::lround(32767 * Tone(clip, n / double(kSinkRate) + 1 / 44100.0)));
    return samples;
}

Clip BuiltIn(const char* type, int clip) {
    return ClipSamples(lumivox::ResourceClipSource().FindClip(type, "wav" + std::to_string(clip)));
}

// Each clip heard clearly, in order: anywhere after the one before, or within maxGap.
bool HeardInOrder(const Clip& recording, const std::vector<Clip>& clips, std::size_t maxGap = 0) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < clips.size(); i += maxGap ? clips.size() : 1) {
        const std::vector<Clip> part =
            maxGap ? clips : std::vector<Clip>(clips.begin() + i, clips.begin() + i + 1);
        const auto match = FindClipSequence(recording, part, from, maxGap ? maxGap : kSinkRate);
        std::printf("heard with correlation %.3f\n", match.found ? match.Weakest() : 0.0);
        if (!match.found || match.Weakest() < 0.85)
            return false;
        from = match.end;
    }
    return true;
}

// On a busy machine the sound server can run dry and drop part of a clip: up to three
// hearings, the first clean one counts.
template <typename Hearing> bool HeardOnce(Hearing hearing) {
    for (int attempt = 0; attempt < 3; ++attempt)
        if (hearing())
            return true;
    return false;
}

class VoiceOnRealSound : public ::testing::Test {
protected:
    void SetUp() override {
        if (!lumivox::testing::TestSoundServerConfigured())
            GTEST_SKIP() << "no test sound server (run through scripts/test.sh)";
        for (const char* pack : {"音调", "缺损"}) {
            const QString folder = settings.path() + "/voices/" + QString::fromUtf8(pack);
            ASSERT_TRUE(QDir().mkpath(folder));
            for (int i = 0; i < lumivox::kClipCount; ++i) {
                QFile file(folder + QStringLiteral("/wav%1.wav").arg(i));
                if (std::string(pack) == "缺损" && i == 3)
                    continue; // missing
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(std::string(pack) == "缺损" && i == 21
                               ? QByteArray("RIFF\x10\0\0\0WAVEfmt ")
                               : ToneFile(i));
            }
        }
        TForm1::Options options;
        options.settingsDir = settings.path().toStdString();
        form = std::make_unique<TForm1>(std::move(options));
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        voices = form->Control<QComboBox>(Id::cbbVoice);
        ASSERT_TRUE(QTest::qWaitFor([this] { return voices->count() == 4; }, 5000));
    }

    void Choose(const char* voice) {
        voices->setCurrentIndex(voices->findText(QString::fromUtf8(voice)));
        ASSERT_EQ(voices->currentText(), QString::fromUtf8(voice));
    }

    // Records while button is clicked and until the announcer has had time to speak.
    Clip RecordClick(Id button, int waitMs) {
        SinkRecorder recorder;
        if (!recorder.Start())
            return {};
        QTest::mouseClick(form->Control<QPushButton>(button), Qt::LeftButton);
        QTest::qWait(waitMs);
        return recorder.Stop();
    }

    // A 0:0:5 countdown, each of the last 10 seconds spoken, the cue in place of 1.
    Clip RecordCountdown() {
        form->Control<QComboBox>(Id::cbbHour)->setCurrentText("0");
        form->Control<QComboBox>(Id::cbbMin)->setCurrentText("0");
        form->Control<QComboBox>(Id::cbbSec)->setCurrentText("5");
        form->Control<QComboBox>(Id::cbbLastSec)->setCurrentText("10");
        form->Control<QCheckBox>(Id::chkSec)->setChecked(true);
        form->Control<QCheckBox>(Id::chkLastOne)->setChecked(true);
        return RecordClick(Id::btnMinStart, 7500);
    }

    QTemporaryDir settings;
    std::unique_ptr<TForm1> form;
    QComboBox* voices = nullptr;
};

TEST_F(VoiceOnRealSound, APackSpeaksInItsTonesAndABrokenOneFallsBackClipByClip) {
    Choose("音调");
    // 试听 waits for the pack; 北京时间 is its first four clips, joined without a gap.
    EXPECT_TRUE(HeardOnce([this] {
        return HeardInOrder(
            RecordClick(Id::btnVoiceTry, 3500),
            {ExpectedTone(11), ExpectedTone(12), ExpectedTone(10), ExpectedTone(13)},
            kSinkRate / 50);
    }));
    EXPECT_EQ(form->Control<QLabel>(Id::lblVoiceNote)->text(), "");
    EXPECT_TRUE(HeardOnce([this] {
        return HeardInOrder(RecordCountdown(), {ExpectedTone(5), ExpectedTone(4), ExpectedTone(3),
                                                ExpectedTone(2), ExpectedTone(21)});
    }));

    Choose("缺损");
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return !form->Control<QLabel>(Id::lblVoiceNote)->text().isEmpty(); }, 5000));
    EXPECT_EQ(form->Control<QLabel>(Id::lblVoiceNote)->text(),
              "语音包「缺损」：wav3.wav、wav21.wav 无法使用，已用内置语音代替");
    EXPECT_TRUE(HeardOnce([this] {
        return HeardInOrder(RecordCountdown(), {ExpectedTone(5), ExpectedTone(4), BuiltIn("WAV", 3),
                                                ExpectedTone(2), BuiltIn("WAV", 21)});
    }));
}

TEST_F(VoiceOnRealSound, TheSecondBuiltInVoiceIsHeardAndIsNotTheFirst) {
    Choose("内置女声");
    Clip heard;
    EXPECT_TRUE(HeardOnce([&] {
        heard = RecordClick(Id::btnVoiceTry, 3500);
        return HeardInOrder(heard, {BuiltIn("WAVF", 11), BuiltIn("WAVF", 12)});
    }));
    const auto first = FindClipSequence(heard, {BuiltIn("WAV", 11)});
    EXPECT_TRUE(!first.found || first.Weakest() < 0.5) << first.Weakest();
}

} // namespace
