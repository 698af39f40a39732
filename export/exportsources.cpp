#include "export/exportsources.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "export/exportfiles.h"
#include "logdata/unlha32.h"
#include "platform/cp932.h"
#include "platform/paths.h"

namespace yuzulog {
namespace fs = std::filesystem;

namespace {

struct DigestDeleter {
  void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};

// The member a log was taken from: the archive's largest, the first of equal ones, as the loader
// chooses it (the loaded file keeps only its text, not the member's name).
void FindLoadedMember(ExportSource& s) {
  TUnlha32 unlha;
  TUnlha32::Member chosen;
  if (!unlha.FindLargestMember(s.Path, chosen)) return;
  std::string name = Cp932ToUtf8(chosen.Name);
  std::replace(name.begin(), name.end(), '\\', '/');
  s.Member = name;
  s.MemberSize = chosen.Size;
}

// A relative path that stays inside its folder: no root, no "." or "..", no empty part.
std::string InsidePath(const std::string& path) {
  std::string out;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") {
      if (!out.empty()) out += '/';
      out += part;
    }
    start = end + 1;
  }
  return out.empty() ? std::string("_") : out;
}

}  // namespace

std::string HexBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

std::string FileSha256(const std::string& path, std::uint64_t* size) {
  FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) throw SystemError("ファイルを読めません", path, errno);
  std::unique_ptr<EVP_MD_CTX, DigestDeleter> ctx(EVP_MD_CTX_new());
  if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1)
    throw ExportError("SHA-256 を計算できません");
  constexpr std::size_t kChunk = std::size_t{1} << 20;
  std::unique_ptr<char[]> buffer(new char[kChunk]);
  std::uint64_t total = 0;
  for (;;) {
    const ssize_t got = ::read(file.Get(), buffer.get(), kChunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw SystemError("ファイルを読めません", path, errno);
    }
    if (got == 0) break;
    EVP_DigestUpdate(ctx.get(), buffer.get(), static_cast<std::size_t>(got));
    total += static_cast<std::uint64_t>(got);
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(ctx.get(), digest, &length);
  if (size) *size = total;
  return HexBytes(std::string_view(reinterpret_cast<const char*>(digest), length));
}

std::uint64_t SourceOffset(const TLogMessage& m) {
  return static_cast<std::uint64_t>(m.HeadStart - m.Owner->Buffer());
}

std::optional<std::vector<ExportSource>> DescribeSources(
    const LogFiles& files, const std::vector<const TLogMessage*>* chosen, Progress& progress) {
  const Cp932Table& table = Cp932Table::Get();
  std::vector<ExportSource> sources(static_cast<std::size_t>(files.Count()));
  progress.SetText("出力元のファイルを確かめています");
  // Digests and scans of different files are independent, and together they read every byte
  // once: they share the cores. The calling thread takes files too and alone reports progress.
  std::atomic<std::size_t> next{0};
  std::atomic<int> done{0};
  std::atomic<bool> stop{false};
  std::exception_ptr failure;
  std::mutex failureLock;
  // Describes the next file not yet taken; false when none is left.
  auto workOne = [&] {
    std::size_t i = 0;
    if (stop || (i = next++) >= sources.size()) return false;
    {
      try {
        ExportSource& s = sources[i];
        const TLogData& file = files[static_cast<int>(i)];
        s.Data = &file;
        s.Path = file.FileName;
        s.Sha256 = FileSha256(s.Path, &s.Size);
        s.FromArchive = !ExtensionIs(FileExtension(s.Path), ".LOG");
        if (s.FromArchive) FindLoadedMember(s);
        // The text buffer holds the file's or member's bytes; only the line ends before headers
        // are NUL now, and those are ASCII in either case, so the exceptions are the source's.
        const std::string_view text(file.Buffer(),
                                    file.BufferSize() > 0 ? file.BufferSize() - 1 : 0);
        if (!chosen) table.Scan(text, 0, s.Exceptions);
      } catch (...) {
        const std::lock_guard lock(failureLock);
        if (!failure) failure = std::current_exception();
        stop = true;
      }
      ++done;
    }
    return true;
  };
  auto work = [&] {
    while (workOne()) {
    }
  };
  // The helpers do the work; this thread reports once per finished file, so a cancel is seen at
  // the same point whatever the threads' speed. Without a helper it does the work itself.
  std::vector<std::thread> helpers;
  const unsigned cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  for (unsigned t = 0; t < cores && t < sources.size(); ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  for (std::size_t reported = 0; reported < sources.size() && !stop; ++reported) {
    if (helpers.empty())
      workOne();
    else
      while (static_cast<std::size_t>(done.load()) <= reported && !stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    progress.SetPercent(static_cast<int>((reported + 1) * 100 / sources.size()));
    progress.ProcessEvents();
    if (progress.Cancelled()) stop = true;
  }
  for (std::thread& t : helpers)
    t.join();
  if (failure) std::rethrow_exception(failure);
  if (stop) return std::nullopt;

  if (chosen) {
    std::unordered_map<const TLogData*, std::size_t> sourceOf;
    for (std::size_t i = 0; i < sources.size(); ++i)
      sourceOf.emplace(sources[i].Data, i);
    for (const TLogMessage* m : *chosen) {
      const auto it = sourceOf.find(m->Owner);
      if (it == sourceOf.end()) continue;
      table.Scan(std::string_view(m->HeadStart, m->TextSize()), SourceOffset(*m),
                 sources[it->second].Exceptions);
    }
    for (ExportSource& s : sources)
      std::stable_sort(
          s.Exceptions.begin(), s.Exceptions.end(),
          [](const Cp932Exception& a, const Cp932Exception& b) { return a.Offset < b.Offset; });
  }
  return sources;
}

void AssignMirrorPaths(std::vector<ExportSource>& sources) {
  if (sources.empty()) return;
  fs::path common = fs::path(sources.front().Path).parent_path();
  for (const ExportSource& s : sources) {
    const fs::path folder = fs::path(s.Path).parent_path();
    fs::path shared;
    auto a = common.begin();
    auto b = folder.begin();
    for (; a != common.end() && b != folder.end() && *a == *b; ++a, ++b)
      shared /= *a;
    common = shared;
  }
  for (ExportSource& s : sources) {
    std::string rel = fs::path(s.Path).lexically_relative(common).generic_string();
    if (rel.empty() || rel.rfind("..", 0) == 0) rel = BaseName(s.Path);
    if (s.FromArchive) rel += "/" + (s.Member.empty() ? std::string("log.txt") : s.Member);
    s.MirrorPath = InsidePath(rel);
  }
}

void AppendJsonString(std::string& out, std::string_view s) {
  out += '"';
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

namespace {

// Days since 1970-01-01 to a civil date (the proleptic Gregorian calendar).
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  if (m <= 2) ++y;
}

std::string DateTimeText(std::int64_t secondsSince1970, bool utc) {
  std::int64_t days = secondsSince1970 / 86400;
  std::int64_t rest = secondsSince1970 % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  char text[48];
  if (y >= 0 && y <= 9999) {
    // Every message has a date: digits by hand instead of a format string for each.
    char* p = text;
    auto two = [&p](std::int64_t v) {
      *p++ = static_cast<char>('0' + v / 10);
      *p++ = static_cast<char>('0' + v % 10);
    };
    two(y / 100);
    two(y % 100);
    *p++ = '-';
    two(m);
    *p++ = '-';
    two(d);
    *p++ = 'T';
    two(rest / 3600);
    *p++ = ':';
    two(rest / 60 % 60);
    *p++ = ':';
    two(rest % 60);
    if (utc) *p++ = 'Z';
    return std::string(text, p);
  }
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lld%s",
                static_cast<long long>(y), m, d, static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60),
                utc ? "Z" : "");
  return text;
}

}  // namespace

