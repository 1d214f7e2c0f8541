// nibbly-gen OUTDIR: draws the level pictures, sprite sheets and window art and synthesises the
// sounds the game loads, so every data file is our own and reproducible from source.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <string>

#include "frame.h"
#include "icons.h"
#include "level.h"
#include "sounds.h"
#include "sprites.h"
#include "titleart.h"
#include "wavwriter.h"

namespace {

bool save(const QDir& dir, const QString& name, const QImage& img, const char* format) {
    const QString path = dir.filePath(name);
    if (img.save(path, format)) return true;
    std::fprintf(stderr, "nibbly-gen: cannot write %s\n", qPrintable(path));
    return false;
}

bool saveBmp(const QDir& dir, const char* name, const QImage& img) {
    return save(dir, QString::fromLatin1(name), img, "BMP");
}

bool savePng(const QDir& dir, const QString& name, const QImage& img) {
    return save(dir, name, img, "PNG");
}

bool saveWindowArt(const QDir& dir) {
    bool ok = savePng(dir, QStringLiteral("skin.png"), drawSkin());
    ok = savePng(dir, QStringLiteral("title.png"), drawTitleArt()) && ok;
    ok = savePng(dir, QStringLiteral("titleicon.png"), drawTitleIcon()) && ok;
    const struct {
        const char* name;
        FrameButton which;
        ButtonLook look;
    } buttons[] = {{"minhover.png", FrameButton::Minimise, ButtonLook::Hover},
                   {"minpressed.png", FrameButton::Minimise, ButtonLook::Pressed},
                   {"closehover.png", FrameButton::Close, ButtonLook::Hover},
                   {"closepressed.png", FrameButton::Close, ButtonLook::Pressed}};
    for (const auto& b : buttons)
        ok = savePng(dir, QString::fromLatin1(b.name), drawFrameButton(b.which, b.look)) && ok;
    for (int size : kProgramIconSizes)
        ok = savePng(dir, QStringLiteral("icon-%1.png").arg(size), drawProgramIcon(size)) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: nibbly-gen OUTDIR\n");
        return 2;
    }
    // The title lettering's Chinese needs the font database; nothing is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "nibbly-gen: cannot create %s\n", argv[1]);
        return 1;
    }

    bool ok = saveBmp(dir, "level1.bmp", drawLevel(Look::Polished));
    ok = saveBmp(dir, "levelold.bmp", drawLevel(Look::Retro)) && ok;
    ok = saveBmp(dir, "gobpics.bmp", drawSpriteSheet(Look::Polished)) && ok;
    ok = saveBmp(dir, "gobpicsold.bmp", drawSpriteSheet(Look::Retro)) && ok;
    ok = saveWindowArt(dir) && ok;
    for (const Sound& s : makeSounds()) {
        const std::string path = dir.filePath(QString::fromStdString(s.fileName)).toStdString();
        if (!writeWav(path, s.samples, kSampleRate)) {
            std::fprintf(stderr, "nibbly-gen: cannot write %s\n", path.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
