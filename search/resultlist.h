// The window-free half of the result list: the texts of a row, the sort keys and the column-click
// sort state, the selection carried over a sort, and writing the selected messages to a text list
// (copy) or a file (save).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/progress.h"
#include "logdata/logmessage.h"

namespace yuzulog {

// The result list's sort keys; the value is the Tag of the column that sorts by it.
enum class SortKey {
  Number = 0,
  Title = 1,       // trimmed, in text order
  HandleName = 2,  // trimmed, in text order
  ID = 3,          // in text order
  Room = 4,
  BodySize = 5,
  DateTime = 6,
};

// The columns in display order and the sort key (Tag) each one carries.
constexpr int kResultColumnCount = 7;
enum ResultColumn { ColRoom, ColNumber, ColTitle, ColHandle, ColID, ColDate, ColSize };
constexpr SortKey kColumnTags[kResultColumnCount] = {
    SortKey::Room, SortKey::Number,   SortKey::Title,   SortKey::HandleName,
    SortKey::ID,   SortKey::DateTime, SortKey::BodySize};
extern const char* const kColumnCaptions[kResultColumnCount];  // "室", "番号", ...
constexpr int kColumnWidths[kResultColumnCount] = {40, 50, 200, 100, 80, 70, 50};
constexpr bool kColumnRightAligned[kResultColumnCount] = {true,  true,  false, false,
                                                          false, false, true};

// The text of one column of a row (code page 932 bytes from the log, the size in decimal).
std::string ColumnText(const TLogMessage& m, int column);

// Byte-wise unsigned order with a-z taken as A-Z (second bytes included); a prefix comes first.
int TextOrder(std::string_view a, std::string_view b);

// Compares two messages by a sort key; only the primary comparison takes the direction, the
// tie-breaks (Room, then Number) always ascend. The reference order: SortResults sorts on keys
// read once per row, and the tests hold it against this comparison.
int CompareMessages(const TLogMessage& a, const TLogMessage& b, SortKey key, int direction);

// The sort state of a program run; a new search does not reset it.
struct SortState {
  int SortDirection = 1;
  std::optional<SortKey> LastSortKey;  // none yet
  // The order the last sort left and the rows where its runs of equal primary keys begin: a
  // second click on the key over that very order only reverses the runs.
  std::vector<TLogMessage*> SortedOrder;
  std::vector<std::uint32_t> RunStarts;
};

// Sorts results by the key (a value outside the keys sorts nothing) after updating the state:
// the same key as last time flips the direction, another key starts ascending.
void SortResults(std::vector<TLogMessage*>& results, SortState& state, SortKey key);

// The rows selected and focused after a column click that carried them over by message identity.
struct CarriedSelection {
  std::vector<int> SelectedRows;  // ascending
  int FocusedRow = -1;            // -1: no row has the focus
};
// A column click: the window hands over the messages of its selected rows and of its focused row
// (nullptr: none); the results are sorted and the rows of those messages found in the new order.
CarriedSelection ColumnClick(std::vector<TLogMessage*>& results, SortState& state, SortKey key,
                             const std::vector<const TLogMessage*>& selectedMessages,
                             const TLogMessage* focusedMessage);

// Copy: every selected message's text (from HeadStart to its NUL) as one entry, in row order.
// The loop always runs to its end; a cancel only shows in the returned status.
OpStatus WriteSelected(Progress& progress, const std::vector<TLogMessage*>& results,
                       const std::vector<bool>& selected, std::vector<std::string>& list);
// The clipboard text of a copied list: every entry followed by CR LF.
std::string ClipboardText(const std::vector<std::string>& list);

enum class SaveMode { Create, Append };
enum class SaveOutcome { Written, Cancelled, Failed };
struct SaveResult {
  SaveOutcome Outcome = SaveOutcome::Failed;
  std::string Message;  // UTF-8, for Failed
};

// Save: writes every selected message's text followed by CR LF to path. The file's previous
// content never gets lost: Create replaces path as FileReplacement does (a new file beside it
// takes its place only when everything was written; a cancel or failure leaves path as it was and
// no partial file; a device or a pipe is written in place; a file that may not be written is
// refused); Append takes back what it appended on a cancel or failure. Append to a missing file
// creates it.
SaveResult SaveSelected(Progress& progress, const std::vector<TLogMessage*>& results,
                        const std::vector<bool>& selected, const std::string& path, SaveMode mode);

// Texts of the save command (UTF-8).
std::string CannotCreateText(const std::string& path);  // "ファイル %s を作成できません"
std::string CannotOpenText(const std::string& path);    // "ファイル %s は開けません"
std::string CannotWriteText(const std::string& path, const std::string& reason);

}  // namespace yuzulog
