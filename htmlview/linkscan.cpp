#include "htmlview/linkscan.h"

#include <cstdint>
#include <string_view>

#include "common/sjis.h"

namespace yuzulog {

namespace {

// The character classes of addresses. All are ASCII: a byte of 0x80 or above, and every byte up
// to the space, is outside every class.
bool IsWordChar(unsigned char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '~' || c == '-';
}
bool IsWebChar(unsigned char c) {
  return IsWordChar(c) || c == '.' || c == '/' || c == ':';
}
bool IsFtpChar(unsigned char c) {
  return IsWordChar(c) || c == '.' || c == '/';
}
bool IsQueryChar(unsigned char c) {
  return IsWordChar(c) || c == '.' || c == ':' || c == '%' || c == '&' || c == '+' || c == '=';
}
bool IsFragmentChar(unsigned char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '~' || c == '.';
}
bool IsLocalChar(unsigned char c) {
  return IsWordChar(c) || c == '.';
}
bool IsLabelChar(unsigned char c) {
  return IsWordChar(c);
}

unsigned char At(const char* text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

// True when the range starts with the scheme (ASCII letters compared without regard to case) and
// holds at least one byte after it.
bool StartsWithScheme(const char* text, std::size_t length, std::string_view scheme) {
  return length >= scheme.size() + 1 &&
         StartsWithIgnoringAsciiCase(std::string_view(text, length), scheme);
}

// Advances i over the bytes of a class, never past length.
template <typename Pred>
std::size_t TakeWhile(const char* text, std::size_t i, std::size_t length, Pred pred) {
  while (i < length && pred(At(text, i)))
    ++i;
  return i;
}

// The rule every web, ftp and mail candidate shares: a dot somewhere, and not a dot at the end.
bool HasDotNotAtEnd(std::string_view candidate) {
  return candidate.find('.') != std::string_view::npos && candidate.back() != '.';
}

std::size_t Accept(const char* text, std::size_t k, std::string& target) {
  const std::string_view candidate(text, k);
  if (!HasDotNotAtEnd(candidate)) return 0;
  target.assign(candidate);
  return k;
}

// A run of decimal digits as a number written back without leading zeros; a value that does not
// fit in 32 bits gives 0.
void AppendNumber(std::string& out, const char* digits, std::size_t count) {
  std::int64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    value = value * 10 + (digits[i] - '0');
    if (value > INT32_MAX) {
      value = 0;
      break;
    }
  }
  out += std::to_string(value);
}

void AppendLower(std::string& out, const char* text, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char c = At(text, i);
    out += static_cast<char>(IsAsciiUpper(c) ? c + 0x20 : c);
  }
}

}  // namespace

std::size_t FindWebLink(const char* text, std::size_t length, std::string& target) {
  std::size_t i;
  if (StartsWithScheme(text, length, "http://"))
    i = 7;
  else if (StartsWithScheme(text, length, "https://"))
    i = 8;
  else
    return 0;
  const std::size_t mainStart = i;
  i = TakeWhile(text, i, length, IsWebChar);
  if (i == mainStart) return 0;
  if (i < length && text[i] == '#')
    i = TakeWhile(text, i + 1, length, IsFragmentChar);
  else if (i < length && text[i] == '?')
    i = TakeWhile(text, i + 1, length, IsQueryChar);
  return Accept(text, i, target);
}

std::size_t FindFtpLink(const char* text, std::size_t length, std::string& target) {
  if (!StartsWithScheme(text, length, "ftp://")) return 0;
  const std::size_t i = TakeWhile(text, 6, length, IsFtpChar);
  if (i == 6) return 0;
  return Accept(text, i, target);
}

