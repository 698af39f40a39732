// Path names as this platform writes them: "/" between folders, a file name compared exactly.
#pragma once

#include <string>
#include <string_view>

namespace yuzulog {

// The extension of a path's file name, from its last "." on ("" when there is none).
std::string FileExtension(const std::string& path);
// True when ext equals dotted (".LOG", ".TXT") ignoring ASCII case.
bool ExtensionIs(std::string_view ext, std::string_view dotted);
// The full path: absolute, with ".", ".." and repeated "/" removed lexically; links are not
// resolved.
std::string FullPath(const std::string& path);
// The file name of a path without its folder.
std::string BaseName(const std::string& path);
// Whether path names a file, a folder or anything else in the file system.
bool PathExists(const std::string& path);
// Whether a and b name the same file however they are spelled: the same device and inode where
// both exist, else the same path once made absolute, normalised and its links resolved.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace yuzulog
