#pragma once
// Runs nibbly-sim as a separate process on a script and reads its trace.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "child_env.h"

namespace simtest {

using Events = std::vector<QJsonObject>;

struct SimResult {
    int exitCode = -1;
    Events events;
    QByteArray errors;  // standard error
    QByteArray raw;     // standard output as written

    Events Of(const char* ev) const {
        Events found;
        for (const QJsonObject& e : events)
            if (e["ev"].toString() == QLatin1String(ev)) found.push_back(e);
        return found;
    }
    QJsonObject End() const {
        const Events ends = Of("end");
        return ends.empty() ? QJsonObject() : ends.back();
    }
};

inline std::int64_t Int(const QJsonObject& event, const char* key) {
    return event[QLatin1String(key)].toInteger();
}
inline std::int64_t GameInt(const QJsonObject& tick, const char* key) {
    return tick["Game"].toObject()[QLatin1String(key)].toInteger();
}
inline QString Text(const QJsonObject& event, const char* key) {
    return event[QLatin1String(key)].toString();
}

// Dots and power pills left on a board of the end line.
inline int Edible(const QJsonValue& rows) {
    int count = 0;
    for (const QJsonValue& row : rows.toArray())
        for (const QChar c : row.toString()) count += c == u'.' || c == u'o';
    return count;
}

inline QString SimPath() {
    return QStringLiteral(NIBBLY_BIN_DIR "/nibbly-sim");
}

inline QJsonObject ParseLine(const QByteArray& line) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    return doc.object();
}

// Each test gets its own folder for the script and any settings file.
class SimTest : public testing::Test {
  protected:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QProcessEnvironment Environment() const { return childenv::OwnFolders(dir_.path()); }

    QString WriteScript(const QByteArray& script) {
        const QString path = Path(QStringLiteral("script%1.txt").arg(++scripts_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        return path;
    }

    // An INI file in the layout of the settings store: [SetLog] with the given keys.
    QString WriteSettings(const std::map<QString, QString>& values) {
        const QString path = Path(QStringLiteral("settings.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SetLog]\n");
        for (const auto& [key, value] : values) file.write((key + "=" + value + "\n").toUtf8());
        return path;
    }

    QString ReadSetting(const QString& path, const char* key) const {
        QSettings settings(path, QSettings::IniFormat);
        return settings.value(QStringLiteral("SetLog/") + key).toString();
    }

    SimResult Run(const QByteArray& script, QStringList args = {}) {
        QProcess process;
        args << WriteScript(script);
        process.setProcessEnvironment(Environment());
        process.start(SimPath(), args);
        EXPECT_TRUE(process.waitForFinished(-1));
        SimResult result;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.raw = process.readAllStandardOutput();
        result.errors = process.readAllStandardError();
        for (const QByteArray& line : result.raw.split('\n'))
            if (!line.isEmpty()) result.events.push_back(ParseLine(line));
        return result;
    }

    // Hands over each event as it arrives, without keeping the trace; the process is
    // killed when onEvent returns false. The exit status, or -1 when stopped.
    int Stream(const QByteArray& script, QStringList args,
               const std::function<bool(const QJsonObject&)>& onEvent) {
        QProcess process;
        args << WriteScript(script);
        process.setProcessEnvironment(Environment());
        process.start(SimPath(), args);
        EXPECT_TRUE(process.waitForStarted(-1));
        for (bool more = true;;) {
            while (more && process.canReadLine()) more = onEvent(ParseLine(process.readLine()));
            if (!more) {
                process.kill();
                process.waitForFinished(-1);
                return -1;
            }
            if (!process.waitForReadyRead(-1)) break;
        }
        while (process.canReadLine()) onEvent(ParseLine(process.readLine()));
        process.waitForFinished(-1);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

  private:
    QTemporaryDir dir_;
    int scripts_ = 0;
};

}  // namespace simtest
