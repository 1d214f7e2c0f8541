// Parses the generated sounds the way any plain WAV reader would and checks they fit the game.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/bassetup.h"
#include "game/gamestate.h"
#include "platform/sound.h"
#include "spectrum.h"

namespace {

struct Pcm {
    int rate = 0;
    std::vector<std::int16_t> samples;
    double seconds() const { return double(samples.size()) / rate; }
};

std::uint32_t le(const QByteArray& b, qsizetype at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | std::uint8_t(b[at + i]);
    return v;
}

// Accepts only 16-bit PCM mono; anything else comes back empty with the reason.
std::optional<Pcm> readMonoPcm16(const QString& path, std::string& why) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = "cannot open";
        return std::nullopt;
    }
    const QByteArray b = file.readAll();
    if (b.size() < 12 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE") {
        why = "not RIFF/WAVE";
        return std::nullopt;
    }
    Pcm pcm;
    bool haveFormat = false;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const QByteArray id = b.mid(at, 4);
        const qsizetype size = le(b, at + 4, 4);
        const qsizetype body = at + 8;
        if (body + size > b.size()) {
            why = "chunk runs past the end";
            return std::nullopt;
        }
        if (id == "fmt ") {
            if (le(b, body, 2) != 1 || le(b, body + 2, 2) != 1 || le(b, body + 14, 2) != 16) {
                why = "not 16-bit PCM mono";
                return std::nullopt;
            }
            pcm.rate = int(le(b, body + 4, 4));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) {
                why = "data before fmt";
                return std::nullopt;
            }
            for (qsizetype i = 0; i + 1 < size; i += 2)
                pcm.samples.push_back(std::int16_t(le(b, body + i, 2)));
            return pcm;
        }
        at = body + size + (size & 1);
    }
    why = "no data chunk";
    return std::nullopt;
}

double peakDbfs(const Pcm& pcm) {
    int peak = 0;
    for (std::int16_t s : pcm.samples) peak = std::max(peak, std::abs(int(s)));
    return 20 * std::log10(peak / 32768.0);
}

struct SoundCase {
    const char* name;
    const char* file;
    double minSeconds;
    double maxSeconds;
};

void PrintTo(const SoundCase& c, std::ostream* os) {
    *os << c.file;
}

class Sound : public testing::TestWithParam<SoundCase> {
  protected:
    void SetUp() override {
        std::string why;
        auto read = readMonoPcm16(QStringLiteral(NIBBLY_BIN_DIR "/") + GetParam().file, why);
        ASSERT_TRUE(read.has_value()) << GetParam().file << ": " << why;
        pcm = *read;
    }
    Pcm pcm;
};

TEST_P(Sound, IsAtACommonRate) {
    EXPECT_TRUE(pcm.rate == 22050 || pcm.rate == 44100) << pcm.rate;
}

TEST_P(Sound, LastsAsLongAsItsMomentInTheGame) {
    EXPECT_GE(pcm.seconds(), GetParam().minSeconds);
    EXPECT_LE(pcm.seconds(), GetParam().maxSeconds);
}

TEST_P(Sound, PeaksAtTheSharedLoudnessWithoutClipping) {
    const double peak = peakDbfs(pcm);
    EXPECT_GE(peak, -6.0);
    EXPECT_LE(peak, -1.0);
}

// A sound cut off mid-wave clicks, worst when the dot blip restarts every few ticks.
TEST_P(Sound, StartsAndEndsInSilence) {
    ASSERT_GE(pcm.samples.size(), 2u);
    EXPECT_LT(std::abs(int(pcm.samples.front())), 330);
    EXPECT_LT(std::abs(int(pcm.samples.back())), 330);
}

// Naive square and saw waves fold their harmonics back down as a harsh whistle; what reaches the
// top octave should be a faint trace. NIBBLY_LOOK_DIR=folder also saves each spectrogram there.
TEST_P(Sound, LeavesTheTopOfTheAudibleRangeNearlyEmpty) {
    const double above = bandLevelAboveDb(pcm.samples, pcm.rate, 16000);
    RecordProperty("above16kHzDb", std::to_string(above));
    EXPECT_LE(above, -40.0);
    if (const QString dir = qEnvironmentVariable("NIBBLY_LOOK_DIR"); !dir.isEmpty()) {
        const QString name = QString::fromLatin1(GetParam().name) + QStringLiteral(".png");
        EXPECT_TRUE(spectrogram(pcm.samples, pcm.rate).save(QDir(dir).filePath(name)));
        std::printf("%s: %.1f dB above 16 kHz\n", GetParam().file, above);
    }
}

INSTANTIATE_TEST_SUITE_P(Assets, Sound,
                         testing::Values(SoundCase{"eatpill", "eatpill.wav", 0.015, 0.060},
                                         SoundCase{"fruiteat", "fruiteat.wav", 0.15, 0.35},
                                         SoundCase{"ghosteat", "ghosteat.wav", 0.25, 0.5},
                                         SoundCase{"killed", "killed.wav", 1.2, 1.8},
                                         SoundCase{"extralife", "extralife.wav", 0.4, 0.8},
                                         SoundCase{"startMusic", "startMusic.wav", 2.0, 4.0},
                                         SoundCase{"startMusicold", "startMusicold.wav", 2.0, 4.0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StartTunes, EachEditionHasItsOwn) {
    std::string why;
    const auto polished = readMonoPcm16(QStringLiteral(NIBBLY_BIN_DIR "/startMusic.wav"), why);
    const auto retro = readMonoPcm16(QStringLiteral(NIBBLY_BIN_DIR "/startMusicold.wav"), why);
    ASSERT_TRUE(polished && retro) << why;
    EXPECT_NE(polished->samples, retro->samples);
}

// The look changes between games, and a tick reads no file: both are read at the start.
TEST(StartTunes, BothAreReadAtTheStartWhicheverTheLook) {
    DefaultMode = 1;
    LoadGameSounds();
    plat::StartSound();
    testing::internal::CaptureStderr();
    for (const bool defaultLook : {true, false}) PlaySound(StartMusic(defaultLook), 1);
    plat::StopSound();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
