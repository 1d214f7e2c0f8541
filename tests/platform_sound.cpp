#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

#include "platform/signals.h"
#include "platform/sound.h"
#include "platform/voice.h"
#include "platform/wavefile.h"

namespace {

struct Played {
    std::string path;
    int flags;
    bool operator==(const Played&) const = default;
};

class RecordingBackend : public plat::SoundBackend {
  public:
    explicit RecordingBackend(std::vector<Played>& log) : log_(log) {}
    void Play(const std::string& path, int flags) override { log_.push_back({path, flags}); }

  private:
    std::vector<Played>& log_;
};

TEST(Sound, PlaysThroughTheBackendUntilItIsReplaced) {
    std::vector<Played> log;
    plat::SetSoundBackend(std::make_unique<RecordingBackend>(log));

    plat::sndPlaySound("/data/eatpill.wav", plat::SND_ASYNC);
    plat::sndPlaySound("/data/startMusic.wav", plat::SND_SYNC);
    plat::SetSoundBackend(nullptr);
    plat::sndPlaySound("/data/killed.wav", plat::SND_SYNC);

    EXPECT_EQ(log, (std::vector<Played>{{"/data/eatpill.wav", plat::SND_ASYNC},
                                        {"/data/startMusic.wav", plat::SND_SYNC}}));
}

TEST(Sound, StopSoundFallsBackToSilence) {
    std::vector<Played> log;
    plat::SetSoundBackend(std::make_unique<RecordingBackend>(log));

    plat::StopSound();
    plat::sndPlaySound("/data/eatpill.wav", plat::SND_ASYNC);

    EXPECT_TRUE(log.empty());
}

// A PCM wave file: 8-bit unsigned mono.
QByteArray Wave(int rate, const QByteArray& samples) {
    auto le32 = [](quint32 v) {
        QByteArray bytes(4, 0);
        qToLittleEndian(v, bytes.data());
        return bytes;
    };
    auto le16 = [](quint16 v) {
        QByteArray bytes(2, 0);
        qToLittleEndian(v, bytes.data());
        return bytes;
    };
    return "RIFF" + le32(36 + samples.size()) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(1) +
           le32(rate) + le32(rate) + le16(1) + le16(8) + "data" + le32(samples.size()) + samples;
}

class WaveFileTest : public testing::Test {
  protected:
    std::string Write(const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return dir.filePath(name).toStdString();
    }

