// Search hits in the rich-text view: the key font applied to each hit of the shown message.
#pragma once

#include <span>

#include "common/fontspec.h"
#include "logdata/logmessage.h"

class QTextEdit;

namespace yuzulog {

// MarkHitsInRichText: view shows message (RichTextOf its text); hitPairs are (offset from
// HeadStart, length) in bytes, as GetHitRanges gives them. Each hit is converted to the
// characters it covers and takes keyFont's face, size, colour (the view's text colour when
// keyFont names the system's window text) and styles. The view's cursor stays where it was.
// start: where the message's text begins in the view (a view that holds several messages).
void MarkHitsInRichText(QTextEdit& view, const TLogMessage& message,
                        std::span<const std::int64_t> hitPairs, const FontSpec& keyFont,
                        int start = 0);

}  // namespace yuzulog
