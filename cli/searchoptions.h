// The options that set the search window's fields, shared by `search` and `page`.
#pragma once

#include <vector>

#include "cli/cli.h"
#include "search/search.h"

namespace yuzulog::cli {

// -k/--keyword, --id, --name and the modifiers, with their help texts.
const std::vector<OptionSpec>& SearchOptionSpecs();
// specs followed by the search options: one subcommand's option list.
std::vector<OptionSpec> WithSearchOptions(std::vector<OptionSpec> specs);
// True when any of the search options was given.
bool HasSearchOption(const ParsedArgs& args);
// The search window's fields as the options set them; UsageError when no field is usable (as
// the run button stays disabled) or a value is bad.
SearchFields FieldsFromOptions(const CliContext& c);

}  // namespace yuzulog::cli
