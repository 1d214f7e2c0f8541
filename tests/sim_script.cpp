#include <QDir>

#include "sim_run.h"

namespace {

using simtest::Int;
using simtest::SimResult;
using simtest::Text;

class SimScript : public simtest::SimTest {
  protected:
    // Runs nibbly-sim with arguments it must refuse: exit 2, nothing on standard output.
    // Returns what it says on standard error.
    QByteArray Refusal(const QStringList& args) const {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(simtest::SimPath(), args);
        EXPECT_TRUE(process.waitForFinished(-1));
        EXPECT_EQ(process.exitCode(), 2);
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
        return process.readAllStandardError();
    }
};

struct BadLine {
    const char* name;
    const char* script;
    int line;
};

void PrintTo(const BadLine& row, std::ostream* out) {
    *out << row.name;
}

class SimBadScript : public simtest::SimTest, public testing::WithParamInterface<BadLine> {};

TEST_P(SimBadScript, IsRefusedBeforeAnythingRuns) {
    const BadLine& row = GetParam();

    const SimResult result = Run(row.script);

    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.raw.isEmpty());
    const QByteArray message = result.errors.trimmed();
    EXPECT_FALSE(message.contains('\n')) << message.toStdString();
    EXPECT_TRUE(message.contains("line " + QByteArray::number(row.line) + ":"))
        << message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Sim, SimBadScript,
    testing::Values(
        BadLine{"unknown_command", "10 jump\n", 1}, BadLine{"signed_time", "+10 key I\n", 1},
        BadLine{"negative_time", "-10 key I\n", 1}, BadLine{"fractional_time", "10.5 key I\n", 1},
        BadLine{"time_beyond_limit", "1000000001 key I\n", 1},
        BadLine{"time_goes_back", "20 key I\n10 key I\n", 2}, BadLine{"time_only", "10\n", 1},
        BadLine{"hold_bad_letter", "10 hold UX\n", 1}, BadLine{"hold_key_twice", "10 hold UU\n", 1},
        BadLine{"hold_lower_case", "10 hold u\n", 1}, BadLine{"tap_two_keys", "10 tap UD\n", 1},
        BadLine{"tap_nothing", "10 tap -\n", 1}, BadLine{"unknown_key", "10 key Q\n", 1},
        BadLine{"key_without_argument", "10 key\n", 1},
        BadLine{"unknown_control", "10 click XPButton9\n", 1},
        BadLine{"unknown_answer", "10 answer maybe\n", 1},
        BadLine{"text_after_argument", "10 key I I\n", 1},
        BadLine{"end_with_argument", "10 end now\n", 1},
        BadLine{"counted_past_comments", "# start\n\n10 key I\n20 key Z\n", 4},
        BadLine{"after_end", "10 end\n20 jump\n", 2},
        BadLine{"seed_header_not_a_number", "# seed soon\n10 end\n", 1},
        BadLine{"screen_header_without_height", "# screen 1024\n10 end\n", 1},
        BadLine{"blur_with_argument", "10 blur now\n", 1}),
    [](const testing::TestParamInfo<BadLine>& info) { return info.param.name; });

TEST_F(SimScript, BadCommandLinesAreRefused) {
    const QString script = WriteScript("10 end\n");
    const QStringList bad[] = {{"--seed", "-1", script},
                               {"--seed", "4294967296", script},
                               {"--seed", "12x", script},
                               {"--seed"},
                               {"--bogus", script},
                               {script, script},
                               {Path("missing.txt")},
                               {Path(".")},
                               {}};
    for (const QStringList& args : bad) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_FALSE(Refusal(args).isEmpty());
    }
}

TEST_F(SimScript, HelpInEitherSpellingPrintsTheUsage) {
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(simtest::SimPath(), {option});
        ASSERT_TRUE(process.waitForFinished(-1));
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_TRUE(process.readAllStandardOutput().startsWith("usage: nibbly-sim"));
    }
}

// Neither a file that holds something else nor the script is ever written over.
TEST_F(SimScript, SettingsFileThatIsNoSettingsFileIsRefusedAndKept) {
    // Comments only: as good a settings file as a script.
    const QByteArray script = "# a script\n";
    const QString scriptPath = WriteScript(script);
    const QString prose = Path("notes.txt");
    QFile file(prose);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[SetLog]\nGameCoins=3\nSome notes that are not settings.\n");
    file.close();
    const QStringList bad[] = {{"--settings", prose, scriptPath},
                               {"--settings", scriptPath, scriptPath}};
    for (const QStringList& args : bad) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_TRUE(Refusal(args).contains("--settings"));
    }
    QFile scriptFile(scriptPath);
    ASSERT_TRUE(scriptFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(scriptFile.readAll(), script);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith("not settings.\n"));
}

