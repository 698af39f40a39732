// The desktop program's command line: keys given as one argument each, key and value without a
// blank between them, keys compared without regard to ASCII case; every other argument (after the
// program's own path) is a log file to open.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace yuzulog {

inline constexpr std::string_view kOldSystemKey = "OldSystem:";
inline constexpr std::string_view kViewModeKey = "ViewMode:";
inline constexpr std::string_view kLogSetKey = "LogSet:";
inline constexpr std::string_view kScreenshotKey = "Screenshot:";
// "Message:ROOM/NUMBER": the message shown once the given files have loaded.
inline constexpr std::string_view kMessageKey = "Message:";

// The rest of the first argument (the program's path, argument 0, included) that begins with
// key, ignoring ASCII case; empty when none does.
std::string GetParamValue(const std::vector<std::string>& args, std::string_view key);
// The integer value of a key; a value that is not a number (or a missing key) counts as 0.
int GetParamInteger(const std::vector<std::string>& args, std::string_view key);
// The arguments after argument 0 that begin with none of the program's keys, in order.
std::vector<std::string> FileArguments(const std::vector<std::string>& args);

}  // namespace yuzulog
