#include "logdata/logfiles.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <system_error>

#include "logdata/logloader.h"
#include "platform/paths.h"

namespace yuzulog {

const char* const kClearingText = "以前のデータをクリアしています...";
const char* const kLoadCancelledText = "ログファイルの取得を中断しました。";

// ---- the list -------------------------------------------------------------------------------

void LogFiles::Remove(const TLogData* file) {
  for (auto it = FFiles.begin(); it != FFiles.end(); ++it)
    if (it->get() == file) {
      FFiles.erase(it);
      return;
    }
}

TLogData* LogFiles::FindLoadedFile(const std::string& path) const {
  for (const auto& f : FFiles)
    if (f->FileName == path) return f.get();
  return nullptr;
}

void LogFiles::DropUnselected(const std::vector<std::string>& paths) {
  for (int i = Count() - 1; i >= 0; --i) {
    const std::string& name = FFiles[static_cast<std::size_t>(i)]->FileName;
    if (std::find(paths.begin(), paths.end(), name) == paths.end()) RemoveAt(i);
  }
}

void LogFiles::SortLogFiles() {
  for (auto& f : FFiles)
    f->Overlap = 0;
  // Insertion sort: each file moves before the first file it must precede, so equal keys keep
  // their order.
  for (std::size_t j = 1; j < FFiles.size(); ++j) {
    const TLogData& f = *FFiles[j];
    for (std::size_t i = 0; i < j; ++i) {
      const TLogData& g = *FFiles[i];
      if (f.Room < g.Room || (f.Room == g.Room && f.FirstNumber < g.FirstNumber)) {
        std::rotate(FFiles.begin() + static_cast<std::ptrdiff_t>(i),
                    FFiles.begin() + static_cast<std::ptrdiff_t>(j),
                    FFiles.begin() + static_cast<std::ptrdiff_t>(j) + 1);
        break;
      }
    }
  }
  for (std::size_t j = 1; j < FFiles.size(); ++j) {
    const TLogData& prev = *FFiles[j - 1];
    TLogData& f = *FFiles[j];
    if (prev.Count() == 0 || prev.Room != f.Room) continue;
    const std::int32_t lastNumber = prev.Items(prev.Count() - 1).Number;
    if (lastNumber >= f.FirstNumber)
      f.Overlap = static_cast<std::int32_t>(
          std::min<long long>(static_cast<long long>(lastNumber) - f.FirstNumber + 1, INT32_MAX));
  }
}

long long LogFiles::TotalMessages() const {
  long long total = 0;
  for (const auto& f : FFiles)
    total += f->Count();
  return total;
}

bool LogFiles::SingleRoom() const {
  return !FFiles.empty() && FFiles.front()->Room == FFiles.back()->Room;
}

// ---- texts ----------------------------------------------------------------------------------

std::string OpeningFileText(int index, int count, const std::string& path) {
  return "ファイルを開いています（" + std::to_string(index + 1) + "/" + std::to_string(count) +
         "）\r\n" + BaseName(path);
}

std::string ReloadQuestionText(const std::string& loadedFileName) {
  return "同名のファイルがすでにロードされています。\r\n\r\n" + loadedFileName +
         "\r\n\r\nファイルを再ロードしますか？";
}

std::string LoadFailedQuestionText(const std::string& path) {
  return path + "\r\nログファイルの取得に失敗しました。\r\n中断しますか？";
}

std::string LoadFailedLine(const std::string& path, const LoadResult& failure) {
  return path + " : ログファイルの取得に失敗しました。（" + failure.Reason + "）";
}

std::string MessageTotalText(long long total) {
  return std::to_string(total) + " 個の発言";
}

// ---- the load loop --------------------------------------------------------------------------

namespace {

bool AnswerReloads(ReloadAnswer a) {
  return a == ReloadAnswer::Yes || a == ReloadAnswer::YesToAll;
}

bool AnswerAsksAgain(ReloadAnswer a) {
  return a == ReloadAnswer::Yes || a == ReloadAnswer::No;
}

// The load loop's two lanes: while the loop takes one file, the loader thread loads (reads and
// parses) another, so reading, which is mostly the system handing out memory and copying, and
// parsing run on both cores. Rather than wait for the loader thread's file, the loop loads the
// files after it (up to kAhead); a file the loader thread has not begun by the time the loop
// needs it (every core busy with other work) the loop loads itself. Files are taken in the loop's
// order. A file is loaded before its turn only when the loop will load it without a question
// (mayLoadAhead); what was loaded ahead and never taken (the loop stopped, or skipped a file) is
// dropped unseen.
class LoadLanes {
 public:
  explicit LoadLanes(const std::vector<std::string>& paths) : FPaths(paths), FSlots(paths.size()) {}
  LoadLanes(const LoadLanes&) = delete;
  LoadLanes& operator=(const LoadLanes&) = delete;
  ~LoadLanes() { FThread.Drop(); }

