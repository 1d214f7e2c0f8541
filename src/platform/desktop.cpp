#include "platform/desktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "platform/timer.h"

namespace plat {

namespace {

constexpr int kTwipsPerPixel = 15;

int modalDepth = 0;
std::function<int(const std::string&, int, const std::string&)> msgBoxHandler;
std::function<void(const std::string&)> shellHandler;
std::function<bool(QWidget&)> systemMoveHandler;
QSize fixedScreenSize;

struct ModalScope {
    ModalScope() { ++modalDepth; }
    ~ModalScope() { --modalDepth; }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

// The icon is one value of the bits 16 to 64, not a set of flags.
QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
        case vbQuestion:
            return QMessageBox::Question;
        case vbExclamation:
            return QMessageBox::Warning;
        case vbInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int ResultOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Yes:
            return vbYes;
        case QMessageBox::No:
            return vbNo;
        case QMessageBox::Cancel:
            return vbCancel;
        default:
            return vbOK;
    }
}

struct Buttons {
    QMessageBox::StandardButtons all;
    QMessageBox::StandardButton first, second, escape;
};

// Closing the box answers as its escape button does: No, Cancel or OK.
Buttons ButtonsOf(int style) {
    switch (style & 0xF) {
        case vbYesNo:
            return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No,
                    QMessageBox::No};
        case vbYesNoCancel:
            return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                    QMessageBox::No, QMessageBox::Cancel};
        default:
            return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    }
}

constexpr const char* kScreenFactorsVar = "QT_SCREEN_SCALE_FACTORS";
constexpr const char* kScaleFactorVar = "QT_SCALE_FACTOR";

std::optional<QByteArray> Environment(const char* name) {
    if (!qEnvironmentVariableIsSet(name)) return std::nullopt;
    return qgetenv(name);
}

void Restore(const char* name, const std::optional<QByteArray>& value) {
    if (value)
        qputenv(name, *value);
    else
        qunsetenv(name);
}

QSize ScreenSizePixels() {
    if (fixedScreenSize.isValid()) return fixedScreenSize;
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return screen ? screen->size() : QSize(1024, 768);
}

}  // namespace

int ShowMessageBox(const std::string& prompt, int style, const std::string& title) {
    const Buttons buttons = ButtonsOf(style);
    QMessageBox box(IconOf(style), QString::fromStdString(title), QString::fromStdString(prompt),
                    buttons.all, QApplication::activeWindow());
    // The captions and mnemonics of Qt's Chinese translation, without carrying it.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Yes, "是(&Y)"},
        {QMessageBox::No, "否(&N)"},
        {QMessageBox::Cancel, "取消"},
        {QMessageBox::Ok, "确定"}};
    for (const auto& [button, caption] : captions) {
        if (QAbstractButton* shown = box.button(button)) shown->setText(QString::fromUtf8(caption));
    }
    box.setDefaultButton(style & vbDefaultButton2 ? buttons.second : buttons.first);
    box.setEscapeButton(buttons.escape);
    box.exec();
    return ResultOf(box.standardButton(box.clickedButton()));
}

int MsgBox(const std::string& prompt, int style, const std::string& title) {
    ModalScope modal;
    const StandStill still;
    if (msgBoxHandler) return msgBoxHandler(prompt, style, title);
    return ShowMessageBox(prompt, style, title);
}

bool ModalOpen() {
    return modalDepth > 0;
}

void ShellExecute(const std::string& target) {
    if (shellHandler) {
        shellHandler(target);
        return;
    }
    OpenInDesktop(target);
}

void OpenInDesktop(const std::string& target) {
    // A file's path goes as its bytes, percent-encoded: a name that is not UTF-8 stays whole.
    const QByteArray bytes = QByteArray::fromStdString(target);
    QDesktopServices::openUrl(bytes.startsWith('/')
                                  ? QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"))
                                  : QUrl::fromUserInput(QString::fromUtf8(bytes)));
}

bool StartSystemMove(QWidget& window) {
    if (systemMoveHandler) return systemMoveHandler(window);
    QWindow* handle = window.windowHandle();
    return handle != nullptr && handle->startSystemMove();
}

bool WindowSystemPlacesWindows() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

int FittingScale(double ratio, QSize window, QSize available) {
    int factor = std::max(1, static_cast<int>(ratio + 1e-6));
    while (factor > 1 && (window.width() * factor > available.width() ||
                          window.height() * factor > available.height())) {
        --factor;
    }
    return factor;
}

ScreenFit FitToScreen(QSize window, QSize screen) {
    const int factor =
        std::max(1, std::min(screen.width() / window.width(), screen.height() / window.height()));
    const double fit = std::min(static_cast<double>(screen.width()) / window.width(),
                                static_cast<double>(screen.height()) / window.height());
    if (factor > 1 || fit < 1.5) return {factor, window * factor, false};
    return {2, (QSizeF(window) * fit).toSize().boundedTo(screen), true};
}

std::optional<ScreenScale> RefitScale(QSize window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || WindowSystemPlacesWindows()) return std::nullopt;
    const double ratio = screen->devicePixelRatio();
    const QSize available = screen->availableGeometry().size() * ratio;
    const int factor = FittingScale(ratio, window, available);
    if (factor == ratio) return std::nullopt;
    return ScreenScale{screen->name(), factor};
}

ForcedScale::ForcedScale(const ScreenScale& scale)
    : screenFactors_(Environment(kScreenFactorsVar)), scaleFactor_(Environment(kScaleFactorVar)) {
    // A named factor replaces the one Qt takes from the screen's DPI; the global one would
    // multiply it.
    const QString factor = QString::number(scale.factor);
    qputenv(kScreenFactorsVar,
            (scale.screen.isEmpty() ? factor : scale.screen + '=' + factor).toUtf8());
    qunsetenv(kScaleFactorVar);
}

ForcedScale::~ForcedScale() {
    Restore(kScreenFactorsVar, screenFactors_);
    Restore(kScaleFactorVar, scaleFactor_);
}

void SetSystemMoveHandler(std::function<bool(QWidget& window)> handler) {
    systemMoveHandler = std::move(handler);
}

void SetMsgBoxHandler(
    std::function<int(const std::string& prompt, int style, const std::string& title)> handler) {
    msgBoxHandler = std::move(handler);
}

void SetShellHandler(std::function<void(const std::string& target)> handler) {
    shellHandler = std::move(handler);
}

int ScreenWidthTwips() {
    return ScreenSizePixels().width() * kTwipsPerPixel;
}

int ScreenHeightTwips() {
    return ScreenSizePixels().height() * kTwipsPerPixel;
}

void SetScreenSizePixels(int width, int height) {
    fixedScreenSize = QSize(width, height);
}

}  // namespace plat
