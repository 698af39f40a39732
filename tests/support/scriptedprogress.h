// A Progress for tests: records what the operation reported and cancels after a given number of
// event polls.
#pragma once

#include <string>
#include <vector>

#include "common/progress.h"

namespace yuzulog::testing {

class ScriptedProgress final : public Progress {
 public:
  // cancelAfterPolls < 0: never cancels.
  explicit ScriptedProgress(int cancelAfterPolls = -1) : FCancelAfter(cancelAfterPolls) {}
  void SetText(std::string_view text) override { Texts.emplace_back(text); }
  void SetPercent(int percent) override { Percents.push_back(percent); }
  void ProcessEvents() override {
    ++Polls;
    if (FCancelAfter >= 0 && Polls >= FCancelAfter) FCancelled = true;
  }
  bool Cancelled() const override { return FCancelled; }

  std::vector<std::string> Texts;
  std::vector<int> Percents;
  int Polls = 0;

 private:
  int FCancelAfter;
  bool FCancelled = false;
};

}  // namespace yuzulog::testing
