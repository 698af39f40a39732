// Link recognition in message text: web, ftp and mail addresses and the service's "nifty:"
// references. Pure functions over a byte range of code page 932 text; none reads a byte past the
// range it is given, so a link never runs past the end of a message.
#pragma once

#include <cstddef>
#include <string>

namespace yuzulog {

// Each scanner returns the length k of the link that starts at text[0] (0 when there is none) and,
// only when k > 0, sets target to what the anchor points at. A candidate that breaks a rule is no
// link at all: links are never trimmed to fit.

// "http://" or "https://", the host and path, then either a "#" fragment or a "?" query.
std::size_t FindWebLink(const char* text, std::size_t length, std::string& target);
// "ftp://" and a host and path (no port, fragment or query).
std::size_t FindFtpLink(const char* text, std::size_t length, std::string& target);
// "mailto:" with a local part, an at sign and a dotted domain.
std::size_t FindMailtoLink(const char* text, std::size_t length, std::string& target);
// "nifty:forum[/section[/room[/[#]number]]]"; the target is normalised: forum and section in lower
// case, room and number in decimal without leading zeros.
std::size_t FindNiftyLink(const char* text, std::size_t length, std::string& target);

// The four scanners above in that order; the first that matches wins.
std::size_t FindLink(const char* text, std::size_t length, std::string& target);

// An e-mail address written without a scheme, found at its at sign. rangeStart is the first byte
// the local part may use, at points at the at sign and length counts the bytes from at to the end
// of the range. Returns k, counted from the at sign to the end of the address (0 when there is
// none), and sets localLength to the bytes of the local part before the at sign and target to
// "mailto:" + the address.
std::size_t FindBareAddress(const char* rangeStart, const char* at, std::size_t length,
                            std::size_t& localLength, std::string& target);

}  // namespace yuzulog
