#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/desktop.h"

namespace {

TEST(MsgBox, HandlerAnswersAndRunsWhileModal) {
    std::string seenPrompt, seenTitle;
    int seenStyle = 0;
    bool modalInside = false;
    plat::SetMsgBoxHandler([&](const std::string& prompt, int style, const std::string& title) {
        seenPrompt = prompt;
        seenStyle = style;
        seenTitle = title;
        modalInside = plat::ModalOpen();
        return static_cast<int>(plat::vbNo);
    });

    const int answer = plat::MsgBox("再玩一次?", plat::vbYesNo | plat::vbQuestion, "Nibbly");
    plat::SetMsgBoxHandler({});

    EXPECT_EQ(answer, plat::vbNo);
    EXPECT_EQ(seenPrompt, "再玩一次?");
    EXPECT_EQ(seenStyle, plat::vbYesNo | plat::vbQuestion);
    EXPECT_EQ(seenTitle, "Nibbly");
    EXPECT_TRUE(modalInside);
    EXPECT_FALSE(plat::ModalOpen());
}

TEST(MsgBox, NestedBoxesKeepModalUntilTheOuterCloses) {
    std::vector<bool> modal;
    plat::SetMsgBoxHandler([&](const std::string& prompt, int, const std::string&) {
        if (prompt == "outer") {
            plat::MsgBox("inner", plat::vbOKOnly, "");
            modal.push_back(plat::ModalOpen());
        }
        return static_cast<int>(plat::vbOK);
    });

    plat::MsgBox("outer", plat::vbOKOnly, "");
    plat::SetMsgBoxHandler({});

    EXPECT_EQ(modal, std::vector<bool>{true});
    EXPECT_FALSE(plat::ModalOpen());
}

struct BoxRow {
    const char* name;
    int style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton press;  // NoButton: close the window instead
    int answer;
};

void PrintTo(const BoxRow& row, std::ostream* os) {
    *os << row.name;
}

class RealMsgBoxTest : public testing::TestWithParam<BoxRow> {};

TEST_P(RealMsgBoxTest, ShowsStyleAndAnswers) {
    const BoxRow& row = GetParam();
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool modalWhileShown = false;
    // Runs inside the box's own event loop, once it is up.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box is up";
            QApplication::closeAllWindows();
            return;
        }
        icon = box->icon();
        defaultButton = box->standardButton(box->defaultButton());
        modalWhileShown = plat::ModalOpen();
        if (row.press == QMessageBox::NoButton)
            box->close();
        else
            box->button(row.press)->click();
    });

    const int answer = plat::MsgBox("text", row.style, "title");

    EXPECT_EQ(answer, row.answer);
    EXPECT_EQ(icon, row.icon);
    EXPECT_EQ(defaultButton, row.defaultButton);
    EXPECT_TRUE(modalWhileShown);
    EXPECT_FALSE(plat::ModalOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Styles, RealMsgBoxTest,
    testing::Values(
        BoxRow{"ok_closed", plat::vbOKOnly | plat::vbInformation, QMessageBox::Information,
               QMessageBox::Ok, QMessageBox::NoButton, plat::vbOK},
        BoxRow{"yesno_yes", plat::vbYesNo | plat::vbQuestion, QMessageBox::Question,
               QMessageBox::Yes, QMessageBox::Yes, plat::vbYes},
        BoxRow{"yesno_closed_is_no", plat::vbYesNo, QMessageBox::NoIcon, QMessageBox::Yes,
               QMessageBox::NoButton, plat::vbNo},
        BoxRow{"yesno_default_no", plat::vbYesNo | plat::vbQuestion | plat::vbDefaultButton2,
               QMessageBox::Question, QMessageBox::No, QMessageBox::No, plat::vbNo},
        BoxRow{"yesnocancel_closed_is_cancel", plat::vbYesNoCancel | plat::vbQuestion,
               QMessageBox::Question, QMessageBox::Yes, QMessageBox::NoButton, plat::vbCancel},
        BoxRow{"exclamation_ok", plat::vbExclamation, QMessageBox::Warning, QMessageBox::Ok,
               QMessageBox::Ok, plat::vbOK},
        BoxRow{"yesnocancel_no", plat::vbYesNoCancel, QMessageBox::NoIcon, QMessageBox::Yes,
               QMessageBox::No, plat::vbNo}),
    [](const testing::TestParamInfo<BoxRow>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

TEST(RealMsgBox, ButtonsSpeakChinese) {
    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box is up";
            QApplication::closeAllWindows();
            return;
        }
        for (const QMessageBox::StandardButton button :
             {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
            texts << box->button(button)->text();
        }
        box->button(QMessageBox::Cancel)->click();
    });

    plat::MsgBox("text", plat::vbYesNoCancel, "title");

    ASSERT_EQ(texts.size(), 3);
    // Y and N stay the mnemonics, as in English.
    EXPECT_EQ(texts[0], QStringLiteral("是(&Y)"));
    EXPECT_EQ(texts[1], QStringLiteral("否(&N)"));
    EXPECT_EQ(texts[2], QStringLiteral("取消"));
}

