#include "search/resultlist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unordered_set>
#include <utility>

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

// A row's sort key, read from its message once per sort, in two words that compare as unsigned
// integers, the first word first: the primary key in the direction of the sort (for a text key
// the rank of the text, see DistinctTexts), then Room and Number ascending. Comparing the messages
// themselves reads two records scattered over the loaded files (and for a text key rescans header
// line 1) in each of the n log n comparisons; words side by side sort by their bytes, a pass per
// byte that differs between rows, and equal words keep the rows' order, the last tie-break.
constexpr int kWords = 2;
struct SortRow {
  std::uint64_t Word[kWords];
  std::uint32_t Row;  // the row before the sort
};

constexpr std::size_t kPrefixBytes = 16;

bool IsTextKey(SortKey key) {
  return key == SortKey::Title || key == SortKey::HandleName || key == SortKey::ID;
}

bool IsSortKey(SortKey key) {
  return static_cast<int>(key) >= static_cast<int>(SortKey::Number) &&
         static_cast<int>(key) <= static_cast<int>(SortKey::DateTime);
}

// Signed values with the sign bit flipped: unsigned order is then numeric order.
std::uint64_t Ordered(std::int64_t v) {
  return static_cast<std::uint64_t>(v) ^ (std::uint64_t{1} << 63);
}
std::uint64_t Ordered32(std::int32_t v) {
  return static_cast<std::uint32_t>(v) ^ (std::uint32_t{1} << 31);
}

std::uint64_t NumericKey(const TLogMessage& m, SortKey key) {
  switch (key) {
    case SortKey::Number:
      return Ordered(m.Number);
    case SortKey::Room:
      return Ordered(m.Room);
    case SortKey::BodySize:
      return static_cast<std::uint64_t>(m.BodySize());
    case SortKey::DateTime:
      return Ordered(m.DateTime());
    default:
      return 0;
  }
}

std::string_view TextKey(const TLogMessage& m, SortKey key) {
  switch (key) {
    case SortKey::Title:
      return m.Title();
    case SortKey::HandleName:
      return m.HandleName();
    default:
      return m.ID();
  }
}

// Sorts rows by their words and then by Row: a stable LSD radix sort, one pass per byte position
// whose value is not the same in every row, its counts all taken in one read beforehand. Keys
// that differ in more bytes than kMostPasses (a date and time, in 100 ns units) go to a
// comparison sort instead, which costs less than that many passes. spare: scratch.
void SortRows(std::vector<SortRow>& rows, std::vector<SortRow>& spare) {
  constexpr int kMostPasses = 7;
  std::uint64_t any[kWords] = {};
  std::uint64_t all[kWords];
  std::fill(all, all + kWords, ~std::uint64_t{0});
  for (const SortRow& r : rows)
    for (int w = 0; w < kWords; ++w) {
      any[w] |= r.Word[w];
      all[w] &= r.Word[w];
    }
  struct Pass {
    int Word, Shift;
  };
  std::vector<Pass> passes;
  for (int w = kWords - 1; w >= 0; --w)
    for (int shift = 0; shift < 64; shift += 8)
      if ((((any[w] ^ all[w]) >> shift) & 0xFF) != 0) passes.push_back({w, shift});
  if (passes.size() > kMostPasses) {
    std::sort(rows.begin(), rows.end(), [](const SortRow& a, const SortRow& b) {
      if (a.Word[0] != b.Word[0]) return a.Word[0] < b.Word[0];
      if (a.Word[1] != b.Word[1]) return a.Word[1] < b.Word[1];
      return a.Row < b.Row;
    });
    return;
  }
  std::vector<std::uint32_t> offsets(passes.size() * 256);
  for (const SortRow& r : rows)
    for (std::size_t i = 0; i < passes.size(); ++i)
      ++offsets[i * 256 + ((r.Word[passes[i].Word] >> passes[i].Shift) & 0xFF)];
  spare.resize(rows.size());
  for (std::size_t i = 0; i < passes.size(); ++i) {
    std::uint32_t* offset = offsets.data() + i * 256;
    std::uint32_t sum = 0;
    for (int b = 0; b < 256; ++b)
      sum += std::exchange(offset[b], sum);
    const int w = passes[i].Word;
    const int shift = passes[i].Shift;
    for (const SortRow& r : rows)
      spare[offset[(r.Word[w] >> shift) & 0xFF]++] = r;
    rows.swap(spare);
  }
}

