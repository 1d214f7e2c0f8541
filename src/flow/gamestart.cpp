#include "flow/gamestart.h"

#include <algorithm>
#include <array>
#include <span>
#include <variant>

#include "flow/controls.h"
#include "flow/scriptinput.h"
#include "flow/simscript.h"
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

// One row per record a header can carry: its name, and how it is read and put back.
struct StateRow {
    std::string name;
    std::size_t fields;
    std::vector<std::int32_t> (*read)(int index);
    void (*write)(int index, std::span<const std::int32_t> values);
    int index;
};

std::vector<StateRow> StateRows() {
    std::vector<StateRow> rows = {
        {"CurPlayer", 1, [](int) { return std::vector<std::int32_t>{CurPlayer}; },
         [](int, std::span<const std::int32_t> v) { CurPlayer = static_cast<std::int16_t>(v[0]); },
         0},
        {"NumPlayers", 1, [](int) { return std::vector<std::int32_t>{NumPlayers}; },
         [](int, std::span<const std::int32_t> v) { NumPlayers = static_cast<std::int16_t>(v[0]); },
         0},
        {"Game", kPlayerFields.size(), [](int) { return Read(Game, kPlayerFields); },
         [](int, std::span<const std::int32_t> v) { Write(Game, kPlayerFields, v); }, 0},
    };
    for (int i = 0; i < 2; ++i) {
        rows.push_back({"Players(" + std::to_string(i) + ")", kPlayerFields.size(),
                        [](int n) { return Read(Players[n], kPlayerFields); },
                        [](int n, std::span<const std::int32_t> v) {
                            Write(Players[n], kPlayerFields, v);
                        },
                        i});
    }
    for (int i = 0; i < 4; ++i) {
        rows.push_back({"Ghosts(" + std::to_string(i + 1) + ")", kGhostFields.size(),
                        [](int n) { return Read(Ghosts[n], kGhostFields); },
                        [](int n, std::span<const std::int32_t> v) {
                            Write(Ghosts[n], kGhostFields, v);
                        },
                        i});
    }
    for (int i = 0; i < 5; ++i) {
        rows.push_back({"Sprites(" + std::to_string(i) + ")", kSpriteFields.size(),
                        [](int n) { return Read(Sprites[n], kSpriteFields); },
                        [](int n, std::span<const std::int32_t> v) {
                            Write(Sprites[n], kSpriteFields, v);
                        },
                        i});
    }
    return rows;
}

const std::vector<StateRow>& Rows() {
    static const std::vector<StateRow> rows = StateRows();
    return rows;
}

std::string Letters(bool (*state)(int)) {
    std::string letters;
    for (const sim::Arrow& arrow : sim::kArrows) {
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
    for (const StateRow& row : Rows()) {
        lines += "# state " + row.name;
        for (const std::int32_t value : row.read(row.index)) lines += " " + std::to_string(value);
        lines += "\n";
    }
    return lines;
}

bool ValidStateLine(std::string_view name, std::size_t values) {
    return std::any_of(Rows().begin(), Rows().end(), [&](const StateRow& row) {
        return row.name == name && row.fields == values;
    });
}

void ApplyGameStart(const sim::Header& header) {
    if (header.draws) plat::SkipRandom(*header.draws);
    if (header.speed) Speed = *header.speed;
    if (header.defaultMode) DefaultMode = *header.defaultMode ? kTrue : kFalse;
    ShowModes();
    if (header.players) frmMain().Option1(*header.players - 1).SetValue(true);
    if (header.arrows) {
        for (const sim::Arrow& arrow : sim::kArrows) {
            plat::SetKeyState(arrow.vk, header.arrows->first.find(arrow.letter) != std::string::npos,
                              header.arrows->second.find(arrow.letter) != std::string::npos);
        }
    }
    // A window started again holds what the last one left: a record the header leaves out
    // starts as in a fresh program, all zero.
    for (const StateRow& row : Rows()) row.write(row.index, std::vector<std::int32_t>(row.fields));
    for (const auto& [name, values] : header.state) {
        for (const StateRow& row : Rows()) {
            if (row.name == name) row.write(row.index, values);
        }
    }
}
