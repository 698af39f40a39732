// The page generator over arbitrary text, hit lists and font names: it must never read outside the
// message; no byte of the text may open a tag (every '<' in the page comes from the generator);
// removing the hit spans must give the page without hits, on a message page and on a thread
// page; and the font name must not end its CSS string or the attribute around it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/fontspec.h"
#include "common/sjis.h"
#include "htmlview/htmlpage.h"
#include "htmlview/threadpage.h"
#include "logdata/logmessage.h"
#include "platform/cp932.h"

namespace {

// Tags the generator writes inside the text; anything else after a '<' came from the input.
bool IsGeneratedTag(const std::string& page, std::size_t at) {
  static const char* const kTags[] = {"<A HREF =\"", "</A>",   "<BR>\r\n", "<span style='",
                                      "</span>",     "<NOBR>", "</NOBR>",  "<A NAME=\"",
                                      "<DIV>",       "</DIV>", "<HR>"};
  for (const char* tag : kTags)
    if (page.compare(at, std::strlen(tag), tag) == 0) return true;
  return false;
}

// The page with every hit span taken out (they never nest: an opening is closed by the first
// closing after it).
std::string WithoutSpans(std::string page, const std::string& open) {
  for (std::size_t at; (at = page.find(open)) != std::string::npos;) {
    const std::size_t end = page.find("</span>", at);
    if (end == std::string::npos) std::abort();
    page.erase(end, 7).erase(at, open.size());
  }
  return page;
}

// The font name's CSS value as the page writes it: no byte that ends the string or the attribute
// or starts markup, and its escapes read back give the name's code page 932 bytes.
void CheckFontName(const std::string& name) {
  yuzulog::PageStream out;
  const yuzulog::DefaultColorResolver resolver;
  yuzulog::WriteFontCss(out, yuzulog::FontSpec{.Name = name, .Size = 9, .Color = 0, .Style = 0},
                        resolver);
  const std::size_t start = out.find("family:\"") + 8;
  const std::string value = out.substr(start, out.rfind("\";color") - start);
  std::string read;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c < 0x20 || std::strchr("\"'<>&", c)) std::abort();
    if (yuzulog::IsSjisLeadByte(c) && i + 1 < value.size() &&
        yuzulog::IsSjisTrailByte(static_cast<unsigned char>(value[i + 1]))) {
      read.append(value, i++, 2);
    } else if (c == '\\') {
      const std::size_t space = value.find(' ', i);
      if (space == std::string::npos || space == i + 1 || space > i + 3) std::abort();
      read +=
          static_cast<char>(std::strtol(value.substr(i + 1, space - i - 1).c_str(), nullptr, 16));
      i = space;
    } else {
      read += static_cast<char>(c);
    }
  }
  if (read != yuzulog::Utf8ToCp932(name).bytes) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first bytes, when there are enough, choose a few hit pairs and a font name; the rest is
  // the message.
  std::vector<std::int64_t> hits;
  std::string fontName;
  std::size_t used = 0;
  if (size > 0) {
    const std::size_t pairs = data[0] % 4;
    const std::size_t nameLength = data[0] / 4 % 8;
    used = 1;
    for (std::size_t i = 0; i < pairs && used + 2 <= size; ++i, used += 2) {
      hits.push_back(data[used] - 16);
      hits.push_back(data[used + 1] % 32 - 4);
    }
    // Bytes of the name: ASCII as it is, others a double-byte character whose second byte is
    // 0x5C, or a half-width katakana.
    for (; nameLength > fontName.size() && used < size; ++used)
      fontName += data[used] < 0x80   ? std::string(1, static_cast<char>(data[used]))
                  : data[used] < 0xC0 ? "ソ"
                                      : "ｱ";
  }
  CheckFontName(fontName);

  // The message text without the NUL the loader puts after it: the generator must stop at the
  // range end on its own.
  std::vector<char> text(data + used, data + size);
  yuzulog::TLogMessage message(nullptr);
  message.HeadStart = text.data();
  message.BodyStart = text.data();
  message.TextEnd = text.data() + text.size();

  const yuzulog::DefaultColorResolver resolver;
  yuzulog::PageStyle style;
  style.WordWrap = size % 2 == 1;
  std::string ordinary;
  yuzulog::WriteMessagePage(ordinary, message, nullptr, style, resolver);
  std::string withHits;
  yuzulog::WriteMessagePage(withHits, message, &hits, style, resolver);
  std::string hitOpen;
  yuzulog::BeginFontSpan(hitOpen, style.KeyFont, true, resolver);
  if (WithoutSpans(withHits, hitOpen) != ordinary) std::abort();

  // The same text as a thread of two messages (the second the text's second half), each with the
  // same hits.
  yuzulog::TLogMessage second = message;
  second.HeadStart = second.BodyStart = text.data() + text.size() / 2;
  const std::vector<yuzulog::ThreadPageEntry> entries = {{&message, "1-2"}, {&second, "1-2-2"}};
  const yuzulog::MessageHits threadHits = [&hits](const yuzulog::TLogMessage&,
                                                  std::vector<std::int64_t>& out) {
    out.insert(out.end(), hits.begin(), hits.end());
  };
  std::string thread;
  yuzulog::WriteThreadPage(thread, entries, size % 3, size % 5, nullptr, style, resolver);
  std::string threadWithHits;
  yuzulog::WriteThreadPage(threadWithHits, entries, size % 3, size % 5, threadHits, style,
                           resolver);
  if (WithoutSpans(threadWithHits, hitOpen) != thread) std::abort();

  // Between the frame's head and tail, only generated tags may start with '<'.
  for (const std::string* page : {&ordinary, &withHits, &thread, &threadWithHits}) {
    const std::size_t begin = page->find("color:#000000'>") + 15;
    const std::size_t end = page->rfind("</span></body></html>");
    for (std::size_t at = page->find('<', begin); at < end; at = page->find('<', at + 1))
      if (!IsGeneratedTag(*page, at)) std::abort();
  }
  return 0;
}
