#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "flow/controls.h"
#include "flow/startup.h"
#include "game/gamestate.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/keyboard.h"
#include "platform/settings.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "shell/frmmain.h"
#include "shell/skin.h"
#include "widgets/scaledview.h"

namespace {

QImage Solid(QRgb colour) {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

// The loaded main window on a virtual clock and a 1024 x 768 screen, with message boxes
// answered from a queue (then the default, No) and opened documents and system moves
// recorded instead of happening.
class Window : public testing::Test {
  protected:
    void SetUp() override {
        plat::SetTimerDriver(&clock);
        plat::UseMemorySettings();
        plat::SetScreenSizePixels(1024, 768);
        plat::SetAppPath(NIBBLY_BIN_DIR);
        plat::ReleaseAllKeys();
        plat::SetMsgBoxHandler([this](const std::string& prompt, int style, const std::string&) {
            boxes.push_back(prompt);
            if (onBox) onBox();
            if (!answers.empty()) {
                const int answer = answers.front();
                answers.erase(answers.begin());
                return answer;
            }
            return style & plat::vbDefaultButton2 ? static_cast<int>(plat::vbNo)
                                                  : static_cast<int>(plat::vbYes);
        });
        plat::SetShellHandler([this](const std::string& target) { opened.push_back(target); });
        form = std::make_unique<FrmMain>();
        LoadMainWindow(*form);
        // Told apart by colour: the overlays' four looks.
        form->ImMin1 = Solid(0xFF0000FF);
        form->ImMin2 = Solid(0xFF000080);
        form->ImClose1 = Solid(0xFFFF0000);
        form->ImClose2 = Solid(0xFF800000);
    }

    void TearDown() override {
        form.reset();
        plat::SetSystemMoveHandler({});
        plat::SetMsgBoxHandler({});
        plat::SetShellHandler({});
        plat::SetAppPath("");
        plat::SetTimerDriver(nullptr);
        plat::SetScreenSizePixels(-1, -1);
        plat::ReleaseAllKeys();
    }

    static void Mouse(QWidget& target, QEvent::Type type, QPoint local, Qt::MouseButton button,
                      Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(local), QPointF(target.mapToGlobal(local)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
    }
    static void Move(QWidget& target, QPoint local = {2, 2}) {
        Mouse(target, QEvent::MouseMove, local, Qt::NoButton, Qt::NoButton);
    }
    static void Press(QWidget& target, Qt::MouseButton button = Qt::LeftButton,
                      QPoint local = {2, 2}) {
        Mouse(target, QEvent::MouseButtonPress, local, button, button);
    }
    static void Release(QWidget& target, Qt::MouseButton button = Qt::LeftButton,
                        QPoint local = {2, 2}) {
        Mouse(target, QEvent::MouseButtonRelease, local, button, Qt::NoButton);
    }
    void Key(Qt::Key key, QEvent::Type type = QEvent::KeyPress, bool repeat = false) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(form->KeyReceiver(), &event);
    }

    plat::VirtualClock clock;
    std::unique_ptr<FrmMain> form;
    std::vector<std::string> boxes;
    std::vector<int> answers;
    std::function<void()> onBox;
    std::vector<std::string> opened;
};

// --- Layout -----------------------------------------------------------------------------

struct ElementRow {
    const char* name;
    std::function<QWidget&(FrmMain&)> element;
    QRect rect;
};

void PrintTo(const ElementRow& row, std::ostream* out) {
    *out << row.name;
}

class WindowElements : public Window, public testing::WithParamInterface<ElementRow> {};

TEST_P(WindowElements, LieWhereTheLayoutPutsThem) {
    EXPECT_EQ(GetParam().element(*form).geometry(), GetParam().rect);
}

#define ELEMENT(name, x, y, w, h)                                                \
    ElementRow {                                                                 \
#name, [](FrmMain & f) -> QWidget& { return f.name; }, QRect(x, y, w, h) \
    }

INSTANTIATE_TEST_SUITE_P(
    Table, WindowElements,
    testing::Values(ELEMENT(Option1_1, 584, 336, 97, 25), ELEMENT(Option1_0, 480, 336, 97, 25),
                    ELEMENT(pctStats, 464, 104, 224, 64), ELEMENT(pctScreen, 10, 32, 448, 496),
                    ELEMENT(lblReady, 140, 268, 169, 30), ELEMENT(XPButton1, 600, 184, 89, 33),
                    ELEMENT(XPButton4, 464, 368, 225, 41), ELEMENT(XPButton6, 576, 488, 113, 33),
                    ELEMENT(XPButton7, 608, 432, 81, 33), ELEMENT(XPButton8, 464, 432, 121, 33),
                    ELEMENT(lblreadme, 10, 232, 448, 356), ELEMENT(Image1, 32, 56, 355, 136),
                    ELEMENT(Label3, 472, 40, 81, 23), ELEMENT(lblScore, 560, 36, 129, 25),
                    ELEMENT(lblHiscore, 560, 68, 129, 25), ELEMENT(lblCoins, 472, 192, 121, 25),
                    ELEMENT(lblSpeed, 472, 288, 121, 25), ELEMENT(IMBar, 48, 0, 652, 25),
                    ELEMENT(Immin, 655, 5, 17, 16), ELEMENT(Imclose, 676, 5, 17, 16)),
    [](const testing::TestParamInfo<ElementRow>& info) { return std::string(info.param.name); });

TEST_F(Window, IsFramelessFixedAndTitled) {
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->size(), QSize(697, 556));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nibbly 1.0.3"));
    EXPECT_EQ(form->XPButton6.Caption(), "游戏官方网站");
    // The link keeps its place at the bottom-right corner, whatever its text's width.
    const QRect link = form->LbBR.geometry();
    EXPECT_EQ(link.right() + 1, 697 - 8);
    EXPECT_EQ(link.bottom() + 1, 556 - 5);
    EXPECT_GT(link.width(), 20);
}

TEST_F(Window, PlayfieldCoversTheTitleArtworkAndInstructions) {
    form->pctScreen.show();
    EXPECT_EQ(form->childAt(100, 100), &form->pctScreen);  // Image1 lies there
    EXPECT_EQ(form->childAt(100, 400), &form->pctScreen);  // lblreadme lies there
    form->pctScreen.hide();
    EXPECT_EQ(form->childAt(100, 100), &form->Image1);
    // The overlays lie over the drag strip.
    EXPECT_EQ(form->childAt(660, 10), &form->Immin);
}

TEST(WindowOutline, CornersAreRoundedEachTheirOwnWay) {
    const QRegion outline = WindowOutline(697, 556);
    struct Pixel {
        const char* name;
        int x, y;
        bool inside;
    };
    const Pixel pixels[] = {
        {"top-left-corner", 0, 0, false},
        {"top-left-edge", 0, 1, false},
        {"top-left-round", 3, 2, true},
        {"top-right-corner", 696, 0, false},
        {"top-right-edge", 695, 0, false},
        {"top-right-round", 694, 2, true},
        {"top-right-low", 696, 4, true},
        {"bottom-left-corner", 0, 555, false},
        {"bottom-left-edge", 1, 555, false},
        {"bottom-left-round", 2, 553, true},
        {"bottom-right-corner", 696, 555, false},
        {"bottom-right-round", 694, 553, true},
        {"left-band", 0, 5, true},
        {"top-band", 5, 0, true},
        {"right-band", 696, 550, true},
        {"bottom-band", 691, 555, true},
        {"middle", 348, 278, true},
        {"past-the-right", 697, 278, false},
    };
    for (const Pixel& pixel : pixels) {
        EXPECT_EQ(outline.contains(QPoint(pixel.x, pixel.y)), pixel.inside) << pixel.name;
    }
    // The top-left rounding is taller than the top-right one.
    EXPECT_FALSE(outline.contains(QPoint(0, 4)));
    EXPECT_TRUE(outline.contains(QPoint(696, 4)));
}

TEST_F(Window, IsShapedByItsOutline) {
    EXPECT_EQ(form->mask(), WindowOutline(697, 556));
}

TEST(ClampPlacement, KeepsTheWindowOnTheScreen) {
    struct Row {
        const char* name;
        Placement wanted;
        std::int32_t screenW, screenH;
        Placement want;
    };
    const Row rows[] = {
        {"inside", {3000, 2000}, 15360, 11520, {3000, 2000}},
        {"negative-left", {-48000, 2000}, 15360, 11520, {0, 2000}},
        {"negative-top", {3000, -48000}, 15360, 11520, {3000, 0}},
        {"past-right", {9000, 2000}, 15360, 11520, {15360 - 10455, 2000}},
        {"past-bottom", {3000, 5000}, 15360, 11520, {3000, 11520 - 8340}},
        {"edge-exactly", {4905, 3180}, 15360, 11520, {4905, 3180}},
        {"narrow-screen-wins", {-100, 0}, 9600, 7200, {9600 - 10455, 7200 - 8340}},
    };
    for (const Row& row : rows) {
        const Placement got = ClampPlacement(row.wanted, row.screenW, row.screenH, 10455, 8340);
        EXPECT_EQ(got.x, row.want.x) << row.name;
        EXPECT_EQ(got.y, row.want.y) << row.name;
    }
}

TEST(SkinPieces, CornerPieceCarriesTheButtonArtUnderTheOverlays) {
    const auto pieces = SkinPieces(10455, 8340, 4065, 3270);
    EXPECT_EQ(pieces[0].target, QRect(28, 0, 697, 40));   // top band across the window
    EXPECT_EQ(pieces[2].target, QRect(0, 0, 13, 556));    // left edge down the window
    EXPECT_EQ(pieces[6].source, QRect(160, 0, 111, 29));  // top right, with both buttons
    EXPECT_EQ(pieces[6].target, QRect(586, 0, 111, 29));
    // The skin's minimise art (column 229) lands at the overlay's left edge.
    EXPECT_EQ(pieces[6].target.x() + 229 - pieces[6].source.x(), 655);
    EXPECT_EQ(pieces[7].target, QRect(586, 521, 111, 35));
}

TEST_F(Window, StoredPlaceIsClampedAndAppliedAgainOnRestore) {
    form.reset();
    plat::SaveSetting("Nibbly", "SetLog", "frmMainX", "-32000");
    plat::SaveSetting("Nibbly", "SetLog", "frmMainY", "999999");
    form = std::make_unique<FrmMain>();
    LoadMainWindow(*form);
    EXPECT_EQ(form->pos(), QPoint(0, 768 - 556));

    form->move(100, 100);  // moved by some other route than the minimise button
    form->showMinimized();
    form->showNormal();
    EXPECT_EQ(form->pos(), QPoint(0, 768 - 556));
}

// --- Frame interaction ------------------------------------------------------------------

TEST_F(Window, CloseOverlayLooksFollowTheMouse) {
    plat::Image& overlay = form->Imclose;
    Move(overlay);
    EXPECT_EQ(overlay.Picture(), form->ImClose1) << "hover";
    Move(form->Immin);
    EXPECT_EQ(form->Immin.Picture(), form->ImMin1) << "both hovered: only the surface clears";
    Move(*form, {300, 200});  // the bare window surface
    EXPECT_TRUE(overlay.Picture().isNull());
    EXPECT_TRUE(form->Immin.Picture().isNull());

    Move(overlay);
    Move(form->lblScore);  // not the surface: the hover art stays up
    EXPECT_EQ(overlay.Picture(), form->ImClose1);
    Move(form->IMBar);
    EXPECT_TRUE(overlay.Picture().isNull());

    Press(overlay, Qt::RightButton);
    EXPECT_EQ(overlay.Picture(), form->ImClose2) << "pressed by the right button";
    Move(overlay);
    EXPECT_EQ(overlay.Picture(), form->ImClose2) << "a move while pressed changes nothing";
    Release(overlay, Qt::RightButton);
    EXPECT_TRUE(overlay.Picture().isNull());
    EXPECT_TRUE(boxes.empty()) << "the right button does not click";

    Press(overlay);
    Release(overlay, Qt::LeftButton, {-40, 30});  // released off the overlay
    EXPECT_TRUE(overlay.Picture().isNull());
    EXPECT_TRUE(boxes.empty()) << "no click without the release over it";
}

TEST_F(Window, CloseAnsweredNoChangesNothingAndYesStoresTheSettings) {
    struct Route {
        const char* name;
        std::function<void(FrmMain&)> close;
    };
    const Route routes[] = {
        {"close-overlay",
         [](FrmMain& f) {
             Press(f.Imclose);
             Release(f.Imclose);
         }},
        {"exit-button",
         [](FrmMain& f) {
             Press(f.XPButton7, Qt::LeftButton, {10, 10});
             Release(f.XPButton7, Qt::LeftButton, {10, 10});
         }},
    };
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        plat::UseMemorySettings();
        boxes.clear();
        Coins = 42;

        route.close(*form);  // answered with the default, No
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], "你确定要关闭并结束程序吗？");
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->tmrFlash.Enabled());
        EXPECT_TRUE(plat::GetAllSettings("Nibbly", "SetLog").empty());

        answers = {plat::vbYes};
        route.close(*form);
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(form->tmrFlash.Enabled());
        EXPECT_EQ(plat::GetSetting("Nibbly", "SetLog", "GameCoins", ""), "42");

        form.reset();
        form = std::make_unique<FrmMain>();
        LoadMainWindow(*form);
    }
}

