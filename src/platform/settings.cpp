#include "platform/settings.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
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
        const std::string path = Path(app);
        // Said once, when first read: the values stored there are not in use.
        if (!Load(path, sections, error) && !reported_) {
            reported_ = true;
            std::cerr << "nibbly: cannot read the settings in " << path << ": " << error << '\n';
        }
        return sections[section];
    }

    // Every value in one new file; what cannot be written costs only itself.
    void Save(const std::string& app, const std::string& section, const Section& values) override {
        const std::string path = Path(app);
        IniSections sections;
        std::string error;
        std::string refused;
        if (Load(path, sections, error)) {
            bool changed = false;
            for (const auto& [key, value] : values) {
                if (IniWritable(section, key, value)) {
                    sections[section][key] = value;
                    changed = true;
                } else {
                    refused += (refused.empty() ? "" : ", ") + key;
                }
            }
            if (changed) WriteRegularFile(path, WriteIni(sections), error);
        }
        if (!refused.empty()) error += (error.empty() ? "" : "; ") + refused + " cannot be stored";
        if (!error.empty())
            std::cerr << "nibbly: settings not saved to " << path << ": " << error << '\n';
    }

    // Far above anything this store writes.
    static constexpr std::size_t kLimit = 1 << 20;

  private:
    std::string Path(const std::string& app) const {
        return path_.empty() ? UserSettingsFile(app) : path_;
    }

    // False when something is there that cannot be read as a settings file: it is then not
    // replaced by a file without its keys.
    static bool Load(const std::string& path, IniSections& sections, std::string& error) {
        std::string bytes;
        if (ReadRegularFile(path, kLimit, bytes, error)) {
            sections = ParseIni(bytes);
            return true;
        }
        struct stat info {};
        if (stat(path.c_str(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR)) return false;
        error.clear();
        return true;
    }

    std::string path_;  // empty: the user's store
    bool reported_ = false;
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

void SaveSettings(const std::string& app, const std::string& section,
                  const std::map<std::string, std::string>& values) {
    store->Save(app, section, values);
}

std::map<std::string, std::string> GetAllSettings(const std::string& app,
                                                  const std::string& section) {
    return store->Read(app, section);
}

std::string UserSettingsFolder(const std::string& app) {
    // Kept as the bytes the system gave. A relative XDG_CONFIG_HOME is invalid and ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/" + app;
    return HomeFolder() + "/.config/" + app;
}

std::string UserSettingsFile(const std::string& app) {
    return UserSettingsFolder(app) + "/" + app + ".ini";
}

void UseUserSettings() {
    store = std::make_unique<IniStore>();
}

void UseSettingsFile(const std::string& path) {
    store = std::make_unique<IniStore>(path);
}

std::string CheckSettingsFile(const std::string& path) {
    std::string bytes;
    std::string error;
    if (!ReadRegularFile(path, IniStore::kLimit, bytes, error)) {
        struct stat info {};
        return stat(path.c_str(), &info) != 0 && errno == ENOENT ? "" : error;
    }
    int stray = 0;
    ParseIni(bytes, &stray);
    if (stray == 0) return {};
    return "line " + std::to_string(stray) + " is not a setting, so this is not a settings file";
}

void UseMemorySettings() {
    store = std::make_unique<MemoryStore>();
}

}  // namespace plat
