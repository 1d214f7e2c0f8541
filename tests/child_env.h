#pragma once
// The environment for a program a test starts: a home and XDG folders of its own under root,
// so that nothing it keeps or finds is the developer's.
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>

namespace childenv {

// The settings go straight under root (root/Nibbly), the rest into folders beside them.
inline QProcessEnvironment OwnFolders(const QString& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("XDG_CONFIG_HOME", root);
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = root + "/" + QString(name).toLower();
        QDir().mkpath(folder);
        env.insert(name, folder);
    }
    // As the system makes it: the user's alone.
    QFile::setPermissions(env.value("XDG_RUNTIME_DIR"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return env;
}

}  // namespace childenv
