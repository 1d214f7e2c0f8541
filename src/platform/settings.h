#pragma once
#include <map>
#include <string>

namespace plat {

// The per-user settings store: application, section, key -> text.
// A store that is unreadable, or not a regular file, reads as empty, said once on standard
// error; a save that cannot be made leaves it as it was, with one line there.
std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue);
void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& value);
// Several values in one write.
void SaveSettings(const std::string& app, const std::string& section,
                  const std::map<std::string, std::string>& values);
// Everything stored under one section.
std::map<std::string, std::string> GetAllSettings(const std::string& app,
                                                  const std::string& section);

// The folder of the user's store for app (made at the first write).
std::string UserSettingsFolder(const std::string& app);
// The user's store for app, in that folder.
std::string UserSettingsFile(const std::string& app);

// Where the store lives: the user's configuration folder (default), an INI file of
// the caller's, or memory only (nothing kept).
void UseUserSettings();
void UseSettingsFile(const std::string& path);
// Empty when path can be given to UseSettingsFile without losing anything: absent, or a
// regular file of settings lines only. Otherwise why not.
std::string CheckSettingsFile(const std::string& path);
void UseMemorySettings();

}  // namespace plat
