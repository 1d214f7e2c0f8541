// nibbly-gen OUTDIR: draws the level pictures and sprite sheets and synthesises the sounds the
// game loads, so every data file is our own and reproducible from source.
#include <QDir>
#include <QImage>
#include <cstdio>
#include <string>

#include "level.h"
#include "sounds.h"
#include "sprites.h"
#include "wavwriter.h"

namespace {

bool saveBmp(const QDir& dir, const char* name, const QImage& img) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    if (img.save(path, "BMP")) return true;
    std::fprintf(stderr, "nibbly-gen: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: nibbly-gen OUTDIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "nibbly-gen: cannot create %s\n", argv[1]);
        return 1;
    }

    bool ok = saveBmp(dir, "level1.bmp", drawLevel(Look::Polished));
    ok = saveBmp(dir, "levelold.bmp", drawLevel(Look::Retro)) && ok;
    ok = saveBmp(dir, "gobpics.bmp", drawSpriteSheet(Look::Polished)) && ok;
    ok = saveBmp(dir, "gobpicsold.bmp", drawSpriteSheet(Look::Retro)) && ok;
    for (const Sound& s : makeSounds()) {
        const std::string path = dir.filePath(QString::fromStdString(s.fileName)).toStdString();
        if (!writeWav(path, s.samples, kSampleRate)) {
            std::fprintf(stderr, "nibbly-gen: cannot write %s\n", path.c_str());
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
