#include "sounds.h"

#include <initializer_list>

#include "synth.h"

namespace {

// A phrase on a sixteenth-note grid: start step, length in steps, MIDI note.
struct Step {
    int at;
    int len;
    int note;
};

void phrase(Synth& s, std::initializer_list<Step> steps, double stepSeconds, Note voice) {
    for (const Step& st : steps) {
        Note n = voice;
        n.start = st.at * stepSeconds;
        n.length = st.len * stepSeconds - voice.release * 0.5;
        n.freq = midiHz(st.note);
        s.play(n);
    }
}

Sound finish(const char* name, const Synth& s) {
    return {name, s.render(kPeakDbfs)};
}

// Short enough to restart on every dot at top speed without piling up into a buzz.
Sound eatPill() {
    Synth s(kSampleRate);
    s.play({.length = 0.024,
            .freq = 740,
            .freqEnd = 520,
            .duty = 0.25,
            .attack = 0.002,
            .release = 0.013});
    s.play({.length = 0.024,
            .freq = 370,
            .freqEnd = 260,
            .wave = Wave::Triangle,
            .gain = 0.8,
            .attack = 0.002,
            .release = 0.013});
    return finish("eatpill.wav", s);
}

Sound fruitEat() {
    Synth s(kSampleRate);
    s.play(
        {.length = 0.2, .freq = 280, .freqEnd = 1500, .gain = 0.6, .duty = 0.5, .release = 0.045});
    s.play({.length = 0.2,
            .freq = 140,
            .freqEnd = 750,
            .wave = Wave::Triangle,
            .gain = 0.9,
            .release = 0.045});
    return finish("fruiteat.wav", s);
}

Sound ghostEat() {
    Synth s(kSampleRate);
    const int notes[] = {79, 83, 86, 91, 95};
    constexpr double kStep = 0.055;
    for (int i = 0; i < 5; ++i) {
        const bool last = i == 4;
        const double len = last ? 0.11 : kStep;
        s.play({.start = i * kStep,
                .length = len,
                .freq = midiHz(notes[i]),
                .gain = 0.55,
                .duty = 0.125,
                .release = last ? 0.07 : 0.015});
        s.play({.start = i * kStep,
                .length = len,
                .freq = midiHz(notes[i] - 12),
                .wave = Wave::Triangle,
                .gain = 0.7,
                .release = last ? 0.07 : 0.015});
    }
    return finish("ghosteat.wav", s);
}

// Each step slumps a little as it falls, then a last low bump and a puff of noise.
Sound killed() {
    Synth s(kSampleRate);
    const int notes[] = {77, 74, 72, 69, 67, 64, 62, 58};
    constexpr double kStep = 0.12;
    for (int i = 0; i < 8; ++i) {
        const double hz = midiHz(notes[i]);
        s.play({.start = i * kStep,
                .length = kStep - 0.02,
                .freq = hz,
                .freqEnd = hz * 0.94,
                .gain = 0.5,
                .duty = 0.5,
                .release = 0.02});
        s.play({.start = i * kStep,
                .length = kStep - 0.02,
                .freq = hz * 0.501,
                .freqEnd = hz * 0.47,
                .wave = Wave::Triangle,
                .gain = 0.7,
                .release = 0.02});
    }
    constexpr double kTail = 8 * kStep + 0.04;
    s.play({.start = kTail,
            .length = 0.26,
            .freq = midiHz(50),
            .freqEnd = midiHz(38),
            .wave = Wave::Triangle,
            .gain = 1.0,
            .release = 0.2});
    s.play({.start = kTail,
            .length = 0.1,
            .freq = 3000,
            .wave = Wave::Noise,
            .gain = 0.3,
            .release = 0.12,
            .decay = 12});
    return finish("killed.wav", s);
}

Sound extraLife() {
    Synth s(kSampleRate);
    struct Call {
        double at, len;
        int note;
    };
    const Call calls[] = {{0.0, 0.1, 79}, {0.13, 0.1, 84}, {0.26, 0.24, 88}};
    for (const Call& c : calls) {
        s.play({.start = c.at,
                .length = c.len,
                .freq = midiHz(c.note),
                .gain = 0.5,
                .duty = 0.25,
                .release = 0.09});
        s.play({.start = c.at,
                .length = c.len,
                .freq = midiHz(c.note - 12),
                .wave = Wave::Triangle,
                .gain = 0.6,
                .release = 0.09});
    }
    return finish("extralife.wav", s);
}

// D major, I-IV-V-I in two bars and a held top note: bright lead, bouncing bass, soft hats.
Sound startMusic() {
    Synth s(kSampleRate);
    constexpr double kStep = 0.095;
    phrase(s,
           {{0, 2, 69},
            {2, 2, 74},
            {4, 1, 78},
            {5, 1, 76},
            {6, 2, 74},
            {8, 3, 79},
            {11, 1, 78},
            {12, 2, 76},
            {14, 2, 74},
            {16, 2, 73},
            {18, 2, 76},
            {20, 3, 81},
            {23, 1, 79},
            {24, 2, 78},
            {26, 1, 76},
            {27, 1, 73},
            {28, 2, 74},
            {30, 2, 81},
            {32, 4, 86}},
           kStep, {.gain = 0.5, .duty = 0.25, .attack = 0.005, .release = 0.06});
    phrase(s,
           {{0, 2, 50},
            {2, 2, 62},
            {4, 2, 50},
            {6, 2, 62},
            {8, 2, 43},
            {10, 2, 55},
            {12, 2, 43},
            {14, 2, 55},
            {16, 2, 45},
            {18, 2, 57},
            {20, 2, 45},
            {22, 2, 57},
            {24, 2, 50},
            {26, 2, 62},
            {28, 2, 45},
            {30, 2, 57},
            {32, 4, 50}},
           kStep, {.wave = Wave::Triangle, .gain = 0.8, .attack = 0.006, .release = 0.05});
    for (int beat = 0; beat < 16; ++beat) {
        s.play({.start = (beat * 2 + 1) * kStep,
                .length = 0.02,
                .freq = 9000,
                .wave = Wave::Noise,
                .gain = 0.12,
                .attack = 0.001,
                .release = 0.03});
    }
    return finish("startMusic.wav", s);
}

// The retro edition's own tune: one plain square voice over a noise kick and snare.
Sound startMusicOld() {
    Synth s(kSampleRate);
    constexpr double kStep = 0.11;
    phrase(s,
           {{0, 1, 72},
            {1, 1, 72},
            {2, 2, 79},
            {4, 2, 76},
            {6, 1, 79},
            {7, 1, 81},
            {8, 2, 79},
            {10, 2, 76},
            {12, 2, 74},
            {14, 2, 76},
            {16, 2, 77},
            {18, 2, 81},
            {20, 2, 84},
            {22, 1, 81},
            {23, 1, 77},
            {24, 2, 79},
            {26, 2, 71},
            {28, 4, 72}},
           kStep, {.gain = 0.6, .duty = 0.5, .attack = 0.003, .release = 0.05});
    for (int beat = 0; beat < 8; ++beat) {
        const bool snare = beat % 2 == 1;
        s.play({.start = beat * 4 * kStep,
                .length = 0.03,
                .freq = snare ? 6000.0 : 900.0,
                .wave = Wave::Noise,
                .gain = snare ? 0.3 : 0.4,
                .attack = 0.001,
                .release = snare ? 0.08 : 0.05});
    }
    return finish("startMusicold.wav", s);
}

}  // namespace

std::vector<Sound> makeSounds() {
    std::vector<Sound> sounds;
    sounds.push_back(eatPill());
    sounds.push_back(fruitEat());
    sounds.push_back(ghostEat());
    sounds.push_back(killed());
    sounds.push_back(extraLife());
    sounds.push_back(startMusic());
    sounds.push_back(startMusicOld());
    return sounds;
}
