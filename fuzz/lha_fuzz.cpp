// Our LHA reader next to libarchive on the same bytes. The member walk that TUnlha32 gives must
// be libarchive's where our reader does not take the archive, and ours where it does; every
// member our reader takes must be in libarchive's walk under the same name and size; and where
// both extract a member, the bytes must agree.
//
// Where the two may disagree on a member, by design:
// - libarchive has no decoder for -lh1- to -lh4-, -lzs- and -lz5-, so ours may succeed where it
//   fails; for these, the layer's extraction must give our decoder's verdict and bytes;
// - ours fails a match that reaches before the member's first byte or beyond the method's
//   dictionary, and a match that runs past the declared size. A valid stream holds neither;
//   libarchive reads what its window holds there, or cuts the match short, and may still get
//   the CRC right by chance (or by a fuzzer that learned the CRC);
// - libarchive rejects a block whose literal/length code has a single symbol when the code for
//   the code lengths has a single symbol too; that is what the original encoder writes for a
//   block of one distinct symbol, and ours reads it;
// - for a member of size 0 the libarchive path asks for no bytes at all, so it never sees data
//   missing from the file or a header CRC other than that of no bytes; ours checks both;
// - ours ends the walk at a header it finds damaged, which libarchive may still list;
// - ours takes -lzs- and -lz5- at every header level, libarchive at level 0 only: its walk ends
//   before the first such member.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "logdata/lhareader.h"
#include "logdata/unlha32.h"
#include "tests/support/lhaarchive.h"
#include "tests/support/lhacompare.h"

