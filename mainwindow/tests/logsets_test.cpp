// Log sets: the comma text of "LogSet.INI" and the lookups by name and by the command line's
// value. Registering, the order of use and the lines without fields are held by the window's
// tests.
#include "mainwindow/logsets.h"

#include <gtest/gtest.h>

namespace yuzulog {
namespace {

using Fields = std::vector<std::string>;

TEST(LogSets, CommaTextReadsQuotedAndBareFields) {
  const struct {
    const char* Line;
    Fields Expected;
  } cases[] = {
      {R"("set","/a/x.lzh","/b/y.LOG")", {"set", "/a/x.lzh", "/b/y.LOG"}},
      {"  \"a b\" ,\t\"c\"  ", {"a b", "c"}},
      {"one two,three", {"one", "two", "three"}},
      {R"("say ""hi""")", {R"(say "hi")"}},
      {R"("a",)", {"a", ""}},
      {R"("a",,"b")", {"a", "", "b"}},
      {R"("ab"cd)", {"ab", "cd"}},
      {R"("runs to the end)", {"runs to the end"}},
      {"", {}},
      {" \t ", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(ParseCommaText(c.Line), c.Expected);
  }
}

TEST(LogSets, ANameOrPathWithQuotesAndCommasReadsBackIntoTheSameFields) {
  const std::string name = R"(room "5", late)";
  const Fields files = {R"(/logs/"odd",name.lzh)", "/logs/plain.LOG", ""};
  const std::string line = LogSetLine(name, files);
  EXPECT_EQ(line, R"("room ""5"", late","/logs/""odd"",name.lzh","/logs/plain.LOG","")");
  EXPECT_EQ(LogSetName(line), name);
  EXPECT_EQ(LogSetFiles(line), files);
}

TEST(LogSets, NameLookupIgnoresAsciiCaseOnly) {
  const std::vector<LogSet> sets = {{"Alpha", {"/a"}}, {"ベータ", {"/b"}}, {"alpha", {"/c"}}};
  EXPECT_EQ(IndexOfLogSet(sets, "ALPHA"), 0);
  EXPECT_EQ(IndexOfLogSet(sets, "ベータ"), 1);
  EXPECT_EQ(IndexOfLogSet(sets, "gamma"), -1);
  EXPECT_EQ(GetLogSetNames(sets), (Fields{"Alpha", "ベータ", "alpha"}));
}

TEST(LogSets, CommandLineValueMatchesAnExactNameElseAnIndex) {
  const std::vector<LogSet> sets =
      ParseLogSets({LogSetLine("Room5", {"/a"}), "", LogSetLine("two words", {"/b"}), " ",
                    LogSetLine("0", {"/c"})});
  ASSERT_EQ(LogSetLines(sets).size(), 3u);  // the blank lines name no set
  const struct {
    const char* Value;
    int Index;
  } cases[] = {
      {"Room5", 0},
      {"room5", -1},  // names compare byte for byte here
      {"\"two words\"", 1},
      {"two words", 1},
      {"0", 2},  // a set named 0 wins over index 0
      {"1", 1},
      {"\"1\"", 1},
      {"3", -1},
      {"-1", -1},
      {"1x", -1},
      {"\"\"", -1},
      {"", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    EXPECT_EQ(FindLogSetForKey(sets, c.Value), c.Index);
  }
}

}  // namespace
}  // namespace yuzulog
