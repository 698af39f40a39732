// UTF-8 text: each log converted into a folder that mirrors the sources, line ends kept, with
// MANIFEST.json holding the provenance and the lists of what did not convert one to one.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "export/exportfiles.h"
#include "export/exportformats.h"
#include "logdata/unlha32.h"
#include "platform/fileio.h"

namespace yuzulog {
namespace {

// The bytes of the log as they stand in its file or archive member. Loading put NULs over the
// line ends before the headers, so those come from here; every other byte must be what was
// loaded, or the file changed since it was loaded and is not exported under its old provenance.
std::string SourceBytes(const ExportSource& s) {
  std::string bytes;
  const std::size_t expected = s.Data->BufferSize() > 0 ? s.Data->BufferSize() - 1 : 0;
  if (!s.FromArchive) {
    if (const int error = ReadWholeFile(s.Path, bytes, expected + 1))
      throw SystemError("ファイルを読めません", s.Path, error);
  } else {
    bytes.resize(expected);
    int systemError = 0;
    int index = -1;
    TUnlha32 unlha;
    TUnlha32::Member member;
    if (unlha.OpenArchive(s.Path) && unlha.FindFirst(member)) {
      TUnlha32::Member chosen = member;
      while (unlha.FindNext(member))
        if (member.Size > chosen.Size) chosen = member;
      index = chosen.Index;
    }
    unlha.CloseArchive();
    if (index < 0 ||
        TUnlha32::ExtractMem(s.Path, index, expected, bytes.data(), bytes.size(),
                             TUnlha32::Reader::Auto, &systemError) != TUnlha32::Status::Ok)
      throw ExportError("書庫からログを取り出せません：" + s.Path);
  }
  const char* loaded = s.Data->Buffer();
  bool same = bytes.size() == expected;
  // Span by span between the NULs, which stand for whatever byte the file holds there.
  for (std::size_t i = 0; same && i < expected;) {
    const void* nul = std::memchr(loaded + i, '\0', expected - i);
    const std::size_t end =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - loaded) : expected;
    same = std::memcmp(bytes.data() + i, loaded + i, end - i) == 0;
    i = end + 1;
  }
  if (!same) throw ExportError("読み込んだ後にファイルが変わっています：" + s.Path);
  return bytes;
}

void MakeParents(const std::string& folder, const std::string& relative) {
  std::error_code ec;
  std::filesystem::create_directories((std::filesystem::path(folder) / relative).parent_path(), ec);
  if (ec) throw SystemError("フォルダを作成できません", folder + "/" + relative, ec.value());
}

}  // namespace

OpStatus WriteTextFolder(const std::string& folder, const ExportPlan& plan,
                         const ExportDescription& d, Progress& progress) {
  const bool everything =
      plan.Messages().size() == static_cast<std::size_t>(plan.Files().TotalMessages());
  std::size_t next = 0;  // the next message of the plan; both run in load order
  for (std::size_t i = 0; i < d.Sources.size(); ++i) {
    const ExportSource& s = d.Sources[i];
    const std::string bytes = SourceBytes(s);
    MakeParents(folder, s.MirrorPath);
    ExportFile out(folder + "/" + s.MirrorPath);
    if (everything) {
      out.WriteCp932(bytes, Utf8Escape::None);
    } else {
      // Each chosen message with the line end that follows it, up to the next header.
      const auto& messages = s.Data->Messages();
      for (; next < plan.Messages().size() && plan.Messages()[next]->Owner == s.Data; ++next) {
        const TLogMessage* m = plan.Messages()[next];
        const auto k = static_cast<std::size_t>(m - messages.data());
        const std::uint64_t start = SourceOffset(*m);
        const std::uint64_t end =
            k + 1 < messages.size() ? SourceOffset(messages[k + 1]) : bytes.size();
        out.WriteCp932(std::string_view(bytes).substr(start, end - start), Utf8Escape::None);
      }
    }
    out.Close();
    progress.SetPercent(static_cast<int>((i + 1) * 100 / d.Sources.size()));
    progress.ProcessEvents();
    if (progress.Cancelled()) return OpStatus::Cancelled;
  }
  ExportFile manifest(folder + "/MANIFEST.json");
  manifest.Write(DescriptionJson(d));
  manifest.Write("\n");
  manifest.Close(false);
  return OpStatus::Completed;
}

}  // namespace yuzulog