TEST(FittingScale, LargestWholeFactorAtWhichTheWindowFits) {
    const QSize window(697, 556);
    const struct {
        const char* name;
        double ratio;
        QSize available;
        int factor;
    } rows[] = {
        {"1080p_at_200_is_too_low_for_2", 2.0, {1920, 1080}, 1},
        {"1080p_with_a_panel_at_200", 2.0, {1920, 1040}, 1},
        {"4k_at_200", 2.0, {3840, 2160}, 2},
        {"4k_at_300", 3.0, {3840, 2160}, 3},
        {"1600_high_at_300_steps_down_one", 3.0, {2560, 1600}, 2},
        {"exact_fit_at_2", 2.0, {1394, 1112}, 2},
        {"one_pixel_short_at_2", 2.0, {1394, 1111}, 1},
        {"fractional_150_takes_1", 1.5, {3840, 2160}, 1},
        {"fractional_250_takes_2", 2.5, {3840, 2160}, 2},
        {"screen_smaller_than_the_window", 1.0, {640, 480}, 1},
        {"ratio_below_1", 0.75, {1920, 1080}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(plat::FittingScale(row.ratio, window, row.available), row.factor);
    }
}

// Full screen: the largest whole factor that fits; at 1, a screen half as large again is filled
// by drawing at 2 and smoothing down to the largest size that fits.
TEST(FitToScreen, WholeFactorOrASharpFitOfTheScreen) {
    const QSize window(697, 556);
    const struct {
        const char* name;
        QSize window;
        QSize screen;
        plat::ScreenFit fit;
    } rows[] = {
        {"1440p_at_2", window, {2560, 1440}, {2, {1394, 1112}, false}},
        {"4k_at_3", window, {3840, 2160}, {3, {2091, 1668}, false}},
        {"1080p_fits_smoothly", window, {1920, 1080}, {2, {1354, 1080}, true}},
        {"xga_stays_at_1", window, {1024, 768}, {1, {697, 556}, false}},
        {"half_as_large_again_fits", window, {1046, 834}, {2, {1046, 834}, true}},
        {"a_pixel_short_of_half_again", window, {1046, 833}, {1, {697, 556}, false}},
        {"window_drawn_at_2_on_4k", window * 2, {3840, 2160}, {2, {2708, 2160}, true}},
        {"screen_smaller_than_the_window", window, {640, 480}, {1, {697, 556}, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const plat::ScreenFit fit = plat::FitToScreen(row.window, row.screen);
        EXPECT_EQ(fit.factor, row.fit.factor);
        EXPECT_EQ(fit.size, row.fit.size);
        EXPECT_EQ(fit.smooth, row.fit.smooth);
    }
}

}  // namespace
