// The writers of the formats, each into the temporary that ExportLogs moves into place.
#pragma once

#include <string>

#include "common/progress.h"
#include "export/export.h"
#include "export/exportplan.h"
#include "export/exportsources.h"

namespace yuzulog {

// Each returns Cancelled when progress was cancelled and throws ExportError when it cannot write.
OpStatus WriteJsonl(const std::string& path, const ExportPlan& plan, const ExportDescription& d,
                    Progress& progress);
OpStatus WriteTextFolder(const std::string& folder, const ExportPlan& plan,
                         const ExportDescription& d, Progress& progress);
OpStatus WriteSqlite(const std::string& path, const ExportPlan& plan, const ExportDescription& d,
                     bool fts, Progress& progress);
OpStatus WriteHtmlFolder(const std::string& folder, const ExportPlan& plan,
                         const ExportDescription& d, Progress& progress);

// Reports progress and looks for a cancel every kInterval messages.
class ExportTicker {
 public:
  ExportTicker(Progress& progress, long long total) : FProgress(progress), FTotal(total) {}
  // False once cancelled.
  bool Tick() {
    // The first message too, so that even a short export looks for a cancel while it writes.
    if (++FDone % kInterval != 1) return true;
    FProgress.SetPercent(static_cast<int>(FDone * 100 / (FTotal > 0 ? FTotal : 1)));
    FProgress.ProcessEvents();
    return !FProgress.Cancelled();
  }
  bool Cancelled() const { return FProgress.Cancelled(); }

 private:
  static constexpr long long kInterval = 512;
  Progress& FProgress;
  long long FTotal;
  long long FDone = 0;
};

// The written header line 2 date and time ("96/11/02 21:05"), as code page 932 bytes.
std::string_view WrittenDate(const TLogMessage& m);

}  // namespace yuzulog
