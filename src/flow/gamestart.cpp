#include "flow/gamestart.h"

#include <algorithm>
#include <array>
#include <span>
#include <variant>

#include "flow/controls.h"
#include "flow/scriptwords.h"
#include "flow/script.h"
#include "game/basghostai.h"
#include "game/bassetup.h"
#include "game/gamestate.h"
#include "platform/keyboard.h"
#include "platform/random.h"
#include "shell/frmmain.h"

namespace {

// A record's fields in the trace's order.
template <typename Record>
using Field = std::variant<std::int16_t Record::*, std::int32_t Record::*>;

const std::array<Field<PlayerState>, 20> kPlayerFields = {
    &PlayerState::FruitShown, &PlayerState::FruitGone, &PlayerState::GobCaught,
    &PlayerState::DotEaten,   &PlayerState::NewLevel,  &PlayerState::Score,
    &PlayerState::TickCount,  &PlayerState::GobX,      &PlayerState::GobY,
    &PlayerState::Lives,      &PlayerState::GobDir,    &PlayerState::GobAlign,
    &PlayerState::GobSpeed,   &PlayerState::Level,     &PlayerState::GhostsEaten,
    &PlayerState::FlashPhase, &PlayerState::DotsLeft,  &PlayerState::GobFrame,
    &PlayerState::GobFrameStep, &PlayerState::GobFrameTicks};
const std::array<Field<GhostState>, 10> kGhostFields = {
    &GhostState::Roaming, &GhostState::Eaten,  &GhostState::X,          &GhostState::Y,
    &GhostState::Dir,     &GhostState::Align,  &GhostState::Bounces,    &GhostState::Stride,
    &GhostState::Frightened, &GhostState::HalfStep};
const std::array<Field<SpriteState>, 6> kSpriteFields = {
    &SpriteState::OldX, &SpriteState::OldY, &SpriteState::NewX,
    &SpriteState::NewY, &SpriteState::SrcX, &SpriteState::SrcY};

template <typename Record, std::size_t N>
std::vector<std::int32_t> Read(const Record& record, const std::array<Field<Record>, N>& fields) {
    std::vector<std::int32_t> values;
    for (const Field<Record>& field : fields) {
        std::visit([&](auto member) { values.push_back(record.*member); }, field);
    }
    return values;
}

template <typename Record, std::size_t N>
void Write(Record& record, const std::array<Field<Record>, N>& fields,
           std::span<const std::int32_t> values) {
    for (std::size_t i = 0; i < N; ++i) {
        std::visit(
            [&](auto member) {
                using Value = std::remove_reference_t<decltype(record.*member)>;
                record.*member = static_cast<Value>(values[i]);
            },
            fields[i]);
    }
}

// How each record of the script's `# state` words is read and put back, in their order.
struct Access {
    std::vector<std::int32_t> (*read)();
    void (*write)(std::span<const std::int32_t> values);
};

template <int N>
constexpr Access GhostAccess() {
    return {[] { return Read(Ghosts[N], kGhostFields); },
            [](std::span<const std::int32_t> v) { Write(Ghosts[N], kGhostFields, v); }};
}
template <int N>
constexpr Access SpriteAccess() {
    return {[] { return Read(Sprites[N], kSpriteFields); },
            [](std::span<const std::int32_t> v) { Write(Sprites[N], kSpriteFields, v); }};
}
template <int N>
constexpr Access PlayerAccess() {
    return {[] { return Read(Players[N], kPlayerFields); },
            [](std::span<const std::int32_t> v) { Write(Players[N], kPlayerFields, v); }};
}

const std::array<Access, replay::kStates.size()> kAccess = {{
    {[] { return std::vector<std::int32_t>{CurPlayer}; },
     [](std::span<const std::int32_t> v) { CurPlayer = static_cast<std::int16_t>(v[0]); }},
    {[] { return std::vector<std::int32_t>{NumPlayers}; },
     [](std::span<const std::int32_t> v) { NumPlayers = static_cast<std::int16_t>(v[0]); }},
    {[] { return Read(Game, kPlayerFields); },
     [](std::span<const std::int32_t> v) { Write(Game, kPlayerFields, v); }},
    PlayerAccess<0>(), PlayerAccess<1>(),
    GhostAccess<0>(), GhostAccess<1>(), GhostAccess<2>(), GhostAccess<3>(),
    SpriteAccess<0>(), SpriteAccess<1>(), SpriteAccess<2>(), SpriteAccess<3>(), SpriteAccess<4>(),
}};

std::string Letters(bool (*state)(int)) {
    std::string letters;
    for (const replay::Arrow& arrow : replay::kArrows) {
        if (state(arrow.vk)) letters += arrow.letter;
    }
    return letters.empty() ? "-" : letters;
}

}  // namespace

std::string GameStartLines() {
    std::string lines = "# draws " + std::to_string(plat::RandomDraws()) + "\n# speed " +
                        std::to_string(Speed) + "\n# look " +
                        (DefaultMode ? "default" : "original") + "\n# players " +
                        (frmMain().Option1(1).Value() ? "2" : "1") + "\n# arrows " +
                        Letters(plat::KeyHeld) + " " + Letters(plat::KeyLatched) + "\n";
    for (std::size_t i = 0; i < kAccess.size(); ++i) {
        lines += "# state ";
        lines += replay::kStates[i].name;
        for (const std::int32_t value : kAccess[i].read()) {
            lines += ' ';
            lines += std::to_string(value);
        }
        lines += "\n";
    }
    return lines;
}

void ApplyGameStart(const replay::Header& header) {
    if (header.draws) plat::SkipRandom(*header.draws);
    if (header.speed) Speed = *header.speed;
    if (header.defaultMode) DefaultMode = *header.defaultMode ? kTrue : kFalse;
    ShowModes();
    if (header.players) frmMain().Option1(*header.players - 1).SetValue(true);
    if (header.arrows) {
        for (const replay::Arrow& arrow : replay::kArrows) {
            plat::SetKeyState(arrow.vk, header.arrows->first.find(arrow.letter) != std::string::npos,
                              header.arrows->second.find(arrow.letter) != std::string::npos);
        }
    }
    // A window started again holds what the last one left: a record the header leaves out
    // starts as in a fresh program, all zero.
    for (std::size_t i = 0; i < kAccess.size(); ++i)
        kAccess[i].write(std::vector<std::int32_t>(replay::kStates[i].fields));
    for (const auto& [name, values] : header.state) {
        const replay::StateWord* word = replay::FindState(name);
        kAccess[word - replay::kStates.data()].write(values);
    }
}
