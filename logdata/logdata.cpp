#include "logdata/logdata.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>

#include "common/sjis.h"
#include "logdata/avx2.h"
#include "logdata/linescan.h"

namespace yuzulog {

void BlockDeleter::operator()(char* p) const {
  if (MappedBytes != 0)
    munmap(p, MappedBytes);
  else
    std::free(p);
}

ByteBlock AllocateZeroed(std::size_t size) {
  if (size == 0) return {};
  return ByteBlock(static_cast<char*>(std::calloc(size, 1)));
}

ByteBlock AllocatePrefaulted(std::size_t size) {
  // Below this a mapping of its own is not worth a system call; calloc serves from its heap.
  constexpr std::size_t kMapThreshold = 256 * 1024;
  if (size < kMapThreshold) return AllocateZeroed(size);
  void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE,
                 -1, 0);
  if (p == MAP_FAILED) return AllocateZeroed(size);
  return ByteBlock(static_cast<char*>(p), BlockDeleter{size});
}

void TLogData::SetBuffer(ByteBlock data, std::size_t size) {
  FBuffer = std::move(data);
  FBufferSize = FBuffer ? size : 0;
}

void TLogData::SetBufferSize(std::size_t size) {
  FBuffer.reset();
  FBufferSize = 0;
  if (size > 0) {
    FBuffer = AllocateZeroed(size);
    if (FBuffer) FBufferSize = size;
  }
}

std::size_t ReplaceNulBytes(char* text, std::size_t size) {
  std::size_t count = 0;
  char* const end = text + size;
  for (char* p = text; (p = static_cast<char*>(std::memchr(p, '\0', end - p))) != nullptr; ++p) {
    *p = '?';
    ++count;
  }
  return count;
}

std::string NulBytesReadText(const std::string& path, std::size_t count) {
  return path + " : NUL バイト " + std::to_string(count) + " 個を ? として読みました";
}

HeaderCandidateFinder FastestHeaderCandidateFinder() {
#if defined(YUZULOG_AVX2_SCAN)
  if (UseAvx2Scans()) return detail::FindHeaderCandidateAvx2;
#endif
  return [](const char* p, const char* buffer, const char* end) {
    return FindHeaderCandidate(p, buffer, end);
  };
}

namespace {

// The bytes of text per message that the record vector is first sized for.
constexpr std::size_t kReserveBytesPerMessage = 1024;

// The end of the text before a header accepted at p: the start of the line end that precedes p.
// CR LF gives p - 2; a lone LF or a lone CR gives p - 1, so a message of LF-only or CR-only text
// keeps its last byte.
char* LineEndBefore(char* buffer, char* p) {
  if (p - buffer >= 2 && p[-2] == '\r' && p[-1] == '\n') return p - 2;
  return p - 1;
}

// Sets the end of a message's text. When the next header starts right after the second header
// line, that end lies before BodyStart: the body is then empty, so it never runs into the next
// message.
void EndMessage(TLogMessage& m, const char* end) {
  m.TextEnd = end;
  if (m.TextEnd < m.BodyStart) m.BodyStart = m.TextEnd;
}

}  // namespace

int TLogData::Parse() {
  return ParseWith<true>();
}

int TLogData::ParsePlain() {
  return ParseWith<false>();
}

template <bool Fast>
int TLogData::ParseWith() {
  FItems.clear();
  NulBytes = 0;
  if (!FBuffer || FBufferSize == 0) return 0;
  char* const buffer = FBuffer.get();
  char* const last = buffer + FBufferSize - 1;
  *last = '\0';  // the text must end in a NUL whatever the caller handed over
  if constexpr (Fast) {
    // Messages run to about a kilobyte; reserving for that spares most of the regrowth. The
    // vector is trimmed to its size at the end either way.
    FItems.reserve(FBufferSize / kReserveBytesPerMessage + 1);
  }

  TLogMessage candidate(this);
  std::size_t previous = SIZE_MAX;  // index, since the vector grows while parsing
  // Cuts the text into FItems; returns the NUL the walk ended at.
  auto walk = [&]() -> char* {
    std::int32_t lastRoom = 0;
    std::int32_t lastNumber = 0;
    previous = SIZE_MAX;
    // Tests the line at p; an accepted header becomes the next message.
    auto acceptHeader = [&](char* p) {
      if (candidate.ParseHeader(p, last) == 0 || (lastRoom != 0 && candidate.Room != lastRoom) ||
          candidate.Number <= lastNumber)
        return false;
      lastNumber = candidate.Number;
      lastRoom = candidate.Room;
      if (p != buffer) {
        char* end = LineEndBefore(buffer, p);
        std::memset(end, 0, static_cast<std::size_t>(p - end));
        if (previous != SIZE_MAX) EndMessage(FItems[previous], end);
      }
      FItems.push_back(candidate);
      previous = FItems.size() - 1;
      return true;
    };

    char* p = buffer;
    if constexpr (Fast) {
      // Fast path: a header starts with a digit, so only the line starts that begin with one are
      // tested, and a block scan finds them without stopping at every line end. After an accepted
      // header the walk goes on at its body, past line 2, as the plain walk does.
      const HeaderCandidateFinder findCandidate = FastestHeaderCandidateFinder();
      for (;;) {
        p = const_cast<char*>(findCandidate(p, buffer, last + 1));
        if (*p == '\0') return p;
        p = acceptHeader(p) ? const_cast<char*>(candidate.BodyStart) : p + 1;
      }
    } else {
      while (*p != '\0') {
        if (acceptHeader(p)) p = const_cast<char*>(candidate.Line2Start);
        // Past the current line and its line end.
        p = const_cast<char*>(SkipLineEnd(FindLineEndPlain(p)));
      }
      return p;
    }
  };

  if (char* const stop = walk(); stop != last) {
    // A NUL inside the text. Every scan of either walk stops at a NUL and together they pass
    // every byte, so this is the text's first; the NULs before it are the line ends the walk
    // wrote. Rather than a pass over every file for the rare one that holds a NUL, such a file
    // gets its line ends back, its NULs as '?', and a second walk.
    RestoreLineEnds(buffer);
    NulBytes = ReplaceNulBytes(stop, static_cast<std::size_t>(last - stop));
    FItems.clear();
    walk();
  }
  if (previous != SIZE_MAX) EndMessage(FItems[previous], last);
  // The records stay where they are from now on; give back what growing reserved.
  FItems.shrink_to_fit();
  return Count();
}

void TLogData::RestoreLineEnds(char* buffer) {
  for (const TLogMessage& m : FItems) {
    char* const head = const_cast<char*>(m.HeadStart);
    if (head == buffer) continue;
    // Two NULs were a CR LF. One was a CR or an LF, which the walk reads alike; only after a CR
    // must it be a CR, since a CR LF would have been two.
    const bool two = head - buffer >= 2 && head[-2] == '\0';
    if (two) head[-2] = '\r';
    head[-1] = two ? '\n' : (head - buffer >= 2 && head[-2] == '\r' ? '\r' : '\n');
  }
}

}  // namespace yuzulog
