// The page generator over arbitrary text and hit lists: it must never read outside the message,
// and no byte of the text may open a tag (every '<' in the page comes from the generator).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/fontspec.h"
#include "htmlview/htmlpage.h"
#include "logdata/logmessage.h"

namespace {

// Tags the generator writes inside the text; anything else after a '<' came from the input.
bool IsGeneratedTag(const std::string& page, std::size_t at) {
  static const char* const kTags[] = {"<A HREF =\"", "</A>", "<BR>\r\n", "<span style='",
                                      "</span>"};
  for (const char* tag : kTags)
    if (page.compare(at, std::strlen(tag), tag) == 0) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first bytes, when there are enough, choose a few hit pairs; the rest is the message.
  std::vector<std::int64_t> hits;
  std::size_t used = 0;
  if (size > 0) {
    const std::size_t pairs = data[0] % 4;
    used = 1;
    for (std::size_t i = 0; i < pairs && used + 2 <= size; ++i, used += 2) {
      hits.push_back(data[used] - 16);
      hits.push_back(data[used + 1] % 32 - 4);
    }
  }
  // The message text without the NUL the loader puts after it: the generator must stop at the
  // range end on its own.
  std::vector<char> text(data + used, data + size);
  yuzulog::TLogMessage message(nullptr);
  message.HeadStart = text.data();
  message.BodyStart = text.data();
  message.TextEnd = text.data() + text.size();

  const yuzulog::DefaultColorResolver resolver;
  const yuzulog::PageStyle style;
  std::string ordinary;
  yuzulog::WriteMessagePage(ordinary, message, nullptr, style, resolver);
  std::string withHits;
  yuzulog::WriteMessagePage(withHits, message, &hits, style, resolver);

  // Between the frame's head and tail, only generated tags may start with '<'.
  for (const std::string* page : {&ordinary, &withHits}) {
    const std::size_t begin = page->find("<NOBR>") + 6;
    const std::size_t end = page->rfind("</NOBR>");
    for (std::size_t at = page->find('<', begin); at < end; at = page->find('<', at + 1))
      if (!IsGeneratedTag(*page, at)) std::abort();
  }
  return 0;
}