namespace {

using yuzulog::TUnlha32;
using yuzulog::testing::OnlyOursDecodes;
namespace lha = yuzulog::lha;

// Members declared larger than this are compared by their headers only.
constexpr std::uint64_t kMaxExtract = 1 << 20;
// Members looked at per input.
constexpr int kMaxMembers = 8;

struct Walk {
  bool Opened = false;
  std::vector<TUnlha32::Member> Members;
};

Walk WalkOf(const std::string& path, TUnlha32::Reader reader) {
  Walk walk;
  TUnlha32 unlha;
  walk.Opened = unlha.OpenArchive(path, reader);
  TUnlha32::Member m;
  for (bool more = unlha.FindFirst(m); more && walk.Members.size() < 10000;
       more = unlha.FindNext(m))
    walk.Members.push_back(m);
  return walk;
}

bool SameWalk(const Walk& a, const Walk& b) {
  if (a.Opened != b.Opened || a.Members.size() != b.Members.size()) return false;
  for (std::size_t i = 0; i < a.Members.size(); ++i)
    if (a.Members[i].Name != b.Members[i].Name || a.Members[i].Size != b.Members[i].Size ||
        a.Members[i].Index != b.Members[i].Index)
      return false;
  return true;
}

// A member libarchive does not list: a LArc method above header level 0.
bool OnlyOursLists(const lha::Member& m) {
  return m.Level > 0 && (m.Kind == lha::Method::Lzs || m.Kind == lha::Method::Lz5);
}

bool StricterByDesign(lha::DecodeStatus status) {
  return status == lha::DecodeStatus::BadDistance || status == lha::DecodeStatus::TooLong;
}

// The input written to a file of its own, removed again at the end.
class TempFile {
 public:
  TempFile(const void* data, std::size_t size) {
    char path[] = "/tmp/yuzulog-lha-fuzz-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return;
    FPath = path;
    FOk = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
  }
  ~TempFile() {
    if (!FPath.empty()) unlink(FPath.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  bool Ok() const { return FOk; }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
  bool FOk = false;
};

// libarchive's extraction of member i next to ours.
void CompareExtraction(const std::string& path, int i, const lha::Member& m, lha::DecodeStatus ours,
                       const std::vector<char>& ourBytes, const lha::DecodeNotes& notes) {
  const auto n = static_cast<std::size_t>(m.Size);
  std::vector<char> theirBytes(n + 1);
  const TUnlha32::Status them =
      TUnlha32::ExtractMem(path, i, m.Size, theirBytes.data(), n, TUnlha32::Reader::LibarchiveOnly);
  const bool ourOk = ours == lha::DecodeStatus::Ok;
  const bool theirOk = them == TUnlha32::Status::Ok;
  if (ourOk && theirOk && std::memcmp(ourBytes.data(), theirBytes.data(), n) != 0) __builtin_trap();
  if (!ourOk && theirOk && !StricterByDesign(ours) && m.Size != 0) __builtin_trap();
  if (ourOk && !theirOk && !OnlyOursDecodes(m.Kind) && !notes.SingleSymbolBlock) __builtin_trap();
}

// The input as an archive file.
void CheckArchive(const std::uint8_t* data, std::size_t size) {
  TempFile file(data, size);
  if (!file.Ok()) return;
  const std::string& path = file.Path();
  const lha::MemorySource source(data, size);
  const Walk theirs = WalkOf(path, TUnlha32::Reader::LibarchiveOnly);
  const Walk layer = WalkOf(path, TUnlha32::Reader::Auto);
  std::vector<lha::Member> own;
  const lha::HeaderResult walk = lha::WalkMembers(source, own);
  if (walk == lha::HeaderResult::NotHandled) {
    if (!SameWalk(theirs, layer)) __builtin_trap();
  } else {
    if (layer.Members.size() != own.size()) __builtin_trap();
    for (std::size_t i = 0; i < own.size(); ++i)
      if (layer.Members[i].Name != own[i].Name || layer.Members[i].Size != own[i].Size)
        __builtin_trap();
    if (walk == lha::HeaderResult::End && !std::any_of(own.begin(), own.end(), OnlyOursLists) &&
        own.size() != theirs.Members.size())
      __builtin_trap();
  }

  bool pastTheirs = false;  // libarchive's walk ended before this member
  for (int i = 0; i < kMaxMembers; ++i) {
    lha::Member m;
    if (lha::FindMember(source, i, m) != lha::HeaderResult::Member) break;
    const auto index = static_cast<std::size_t>(i);
    pastTheirs = pastTheirs || OnlyOursLists(m);
    if (!pastTheirs && (index >= theirs.Members.size() || theirs.Members[index].Name != m.Name ||
                        theirs.Members[index].Size != m.Size))
      __builtin_trap();
    if (m.Size > kMaxExtract) continue;
    const auto n = static_cast<std::size_t>(m.Size);
    std::vector<char> ourBytes(n + 1), layerBytes(n + 1);
    lha::DecodeNotes notes;
    const lha::DecodeStatus ours = lha::Extract(source, m, ourBytes.data(), n, &notes);
    const bool ourOk = ours == lha::DecodeStatus::Ok;
    if (!pastTheirs) CompareExtraction(path, i, m, ours, ourBytes, notes);
    // The layer gives our reader's verdict and bytes.
    const TUnlha32::Status layerStatus =
        TUnlha32::ExtractMem(path, i, m.Size, layerBytes.data(), n);
    if ((layerStatus == TUnlha32::Status::Ok) != ourOk) __builtin_trap();
    if (ourOk && std::memcmp(ourBytes.data(), layerBytes.data(), n) != 0) __builtin_trap();
  }
}

struct StreamMethod {
  lha::Method Kind;
  const char* Name;
  int Level;  // a header level at which our reader takes the method
};

// Byte 0 of a stream input picks one of these (modulo their count).
constexpr StreamMethod kStreamMethods[] = {
    {lha::Method::Lh5, "-lh5-", 2}, {lha::Method::Lh6, "-lh6-", 2}, {lha::Method::Lh7, "-lh7-", 2},
    {lha::Method::Lh1, "-lh1-", 2}, {lha::Method::Lh2, "-lh2-", 2}, {lha::Method::Lh3, "-lh3-", 2},
    {lha::Method::Lzs, "-lzs-", 0}, {lha::Method::Lz5, "-lz5-", 0}, {lha::Method::Lh4, "-lh4-", 2},
};

// The input as compressed data: byte 0 picks the method, bytes 1-3 the size (up to 1 MB), the
// rest is the stream. It goes into an archive of one member whose CRC is that of our output, so
// that whenever our decoder gets through, libarchive must produce the same bytes where it has a
// decoder for the method, and the layer must give ours in any case. Mutated archives rarely get
// that far: their CRC fails on both sides and nothing is compared.
void CheckStream(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return;
  const StreamMethod& method = kStreamMethods[data[0] % std::size(kStreamMethods)];
  const std::size_t n = data[1] | data[2] << 8 | (data[3] & 0x0F) << 16;
  const std::uint8_t* stream = data + 4;
  const std::size_t streamSize = size - 4;

  std::vector<std::uint8_t> padded(stream, stream + streamSize);
  padded.resize(streamSize + lha::kInputPadding);
  std::vector<char> ourBytes(n + 1), theirBytes(n + 1);
  lha::DecodeNotes notes;
  std::uint16_t crc = 0;
  const lha::DecodeStatus ours =
      lha::Decode(method.Kind, padded.data(), streamSize, ourBytes.data(), n, &crc, &notes);
  const bool ourOk = ours == lha::DecodeStatus::Ok;
  if (ourOk && crc != lha::Crc16(ourBytes.data(), n)) __builtin_trap();
  if (!ourOk) crc = 0;

  // An archive of one member named A.TXT (with a header CRC above level 0), then the end mark.
  yuzulog::testing::LhaLayout layout;
  layout.Method = method.Name;
  layout.Level = method.Level;
  const std::string archive =
      yuzulog::testing::LhaMember(
          layout, std::string_view(reinterpret_cast<const char*>(stream), streamSize),
          static_cast<std::uint32_t>(n), crc) +
      '\0';
  TempFile file(archive.data(), archive.size());
  if (!file.Ok()) return;
  if (OnlyOursDecodes(method.Kind)) {
    const TUnlha32::Status layer = TUnlha32::ExtractMem(file.Path(), 0, n, theirBytes.data(), n);
    if ((layer == TUnlha32::Status::Ok) != ourOk) __builtin_trap();
    if (ourOk && std::memcmp(ourBytes.data(), theirBytes.data(), n) != 0) __builtin_trap();
    return;
  }
  const TUnlha32::Status them = TUnlha32::ExtractMem(file.Path(), 0, n, theirBytes.data(), n,
                                                     TUnlha32::Reader::LibarchiveOnly);
  const bool theirOk = them == TUnlha32::Status::Ok;
  if (ourOk && !theirOk && !notes.SingleSymbolBlock) __builtin_trap();
  if (ourOk && theirOk && std::memcmp(ourBytes.data(), theirBytes.data(), n) != 0) __builtin_trap();
  if (!ourOk && theirOk && !StricterByDesign(ours) && n != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckArchive(data, size);
  CheckStream(data, size);
  return 0;
}