TEST_F(Window, CloseRequestFromTheWindowSystemStoresWithoutAsking) {
    form->move(120, 80);
    Coins = 17;
    HiScore = 23456;

    form->close();

    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(plat::GetAllSettings("Nibbly", "SetLog"),
              (std::map<std::string, std::string>{{"GameCoins", "17"},
                                                  {"GameHiScore", "23456"},
                                                  {"frmMainX", "1800"},
                                                  {"frmMainY", "1200"}}));
}

// The player's own choices, beside the four values: each on only when stored as 1, turned over
// once by each press of its key however its repeats come, stored in its own section. The
// window's place stays what it was, full screen or not.
TEST_F(Window, ChoicesAreReadTurnedByTheirKeysAndStoredApart) {
    const struct {
        const char* key;
        Qt::Key press;
        std::function<bool(const FrmMain&)> on;
    } choices[] = {
        {"Muted", Qt::Key_M,
         [](const FrmMain& f) {
             EXPECT_EQ(f.TitleMark(), Muted() ? "静音" : "");
             return Muted();
         }},
        {"Fullscreen", Qt::Key_F11,
         [](const FrmMain& f) {
             EXPECT_EQ(f.isFullScreen(), f.FullScreen());
             EXPECT_EQ(f.mask().isEmpty(), f.FullScreen());
             return f.FullScreen();
         }},
    };
    struct Row {
        const char* name;
        const char* stored;
        bool on;
    };
    const Row rows[] = {
        {"on", "1", true}, {"off", "0", false}, {"damaged", "1x", false}, {"missing", "", false}};
    for (const auto& choice : choices) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(choice.key) + " " + row.name);
            form.reset();
            plat::UseMemorySettings();
            plat::SaveSetting("Nibbly", "SetLog", "frmMainX", "1800");
            plat::SaveSetting("Nibbly", "SetLog", "frmMainY", "1200");
            if (*row.stored) plat::SaveSetting("Nibbly", "Choices", choice.key, row.stored);
            form = std::make_unique<FrmMain>();
            LoadMainWindow(*form);
            EXPECT_EQ(choice.on(*form), row.on);

            Key(choice.press);
            Key(choice.press, QEvent::KeyPress, true);
            Key(choice.press);
            Key(choice.press, QEvent::KeyRelease);
            EXPECT_EQ(choice.on(*form), !row.on);
            form->close();
            EXPECT_EQ(plat::GetSetting("Nibbly", "Choices", choice.key, ""), row.on ? "0" : "1");
            EXPECT_EQ(plat::GetAllSettings("Nibbly", "SetLog").size(), 4u);
            EXPECT_EQ(plat::GetSetting("Nibbly", "SetLog", "frmMainX", ""), "1800");
            EXPECT_EQ(plat::GetSetting("Nibbly", "SetLog", "frmMainY", ""), "1200");
        }
    }
    SetMute(false);
}

