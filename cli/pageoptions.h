// The options of a page's look and of its hits, shared by `page` and `thread` (defined with
// `page`).
#pragma once

#include <vector>

#include "cli/cli.h"
#include "htmlview/htmlpage.h"

namespace yuzulog::cli {

// --wrap, the colours and the two fonts, followed by the search options.
std::vector<OptionSpec> WithPageOptions(std::vector<OptionSpec> specs);
// The page's look as the options set it; UsageError for a bad value.
PageStyle StyleFromOptions(const CliContext& c);

}  // namespace yuzulog::cli