  struct Loaded {
    std::unique_ptr<TLogData> File;
    LoadResult Result;
  };

  // File i, loaded; mayLoadAhead(j) tells whether file j may be loaded before its turn.
  template <class MayLoadAhead>
  Loaded Take(std::size_t i, MayLoadAhead&& mayLoadAhead) {
    if (FOnThread != kNone && FOnThread < i) EndThreadFile();  // a file the loop skipped
    if (FSlots[i].State == SlotState::OnThread) {
      for (std::size_t j = i + 1; j < FSlots.size() && j <= i + kAhead && !FThread.Ended(); ++j) {
        if (FSlots[j].State != SlotState::Empty) continue;
        if (!mayLoadAhead(j)) break;
        LoadHere(j);
      }
      EndThreadFile();
    } else {
      if (FOnThread == kNone) {
        // The loader thread gets the first file not loaded yet.
        std::size_t j = i + 1;
        while (j < FSlots.size() && FSlots[j].State == SlotState::Loaded)
          ++j;
        if (j < FSlots.size() && FSlots[j].State == SlotState::Empty && mayLoadAhead(j))
          StartOnThread(j);
      }
      if (FSlots[i].State == SlotState::Empty) LoadHere(i);
    }
    Slot& slot = FSlots[i];
    slot.State = SlotState::Taken;
    return {std::move(slot.File), std::move(slot.Result)};
  }

 private:
  // The most files the loop loads past the one it waits for.
  static constexpr std::size_t kAhead = 8;
  enum class SlotState { Empty, OnThread, Loaded, Taken };
  struct Slot {
    SlotState State = SlotState::Empty;
    std::unique_ptr<TLogData> File;
    LoadResult Result;
  };
  static constexpr std::size_t kNone = SIZE_MAX;

  // A file is loaded as on the loader thread: where that thread cannot be started, the file
  // fails as it would there, and the next file tries again.
  void LoadHere(std::size_t j) {
    Slot& slot = FSlots[j];
    slot.File = std::make_unique<TLogData>();
    if (const int error = LoaderThread::StartError(); error != 0)
      slot.Result = MakeLoadResult(LoadOutcome::NoLoaderThread, error);
    else
      slot.Result = slot.File->LoadFromFileHere(FPaths[j]);
    slot.State = SlotState::Loaded;
  }
  // Until EndThreadFile, only the loader thread touches the slot's file and result.
  void StartOnThread(std::size_t j) {
    Slot& slot = FSlots[j];
    slot.File = std::make_unique<TLogData>();
    slot.State = SlotState::OnThread;
    FOnThread = j;
    try {
      FThread.Start([file = slot.File.get(), &path = FPaths[j], &result = slot.Result] {
        try {
          result = file->LoadFromFileHere(path);
        } catch (const std::bad_alloc&) {
          // Nothing may leave the loader thread; EndThreadFile words the failure.
          result.Outcome = LoadOutcome::OutOfMemory;
        }
      });
    } catch (const std::system_error&) {
      // No loader thread: the file waits for its turn (LoadHere).
      slot.File.reset();
      slot.State = SlotState::Empty;
      FOnThread = kNone;
    }
  }
  void EndThreadFile() {
    FThread.Finish();
    Slot& slot = FSlots[FOnThread];
    if (slot.Result.Outcome == LoadOutcome::OutOfMemory && slot.Result.Reason.empty())
      slot.Result = MakeLoadResult(LoadOutcome::OutOfMemory);
    slot.State = SlotState::Loaded;
    FOnThread = kNone;
  }