    QTemporaryDir dir;
};

TEST_F(WaveFileTest, ConvertsToSixteenBitAtTheDeviceRate) {
    Write("Beep.WAV", Wave(22050, QByteArray(1000, char(0xC0))));

    const std::vector<std::uint8_t> pcm =
        plat::LoadWave(dir.filePath("beep.wav").toStdString(), 44100, 1);

    // Twice the rate, two bytes a sample; resampling may trim or pad a few frames.
    EXPECT_NEAR(static_cast<double>(pcm.size()), 4000.0, 64.0);
    EXPECT_EQ(pcm.size() % 2, 0u);
    std::int16_t middle;
    std::memcpy(&middle, pcm.data() + pcm.size() / 4 * 2, sizeof middle);
    EXPECT_NEAR(middle, (0xC0 - 0x80) << 8, 512);
}

TEST_F(WaveFileTest, SameRateOnlyWidensSamples) {
    const std::string path = Write("same.wav", Wave(8000, QByteArray(100, char(0x80))));

    EXPECT_EQ(plat::LoadWave(path, 8000, 1).size(), 200u);
}

// Found by fuzzing: 85 samples at 3.8 MHz resample to none at all, which was silence without
// a reason.
TEST(WaveFile, NothingLeftAfterResamplingIsAFailureWithAReason) {
    QByteArray bytes = Wave(8000, QByteArray(85, char(0x91)));
    qToLittleEndian<quint32>(0x3A1F40, bytes.data() + 24);

    std::string error;
    EXPECT_TRUE(plat::DecodeWave(bytes.toStdString(), 44100, 1, error).empty());
    EXPECT_FALSE(error.empty());
}

TEST_F(WaveFileTest, ReadsOnlyRegularFilesWithoutBlocking) {
    const std::string good = Write("good.wav", Wave(8000, QByteArray(100, char(0x80))));
    ASSERT_TRUE(QFile::link(QString::fromStdString(good), dir.filePath("link.wav")));
    ASSERT_EQ(mkfifo(dir.filePath("pipe.wav").toLocal8Bit(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir.filePath("pipe.wav"), dir.filePath("link-to-pipe.wav")));
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("device.wav")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.wav"));

    EXPECT_EQ(plat::LoadWave(dir.filePath("link.wav").toStdString(), 8000, 1).size(), 200u);
    for (const char* name : {"pipe.wav", "link-to-pipe.wav", "device.wav", "folder.wav"})
        EXPECT_TRUE(plat::LoadWave(dir.filePath(name).toStdString(), 8000, 1).empty()) << name;
}

struct BrokenRow {
    const char* name;
    QByteArray bytes;
};

void PrintTo(const BrokenRow& row, std::ostream* os) {
    *os << row.name;
}

class BrokenWaveTest : public WaveFileTest, public testing::WithParamInterface<BrokenRow> {};

TEST_P(BrokenWaveTest, GivesSilence) {
    const std::string path = GetParam().bytes.isNull() ? dir.filePath("missing.wav").toStdString()
                                                       : Write("broken.wav", GetParam().bytes);

    EXPECT_TRUE(plat::LoadWave(path, 44100, 1).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenWaveTest,
    testing::Values(BrokenRow{"missing", QByteArray()}, BrokenRow{"empty", QByteArray("")},
                    BrokenRow{"text", "this is not a wave file at all"},
                    BrokenRow{"header_only", Wave(22050, {}).left(20)},
                    BrokenRow{"riff_but_not_wave", QByteArray("RIFF\x10\0\0\0AVI LIST", 16)},
                    // Found by fuzzing: a few bytes that claimed 3.6 GB of A-law samples.
                    BrokenRow{"data_longer_than_the_file",
                              QByteArray("RIFFR\x01\0\0WAVEfmt \x12\0\0\0\x06\0\x01\0@\x1f\0\0@\x1f"
                                         "\0\0\x01\0\x08\0\0\0data\xde\xdd\xdb\xda\xbb\xba",
                                         48)},
                    // Converted to the device's rate, a megabyte at 1 Hz asked for 88 GB.
                    BrokenRow{"rate_of_1_hz", Wave(1, QByteArray(1 << 20, char(0x80)))},
                    BrokenRow{"converted_larger_than_the_cap",
                              Wave(4000, QByteArray(1 << 20, char(0x80)))}),
    [](const testing::TestParamInfo<BrokenRow>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pull(plat::Voice& voice, int len) {
    Bytes out(len, 0xEE);
    voice.Fill(out.data(), len);
    return out;
}

TEST(Voice, ANewSoundCutsOffTheOnePlayingAndSilenceFillsTheRest) {
    const Bytes first = {1, 2, 3, 4, 5, 6};
    const Bytes second = {7, 8, 9};
    const Bytes nothing;
    plat::Voice voice(1000);
    EXPECT_EQ(Pull(voice, 3), (Bytes{0, 0, 0}));

    const auto one = voice.Play(first);
    EXPECT_EQ(Pull(voice, 4), (Bytes{1, 2, 3, 4}));
    EXPECT_LT(voice.Finished(), one);
    const auto two = voice.Play(second);
    EXPECT_EQ(Pull(voice, 2), (Bytes{7, 8}));
    EXPECT_LT(voice.Finished(), two);
    EXPECT_EQ(Pull(voice, 4), (Bytes{9, 0, 0, 0}));
    EXPECT_EQ(voice.Finished(), two);

    // A sound that could not be loaded is empty: it silences the voice and ends at once.
    voice.Play(first);
    EXPECT_EQ(Pull(voice, 2), (Bytes{1, 2}));
    const auto three = voice.Play(nothing);
    EXPECT_EQ(Pull(voice, 2), (Bytes{0, 0}));
    EXPECT_EQ(voice.Finished(), three);

    // Muted, a sound is silence for as long as it lasts, from the moment of muting.
    const auto four = voice.Play(first);
    EXPECT_EQ(Pull(voice, 2), (Bytes{1, 2}));
    voice.SetMuted(true);
    EXPECT_EQ(Pull(voice, 3), (Bytes{0, 0, 0}));
    EXPECT_LT(voice.Finished(), four);
    EXPECT_EQ(Pull(voice, 2), (Bytes{0, 0}));
    EXPECT_EQ(voice.Finished(), four);
    voice.SetMuted(false);
    voice.Play(second);
    EXPECT_EQ(Pull(voice, 3), (Bytes{7, 8, 9}));
}

// The audio thread takes each sound with its own number: a silent sound that ends in the
// callback that took it never ends the wait for the one played right after it.
TEST(Voice, AWaitEndsOnlyWhenItsOwnSoundHasPlayed) {
    const Bytes nothing;
    const Bytes mark = {0x55};
    plat::Voice voice(1000);
    std::atomic<bool> stop = false;
    std::atomic<int> marks = 0;
    std::thread audio([&] {
        while (!stop) {
            const Bytes out = Pull(voice, 2);
            marks += static_cast<int>(std::count(out.begin(), out.end(), 0x55));
        }
    });
    constexpr int kRounds = 5000;
    for (int i = 0; i < kRounds; ++i) {
        voice.Play(nothing);
        const auto number = voice.Play(mark);
        while (voice.Finished() < number) std::this_thread::yield();
    }
    stop = true;
    audio.join();
    // A wait that ended early lets the next round's sound replace the mark before it plays.
    EXPECT_EQ(marks, kRounds);
}

struct WaitRow {
    const char* name;
    int soundMs;
    bool deviceRuns;
    std::int64_t waitedMs;
};

void PrintTo(const WaitRow& row, std::ostream* os) {
    *os << row.name;
}

class VoiceWaitTest : public testing::TestWithParam<WaitRow> {};

// A byte a millisecond, and time passes only when the wait sleeps.
TEST_P(VoiceWaitTest, HoldsTheGameAsLongAsTheSoundButNoLonger) {
    const Bytes sound(static_cast<std::size_t>(GetParam().soundMs), 1);
    plat::Voice voice(1000);
    std::int64_t waited = 0;

    voice.Play(sound);
    voice.WaitForLast([&](int ms) {
        if (GetParam().deviceRuns) Pull(voice, ms);
        waited += ms;
        return ms;
    });

    EXPECT_EQ(waited, GetParam().waitedMs);
}

INSTANTIATE_TEST_SUITE_P(
    Voice, VoiceWaitTest,
    testing::Values(WaitRow{"until_the_sound_ends", 1000, true, 1000},
                    WaitRow{"a_stalled_device_for_the_sound_and_a_margin", 1000, false, 1250},
                    WaitRow{"a_long_sound_for_the_longest_wait", 20000, true,
                            plat::Voice::kLongestWaitMs}),
    [](const testing::TestParamInfo<WaitRow>& info) { return std::string(info.param.name); });

TEST(VoiceWait, EndsAtOnceWhenTheProgramIsAskedToEnd) {
    EXPECT_EXIT(
        {
            plat::OnTerminationSignal([] {});
            std::raise(SIGTERM);
            const Bytes sound(2000, 1);
            plat::Voice voice(1000);
            int sleeps = 0;
            voice.Play(sound);
            voice.WaitForLast([&](int ms) {
                ++sleeps;
                return ms;
            });
            std::_Exit(sleeps);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
