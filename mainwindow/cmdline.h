// The desktop program's command line: keys given as one argument each, key and value without a
// blank between them, keys compared without regard to ASCII case; every other argument (after the
// program's own path) is a log file to open.
#pragma once

#include <functional>
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

// Every key the program reads. A feature that takes a key from the command line adds it here;
// an argument written like a key that is in none of these is reported and ignored instead of
// being opened as a log file.
inline constexpr std::string_view kKnownKeys[] = {
    kOldSystemKey, kViewModeKey, kLogSetKey, kScreenshotKey, kMessageKey, kSearchKey,
};

// The program's arguments sorted out.
struct CommandLine {
  // Argument 0 (the program's path, which the key lookup has always included) and every
  // argument that begins with a known key, in order: what GetParamValue looks through.
  std::vector<std::string> Keys;
  // The log files to open, in order.
  std::vector<std::string> Files;
  // Arguments of the form Name:value (ASCII letters, a colon) whose key the program does not
  // know, each once.
  std::vector<std::string> UnknownKeys;
};

// Sorts args out. A path that exists is always a file, even one named like a key; an empty
// argument is dropped. exists tells whether a path names something in the file system (PathExists).
CommandLine SplitCommandLine(const std::vector<std::string>& args,
                             const std::function<bool(const std::string&)>& exists);
// The line that reports an unknown key on stderr.
std::string UnknownKeyText(const std::string& arg);

// The rest of the first argument (the program's path, argument 0, included) that begins with
// key, ignoring ASCII case; empty when none does.
std::string GetParamValue(const std::vector<std::string>& args, std::string_view key);
// The values of every argument after argument 0 that begins with key, in order, at most maxCount.
std::vector<std::string> GetParamValues(const std::vector<std::string>& args, std::string_view key,
                                        int maxCount);
// The integer value of a key; a value that is not a number (or a missing key) counts as 0.
int GetParamInteger(const std::vector<std::string>& args, std::string_view key);

// The path of a second screenshot beside path: tag inserted before the file name's extension
// ("/tmp/a.png" and "-search" give "/tmp/a-search.png"), or appended when it has none.
std::string CompanionPath(const std::string& path, std::string_view tag);

}  // namespace yuzulog