// --- Full screen ------------------------------------------------------------------------

// A point of the screen and the window's pixel it stands for.
TEST(ShownPlace, CentresTheFitAndMapsThePointerBackIntoTheWindowsPixels) {
    const QSize body(697, 556);
    const struct {
        const char* name;
        QSize view;
        qreal ratio;
        QRectF shown;
        QPointF screen;  // the first coin button's centre, (644.5, 200.5) in the window
    } rows[] = {
        {"1440p_at_2", {2560, 1440}, 1, {583, 164, 1394, 1112}, {1872, 565}},
        {"4k_at_3", {3840, 2160}, 1, {874, 246, 2091, 1668}, {2807.5, 847.5}},
        {"1080p_fitted", {1920, 1080}, 1, {283, 0, 1354, 1080}, {1535, 389.5}},
        {"4k_drawn_at_2_fitted", {1920, 1080}, 2, {283, 0, 1354, 1080}, {1535, 389.5}},
        {"xga_as_it_is", {1024, 768}, 1, {163, 106, 697, 556}, {807.5, 306.5}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QRectF shown = ShownPlace(body, row.view, row.ratio);
        EXPECT_EQ(shown, row.shown);
        EXPECT_EQ(BodyPoint(shown.topLeft(), body, shown), QPointF(0, 0));
        EXPECT_EQ(BodyPoint(shown.bottomRight(), body, shown), QPointF(697, 556));
        const QPointF button = BodyPoint(row.screen, body, shown);
        EXPECT_NEAR(button.x(), 644.5, 0.3);
        EXPECT_NEAR(button.y(), 200.5, 0.3);
    }
}

// On the offscreen platform's 800 x 800 screen the window is shown as it is, centred on black;
// the pointer on the screen reaches the window's elements where they are shown.
TEST_F(Window, FullScreenShowsTheWholeWindowOnBlackAndTakesThePointerWhereItIsShown) {
    int moves = 0;
    plat::SetSystemMoveHandler([&moves](QWidget&) {
        ++moves;
        return true;
    });
    form->move(120, 80);
    const QImage windowed = form->grab().toImage();
    Key(Qt::Key_F11);
    Key(Qt::Key_F11, QEvent::KeyRelease);
    QCoreApplication::processEvents();
    ASSERT_EQ(form->size(), QSize(800, 800));
    const QImage screen = form->grab().toImage();
    const QPoint corner(51, 122);
    EXPECT_EQ(screen.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(screen.pixel(799, 799), qRgb(0, 0, 0));
    // The title band, the coin count, a button and the corner of the frame's close image.
    for (const QPoint at : {QPoint(300, 10), QPoint(530, 204), QPoint(644, 200), QPoint(690, 8)}) {
        SCOPED_TRACE(at.x());
        EXPECT_EQ(screen.pixel(corner + at), windowed.pixel(at));
    }

    const auto click = [this](QPoint at) {
        QWindow& window = *form->windowHandle();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(
                type, QPointF(at), QPointF(at), QPointF(form->mapToGlobal(at)), Qt::LeftButton,
                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &event);
        }
    };
    Coins = 0;
    click(corner + QPoint(644, 200));
    EXPECT_EQ(Coins, 1);
    click(corner + QPoint(300, 10));  // the title band, which drags a window shown as it is
    EXPECT_EQ(moves, 0);
    click(corner + QPoint(663, 12));
    EXPECT_TRUE(form->isMinimized());

    form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
    Key(Qt::Key_F11);
    EXPECT_EQ(form->pos(), QPoint(120, 80));
    EXPECT_EQ(form->size(), FrmMain::SizePixels());
    EXPECT_FALSE(form->mask().isEmpty());
}

TEST_F(Window, MinimiseRemembersWhereTheWindowWasDragged) {
    form->move(200, 150);
    Press(form->Immin);
    EXPECT_EQ(form->Immin.Picture(), form->ImMin2);
    Release(form->Immin);

    EXPECT_TRUE(form->isMinimized());
    EXPECT_TRUE(form->Immin.Picture().isNull());
    EXPECT_EQ(form->WindowX, 3000);
    EXPECT_EQ(form->WindowY, 2250);
    form->showNormal();
    EXPECT_EQ(form->pos(), QPoint(200, 150));
}

TEST_F(Window, DragStartsOnlyFromTheListedElementsWithTheLeftButton) {
    int moves = 0;
    plat::SetSystemMoveHandler([&moves](QWidget&) {
        ++moves;
        return true;
    });
    form->pctStats.show();
    form->pctScreen.show();
    struct Row {
        const char* name;
        QWidget* element;
        QPoint at;
        Qt::MouseButton button;
        bool drags;
    };
    const Row rows[] = {
        {"title-strip", &form->IMBar, {100, 10}, Qt::LeftButton, true},
        {"surface", form.get(), {690, 300}, Qt::LeftButton, true},
        {"score-label", &form->lblScore, {5, 5}, Qt::LeftButton, true},
        {"status-strip", &form->pctStats, {5, 5}, Qt::LeftButton, true},
        {"title-strip-right-button", &form->IMBar, {100, 10}, Qt::RightButton, false},
        {"playfield", &form->pctScreen, {100, 100}, Qt::LeftButton, false},
        {"ready-label-on-playfield", &form->lblReady, {5, 5}, Qt::LeftButton, false},
        {"button", &form->XPButton1, {5, 5}, Qt::LeftButton, false},
        {"disabled-button", &form->XPButton8, {5, 5}, Qt::LeftButton, false},
        {"option", &form->Option1_0, {5, 5}, Qt::LeftButton, false},
        {"link", &form->LbBR, {5, 5}, Qt::LeftButton, false},
        {"close-overlay", &form->Imclose, {5, 5}, Qt::LeftButton, false},
    };
    for (const Row& row : rows) {
        moves = 0;
        Press(*row.element, row.button, row.at);
        Release(*row.element, row.button, {-500, -500});  // away, so nothing is clicked
        EXPECT_EQ(moves, row.drags ? 1 : 0) << row.name;
    }
}

TEST_F(Window, WithoutTheSystemsMoveTheWindowFollowsTheMouse) {
    plat::SetSystemMoveHandler([](QWidget&) { return false; });
    form->move(100, 100);

    Press(form->Image1, Qt::LeftButton, {10, 10});
    Mouse(form->Image1, QEvent::MouseMove, {40, 30}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(form->pos(), QPoint(130, 120));
    Mouse(form->Image1, QEvent::MouseMove, {15, 5}, Qt::NoButton, Qt::LeftButton);
    Release(form->Image1, Qt::LeftButton, {15, 5});
    EXPECT_EQ(form->pos(), QPoint(135, 115));

    Mouse(form->Image1, QEvent::MouseMove, {60, 60}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(form->pos(), QPoint(135, 115)) << "the drag ended with the release";
}

TEST_F(Window, LinksOpenTheirPagesWithoutTouchingTheGame) {
    Press(form->LbBR);
    Release(form->LbBR);
    Mouse(form->LbBR, QEvent::MouseButtonDblClick, {2, 2}, Qt::LeftButton, Qt::LeftButton);
    Release(form->LbBR);  // one double click, one page
    Press(form->LbBR, Qt::RightButton);
    Release(form->LbBR, Qt::RightButton);
    Press(form->XPButton6, Qt::LeftButton, {10, 10});
    Release(form->XPButton6, Qt::LeftButton, {10, 10});
    // A held F1 opens it once, its repeats flagged or not (an X server asked for detectable
    // repeats sends presses alone); the next press after the release opens it again.
    Key(Qt::Key_F1);
    Key(Qt::Key_F1, QEvent::KeyPress, true);
    Key(Qt::Key_F1);
    Key(Qt::Key_F1, QEvent::KeyRelease);
    Key(Qt::Key_F1);

    EXPECT_EQ(opened, (std::vector<std::string>{
                          "https://nibbly.example.org/", "https://nibbly.example.org/game/",
                          NIBBLY_BIN_DIR "/help/index.html", NIBBLY_BIN_DIR "/help/index.html"}));
}

TEST(HelpDocument, IsBuiltBesideTheProgram) {
    QFile help(NIBBLY_BIN_DIR "/help/index.html");
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    for (const char* needed :
         {"1.0.3", "1600", "10000", "500 × 关卡数", "默认模式", "初始模式", "疯狂速度", "99"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(needed))) << needed;
    }
    EXPECT_FALSE(text.contains(QRegularExpression("@[A-Z_]+@")));  // every placeholder filled in
    // A line break between two Chinese characters shows as a stray space.
    const QRegularExpression cjkBreak(
        QStringLiteral("[\\x{3000}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]\\s*\\n\\s*"
                       "[\\x{3000}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]"));
    EXPECT_FALSE(cjkBreak.match(text).hasMatch()) << cjkBreak.match(text).captured().toStdString();
}

// --- Keys -------------------------------------------------------------------------------

TEST_F(Window, HeldKeysRepeatTheirAction) {
    Coins = 96;
    for (int i = 0; i < 5; ++i) Key(Qt::Key_I, QEvent::KeyPress, i > 0);
    EXPECT_EQ(Coins, 99);

    Key(Qt::Key_S);
    Key(Qt::Key_S, QEvent::KeyPress, true);
    Key(Qt::Key_S, QEvent::KeyRelease, true);
    Key(Qt::Key_S, QEvent::KeyPress, true);
    EXPECT_EQ(Speed, 1) << "1, 2, 4 and back to 1";
    EXPECT_EQ(form->lblSpeed.Caption(), "默认速度");
}

TEST_F(Window, HeldArrowSteersAgainAfterTheFocusCameBack) {
    Key(Qt::Key_Left);
    Key(Qt::Key_Left, QEvent::KeyRelease, true);  // a repeat's release: still held
    Key(Qt::Key_Left, QEvent::KeyPress, true);
    EXPECT_TRUE(plat::KeyHeld(plat::vbKeyLeft));

    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(form.get(), &deactivate);
    EXPECT_FALSE(plat::KeyHeld(plat::vbKeyLeft));
    EXPECT_EQ(plat::GetAsyncKeyState(plat::vbKeyLeft), 0);

    Key(Qt::Key_Left, QEvent::KeyPress, true);  // still down when the focus returns
    EXPECT_NE(plat::GetAsyncKeyState(plat::vbKeyLeft), 0);
    Key(Qt::Key_Left, QEvent::KeyRelease);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::vbKeyLeft), 0);
}

