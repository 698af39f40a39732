#include "logdata/unlha32.h"

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <vector>

#include "logdata/lhareader.h"
#include "platform/fileio.h"

namespace yuzulog {
namespace {

struct ArchiveDeleter {
  void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveDeleter>;

// libarchive reading one archive from a file opened here: opened without waiting and checked to
// be a regular file first, so that a pipe named like an archive never blocks, and read through
// that descriptor, so that the file checked is the file read. The archive goes before the file.
struct Libarchive {
  explicit Libarchive(int fd) : File(fd) {}
  FileHandle File;
  ArchivePtr Archive;
};
using LibarchivePtr = std::unique_ptr<Libarchive>;

// Member names are bytes in whatever code the archiver used (normally code page 932). The reader
// is told they are ISO-8859-1, which maps every byte to one character, and converts them to the
// thread's locale; with a UTF-8 locale on this thread the conversion cannot fail and can be
// undone exactly, so the names come back as the bytes the archive holds.
class ScopedUtf8Locale {
 public:
  ScopedUtf8Locale() : FLocale(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {
    if (FLocale) FPrevious = uselocale(FLocale);
  }
  ~ScopedUtf8Locale() {
    if (FLocale) {
      uselocale(FPrevious);
      freelocale(FLocale);
    }
  }
  ScopedUtf8Locale(const ScopedUtf8Locale&) = delete;
  ScopedUtf8Locale& operator=(const ScopedUtf8Locale&) = delete;

 private:
  locale_t FLocale;
  locale_t FPrevious = nullptr;
};

// The bytes behind a name that was read as ISO-8859-1 and converted to UTF-8.
std::string Latin1Bytes(const char* utf8) {
  std::string bytes;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; ++p) {
    if (*p < 0x80) {
      bytes.push_back(static_cast<char>(*p));
    } else if ((*p & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80) {
      bytes.push_back(static_cast<char>(((*p & 0x1F) << 6) | (p[1] & 0x3F)));
      ++p;
    } else {
      bytes.push_back('?');  // not produced by an ISO-8859-1 conversion
    }
  }
  return bytes;
}

using Status = TUnlha32::Status;

// What a failed libarchive call met. A system error carries its errno; libarchive's own findings
// carry one of its codes, and only its message tells which damage it found (the messages of its
// LHA reader: "Unsupported lzh compression method", "LHa data CRC error", "Truncated ...").
Status LibarchiveFailure(archive* a, Status onSystemError, bool inData, int& systemError) {
  // libarchive's own codes, which its public header leaves undefined: EILSEQ for a format
  // error, EINVAL for a misuse, -1 for anything else.
  const int e = archive_errno(a);
  if (e > 0 && e != EILSEQ && e != EINVAL) {
    systemError = e;
    return onSystemError;
  }
  const char* message = archive_error_string(a);
  const std::string_view text = message ? message : "";
  if (text.find("Truncated") != std::string_view::npos) return Status::Truncated;
  if (!inData) return Status::BadHeader;
  if (text.find("Unsupported") != std::string_view::npos) return Status::UnsupportedMethod;
  if (text.find("CRC") != std::string_view::npos) return Status::CrcMismatch;
  return Status::BadData;
}

// Opens an LHA archive for reading; empty when it cannot be opened, with status saying why.
LibarchivePtr OpenLha(const std::string& path, Status& status, int& systemError) {
  // O_NONBLOCK: opening a pipe for reading would wait for a writer. A regular file reads the
  // same with it.
  auto reader = std::make_unique<Libarchive>(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  const int fd = reader->File.Get();
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0) {
    status = Status::CannotOpen;
    systemError = errno;
    return {};
  }
  if (!S_ISREG(st.st_mode)) {
    status = Status::NotRegularFile;
    return {};
  }
  reader->Archive.reset(archive_read_new());
  archive* a = reader->Archive.get();
  if (!a) {
    status = Status::OutOfMemory;
    return {};
  }
  archive_read_support_format_lha(a);
  archive_read_set_options(a, "lha:hdrcharset=ISO-8859-1");
  if (archive_read_open_fd(a, fd, 64 * 1024) != ARCHIVE_OK) {
    // libarchive reads the first bytes to recognise the format: what it cannot take is no
    // LHA archive.
    const Status failure = LibarchiveFailure(a, Status::CannotOpen, false, systemError);
    status = failure == Status::BadHeader ? Status::NotArchive : failure;
    return {};
  }
  return reader;
}

// Reads the next member's header: NoMember at the end of the archive.
Status NextHeader(archive* a, TUnlha32::Member& member, int index, int& systemError) {
  archive_entry* entry = nullptr;
  const int r = archive_read_next_header(a, &entry);
  if (r == ARCHIVE_EOF) return Status::NoMember;
  if (r != ARCHIVE_OK && r != ARCHIVE_WARN)
    return LibarchiveFailure(a, Status::ReadError, false, systemError);
  const char* name = archive_entry_pathname(entry);
  member.Name = name ? Latin1Bytes(name) : "";
  const la_int64_t size = archive_entry_size(entry);
  member.Size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
  member.Index = index;
  return Status::Ok;
}

// What our reader's verdict on a damaged header means to the caller.
Status StatusOf(lha::HeaderResult result) {
  return result == lha::HeaderResult::CutShort ? Status::Truncated : Status::BadHeader;
}

// What our reader's verdict on a member it took means to the caller.
Status StatusOf(lha::DecodeStatus status) {
  switch (status) {
    case lha::DecodeStatus::Ok:
      return Status::Ok;
    case lha::DecodeStatus::ReadError:
      return Status::ReadError;
    case lha::DecodeStatus::Truncated:
      return Status::Truncated;
    case lha::DecodeStatus::BadTable:
    case lha::DecodeStatus::BadBlock:
    case lha::DecodeStatus::BadDistance:
      return Status::BadData;
    case lha::DecodeStatus::TooLong:
    case lha::DecodeStatus::SizeMismatch:
      return Status::SizeMismatch;
    case lha::DecodeStatus::CrcMismatch:
      return Status::CrcMismatch;
    case lha::DecodeStatus::OutOfMemory:
      return Status::OutOfMemory;
  }
  return Status::BadData;
}

}  // namespace

// The walk comes from our reader when it handles every header of the archive or finds one
// damaged; otherwise from libarchive, as the archive's members would have been listed without it.
struct TUnlha32::Handle {
  std::vector<lha::Member> Members;  // our reader's walk
  bool Own = false;
  Status EndStatus = Status::Ok;           // how our reader's walk ends after its members
  std::optional<ScopedUtf8Locale> Locale;  // for as long as libarchive reads headers on this thread
  LibarchivePtr Archive;
};

TUnlha32::TUnlha32() = default;
TUnlha32::~TUnlha32() = default;

bool TUnlha32::OpenArchive(const std::string& path, Reader reader) {
  CloseArchive();
  FWalkStatus = Status::Ok;
  FSystemError = 0;
  auto handle = std::make_unique<Handle>();
  if (reader == Reader::Auto) {
    const lha::FileSource source(path);
    const lha::HeaderResult walk =
        source.IsOpen() ? lha::WalkMembers(source, handle->Members) : lha::HeaderResult::NotHandled;
    handle->Own = walk != lha::HeaderResult::NotHandled;
    if (walk != lha::HeaderResult::End) handle->EndStatus = StatusOf(walk);
  }
  if (!handle->Own) {
    handle->Locale.emplace();
    handle->Archive = OpenLha(path, FWalkStatus, FSystemError);
    if (!handle->Archive) return false;
  }
  FHandle = std::move(handle);
  FNextIndex = 0;
  return true;
}

bool TUnlha32::FindFirst(Member& member) {
  if (!FHandle || FNextIndex != 0) return false;
  return FindNext(member);
}

bool TUnlha32::FindNext(Member& member) {
  if (!FHandle) return false;
  if (FHandle->Own) {
    if (static_cast<std::size_t>(FNextIndex) >= FHandle->Members.size()) {
      FWalkStatus = FHandle->EndStatus;
      return false;
    }
    const lha::Member& own = FHandle->Members[static_cast<std::size_t>(FNextIndex)];
    member.Name = own.Name;
    member.Size = own.Size;
    member.Index = FNextIndex;
  } else if (const Status s =
                 NextHeader(FHandle->Archive->Archive.get(), member, FNextIndex, FSystemError);
             s != Status::Ok) {
    // Past the last member the walk ends well; a damaged header ends it early.
    FWalkStatus = s == Status::NoMember ? Status::Ok : s;
    return false;
  }
  ++FNextIndex;
  return true;
}

bool TUnlha32::FindLargestMember(const std::string& path, Member& chosen) {
  bool found = false;
  if (OpenArchive(path)) {
    Member member;
    if (FindFirst(member)) {
      chosen = member;
      found = true;
      while (FindNext(member))
        if (member.Size > chosen.Size) chosen = member;
    }
    CloseArchive();
  }
  return found;
}

void TUnlha32::CloseArchive() {
  FHandle.reset();
  FNextIndex = 0;
}

TUnlha32::Status TUnlha32::ExtractMem(const std::string& path, int memberIndex,
                                      std::uint64_t memberSize, char* buffer,
                                      std::size_t bufferSize, Reader reader, int* systemError) {
  int unused = 0;
  int& error = systemError ? *systemError : unused;
  error = 0;
  if (memberSize > bufferSize) return Status::SizeMismatch;
  if (reader == Reader::Auto) {
    // Once our reader has taken the member or found a damaged header before it, its verdict
    // stands: a corrupt member is not tried again with libarchive.
    const lha::FileSource source(path);
    lha::Member member;
    const lha::HeaderResult found = source.IsOpen() ? lha::FindMember(source, memberIndex, member)
                                                    : lha::HeaderResult::NotHandled;
    if (found == lha::HeaderResult::Member) {
      if (member.Size != memberSize) return Status::SizeMismatch;
      return StatusOf(lha::Extract(source, member, buffer, bufferSize));
    }
    if (found == lha::HeaderResult::Damaged || found == lha::HeaderResult::CutShort)
      return StatusOf(found);
  }
  ScopedUtf8Locale locale;
  Status status = Status::Ok;
  const LibarchivePtr opened = OpenLha(path, status, error);
  if (!opened) return status;
  archive* const a = opened->Archive.get();
  Member member;
  for (int i = 0; i <= memberIndex; ++i)
    if (const Status s = NextHeader(a, member, i, error); s != Status::Ok) return s;
  std::uint64_t written = 0;
  for (;;) {
    const std::size_t room = static_cast<std::size_t>(memberSize - written);
    const la_ssize_t n = archive_read_data(a, buffer + written, room == 0 ? 0 : room);
    if (n < 0) return LibarchiveFailure(a, Status::ReadError, true, error);
    if (n == 0) break;
    written += static_cast<std::uint64_t>(n);
    // A member that holds more than it declares is corrupt, not a log to cut short.
    if (written == memberSize) {
      char extra;
      const la_ssize_t more = archive_read_data(a, &extra, 1);
      if (more < 0) return LibarchiveFailure(a, Status::ReadError, true, error);
      if (more > 0) return Status::SizeMismatch;
      break;
    }
  }
  return written == memberSize ? Status::Ok : Status::SizeMismatch;
}

}  // namespace yuzulog
