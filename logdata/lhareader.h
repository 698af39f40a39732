// Our own reader of LHA archives: member headers of levels 0 to 3, and the decoders of the stored
// (-lh0-, -lz4-), static-Huffman (-lh3- to -lh7-), dynamic-Huffman (-lh1-, -lh2-) and LZSS
// (-lzs-, -lz5-) methods. It is the fast path behind TUnlha32; whatever it does not handle (another
// header level or method, a record it does not know, a self-extracting archive) it reports as not
// handled, and the caller asks libarchive. A header it finds damaged (a checksum or CRC that does
// not match, sizes that contradict each other, a header cut short) is reported as such, and the
// caller fails: libarchive would reserve whatever size the damaged header claims.
//
// Headers are read with the same rules libarchive applies, or stricter: a header this reader
// accepts is one libarchive accepts too, with the same name, size and data range, except -lzs-
// and -lz5- above level 0, which libarchive does not take. A stricter rule only costs the
// fallback's speed. libarchive lists members of -lh1- to -lh4-, -lzs- and -lz5- but has no
// decoder for them; only ours extracts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace yuzulog::lha {

// Where an archive's bytes come from.
class Source {
 public:
  virtual ~Source() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies size bytes from offset into to; false when the range passes the end or a read fails.
  virtual bool ReadAt(std::uint64_t offset, void* to, std::size_t size) const = 0;
};

// A regular file, read with pread. The file is opened without waiting: a pipe or a device named
// like an archive fails at once instead of blocking the open until a writer comes.
class FileSource final : public Source {
 public:
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // False when the path could not be opened or is not a regular file.
  bool IsOpen() const { return FFd >= 0; }
  std::uint64_t Size() const override { return FSize; }
  bool ReadAt(std::uint64_t offset, void* to, std::size_t size) const override;

 private:
  int FFd = -1;
  std::uint64_t FSize = 0;
};

// Bytes in memory, borrowed for the source's lifetime.
class MemorySource final : public Source {
 public:
  MemorySource(const void* data, std::size_t size)
      : FData(static_cast<const unsigned char*>(data)), FSize(size) {}
  std::uint64_t Size() const override { return FSize; }
  bool ReadAt(std::uint64_t offset, void* to, std::size_t size) const override;

 private:
  const unsigned char* FData;
  std::size_t FSize;
};

// Stored takes -lh0- and LArc's -lz4-.
enum class Method : std::uint8_t { Stored, Lh1, Lh2, Lh3, Lh4, Lh5, Lh6, Lh7, Lzs, Lz5 };

// One member as its header describes it.
struct Member {
  // The directory (if any, with "/" between its parts) followed by the file name: the bytes as
  // stored, normally code page 932. A level-0 name has its "\" turned into "/", as libarchive
  // does.
  std::string Name;
  std::uint64_t Size = 0;        // uncompressed, as declared
  std::uint64_t PackedSize = 0;  // the compressed data that follows the header
  std::uint64_t DataOffset = 0;  // where that data starts in the archive
  std::uint16_t Crc = 0;         // CRC-16 of the uncompressed bytes
  Method Kind = Method::Stored;
  int Level = 0;  // header level, 0-3
};

enum class HeaderResult {
  Member,      // a member this reader handles; the next header is at DataOffset + PackedSize
  End,         // the end mark (a zero byte) or the end of the file
  Damaged,     // a header of a method and level this reader knows, damaged
  CutShort,    // such a header, or one after the first member, cut short by the end of the file
  NotHandled,  // anything else: a header this reader cannot or will not take
};

// Reads the header at offset. Every length in it is checked against the end of the source.
HeaderResult ReadHeader(const Source& source, std::uint64_t offset, Member& member);

// Every member, in archive order, when each header is one this reader handles and the archive
// ends with its end mark or at the end of the file; false otherwise (members is then undefined).
// An archive that starts with its end mark is not handled either: libarchive does not take it
// for an archive at all.
bool ListMembers(const Source& source, std::vector<Member>& members);
// The same walk, saying how it ended: End when ListMembers is true; Damaged or CutShort at the
// first damaged header, with members holding the members before it; NotHandled otherwise.
HeaderResult WalkMembers(const Source& source, std::vector<Member>& members);

// The member at index (from 0): Member when every header up to it is one this reader handles;
// Damaged or CutShort when one of them is damaged.
HeaderResult FindMember(const Source& source, int index, Member& member);

enum class DecodeStatus {
  Ok,
  ReadError,     // the source could not be read
  Truncated,     // the compressed data ends before the declared size is produced
  BadTable,      // a code-length table that is over-subscribed, incomplete or out of range
  BadBlock,      // a block that declares no symbols
  BadDistance,   // -lh4- to -lh7-: a match reaching before the member's start or beyond the
                 // dictionary (the older methods start their dictionary with fixed bytes)
  TooLong,       // more data than the declared size: a match running past it, stored data of
                 // another size; for -lh4- to -lh7-, symbols or whole bytes of data left over
  CrcMismatch,   // the bytes came out but their CRC-16 is not the header's
  SizeMismatch,  // the caller's buffer is smaller than the member
  OutOfMemory,   // the compressed data or the decoder's tables could not be given memory
};

// Forms a decode met that libarchive reads differently, for comparisons with it.
struct DecodeNotes {
  // A block whose literal/length code has a single symbol, sent (as the original encoder does)
  // after a single-symbol code for the code lengths. libarchive rejects that pair.
  bool SingleSymbolBlock = false;
};

// The compressed data must be followed by this many readable bytes (their value does not
// matter): the bit reader loads whole words.
constexpr std::size_t kInputPadding = 32;

// Decodes packed (packedSize bytes, then kInputPadding readable bytes) into exactly size bytes
// at out. The output is its own dictionary (after the older methods' fixed starting bytes):
// nothing outside [out, out + size) is read or written. With crc, also computes the CRC-16 of the
// output (for -lh4- to -lh7- block by block, while it is in the cache); checking it is the
// caller's part.
DecodeStatus Decode(Method method, const std::uint8_t* packed, std::size_t packedSize, char* out,
                    std::size_t size, std::uint16_t* crc = nullptr, DecodeNotes* notes = nullptr);

// The LHA CRC-16 (reflected polynomial 0xA001), continued from crc.
std::uint16_t Crc16(const void* data, std::size_t size, std::uint16_t crc = 0);

// Reads member's compressed data from source (one read), decodes it into out and checks the
// CRC. outSize must be at least member.Size; exactly member.Size bytes are written.
DecodeStatus Extract(const Source& source, const Member& member, char* out, std::size_t outSize,
                     DecodeNotes* notes = nullptr);

}  // namespace yuzulog::lha
