#include "platform/settingsfolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace yuzulog {
namespace {

std::string WithSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

}  // namespace

std::string ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) return "./";
  return WithSlash(exe.parent_path().string());
}

std::string GetSettingsFolder(const GetEnvFunction& getEnv) {
  const auto env = [&](const char* name) -> const char* {
    return getEnv ? getEnv(name) : std::getenv(name);
  };
  // Relative values are to be ignored, as the XDG base-directory rules say.
  if (const char* xdg = env("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return WithSlash(xdg);
  if (const char* home = env("HOME"); home && home[0] == '/') return WithSlash(home) + ".config/";
  return ExecutableFolder();
}

std::string SettingsDir(const std::string& settingsFolder) {
  return WithSlash(settingsFolder) + "yuzulog/YUZU_LOG/";
}

std::string SettingsDir() {
  return SettingsDir(GetSettingsFolder());
}

bool CreateSettingsDir(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return std::filesystem::is_directory(dir, ec);
}

}  // namespace yuzulog