// A script that cannot be read is not an empty one, one without end is cut short before it
// fills the temporary folder, and a trace that is lost is a failure.
TEST_F(SimScript, UnreadableInputOrUnwritableTraceFails) {
    const QString script = WriteScript("10 end\n");
    const QString tmp = Path("tmp");
    ASSERT_TRUE(QDir().mkdir(tmp));
    const struct {
        const char* command;
        QString argument;
        const char* message;
    } rows[] = {
        {R"("$0" - < "$1")", Path("."), ": cannot "},
        {R"("$0" - <&-)", script, ": cannot "},
        {R"("$0" "$1" > /dev/full)", script, ": cannot "},
        {R"("$0" "$1")", "/proc/self/mem", ": cannot be read"},
        // Were it unbounded, the file-size limit stops it long before the disk is full.
        {R"(ulimit -f 131072; exec "$0" "$1")", "/dev/zero", ": is longer than"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command + (" " + row.argument.toStdString()));
        QProcess process;
        QProcessEnvironment env = Environment();
        env.insert("TMPDIR", tmp);
        process.setProcessEnvironment(env);
        process.start("/bin/sh", {"-c", row.command, simtest::SimPath(), row.argument});
        const bool finished = process.waitForFinished(60000);
        if (!finished) process.kill();
        ASSERT_TRUE(finished);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(process.exitCode(), 0);
        EXPECT_TRUE(process.readAllStandardError().contains(row.message));
    }
    EXPECT_TRUE(QDir(tmp).entryList({"nibbly-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

TEST_F(SimScript, HeaderGivesSeedAndStoredValuesUnlessTheCommandLineDoes) {
    const QByteArray play = "0 key 1\n100 end\n";
    const auto randoms = [](const SimResult& result) {
        std::vector<double> values;
        for (const QJsonObject& e : result.Of("random")) values.push_back(e["value"].toDouble());
        return values;
    };
    const SimResult byHeader = Run("# seed 7\n# setting GameCoins 5\n" + play);
    const SimResult byOptions =
        Run(play, {"--seed", "7", "--settings", WriteSettings({{"GameCoins", "5"}})});
    const SimResult overridden = Run("# seed 7\n" + play, {"--seed", "8"});
    const SimResult seed8 = Run(play, {"--seed", "8"});

    ASSERT_EQ(byHeader.exitCode, 0);
    ASSERT_FALSE(randoms(byHeader).empty());
    EXPECT_EQ(randoms(byHeader), randoms(byOptions));
    EXPECT_EQ(Int(byHeader.End(), "Coins"), 4);
    EXPECT_EQ(randoms(overridden), randoms(seed8));
    EXPECT_NE(randoms(overridden), randoms(byHeader));
}

TEST_F(SimScript, LinesAreTracedTrimmedAndTheImplicitEndFollowsTheLast) {
    // Opened by a byte-order mark, as some editors save it.
    const SimResult result =
        Run("\xEF\xBB\xBF# a comment\n\n  100\tkey   I \r\n   \n250 tap U\r\n");

    ASSERT_EQ(result.exitCode, 0);
    const auto inputs = result.Of("input");
    ASSERT_EQ(inputs.size(), 2u);
    EXPECT_EQ(Text(inputs[0], "line"), "100\tkey   I");
    EXPECT_EQ(Text(inputs[1], "line"), "250 tap U");
    EXPECT_EQ(Int(result.End(), "t"), 251);
    EXPECT_EQ(Int(result.End(), "Coins"), 10);
}

TEST_F(SimScript, ReadsTheScriptFromStandardInput) {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(simtest::SimPath(), {"-"});
    process.write("100 key I\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(-1));

    EXPECT_EQ(process.exitCode(), 0);
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Int(simtest::ParseLine(lines[2]), "Coins"), 10);
}

// A few megabytes: many commands, many comments and one very long comment line.
QByteArray LongScript(int answers) {
    QByteArray script = "# " + QByteArray(1 << 20, 'x') + "\n";
    for (int i = 0; i < answers; ++i) {
        script += "5 answer yes\n";
        script += "# " + QByteArray(100, '-') + "\n";
    }
    return script;
}

TEST_F(SimScript, LongScriptIsCheckedToItsLastLineBeforeAnythingRuns) {
    const int answers = 20000;
    const QByteArray bad = LongScript(answers) + "10 key Q\n";
    const QByteArray lastLine = "line " + QByteArray::number(2 * answers + 2) + ":";

    const SimResult fromFile = Run(bad);
    QProcess fromStdin;
    fromStdin.setProcessEnvironment(Environment());
    fromStdin.start(simtest::SimPath(), {"-"});
    fromStdin.write(bad);
    fromStdin.closeWriteChannel();
    ASSERT_TRUE(fromStdin.waitForFinished(-1));

    EXPECT_EQ(fromFile.exitCode, 2);
    EXPECT_TRUE(fromFile.raw.isEmpty());
    EXPECT_TRUE(fromFile.errors.contains(lastLine)) << fromFile.errors.toStdString();
    EXPECT_EQ(fromStdin.exitCode(), 2);
    EXPECT_TRUE(fromStdin.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(fromStdin.readAllStandardError().contains(lastLine));

    const SimResult good = Run(LongScript(answers) + "10 end\n");
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(good.Of("input").size(), answers + 1u);
    EXPECT_EQ(Int(good.End(), "t"), 10);
}

TEST_F(SimScript, CommandLineLongerThanAnyCommandIsRefused) {
    const SimResult result = Run("# ok\n10 key" + QByteArray(5000, ' ') + "I\n");

    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.raw.isEmpty());
    EXPECT_TRUE(result.errors.contains("line 2: longer than")) << result.errors.toStdString();
}

}  // namespace