TEST_F(Window, KeyThatOpensABoxActsOnceWhenTheFocusIsGoneAfterwards) {
    struct Row {
        const char* name;
        const char* appPath;  // nullptr: the built pictures
        Qt::Key key;
        const char* box;
    };
    const Row rows[] = {
        {"abandon-answered-no", nullptr, Qt::Key_Escape, "你确定要放弃当前并准备开始新游戏吗？"},
        {"start-without-pictures", "/nonexistent", Qt::Key_1, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.appPath) plat::SetAppPath(row.appPath);
        form.reset();
        form = std::make_unique<FrmMain>();
        LoadMainWindow(*form);
        if (!row.appPath) Key(Qt::Key_1);
        QApplication::setActiveWindow(form.get());
        form->XPButton1.setFocus();
        ASSERT_EQ(form->KeyReceiver(), &form->XPButton1);
        boxes.clear();
        // As a real box does: the focus does not come back to the button.
        onBox = [] {
            if (QApplication::focusWidget()) QApplication::focusWidget()->clearFocus();
        };

        Key(row.key);

        onBox = {};
        ASSERT_EQ(boxes.size(), 1u);
        if (row.box) {
            EXPECT_EQ(boxes[0], row.box);
        }
        plat::SetAppPath(NIBBLY_BIN_DIR);
    }
}

}  // namespace
