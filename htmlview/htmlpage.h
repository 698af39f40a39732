// The HTML page of one message, as the browser view shows it. The page is built byte for byte in
// one growing buffer: log text stays code page 932, the page declares shift_jis, and bytes that
// need no replacement are appended in runs, straight from the message text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/fontspec.h"
#include "logdata/logmessage.h"

namespace yuzulog {

// The page being written. Appending goes at the end; the bare-address rule alone steps back over
// bytes it has just written.
using PageStream = std::string;

// "#RRGGBB" in upper-case hexadecimal, system colours resolved first.
std::string ColorToHtml(TColor color, const ColorResolver& resolver);

void WriteFontCss(PageStream& out, const FontSpec& font, const ColorResolver& resolver);
// plain: the key-font span (no language, no line height); otherwise the page's base-font span.
void BeginFontSpan(PageStream& out, const FontSpec& font, bool plain,
                   const ColorResolver& resolver);
void EndFontSpan(PageStream& out, const FontSpec& font);
// headExtra goes at the end of the page's head (a style element); nothing for a message page.
void BeginPage(PageStream& out, TColor background, const FontSpec& baseFont,
               const ColorResolver& resolver, std::string_view headExtra = {});
void EndPage(PageStream& out, const FontSpec& baseFont);

// Converts length bytes of message text to HTML: spaces, quotes, ampersands and angle brackets
// become entities, each CR (or CR LF) a line break, and, when links is on, recognised addresses
// become anchors. A NUL byte ends the text. A byte of 0x80 or above, half-width katakana
// (0xA0-0xDF) excepted, takes the next byte with it only when that byte lies in the range and is
// a valid second byte, so no byte of a broken character can hide a '<' from the escaping.
void WriteText(PageStream& out, const char* text, std::size_t length, bool links);

// Turns hit pairs (offset, length) into sorted boundaries b0 < b1 < ...: each even entry starts a
// hit and the next entry ends it (exclusive). Overlapping and touching hits become one.
std::vector<std::int64_t> MergeHitRanges(std::span<const std::int64_t> pairs);

// Everything a message page depends on besides the message.
struct PageStyle {
  FontSpec BaseFont;
  FontSpec KeyFont{.Color = kClBlue};
  TColor Background = kClWindow;
  bool WordWrap = false;
};

// A message's text as a page holds it, from its first header line to its end, converted as
// WriteText does with links, between the no-wrap fragments unless the style wraps words. hitPairs
// is null when the page was not asked for by the search result list; otherwise every character that
// holds a byte of a hit is written in the key font. Links are found as if there were no hits: a hit
// inside an anchor is written inside it, and a hit's span is closed before an anchor's edge and
// opened again after it, so removing the hit spans gives exactly the text without hits.
void WriteMessageText(PageStream& out, const TLogMessage& message,
                      const std::vector<std::int64_t>* hitPairs, const PageStyle& style,
                      const ColorResolver& resolver);

// The page of one message: the frame around WriteMessageText.
void WriteMessagePage(PageStream& out, const TLogMessage& message,
                      const std::vector<std::int64_t>* hitPairs, const PageStyle& style,
                      const ColorResolver& resolver);

// The page shown when there is no message: the frame alone.
void WriteEmptyPage(PageStream& out, const PageStyle& style, const ColorResolver& resolver);

}  // namespace yuzulog