// The first eight bytes from byte from with a-z taken as A-Z, big-endian and zero-padded: two
// texts whose pairs of these at 0 and 8 differ order as the pairs do.
std::uint64_t FoldedBytes(std::string_view text, std::size_t from) {
  std::uint64_t v = 0;
  for (std::size_t i = from; i < from + 8; ++i)
    v = v << 8 | (i < text.size() ? AsciiUpper(static_cast<unsigned char>(text[i])) : 0u);
  return v;
}

// The primary comparison of two texts whose sixteen-byte prefixes are equal.
int TextTie(std::string_view a, std::string_view b) {
  if (a.size() <= kPrefixBytes && b.size() <= kPrefixBytes) return Sign(a.size(), b.size());
  return TextOrder(a, b);
}

// The distinct texts of a text key (equal as TextOrder compares them) found by hashing, in an
// open-addressed table that grows with them: a column of handles, IDs or thread titles holds few
// distinct texts, and a small table stays in the cache.
class DistinctTexts {
 public:
  // The number of text among the distinct texts so far, adding it when it is new.
  std::uint32_t Find(std::string_view text) {
    const std::uint64_t hash = FoldedHash(text);
    for (std::size_t slot = hash & FMask;; slot = (slot + 1) & FMask) {
      const std::uint32_t d = FTable[slot];
      if (d == kFree) {
        FTable[slot] = static_cast<std::uint32_t>(FTexts.size());
        FTexts.push_back(text);
        FHashes.push_back(hash);
        if (2 * FTexts.size() > FTable.size()) Grow();
        return static_cast<std::uint32_t>(FTexts.size() - 1);
      }
      if (FHashes[d] == hash && TextOrder(FTexts[d], text) == 0) return d;
    }
  }
  // The rank of each distinct text (by its number) in the order of TextOrder.
  std::vector<std::uint32_t> Ranks() const {
    struct Distinct {
      std::uint64_t High, Low;
      std::string_view Text;
      std::uint32_t Number;
    };
    std::vector<Distinct> distinct(FTexts.size());
    for (std::uint32_t d = 0; d < distinct.size(); ++d)
      distinct[d] = {FoldedBytes(FTexts[d], 0), FoldedBytes(FTexts[d], 8), FTexts[d], d};
    std::sort(distinct.begin(), distinct.end(), [](const Distinct& a, const Distinct& b) {
      if (a.High != b.High) return a.High < b.High;
      if (a.Low != b.Low) return a.Low < b.Low;
      return TextTie(a.Text, b.Text) < 0;
    });
    std::vector<std::uint32_t> ranks(distinct.size());
    for (std::uint32_t r = 0; r < distinct.size(); ++r)
      ranks[distinct[r].Number] = r;
    return ranks;
  }

 private:
  static constexpr std::uint32_t kFree = UINT32_MAX;
  static std::uint64_t FoldedHash(std::string_view text) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : text)
      h = (h ^ AsciiUpper(static_cast<unsigned char>(c))) * 1099511628211ull;
    return h ^ h >> 29;
  }
  void Grow() {
    FTable.assign(2 * FTable.size(), kFree);
    FMask = FTable.size() - 1;
    for (std::uint32_t d = 0; d < FHashes.size(); ++d) {
      std::size_t slot = FHashes[d] & FMask;
      while (FTable[slot] != kFree)
        slot = (slot + 1) & FMask;
      FTable[slot] = d;
    }
  }
  std::vector<std::uint32_t> FTable = std::vector<std::uint32_t>(1024, kFree);
  std::size_t FMask = 1023;
  std::vector<std::string_view> FTexts;
  std::vector<std::uint64_t> FHashes;
};

