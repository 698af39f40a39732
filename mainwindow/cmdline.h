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
// "Search:WORD", up to four times: the search window's keyword fields, searched once the given
// files have loaded.
inline constexpr std::string_view kSearchKey = "Search:";
inline constexpr int kMaxSearchKeys = 4;
// What the search window's screenshot has before the extension of the "Screenshot:" path.
inline constexpr std::string_view kSearchScreenshotTag = "-search";

// The rest of the first argument (the program's path, argument 0, included) that begins with
// key, ignoring ASCII case; empty when none does.
std::string GetParamValue(const std::vector<std::string>& args, std::string_view key);
// The values of every argument after argument 0 that begins with key, in order, at most maxCount.
std::vector<std::string> GetParamValues(const std::vector<std::string>& args, std::string_view key,
                                        int maxCount);
// The integer value of a key; a value that is not a number (or a missing key) counts as 0.
int GetParamInteger(const std::vector<std::string>& args, std::string_view key);
// The arguments after argument 0 that begin with none of the program's keys, in order.
std::vector<std::string> FileArguments(const std::vector<std::string>& args);

// The path of a second screenshot beside path: tag inserted before the file name's extension
// ("/tmp/a.png" and "-search" give "/tmp/a-search.png"), or appended when it has none.
std::string CompanionPath(const std::string& path, std::string_view tag);

}  // namespace yuzulog
