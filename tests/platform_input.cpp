#include <gtest/gtest.h>

#include <QKeyEvent>
#include <cmath>
#include <vector>

#include "platform/keyboard.h"
#include "platform/random.h"

namespace {

class KeyLatchTest : public testing::Test {
  protected:
    void SetUp() override { plat::ReleaseAllKeys(); }
    void TearDown() override { plat::ReleaseAllKeys(); }
};

TEST_F(KeyLatchTest, HeldKeyCountsOnEveryQuery) {
    plat::KeyPressed(plat::vbKeyUp);

    EXPECT_NE(plat::GetAsyncKeyState(plat::vbKeyUp), 0);
    EXPECT_NE(plat::GetAsyncKeyState(plat::vbKeyUp), 0);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::vbKeyDown), 0);
}

TEST_F(KeyLatchTest, TapBetweenQueriesCountsOnce) {
    plat::KeyPressed(plat::vbKeyLeft);
    plat::KeyReleased(plat::vbKeyLeft);

    EXPECT_NE(plat::GetAsyncKeyState(plat::vbKeyLeft), 0);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::vbKeyLeft), 0);
}

TEST_F(KeyLatchTest, ReleasedAfterQueryDoesNotCountAgain) {
    plat::KeyPressed(plat::vbKeyRight);
    EXPECT_NE(plat::GetAsyncKeyState(plat::vbKeyRight), 0);
    plat::KeyReleased(plat::vbKeyRight);

    EXPECT_EQ(plat::GetAsyncKeyState(plat::vbKeyRight), 0);
}

TEST_F(KeyLatchTest, ReleaseAllDropsHeldKeysAndLatches) {
    plat::KeyPressed(plat::vbKeyUp);
    plat::KeyPressed(plat::vbKeyDown);
    plat::KeyReleased(plat::vbKeyDown);

    plat::ReleaseAllKeys();

    EXPECT_EQ(plat::GetAsyncKeyState(plat::vbKeyUp), 0);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::vbKeyDown), 0);
}

TEST_F(KeyLatchTest, CodesOutsideTheTableAreIgnored) {
    plat::KeyPressed(-1);
    plat::KeyPressed(100000);

    EXPECT_EQ(plat::GetAsyncKeyState(-1), 0);
    EXPECT_EQ(plat::GetAsyncKeyState(100000), 0);
}

struct KeyRow {
    const char* name;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    int vk;
};

void PrintTo(const KeyRow& row, std::ostream* os) {
    *os << row.name;
}

class VirtualKeyTest : public testing::TestWithParam<KeyRow> {};

TEST_P(VirtualKeyTest, MapsQtKey) {
    const QKeyEvent event(QEvent::KeyPress, GetParam().qtKey, GetParam().modifiers);
    EXPECT_EQ(plat::VirtualKeyOf(event), GetParam().vk);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, VirtualKeyTest,
    testing::Values(KeyRow{"escape", Qt::Key_Escape, Qt::NoModifier, 27},
                    KeyRow{"letter_a", Qt::Key_A, Qt::NoModifier, 65},
                    KeyRow{"letter_z_with_shift", Qt::Key_Z, Qt::ShiftModifier, 90},
                    KeyRow{"digit_0", Qt::Key_0, Qt::NoModifier, 48},
                    KeyRow{"digit_2", Qt::Key_2, Qt::NoModifier, plat::vbKey2},
                    KeyRow{"keypad_0", Qt::Key_0, Qt::KeypadModifier, 96},
                    KeyRow{"keypad_1", Qt::Key_1, Qt::KeypadModifier, plat::vbKeyNumpad1},
                    KeyRow{"keypad_9", Qt::Key_9, Qt::KeypadModifier, 105},
                    KeyRow{"left", Qt::Key_Left, Qt::NoModifier, 37},
                    KeyRow{"up", Qt::Key_Up, Qt::NoModifier, 38},
                    KeyRow{"right", Qt::Key_Right, Qt::NoModifier, 39},
                    KeyRow{"down_on_keypad", Qt::Key_Down, Qt::KeypadModifier, 40},
                    KeyRow{"f1", Qt::Key_F1, Qt::NoModifier, 112},
                    KeyRow{"space_unknown", Qt::Key_Space, Qt::NoModifier, 0},
                    KeyRow{"f2_unknown", Qt::Key_F2, Qt::NoModifier, 0}),
    [](const testing::TestParamInfo<KeyRow>& info) { return std::string(info.param.name); });

std::vector<double> Draw(int count) {
    std::vector<double> values;
    for (int i = 0; i < count; ++i) values.push_back(plat::Rnd());
    return values;
}

TEST(Random, ReseedingReplaysTheSequence) {
    plat::Randomize(2024);
    const std::vector<double> first = Draw(50);
    plat::Randomize(2024);
    EXPECT_EQ(Draw(50), first);
    plat::Randomize(2025);
    EXPECT_NE(Draw(50), first);
}

TEST(Random, DefaultSeedGivesTheEnginesKnownFirstValue) {
    plat::Randomize(5489);
    EXPECT_EQ(plat::Rnd(), 3499211612.0 / 4294967296.0);
}

TEST(Random, ValuesStayBelowOneAndObserverSeesEach) {
    std::vector<double> seen;
    plat::SetRandomObserver([&seen](double value) { seen.push_back(value); });
    plat::Randomize(1);
    const std::vector<double> values = Draw(10000);
    plat::SetRandomObserver({});

    EXPECT_EQ(seen, values);
    for (double value : values) {
        ASSERT_GE(value, 0.0);
        ASSERT_LT(value, 1.0);
    }
}

}  // namespace
