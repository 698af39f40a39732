#include "cli/searchoptions.h"

#include <algorithm>

namespace yuzulog::cli {

const std::vector<OptionSpec>& SearchOptionSpecs() {
  static const std::vector<OptionSpec> specs = {
      {"keyword", 'k', true, "a keyword field (up to four, in order), checked"},
      {"id", 0, true, "the writer's ID (ASCII case ignored)"},
      {"name", 0, true, "the writer's handle name"},
      {"case-sensitive", 0, false, "compare half-width letters exactly (default: fold case)"},
      {"compound", 0, false, "keywords hold alternatives separated by commas or blanks"},
      {"ignore", 0, true, "none (default), newlines or blanks: what the scan skips"},
      {"include-header", 0, false, "search the two header lines too"},
      {"original-only", 0, false, "only messages that comment on no other message"},
  };
  return specs;
}

std::vector<OptionSpec> WithSearchOptions(std::vector<OptionSpec> specs) {
  const std::vector<OptionSpec>& search = SearchOptionSpecs();
  specs.insert(specs.end(), search.begin(), search.end());
  return specs;
}

bool HasSearchOption(const ParsedArgs& args) {
  const std::vector<OptionSpec>& specs = SearchOptionSpecs();
  return std::any_of(specs.begin(), specs.end(),
                     [&](const OptionSpec& o) { return args.Has(o.Long); });
}

SearchFields FieldsFromOptions(const CliContext& c) {
  SearchFields f;
  const std::vector<std::string> keywords = c.Args.All("keyword");
  if (keywords.size() > f.Edit.size()) throw UsageError("at most four keywords (-k) can be given");
  for (std::size_t i = 0; i < keywords.size(); ++i) {
    f.Edit[i] = c.OptionText(keywords[i], "keyword");
    f.CheckBox[i] = true;
  }
  if (const std::string* id = c.Args.Last("id")) {
    f.EditID = c.OptionText(*id, "id");
    f.CheckBoxID = true;
  }
  if (const std::string* name = c.Args.Last("name")) {
    f.EditName = c.OptionText(*name, "name");
    f.CheckBoxName = true;
  }
  f.IgnoreCase = !c.Args.Has("case-sensitive");
  f.Enhanced = c.Args.Has("compound");
  if (const std::string* ignore = c.Args.Last("ignore")) {
    if (*ignore == "none")
      f.IgnoreCode = IgnoreCode::None;
    else if (*ignore == "newlines")
      f.IgnoreCode = IgnoreCode::LineBreaks;
    else if (*ignore == "blanks")
      f.IgnoreCode = IgnoreCode::LineBreaksAndBlanks;
    else
      throw UsageError("--ignore must be none, newlines or blanks: " + *ignore);
  }
  f.IncludeHeader = c.Args.Has("include-header");
  f.CheckBoxOrgMes = c.Args.Has("original-only");
  if (!HasUsableField(f))
    throw UsageError("give at least one non-empty keyword (-k), --id or --name");
  return f;
}

}  // namespace yuzulog::cli
