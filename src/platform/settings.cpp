#include "platform/settings.h"

#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace plat {

namespace {

using Section = std::map<std::string, std::string>;

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual Section Read(const std::string& app, const std::string& section) = 0;
    virtual void Save(const std::string& app, const std::string& section, const std::string& key,
                      const std::string& value) = 0;
};

// An INI file: the user's (one per application) or a given one. QSettings skips lines it
// cannot parse, reads a file it cannot open as empty and then leaves it alone, and writes
// through QSaveFile, so a failed or interrupted write keeps the previous file whole.
class IniStore : public SettingsStore {
  public:
    explicit IniStore(QString path = {}) : path_(std::move(path)) {}

    Section Read(const std::string& app, const std::string& section) override {
        const std::unique_ptr<QSettings> settings = Open(app);
        Section result;
        settings->beginGroup(QString::fromStdString(section));
        for (const QString& key : settings->childKeys())
            result[key.toStdString()] = settings->value(key).toString().toStdString();
        return result;
    }

    void Save(const std::string& app, const std::string& section, const std::string& key,
              const std::string& value) override {
        const std::unique_ptr<QSettings> settings = Open(app);
        settings->beginGroup(QString::fromStdString(section));
        settings->setValue(QString::fromStdString(key), QString::fromStdString(value));
        settings->endGroup();
        settings->sync();
    }

  private:
    std::unique_ptr<QSettings> Open(const std::string& app) const {
        const QString name = QString::fromStdString(app);
        auto settings = path_.isEmpty()
                            ? std::make_unique<QSettings>(QSettings::IniFormat,
                                                          QSettings::UserScope, name, name)
                            : std::make_unique<QSettings>(path_, QSettings::IniFormat);
        settings->setAtomicSyncRequired(true);
        return settings;
    }

    QString path_;  // empty: the user's store
};

class MemoryStore : public SettingsStore {
  public:
    Section Read(const std::string& app, const std::string& section) override {
        const auto found = sections_.find({app, section});
        return found == sections_.end() ? Section{} : found->second;
    }

    void Save(const std::string& app, const std::string& section, const std::string& key,
              const std::string& value) override {
        sections_[{app, section}][key] = value;
    }

  private:
    std::map<std::pair<std::string, std::string>, Section> sections_;
};

std::unique_ptr<SettingsStore> store = std::make_unique<IniStore>();

}  // namespace

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    const Section values = store->Read(app, section);
    const auto found = values.find(key);
    return found == values.end() ? defaultValue : found->second;
}

void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value) {
    store->Save(app, section, key, value);
}

std::map<std::string, std::string> GetAllSettings(const std::string& app,
                                                  const std::string& section) {
    return store->Read(app, section);
}

std::string UserSettingsFolder(const std::string& app) {
    const QString name = QString::fromStdString(app);
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, name, name);
    return QFileInfo(settings.fileName()).path().toStdString();
}

void UseUserSettings() {
    store = std::make_unique<IniStore>();
}

void UseSettingsFile(const std::string& path) {
    store = std::make_unique<IniStore>(QString::fromStdString(path));
}

void UseMemorySettings() {
    store = std::make_unique<MemoryStore>();
}

}  // namespace plat