// Sorts results by key in direction; runStarts gets the rows where the runs of equal primary keys
// begin in the new order.
void SortByKey(std::vector<TLogMessage*>& results, SortKey key, int direction,
               std::vector<std::uint32_t>& runStarts) {
  const std::uint64_t flip = direction < 0 ? ~std::uint64_t{0} : 0;
  std::vector<SortRow> rows(results.size()), spare;
  // The headers lie scattered over the loaded files: each is asked for some rows ahead, so that
  // the reads overlap instead of waiting for memory one by one.
  constexpr std::size_t kAhead = 16;
  if (IsTextKey(key)) {
    // A row's text is read and hashed at once, while its bytes are in the cache.
    DistinctTexts distinct;
    for (std::size_t i = 0; i < results.size(); ++i) {
      if (i + kAhead < results.size()) {
        const char* head = results[i + kAhead]->HeadStart;
        __builtin_prefetch(head);
        __builtin_prefetch(head + 64);
      }
      rows[i].Word[0] = distinct.Find(TextKey(*results[i], key));
    }
    const std::vector<std::uint32_t> ranks = distinct.Ranks();
    for (SortRow& row : rows)
      row.Word[0] = ranks[row.Word[0]];
  } else {
    // Of the numeric keys only the date comes from the header (its second line, parsed once).
    const bool dates = key == SortKey::DateTime;
    for (std::size_t i = 0; i < results.size(); ++i) {
      if (dates && i + kAhead < results.size()) __builtin_prefetch(results[i + kAhead]->Line2Start);
      rows[i].Word[0] = NumericKey(*results[i], key);
    }
  }
  for (std::size_t i = 0; i < results.size(); ++i) {
    const TLogMessage& m = *results[i];
    rows[i].Word[0] ^= flip;
    rows[i].Word[1] = Ordered32(m.Room) << 32 | Ordered32(m.Number);
    rows[i].Row = static_cast<std::uint32_t>(i);
  }
  SortRows(rows, spare);
  std::vector<TLogMessage*> sorted(results.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i == 0 || rows[i].Word[0] != rows[i - 1].Word[0])
      runStarts.push_back(static_cast<std::uint32_t>(i));
    sorted[i] = results[rows[i].Row];
  }
  results.swap(sorted);
}

// The second click on a key over the very order its last sort left: that order with the runs of
// equal primary keys in reverse, each run as it was (the tie-breaks keep ascending). False, and
// nothing changed, when the list is not that order.
bool ReverseRuns(std::vector<TLogMessage*>& results, SortState& state) {
  if (results.size() != state.SortedOrder.size() ||
      !std::equal(results.begin(), results.end(), state.SortedOrder.begin()))
    return false;
  std::vector<std::uint32_t> starts;
  starts.reserve(state.RunStarts.size());
  std::size_t to = 0;
  for (std::size_t run = state.RunStarts.size(); run-- > 0;) {
    const std::size_t begin = state.RunStarts[run];
    const std::size_t end =
        run + 1 < state.RunStarts.size() ? state.RunStarts[run + 1] : results.size();
    starts.push_back(static_cast<std::uint32_t>(to));
    for (std::size_t i = begin; i < end; ++i)
      results[to++] = state.SortedOrder[i];
  }
  state.RunStarts.swap(starts);
  return true;
}

}  // namespace

void SortResults(std::vector<TLogMessage*>& results, SortState& state, SortKey key) {
  if (!IsSortKey(key)) return;
  const bool again = key == state.LastSortKey;
  state.SortDirection = again ? -state.SortDirection : 1;
  state.LastSortKey = key;
  if (!again || !ReverseRuns(results, state)) {
    state.RunStarts.clear();
    SortByKey(results, key, state.SortDirection, state.RunStarts);
  }
  state.SortedOrder.assign(results.begin(), results.end());
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
