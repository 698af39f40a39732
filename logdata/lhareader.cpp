// Our LHA reader's public face: where an archive's bytes come from, the decoder for each method,
// and the extraction of one member. The CRC, the headers and the Huffman decoder have files of
// their own (lhareader_*.cpp).
#include "logdata/lhareader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "logdata/lhareader_internal.h"

namespace yuzulog::lha {

FileSource::FileSource(const std::string& path) {
  // O_NONBLOCK: opening a pipe for reading would wait for a writer. A regular file reads the
  // same with it.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    close(fd);
    return;
  }
  FFd = fd;
  FSize = static_cast<std::uint64_t>(st.st_size);
}

FileSource::~FileSource() {
  if (FFd >= 0) close(FFd);
}

bool FileSource::ReadAt(std::uint64_t offset, void* to, std::size_t size) const {
  if (FFd < 0 || offset > FSize || size > FSize - offset) return false;
  char* p = static_cast<char*>(to);
  while (size > 0) {
    const ssize_t got = pread(FFd, p, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    offset += static_cast<std::uint64_t>(got);
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool MemorySource::ReadAt(std::uint64_t offset, void* to, std::size_t size) const {
  if (offset > FSize || size > FSize - offset) return false;
  if (size > 0) std::memcpy(to, FData + offset, size);
  return true;
}

namespace {

// The CRC of a whole output, for the decoders that leave it to the end.
DecodeStatus WithCrc(DecodeStatus status, const std::uint8_t* out, std::size_t size,
                     std::uint16_t* crc) {
  if (crc) *crc = status == DecodeStatus::Ok ? Crc16(out, size) : 0;
  return status;
}

}  // namespace

DecodeStatus Decode(Method method, const std::uint8_t* packed, std::size_t packedSize, char* out,
                    std::size_t size, std::uint16_t* crc, DecodeNotes* notes) {
  auto* to = reinterpret_cast<std::uint8_t*>(out);
  switch (method) {
    case Method::Stored:
      if (packedSize != size) return DecodeStatus::TooLong;
      if (size > 0) std::memcpy(to, packed, size);
      if (crc) *crc = Crc16(to, size);
      return DecodeStatus::Ok;
    case Method::Lh4:
      return detail::DecodeStatic({12, 14, 4}, packed, packedSize, to, size, crc, notes);
    case Method::Lh5:
      return detail::DecodeStatic({13, 14, 4}, packed, packedSize, to, size, crc, notes);
    case Method::Lh6:
      return detail::DecodeStatic({15, 16, 5}, packed, packedSize, to, size, crc, notes);
    case Method::Lh7:
      return detail::DecodeStatic({16, 17, 5}, packed, packedSize, to, size, crc, notes);
    case Method::Lh1:
      return WithCrc(detail::DecodeLh1(packed, packedSize, to, size), to, size, crc);
    case Method::Lh2:
      return WithCrc(detail::DecodeLh2(packed, packedSize, to, size), to, size, crc);
    case Method::Lh3:
      return WithCrc(detail::DecodeLh3(packed, packedSize, to, size), to, size, crc);
    case Method::Lzs:
      return WithCrc(detail::DecodeLzs(packed, packedSize, to, size), to, size, crc);
    case Method::Lz5:
      return WithCrc(detail::DecodeLz5(packed, packedSize, to, size), to, size, crc);
  }
  return DecodeStatus::BadTable;
}

DecodeStatus Extract(const Source& source, const Member& member, char* out, std::size_t outSize,
                     DecodeNotes* notes) {
  if (member.Size > outSize) return DecodeStatus::SizeMismatch;
  const std::size_t size = static_cast<std::size_t>(member.Size);
  if (member.DataOffset > source.Size() || member.PackedSize > source.Size() - member.DataOffset)
    return DecodeStatus::Truncated;
  std::uint16_t crc = 0;
  if (member.Kind == Method::Stored) {
    // Straight into the caller's buffer.
    if (member.PackedSize != member.Size) return DecodeStatus::TooLong;
    if (!source.ReadAt(member.DataOffset, out, size)) return DecodeStatus::ReadError;
    crc = Crc16(out, size);
  } else {
    const std::size_t packedSize = static_cast<std::size_t>(member.PackedSize);
    if (packedSize > SIZE_MAX - kInputPadding) return DecodeStatus::OutOfMemory;
    const auto packed = detail::TryAllocate<std::uint8_t>(packedSize + kInputPadding);
    if (!packed) return DecodeStatus::OutOfMemory;
    if (!source.ReadAt(member.DataOffset, packed.get(), packedSize)) return DecodeStatus::ReadError;
    std::memset(packed.get() + packedSize, 0, kInputPadding);
    const DecodeStatus status =
        Decode(member.Kind, packed.get(), packedSize, out, size, &crc, notes);
    if (status != DecodeStatus::Ok) return status;
  }
  return crc == member.Crc ? DecodeStatus::Ok : DecodeStatus::CrcMismatch;
}

}  // namespace yuzulog::lha
