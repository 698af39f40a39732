#include "search/resultlist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unordered_set>

#include "common/sjis.h"
#include "platform/fileio.h"

namespace yuzulog {

const char* const kColumnCaptions[kResultColumnCount] = {"室", "番号", "タイトル", "ハンドル名",
                                                         "ID", "日付", "サイズ"};

std::string CannotCreateText(const std::string& path) {
  return "ファイル " + path + " を作成できません";
}
std::string CannotOpenText(const std::string& path) {
  return "ファイル " + path + " は開けません";
}
std::string CannotWriteText(const std::string& path, const std::string& reason) {
  return "ファイル " + path + " に書き込めません（" + reason + "）";
}

std::string ColumnText(const TLogMessage& m, int column) {
  switch (column) {
    case ColRoom:
      return std::string(m.RoomText());
    case ColNumber:
      return std::string(m.NumberText());
    case ColTitle:
      return std::string(m.RawTitle());
    case ColHandle:
      return std::string(m.HandleField());
    case ColID:
      return std::string(m.ID());
    case ColDate:
      return std::string(m.DateText());
    case ColSize:
      return std::to_string(m.BodySize());
    default:
      return {};
  }
}

int TextOrder(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = AsciiUpper(static_cast<unsigned char>(a[i]));
    const unsigned char y = AsciiUpper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

namespace {

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

int ByRoomThenNumber(const TLogMessage& a, const TLogMessage& b) {
  if (const int c = Sign(a.Room, b.Room)) return c;
  return Sign(a.Number, b.Number);
}

}  // namespace

int CompareMessages(const TLogMessage& a, const TLogMessage& b, SortKey key, int direction) {
  int primary = 0;
  switch (key) {
    case SortKey::Number:
      if ((primary = Sign(a.Number, b.Number) * direction)) return primary;
      return Sign(a.Room, b.Room);
    case SortKey::Title:
      primary = TextOrder(a.Title(), b.Title());
      break;
    case SortKey::HandleName:
      primary = TextOrder(a.HandleName(), b.HandleName());
      break;
    case SortKey::ID:
      primary = TextOrder(a.ID(), b.ID());
      break;
    case SortKey::Room:
      if ((primary = Sign(a.Room, b.Room) * direction)) return primary;
      return Sign(a.Number, b.Number);
    case SortKey::BodySize:
      primary = Sign(a.BodySize(), b.BodySize());
      break;
    case SortKey::DateTime:
      primary = Sign(a.DateTime(), b.DateTime());
      break;
    default:
      return 0;
  }
  if (primary != 0) return primary * direction;
  return ByRoomThenNumber(a, b);
}

namespace {

// A row's sort key, read from its message once per sort. Comparing the messages themselves reads
// two records scattered over the loaded files (and for a text key rescans header line 1) in each
// of the n log n comparisons; with the keys side by side a million rows sort in well under a
// second.
struct RowKey {
  // Numeric keys: High holds the value with its sign bit flipped, so that unsigned order is
  // numeric order. Text keys: High and Low hold the first sixteen bytes with a-z taken as A-Z,
  // big-endian and zero-padded, so that two different pairs order as TextOrder orders the texts;
  // equal pairs decide by the length when both texts fit, and only otherwise by the texts.
  std::uint64_t High = 0;
  std::uint64_t Low = 0;
  const char* Text = nullptr;
  std::uint32_t TextSize = 0;
  std::int32_t Room = 0;
  std::int32_t Number = 0;
  std::uint32_t Position = 0;  // the row before the sort: equal keys keep their order
  TLogMessage* Message = nullptr;
};

constexpr std::size_t kPrefixBytes = 16;

bool IsTextKey(SortKey key) {
  return key == SortKey::Title || key == SortKey::HandleName || key == SortKey::ID;
}

bool IsSortKey(SortKey key) {
  return static_cast<int>(key) >= static_cast<int>(SortKey::Number) &&
         static_cast<int>(key) <= static_cast<int>(SortKey::DateTime);
}

std::uint64_t Ordered(std::int64_t v) {
  return static_cast<std::uint64_t>(v) ^ (std::uint64_t{1} << 63);
}

std::uint64_t FoldedBytes(std::string_view text, std::size_t from) {
  std::uint64_t v = 0;
  for (std::size_t i = from; i < from + 8; ++i)
    v = v << 8 | (i < text.size() ? AsciiUpper(static_cast<unsigned char>(text[i])) : 0u);
  return v;
}

RowKey MakeRowKey(TLogMessage* m, SortKey sortKey, std::uint32_t position) {
  RowKey key;
  key.Room = m->Room;
  key.Number = m->Number;
  key.Position = position;
  key.Message = m;
  std::string_view text;
  switch (sortKey) {
    case SortKey::Number:
      key.High = Ordered(m->Number);
      break;
    case SortKey::Title:
      text = m->Title();
      break;
    case SortKey::HandleName:
      text = m->HandleName();
      break;
    case SortKey::ID:
      text = m->ID();
      break;
    case SortKey::Room:
      key.High = Ordered(m->Room);
      break;
    case SortKey::BodySize:
      key.High = static_cast<std::uint64_t>(m->BodySize());
      break;
    case SortKey::DateTime:
      key.High = Ordered(m->DateTime());
      break;
  }
  if (IsTextKey(sortKey)) {
    key.High = FoldedBytes(text, 0);
    key.Low = FoldedBytes(text, 8);
    key.Text = text.data();
    key.TextSize = static_cast<std::uint32_t>(text.size());
  }
  return key;
}

// The primary comparison of two text keys with equal prefixes.
int TextTie(const RowKey& a, const RowKey& b) {
  if (a.TextSize <= kPrefixBytes && b.TextSize <= kPrefixBytes) return Sign(a.TextSize, b.TextSize);
  return TextOrder({a.Text, a.TextSize}, {b.Text, b.TextSize});
}

}  // namespace

void SortResults(std::vector<TLogMessage*>& results, SortState& state, SortKey key) {
  if (!IsSortKey(key)) return;
  state.SortDirection = key == state.LastSortKey ? -state.SortDirection : 1;
  const int direction = state.SortDirection;
  std::vector<RowKey> keys;
  keys.reserve(results.size());
  for (std::size_t i = 0; i < results.size(); ++i)
    keys.push_back(MakeRowKey(results[i], key, static_cast<std::uint32_t>(i)));
  const bool text = IsTextKey(key);
  // The order of CompareMessages (the key in the direction, then Room and Number ascending), then
  // the earlier row first: a total order, so the sort needs no stability of its own.
  std::sort(keys.begin(), keys.end(), [&](const RowKey& a, const RowKey& b) {
    int primary = a.High != b.High ? Sign(a.High, b.High) : Sign(a.Low, b.Low);
    if (primary == 0 && text) primary = TextTie(a, b);
    if (primary != 0) return primary * direction < 0;
    if (a.Room != b.Room) return a.Room < b.Room;
    if (a.Number != b.Number) return a.Number < b.Number;
    return a.Position < b.Position;
  });
  for (std::size_t i = 0; i < keys.size(); ++i)
    results[i] = keys[i].Message;
  state.LastSortKey = key;
}

CarriedSelection ColumnClick(std::vector<TLogMessage*>& results, SortState& state, SortKey key,
                             const std::vector<const TLogMessage*>& selectedMessages,
                             const TLogMessage* focusedMessage) {
  const std::unordered_set<const TLogMessage*> selected(selectedMessages.begin(),
                                                        selectedMessages.end());
  SortResults(results, state, key);

  CarriedSelection carried;
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (results[i] == focusedMessage) carried.FocusedRow = static_cast<int>(i);
    if (selected.count(results[i]) != 0) carried.SelectedRows.push_back(static_cast<int>(i));
  }
  return carried;
}

OpStatus WriteSelected(Progress& progress, const std::vector<TLogMessage*>& results,
                       const std::vector<bool>& selected, std::vector<std::string>& list) {
  progress.ProcessEvents();
  const std::size_t r = results.size();
  for (std::size_t i = 0; i < r; ++i) {
    if (i >= selected.size() || !selected[i]) continue;
    list.emplace_back(results[i]->Text());
    progress.SetPercent(static_cast<int>(i * 100 / r));
    progress.ProcessEvents();
  }
  return progress.Cancelled() ? OpStatus::Cancelled : OpStatus::Completed;
}

std::string ClipboardText(const std::vector<std::string>& list) {
  std::string text;
  for (const std::string& entry : list) {
    text += entry;
    text += "\r\n";
  }
  return text;
}

namespace {

// Buffered writing of the selected messages; remembers the first error.
class MessageWriter {
 public:
  explicit MessageWriter(int fd) : FFd(fd) { FBuffer.reserve(kBufferSize); }
  void Add(std::string_view text) {
    if (FError != 0) return;
    FBuffer.append(text);
    FBuffer.append("\r\n");
    if (FBuffer.size() >= kBufferSize) Flush();
  }
  bool Flush() {
    if (FError == 0) FError = WriteFully(FFd, FBuffer.data(), FBuffer.size());
    FBuffer.clear();
    return FError == 0;
  }
  int Error() const { return FError; }
  void SetError(int error) {
    if (FError == 0) FError = error;
  }