std::size_t FindMailtoLink(const char* text, std::size_t length, std::string& target) {
  if (!StartsWithScheme(text, length, "mailto:")) return 0;
  std::size_t i = TakeWhile(text, 7, length, IsLocalChar);
  if (i == 7) return 0;
  if (i >= length || text[i] != '@' || i + 1 >= length) return 0;
  const std::size_t domainStart = ++i;
  for (;;) {
    // Every label, the first included, must start with a label character.
    if (i >= length || !IsLabelChar(At(text, i))) return 0;
    i = TakeWhile(text, i, length, IsLabelChar);
    if (i < length && text[i] == '.')
      ++i;
    else
      break;
  }
  if (i - domainStart < 2) return 0;
  return Accept(text, i, target);
}

std::size_t FindNiftyLink(const char* text, std::size_t length, std::string& target) {
  if (!StartsWithScheme(text, length, "nifty:")) return 0;
  const std::size_t forumStart = 6;
  std::size_t i = TakeWhile(text, forumStart, length, IsAsciiLetter);
  if (i == forumStart) return 0;
  std::string t = "nifty:";
  AppendLower(t, text + forumStart, i - forumStart);
  auto done = [&](std::size_t k) {
    target = std::move(t);
    return k;
  };
  if (i >= length || text[i] != '/') return done(i);

  const std::size_t sectionStart = ++i;
  i = TakeWhile(text, i, length, IsAsciiLetter);
  if (i == sectionStart) return done(i);
  t += '/';
  AppendLower(t, text + sectionStart, i - sectionStart);
  if (i >= length || text[i] != '/') return done(i);

  const std::size_t roomStart = ++i;
  i = TakeWhile(text, i, length, IsAsciiDigit);
  if (i == roomStart) return done(i);
  t += '/';
  AppendNumber(t, text + roomStart, i - roomStart);
  if (i >= length || text[i] != '/') return done(i);

  ++i;
  if (i < length && text[i] == '#') ++i;
  const std::size_t numberStart = i;
  i = TakeWhile(text, i, length, IsAsciiDigit);
  if (i == numberStart) return done(i);
  t += '/';
  AppendNumber(t, text + numberStart, i - numberStart);
  return done(i);
}

std::size_t FindLink(const char* text, std::size_t length, std::string& target) {
  // The page asks at every character of a message; the schemes start with four different
  // letters, so the first byte alone rules out all but one scanner (the order web, ftp, mailto,
  // nifty holds trivially).
  if (length == 0) return 0;
  switch (AsciiUpper(At(text, 0))) {
    case 'H':
      return FindWebLink(text, length, target);
    case 'F':
      return FindFtpLink(text, length, target);
    case 'M':
      return FindMailtoLink(text, length, target);
    case 'N':
      return FindNiftyLink(text, length, target);
    default:
      return 0;
  }
}

std::size_t FindBareAddress(const char* rangeStart, const char* at, std::size_t length,
                            std::size_t& localLength, std::string& target) {
  if (length < 2 || *at != '@') return 0;

  // The local part runs backwards over local characters to the range start or to the first other
  // byte. After a byte of 0x7F or above it starts one byte later still: that byte may be the lead
  // byte of a double-byte character whose second byte is a letter.
  const char* localStart = at;
  while (localStart > rangeStart && IsLocalChar(static_cast<unsigned char>(localStart[-1])))
    --localStart;
  if (localStart > rangeStart && static_cast<unsigned char>(localStart[-1]) >= 0x7F) ++localStart;
  if (localStart >= at) return 0;

  // The domain: label characters and dots, a dot only right after a label character, ending on a
  // label character.
  std::size_t i = 1;
  while (i < length) {
    const unsigned char c = At(at, i);
    if (IsLabelChar(c) || (c == '.' && IsLabelChar(At(at, i - 1))))
      ++i;
    else
      break;
  }
  if (i == 1 || !IsLabelChar(At(at, i - 1))) return 0;

  const std::string_view local(localStart, static_cast<std::size_t>(at - localStart));
  const std::string_view domain(at + 1, i - 1);
  if (local.find('.') == std::string_view::npos && domain.find('.') == std::string_view::npos)
    return 0;
  target.assign("mailto:");
  target.append(local);
  target += '@';
  target.append(domain);
  localLength = local.size();
  return i;
}

}  // namespace yuzulog
