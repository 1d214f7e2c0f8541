#pragma once
#include <map>
#include <string>

namespace plat {

// The per-user settings store: application, section, key -> text.
// A store that is unreadable, or not a regular file, reads as empty; a save that cannot be
// made leaves it as it was, with one line on standard error.
std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue);
void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value);
// Several keys of one section in one write of the store: all of them or, when one cannot be
// stored, none.
void SaveSettings(const std::string& app, const std::string& section,
                  const std::map<std::string, std::string>& values);
// Everything stored under one section.
std::map<std::string, std::string> GetAllSettings(const std::string& app,
                                                  const std::string& section);

// The folder of the user's store for app (made at the first write).
std::string UserSettingsFolder(const std::string& app);

// Where the store lives: the user's configuration folder (default), an INI file of
// the caller's, or memory only (nothing kept).
void UseUserSettings();
void UseSettingsFile(const std::string& path);
void UseMemorySettings();

}  // namespace plat
