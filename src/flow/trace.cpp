#include "flow/trace.h"

#include <algorithm>
#include <string>

#include "game/basghostai.h"
#include "game/bassetup.h"
#include "game/gamestate.h"
#include "platform/settings.h"
#include "shell/frmmain.h"
#include "shell/links.h"

namespace replay {

namespace {

void WritePlayer(JsonLines& out, const PlayerState& p) {
    out.Open("Game", '{')
        .Int("FruitShown", p.FruitShown)
        .Int("FruitGone", p.FruitGone)
        .Int("GobCaught", p.GobCaught)
        .Int("DotEaten", p.DotEaten)
        .Int("NewLevel", p.NewLevel)
        .Int("Score", p.Score)
        .Int("TickCount", p.TickCount)
        .Int("GobX", p.GobX)
        .Int("GobY", p.GobY)
        .Int("Lives", p.Lives)
        .Int("GobDir", p.GobDir)
        .Int("GobAlign", p.GobAlign)
        .Int("GobSpeed", p.GobSpeed)
        .Int("Level", p.Level)
        .Int("GhostsEaten", p.GhostsEaten)
        .Int("FlashPhase", p.FlashPhase)
        .Int("DotsLeft", p.DotsLeft)
        .Int("GobFrame", p.GobFrame)
        .Int("GobFrameStep", p.GobFrameStep)
        .Int("GobFrameTicks", p.GobFrameTicks)
        .Close('}');
}

void WriteGhosts(JsonLines& out) {
    out.Open("Ghosts", '[');
    for (const GhostState& g : Ghosts) {
        out.Open("", '{')
            .Int("Roaming", g.Roaming)
            .Int("Eaten", g.Eaten)
            .Int("X", g.X)
            .Int("Y", g.Y)
            .Int("Dir", g.Dir)
            .Int("Align", g.Align)
            .Int("Bounces", g.Bounces)
            .Int("Stride", g.Stride)
            .Int("Frightened", g.Frightened)
            .Int("HalfStep", g.HalfStep)
            .Close('}');
    }
    out.Close(']');
}

void WriteSprites(JsonLines& out) {
    out.Open("Sprites", '[');
    for (const SpriteState& s : Sprites) {
        out.Open("", '{')
            .Int("OldX", s.OldX)
            .Int("OldY", s.OldY)
            .Int("NewX", s.NewX)
            .Int("NewY", s.NewY)
            .Int("SrcX", s.SrcX)
            .Int("SrcY", s.SrcY)
            .Close('}');
    }
    out.Close(']');
}

// The base name as the game passed it: no folder, no ".wav", case kept.
std::string_view SoundName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (path.size() >= 4 && std::equal(path.end() - 4, path.end(), ".wav",
                                       [&](char a, char b) { return lower(a) == b; })) {
        path.remove_suffix(4);
    }
    return path;
}

char ItemChar(std::int16_t item) {
    switch (item) {
        case -1:
            return 'W';
        case 1:
            return '.';
        case 2:
            return 'o';
        case 0:
            return ' ';
        default:
            return '?';  // no rule writes it; shows up rather than passing for a blank
    }
}

void WriteBoard(JsonLines& out, std::string_view key, std::int16_t MazeCell::*item) {
    out.Open(key, '[');
    std::string row(kMazeCols, ' ');
    for (int r = 0; r < kMazeRows; ++r) {
        for (int c = 0; c < kMazeCols; ++c) row[c] = ItemChar(Maze[c][r].*item);
        out.Text("", row);
    }
    out.Close(']');
}

}  // namespace

JsonLines& Trace::Begin(std::string_view ev, std::int64_t t) {
    return out_.Open("", '{').Text("ev", ev).Int("t", t);
}

void Trace::AfterTimer(std::int64_t t, const std::string& timer, const FrmMain& form) {
    // Quiet, the ticks are still counted.
    if (timer == "tmrKeyBoard") ++ticks_;
    if (quiet_) return;
    if (timer == "tmrKeyBoard") {
        Begin("tick", t).Int("n", ticks_).Int("CurPlayer", CurPlayer);
        WritePlayer(out_, Game);
        WriteGhosts(out_);
        WriteSprites(out_);
        out_.EndLine();
    } else if (timer == "tmrReady") {
        Begin("ready", t)
            .Int("ReadyCount", form.ReadyCount)
            .Text("lblReady", form.lblReady.Caption())
            .Text("lblPlayer", form.lblPlayer.Caption())
            .EndLine();
    } else if (timer == "tmrFlash") {
        Begin("flash", t).Int("FlashOn", form.FlashOn).EndLine();
    }
}

void Trace::Sound(std::int64_t t, std::string_view path, int flags) {
    if (quiet_) return;
    Begin("sound", t).Text("name", SoundName(path)).Int("flags", flags).EndLine();
}

void Trace::MsgBox(std::int64_t t, std::string_view title, std::string_view text,
                   std::string_view answer) {
    if (quiet_) return;
    Begin("msgbox", t).Text("title", title).Text("text", text).Text("answer", answer).EndLine();
}

void Trace::Open(std::int64_t t, std::string_view target) {
    if (quiet_) return;
    Begin("open", t).Text("target", target).EndLine();
}

void Trace::Random(std::int64_t t, double value) {
    if (quiet_) return;
    Begin("random", t).Double("value", value).EndLine();
}

void Trace::Input(std::int64_t t, std::string_view line) {
    if (quiet_) return;
    Begin("input", t).Text("line", line).EndLine();
}

void Trace::InputBeforeMark(std::int64_t t, std::string_view line) {
    if (quiet_) return;
    std::string text = "{\"ev\":\"input\",\"t\":" + std::to_string(t) + ",\"line\":";
    AppendJsonString(text, line);
    out_.InsertAtPin(text + "}\n");
}

void Trace::End(std::int64_t t, const FrmMain& form) {
    if (quiet_) return;
    Begin("end", t)
        .Int("Coins", Coins)
        .Int("HiScore", HiScore)
        .Int("Speed", Speed)
        .Int("DefaultMode", DefaultMode)
        .Int("GameRunning", GameRunning)
        .Int("NumPlayers", NumPlayers)
        .Int("CurPlayer", CurPlayer)
        .Text("lblScore", form.lblScore.Caption())
        .Text("lblHiscore", form.lblHiscore.Caption())
        .Text("lblCoins", form.lblCoins.Caption())
        .Text("lblSpeed", form.lblSpeed.Caption())
        .Text("lblTitle", form.lblTitle.Caption());
    WriteBoard(out_, "Items", &MazeCell::Item);
    WriteBoard(out_, "OtherItems", &MazeCell::OtherItem);

    const auto stored = plat::GetAllSettings(kAppTitle, "SetLog");
    out_.Open("settings", '{');
    for (const char* key : {"frmMainX", "frmMainY", "GameCoins", "GameHiScore"}) {
        const auto found = stored.find(key);
        if (found != stored.end()) out_.Text(key, found->second);
    }
    out_.Close('}').EndLine();
    out_.Flush();
}

}  // namespace replay