std::string UtcTimeText(std::int64_t seconds) {
  return DateTimeText(seconds, true);
}

std::string IsoLocalTime(const TLogMessage& m) {
  // File time: 100-ns units since 1601-01-01, which lies 11644473600 s before 1970.
  const std::int64_t seconds = m.DateTime() / 10000000 - 11644473600LL;
  return DateTimeText(seconds, false);
}

std::string DescriptionJson(const ExportDescription& d) {
  const Cp932Table& table = Cp932Table::Get();
  std::string out = "{\"format\":";
  AppendJsonString(out, "yuzulog-export-" + d.Format);
  out += ",\"format_version\":" + std::to_string(d.FormatVersion) + ",\"program\":";
  AppendJsonString(out, d.Program);
  out += ",\"converter\":";
  AppendJsonString(out, d.Converter);
  out += ",\"replacement\":\"\\u3013\",\"created\":";
  AppendJsonString(out, UtcTimeText(d.Created));
  out += ",\"sources\":[";
  for (std::size_t i = 0; i < d.Sources.size(); ++i) {
    const ExportSource& s = d.Sources[i];
    if (i) out += ',';
    out += "{\"file\":";
    AppendJsonString(out, SettingsTextToUtf8(s.Path));
    out += ",\"size\":" + std::to_string(s.Size) + ",\"sha256\":\"" + s.Sha256 + "\"";
    if (s.FromArchive) {
      out += ",\"member\":";
      AppendJsonString(out, s.Member);
      out += ",\"member_size\":" + std::to_string(s.MemberSize);
    }
    out += ",\"room\":" + std::to_string(s.Data->Room) +
           ",\"messages\":" + std::to_string(s.Data->Count());
    if (!s.MirrorPath.empty()) {
      out += ",\"text\":";
      AppendJsonString(out, s.MirrorPath);
    }
    for (const auto kind : {Cp932Exception::Kind::Unconvertible, Cp932Exception::Kind::NotUnique}) {
      out += kind == Cp932Exception::Kind::Unconvertible ? ",\"unconvertible\":["
                                                         : ",\"not_unique\":[";
      bool first = true;
      for (const Cp932Exception& x : s.Exceptions) {
        if (x.What != kind) continue;
        if (!first) out += ',';
        first = false;
        out += "{\"offset\":" + std::to_string(x.Offset) + ",\"bytes\":\"" +
               HexBytes(x.SourceBytes()) + "\"";
        if (kind == Cp932Exception::Kind::NotUnique) {
          out += ",\"char\":";
          AppendJsonString(out, table.CharOf(x.SourceBytes()));
        }
        out += '}';
      }
      out += ']';
    }
    out += '}';
  }
  out += "]}";
  return out;
}

}  // namespace yuzulog