  const std::vector<std::string>& FPaths;
  std::vector<Slot> FSlots;  // never resized: the loader thread writes into one
  std::size_t FOnThread = kNone;
  LoaderThread FThread;
};

}  // namespace

OpStatus ExecuteAdd(LogFiles& files, const std::vector<std::string>& paths, Progress& progress,
                    LoadCallbacks& callbacks, FileListSteps& steps) {
  OpStatus status = OpStatus::Completed;
  ReloadAnswer reloadAnswer = ReloadAnswer::No;
  const int n = static_cast<int>(paths.size());
  LoadLanes lanes(paths);
  // A file not loaded yet is loaded without a question, so it may be loaded ahead.
  auto mayLoadAhead = [&](std::size_t j) { return files.FindLoadedFile(paths[j]) == nullptr; };
  for (int i = 0; i < n; ++i) {
    const std::string& path = paths[static_cast<std::size_t>(i)];
    const std::string text = OpeningFileText(i, n, path);
    progress.SetText(text);
    progress.SetPercent(static_cast<int>(static_cast<long long>(i) * 100 / n));

    if (TLogData* loaded = files.FindLoadedFile(path)) {
      if (AnswerAsksAgain(reloadAnswer))
        reloadAnswer =
            callbacks.AskReload(text, ReloadQuestionText(loaded->FileName), reloadAnswer);
      if (!AnswerReloads(reloadAnswer)) continue;
      // The tree, the result list, the view and the history may point at this file's messages:
      // they are emptied before it is destroyed (the tree is rebuilt after the loop anyway).
      steps.ForgetMessages();
      files.Remove(loaded);
    }

    LoadLanes::Loaded loaded = lanes.Take(static_cast<std::size_t>(i), mayLoadAhead);
    if (loaded.Result) {
      files.Append(std::move(loaded.File));
    } else if (callbacks.AskStopAfterFailure(path, loaded.Result)) {
      break;
    }

    progress.ProcessEvents();
    if (progress.Cancelled()) {
      callbacks.NoticeCancelled(kLoadCancelledText);
      status = OpStatus::Cancelled;
      break;
    }
  }
  if (!files.Empty()) {
    files.SortLogFiles();
    if (steps.RebuildTree(files, progress) != OpStatus::Completed) status = OpStatus::Cancelled;
  }
  return status;
}

OpStatus ExecuteOpen(LogFiles& files, const std::vector<std::string>& paths, Progress& progress,
                     LoadCallbacks& callbacks, FileListSteps& steps) {
  progress.SetText(kClearingText);
  progress.ProcessEvents();
  steps.ForgetMessages();
  files.DropUnselected(paths);
  return ExecuteAdd(files, paths, progress, callbacks, steps);
}

OpStatus RemoveLogFiles(LogFiles& files, const std::vector<const TLogData*>& remove,
                        Progress& progress, FileListSteps& steps) {
  steps.ForgetMessages();
  for (const TLogData* f : remove)
    files.Remove(f);
  files.SortLogFiles();
  return steps.RebuildTree(files, progress);
}

// ---- the report -----------------------------------------------------------------------------

LoadReport BuildLoadReport(const LogFiles& files) {
  LoadReport report;
  report.Total = files.TotalMessages();
  for (int j = 1; j < files.Count(); ++j) {
    const TLogData& f = files[j];
    if (f.Overlap <= 0) continue;
    report.OverlapLines.push_back(std::to_string(f.Room) + "番会議室のログファイルで " +
                                  BaseName(files[j - 1].FileName) + " と " + BaseName(f.FileName) +
                                  " に " + std::to_string(f.Overlap) + " 個の重複があります。");
  }
  for (const auto& file : files)
    if (file->NulBytes > 0)
      report.NulLines.push_back(NulBytesReadText(file->FileName, file->NulBytes));
  report.StatusText = MessageTotalText(report.Total);
  return report;
}

std::string LoadReport::StatusLine() const {
  std::string line = StatusText;
  for (const std::string& nul : NulLines)
    line += "　" + nul;
  return line;
}

bool FailuresAskedUpTo::AskStopAfterFailure(const std::string& path, const LoadResult& failure) {
  if (FFailures >= FAsked) {
    ++FUnasked;
    return FLastAnswer;
  }
  ++FFailures;
  return FLastAnswer = FInner.AskStopAfterFailure(path, failure);
}

std::string MoreFailuresText(long long count) {
  return "ほかに " + std::to_string(count) + " 個のログファイルの取得に失敗しました。";
}

std::string LoadReport::WarningText() const {
  std::string text = StatusText + "がロードされましたが、\r\n\r\n";
  for (const std::string& line : OverlapLines)
    text += line + "\r\n";
  return text + "\r\nログデータの情報を見ますか？";
}

}  // namespace yuzulog
