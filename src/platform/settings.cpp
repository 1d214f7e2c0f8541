#include "platform/settings.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <iostream>
#include <memory>

#include "platform/files.h"
#include "platform/inifile.h"

namespace plat {

namespace {

using Section = std::map<std::string, std::string>;

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual Section Read(const std::string& app, const std::string& section) = 0;
    virtual void Save(const std::string& app, const std::string& section,
                      const Section& values) = 0;
};

// An INI file: the user's (one per application) or a given one. Only a regular file is read
// or replaced; a save writes a whole new file and renames it over the old one, so a failed or
// interrupted write keeps the previous file whole.
class IniStore : public SettingsStore {
  public:
    explicit IniStore(std::string path = {}) : path_(std::move(path)) {}

    Section Read(const std::string& app, const std::string& section) override {
        IniSections sections;
        std::string error;
        Load(Path(app), sections, error);
        return sections[section];
    }

    void Save(const std::string& app, const std::string& section, const Section& values) override {
        const std::string path = Path(app);
        IniSections sections;
        std::string error;
        const bool writable = std::all_of(values.begin(), values.end(), [&](const auto& entry) {
            return IniWritable(section, entry.first, entry.second);
        });
        if (!writable) {
            error = "a key or value cannot be stored";
        } else if (Load(path, sections, error)) {
            for (const auto& [key, value] : values) sections[section][key] = value;
            WriteRegularFile(path, WriteIni(sections), error);
        }
        if (!error.empty())
            std::cerr << "nibbly: settings not saved to " << path << ": " << error << '\n';
    }

  private:
    std::string Path(const std::string& app) const {
        return path_.empty() ? UserSettingsFolder(app) + "/" + app + ".ini" : path_;
    }

    // False when something is there that cannot be read as a settings file: it is then not
    // replaced by a file without its keys.
    static bool Load(const std::string& path, IniSections& sections, std::string& error) {
        // Far above anything this store writes.
        constexpr std::size_t kLimit = 1 << 20;
        std::string bytes;
        if (ReadRegularFile(path, kLimit, bytes, error)) {
            sections = ParseIni(bytes);
            return true;
        }
        if (QFileInfo::exists(QString::fromStdString(path))) return false;
        error.clear();
        return true;
    }

    std::string path_;  // empty: the user's store
};

class MemoryStore : public SettingsStore {
  public:
    Section Read(const std::string& app, const std::string& section) override {
        const auto found = sections_.find({app, section});
        return found == sections_.end() ? Section{} : found->second;
    }

    void Save(const std::string& app, const std::string& section, const Section& values) override {
        for (const auto& [key, value] : values) sections_[{app, section}][key] = value;
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
    store->Save(app, section, {{key, value}});
}

void SaveSettings(const std::string& app, const std::string& section, const Section& values) {
    store->Save(app, section, values);
}

std::map<std::string, std::string> GetAllSettings(const std::string& app,
                                                  const std::string& section) {
    return store->Read(app, section);
}

std::string UserSettingsFolder(const std::string& app) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/" + app;
}

void UseUserSettings() {
    store = std::make_unique<IniStore>();
}

void UseSettingsFile(const std::string& path) {
    store = std::make_unique<IniStore>(path);
}

void UseMemorySettings() {
    store = std::make_unique<MemoryStore>();
}

}  // namespace plat
