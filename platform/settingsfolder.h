// Where the per-user settings live: $XDG_CONFIG_HOME (or ~/.config) + "yuzulog/YUZU_LOG/".
#pragma once

#include <functional>
#include <string>

namespace yuzulog {

// Looks up an environment variable; nullptr when it is not set. Tests pass their own.
using GetEnvFunction = std::function<const char*(const char*)>;

// The per-user configuration folder with a trailing '/': $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config/; when neither can be found, the folder of the program's executable.
std::string GetSettingsFolder(const GetEnvFunction& getEnv = nullptr);

// The program's settings folder below a configuration folder (ending in '/').
std::string SettingsDir(const std::string& settingsFolder);
std::string SettingsDir();

// Creates dir with every missing parent; false when it does not exist afterwards.
bool CreateSettingsDir(const std::string& dir);

// The folder of the running executable with a trailing '/', or "./" when it is unknown.
std::string ExecutableFolder();

}  // namespace yuzulog
