// The window-free half of the search window: its fields as plain data, the condition list built
// from them, the scan-mode table, the search over the loaded messages (or the previous hits), the
// hit ranges for highlighting and the texts the window reports with.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/progress.h"
#include "logdata/logmessage.h"
#include "logdata/motcle.h"

namespace yuzulog {

class LogFiles;

// What the scan skips, as the search window's list offers it (the value is the list's index).
enum class IgnoreCode {
  None = 0,                 // "標準（特定コードを無視しない）"
  LineBreaks = 1,           // "改行コードを無視する"
  LineBreaksAndBlanks = 2,  // "改行と空白（半全角）を無視する"
};
// The list's index as an IgnoreCode; any other index counts as None.
IgnoreCode IgnoreCodeFromIndex(int index);

// What the search window's condition panel holds. Texts are code page 932 bytes as typed.
struct SearchFields {
  std::array<std::string, 4> Edit;  // Edit1-Edit4: the keyword fields
  std::array<bool, 4> CheckBox{};   // CheckBox1-CheckBox4
  std::string EditID;
  bool CheckBoxID = false;
  std::string EditName;
  bool CheckBoxName = false;
  bool IgnoreCase = false;  // "半角英字の大・小文字を区別しない"
  bool Enhanced = false;    // compound keywords: alternatives separated by commas or blanks
  yuzulog::IgnoreCode IgnoreCode = yuzulog::IgnoreCode::None;
  bool IncludeHeader = false;   // search the header lines too
  bool CheckBoxOrgMes = false;  // only messages that comment on no other message
};

// A field is usable when its box is checked and its text is not empty.
bool HasUsableField(const SearchFields& fields);
// Whether the run button is enabled: the message tree has a node and a field is usable.
bool UpdateSearchEnabled(const SearchFields& fields, int treeNodeCount);
// The narrowing box is enabled when a search can run and the result list has rows.
bool NarrowingEnabled(bool searchEnabled, std::size_t resultCount);

// The scan mode for the case box and the ignore-code list.
ScanMode ScanModeFor(bool ignoreCase, IgnoreCode ignoreCode);

// Splits a compound field into its alternatives: half-width commas and bytes up to 0x20 separate
// them, a double-quoted alternative may hold both (two double quotes stand for one), and each
// alternative is trimmed of bytes up to 0x20. No text gives no alternative.
std::vector<std::string> SplitCompound(std::string_view text);

// Fills conditions and scanMode from the fields (keyword fields 1-4 in order, unchecked ones
// skipped, texts not trimmed).
void BuildConditions(const SearchFields& fields, Conditions& conditions, ScanMode& scanMode);

// What the search step hands back through the progress dialog.
struct SearchJob {
  std::vector<TLogMessage*> Hits;  // refers to messages of the loaded files
  bool Narrow = false;
  std::int32_t ElapsedMs = 0;  // building the conditions and examining the messages
};

// The search window's state that needs no widget. Results refers to messages of the loaded files
// and is emptied (ClearResults) before they are freed.
class SearchState {
 public:
  Conditions FConditions;
  yuzulog::ScanMode ScanMode = yuzulog::ScanMode::Exact;
  std::vector<TLogMessage*> Results;

  // The search step. Candidates: every message of every file in files' order, or, when
  // job.Narrow, the rows of Results in display order. total is the count the percentage is
  // taken of (the message tree's node count, or the row count when narrowing). Progress every
  // 512 examined messages; on a cancel the hits found so far stay in job.Hits.
  OpStatus SearchMessages(Progress& progress, SearchJob& job, const SearchFields& fields,
                          const LogFiles& files, long long total);

  // Makes the hits the result list (same order).
  void FillResultList(Progress& progress, const std::vector<TLogMessage*>& hits);
  void ClearResults() { Results.clear(); }

  // The keyword hits in the body of m as (offset from HeadStart, length) pairs appended to list,
  // keyword by keyword, with the conditions and mode of the last search. 64-bit: a message may
  // be larger than 2 GB.
  void GetHitRanges(std::vector<std::int64_t>& list, const TLogMessage& m) const;
};

// The fields as typed in the window (UTF-8) encoded to code page 932, the logs' text, with the
// one mapping the program has. Only the checked fields are encoded (the others are not looked
// at). A checked field holding a character with no code page 932 form gives Error (UTF-8, naming
// the field and the characters) and no fields: searching for the rest of the text would find
// what was not asked for.
struct EncodedFields {
  SearchFields Fields;
  std::string Error;
};
EncodedFields EncodeTypedFields(const SearchFields& typed);

// Texts of the search (UTF-8).
extern const char* const kSearchingText;       // "検索しています"
extern const char* const kUpdatingListText;    // "リストの表示を更新しています"
extern const char* const kUpdateListQuestion;  // "リストを更新しますか？"
// N + " 個の発言がヒットしました".
std::string HitCountText(std::size_t hits);
// The caption of the question asked after an interrupted search with hits.
std::string InterruptedCaption(std::size_t hits);
// The notice after a search: the hit count, a blank line, then the time of the search and the
// list update in milliseconds, or the interrupted mark.
std::string SearchNoticeText(std::size_t hits, bool interrupted, long long elapsedMs);

}  // namespace yuzulog
