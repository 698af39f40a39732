// yuzulog-cli page: the HTML page the browser view shows for one message, or the empty page,
// byte for byte. With search options the page is the one the result list asks for: the keyword
// hits in the key font.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/pageoptions.h"
#include "cli/searchoptions.h"
#include "common/fontspec.h"
#include "htmlview/htmlpage.h"
#include "platform/cp932.h"
#include "search/search.h"

namespace yuzulog::cli {
namespace {

// A colour option: the stored TColor in decimal, signed as the settings files write it; the
// unsigned form of the same 32 bits (4294967295 and below) is taken as well.
TColor ColorOption(const ParsedArgs& args, std::string_view name, TColor defaultValue) {
  const long long v = args.Integer(name, defaultValue);
  if (v < INT32_MIN || v > static_cast<long long>(UINT32_MAX))
    throw UsageError("--" + std::string(name) + " is not a 32-bit colour value");
  return static_cast<TColor>(static_cast<std::uint32_t>(v));
}

int SizeOption(const ParsedArgs& args, std::string_view name, int defaultValue) {
  const long long v = args.Integer(name, defaultValue);
  if (v < -32768 || v > 32767) throw UsageError("--" + std::string(name) + " is out of range");
  return static_cast<int>(v);
}

int StyleOption(const ParsedArgs& args, std::string_view name) {
  const long long v = args.Integer(name, 0);
  if (v < 0 || v > (kFsBold | kFsItalic | kFsUnderline | kFsStrikeOut))
    throw UsageError("--" + std::string(name) +
                     " takes the sum of 1 bold, 2 italic, 4 underline, 8 strike-out");
  return static_cast<int>(v);
}

// The font name option as the UTF-8 name of a FontSpec; it must have a code page 932 form, since
// the page writes it so.
std::string FontNameOption(const CliContext& c, std::string_view name,
                           const std::string& defaultValue) {
  const std::string* v = c.Args.Last(name);
  if (!v) return defaultValue;
  return Cp932ToUtf8(c.OptionText(*v, name));
}

}  // namespace

PageStyle StyleFromOptions(const CliContext& c) {
  PageStyle style;
  style.WordWrap = c.Args.Has("wrap");
  style.Background = ColorOption(c.Args, "bg-color", kClWindow);
  style.BaseFont.Name = FontNameOption(c, "font-name", kDesignFontName);
  style.BaseFont.Size = SizeOption(c.Args, "font-size", 9);
  style.BaseFont.Color = ColorOption(c.Args, "font-color", kClBlack);
  style.BaseFont.Style = StyleOption(c.Args, "font-style");
  style.KeyFont.Name = FontNameOption(c, "key-font-name", style.BaseFont.Name);
  style.KeyFont.Size = SizeOption(c.Args, "key-font-size", style.BaseFont.Size);
  style.KeyFont.Color = ColorOption(c.Args, "key-font-color", kClBlue);
  style.KeyFont.Style = StyleOption(c.Args, "key-font-style");
  return style;
}

std::vector<OptionSpec> WithPageOptions(std::vector<OptionSpec> specs) {
  specs.insert(
      specs.end(),
      {{"wrap", 0, false, "word wrap on (default off)"},
       {"bg-color", 0, true, "background colour as a TColor integer (default -2147483643)"},
       {"font-name", 0, true, "message font name"},
       {"font-size", 0, true, "message font size in points (default 9)"},
       {"font-color", 0, true, "message font colour as a TColor integer (default 0)"},
       {"font-style", 0, true, "1 bold, 2 italic, 4 underline, 8 strike-out (default 0)"},
       {"key-font-name", 0, true, "hit font name (default: the message font's)"},
       {"key-font-size", 0, true, "hit font size (default: the message font's)"},
       {"key-font-color", 0, true, "hit font colour (default 16711680, blue)"},
       {"key-font-style", 0, true, "hit font style bits (default 0)"}});
  return WithSearchOptions(std::move(specs));
}

namespace {

int RunPage(CliContext& c) {
  const bool empty = c.Args.Has("empty");
  if (!empty && (!c.Args.Has("room") || !c.Args.Has("number")))
    throw UsageError("page needs --room R and --number N, or --empty");
  const MessageAddress target{c.Args.Int32("room", 0), c.Args.Int32("number", 0)};
  // Every option is checked before the files are loaded.
  const PageStyle style = StyleFromOptions(c);
  const bool fromResultList = !empty && HasSearchOption(c.Args);
  SearchFields fields;
  if (fromResultList) fields = FieldsFromOptions(c);
  const DefaultColorResolver resolver;
  PageStream page;

  c.LoadFiles(!empty);
  if (empty) {
    WriteEmptyPage(page, style, resolver);
    c.Write(page);
    return kExitOk;
  }
  const TLogMessage* m = FindGotoTarget(c.Files, target);
  if (!m) {
    std::fprintf(stderr, "%s\n", GotoNotLoadedText(target).c_str());
    return kExitNotFound;
  }
  if (fromResultList) {
    SearchState search;
    BuildConditions(fields, search.FConditions, search.ScanMode);
    std::vector<std::int64_t> hits;
    search.GetHitRanges(hits, *m);
    WriteMessagePage(page, *m, &hits, style, resolver);
  } else {
    WriteMessagePage(page, *m, nullptr, style, resolver);
  }
  c.Write(page);
  return kExitOk;
}

const bool registered = RegisterSubcommand(
    {"page", "the HTML page of the message at --room R --number N (or --empty), byte for byte",
     WithPageOptions({{"room", 0, true, "room number"},
                      {"number", 0, true, "message number"},
                      {"empty", 0, false, "the empty page shown when no message is selected"}}),
     RunPage});

}  // namespace
}  // namespace yuzulog::cli