 private:
  // One write call per megabyte instead of one per message.
  static constexpr std::size_t kBufferSize = 1 << 20;
  int FFd;
  std::string FBuffer;
  int FError = 0;
};

// Writes the selected messages through writer with the progress of WriteSelected; the loop runs to
// its end (a cancel shows only afterwards) unless writing failed.
void WriteMessages(Progress& progress, const std::vector<TLogMessage*>& results,
                   const std::vector<bool>& selected, MessageWriter& writer) {
  progress.ProcessEvents();
  const std::size_t r = results.size();
  for (std::size_t i = 0; i < r && writer.Error() == 0; ++i) {
    if (i >= selected.size() || !selected[i]) continue;
    writer.Add(results[i]->Text());
    progress.SetPercent(static_cast<int>(i * 100 / r));
    progress.ProcessEvents();
  }
  writer.Flush();
}

SaveResult Failed(std::string message) {
  return {SaveOutcome::Failed, std::move(message)};
}

SaveResult SaveByReplacing(Progress& progress, const std::vector<TLogMessage*>& results,
                           const std::vector<bool>& selected, const std::string& path) {
  FileReplacement file;
  if (const int error = file.Begin(path))
    return Failed(CannotCreateText(path) + "（" + std::strerror(error) + "）");
  MessageWriter writer(file.Fd());
  WriteMessages(progress, results, selected, writer);
  if (progress.Cancelled() || writer.Error() != 0) {
    file.Abandon();
    if (writer.Error() == 0) return {SaveOutcome::Cancelled, {}};
    return Failed(CannotWriteText(path, std::strerror(writer.Error())));
  }
  if (const int error = file.Commit()) return Failed(CannotWriteText(path, std::strerror(error)));
  return {SaveOutcome::Written, {}};
}

SaveResult SaveByAppending(Progress& progress, const std::vector<TLogMessage*>& results,
                           const std::vector<bool>& selected, const std::string& path) {
  // A pipe is opened for writing only: opened for reading as well, it would take the text into
  // its buffer with no one to read it, and then wait.
  struct stat st {};
  const bool special = ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
  FileHandle file(OpenWithoutWaiting(path, special ? O_WRONLY | O_APPEND : O_RDWR));
  if (file.Get() < 0) return Failed(CannotOpenText(path) + "（" + std::strerror(errno) + "）");
  struct stat before {};
  if (::fstat(file.Get(), &before) != 0) return Failed(CannotOpenText(path));
  MessageWriter writer(file.Get());
  if (!S_ISREG(before.st_mode)) {
    // A device or a pipe takes the text as it comes, as a redirection would; nothing written
    // into it can be taken back.
    WriteMessages(progress, results, selected, writer);
    if (!file.Close()) writer.SetError(errno);
    if (writer.Error() != 0) return Failed(CannotWriteText(path, std::strerror(writer.Error())));
    return {progress.Cancelled() ? SaveOutcome::Cancelled : SaveOutcome::Written, {}};
  }
  if (::lseek(file.Get(), 0, SEEK_END) < 0) return Failed(CannotOpenText(path));

  WriteMessages(progress, results, selected, writer);
  if (writer.Error() == 0 && ::fsync(file.Get()) != 0) writer.SetError(errno);
  if (progress.Cancelled() || writer.Error() != 0) {
    // Take back what was appended: the file keeps exactly its previous content.
    const bool restored = ::ftruncate(file.Get(), before.st_size) == 0;
    file.Close();
    if (writer.Error() == 0 && restored) return {SaveOutcome::Cancelled, {}};
    return Failed(CannotWriteText(path, std::strerror(writer.Error() ? writer.Error() : errno)));
  }
  if (!file.Close()) return Failed(CannotWriteText(path, std::strerror(errno)));
  return {SaveOutcome::Written, {}};
}

}  // namespace

SaveResult SaveSelected(Progress& progress, const std::vector<TLogMessage*>& results,
                        const std::vector<bool>& selected, const std::string& path, SaveMode mode) {
  std::error_code ec;
  if (mode == SaveMode::Append && std::filesystem::exists(path, ec))
    return SaveByAppending(progress, results, selected, path);
  return SaveByReplacing(progress, results, selected, path);
}

}  // namespace yuzulog
