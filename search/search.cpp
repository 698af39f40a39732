#include "search/search.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "common/sjis.h"
#include "logdata/logfiles.h"
#include "platform/cp932.h"

namespace yuzulog {

const char* const kSearchingText = "検索しています";
const char* const kUpdatingListText = "リストの表示を更新しています";
const char* const kUpdateListQuestion = "リストを更新しますか？";

namespace {

// Progress, the label and pending events are handled once per this many examined messages: often
// enough for the cancel button, rare enough to cost nothing next to the scan.
constexpr long long kProgressInterval = 512;

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr bool IsControlOrSpace(unsigned char b) {
  return b >= 0x01 && b <= 0x20;
}

// A sample of the loaded text, for the choice of a keyword's rarest byte pair: up to 16 files
// spread over the list, 16 kB from the middle of each.
std::string SampleLoadedText(const LogFiles& files) {
  constexpr int kFiles = 16;
  constexpr std::size_t kBytes = 16 * 1024;
  std::string sample;
  const int n = files.Count();
  for (int i = 0; i < std::min(n, kFiles); ++i) {
    const TLogData& file = files[static_cast<int>(static_cast<long long>(i) * n / kFiles)];
    const std::size_t size = file.BufferSize();
    const std::size_t start = size > kBytes ? (size - kBytes) / 2 : 0;
    sample.append(file.Buffer() + start, std::min(size - start, kBytes));
  }
  return sample;
}

// A keyword that every hit must hold, and the pair of its bytes that gates whole stretches of a
// file (TMotCle::FindPair): of the simple items' keywords, the one whose rarest pair is rarest.
struct Gate {
  const TMotCle* Key = nullptr;  // none: every message gets the whole test
  int Pair = 0;
};

Gate ChooseGate(const Conditions& conditions, const LogFiles& files, ScanMode mode) {
  Gate gate;
  std::uint64_t weight = UINT64_MAX;
  std::string sample;
  bool sampled = false;
  for (const ConditionItem& item : conditions.Items()) {
    // An empty keyword holds in every text; an alternative of a compound item is not needed.
    if (item.Compound || item.Keys.size() != 1 || item.Keys[0].KeyLength == 0) continue;
    if (!sampled) {
      sample = SampleLoadedText(files);
      sampled = true;
    }
    const KeyPair pair = item.Keys[0].RarestPair(sample, mode);
    if (pair.Weight < weight) {
      weight = pair.Weight;
      gate = {&item.Keys[0], pair.Offset};
    }
  }
  return gate;
}

std::string_view TrimControlsAndSpaces(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20)
    s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20)
    s.remove_suffix(1);
  return s;
}

}  // namespace

bool HasUsableField(const SearchFields& fields) {
  for (int i = 0; i < 4; ++i)
    if (fields.CheckBox[i] && !fields.Edit[i].empty()) return true;
  return (fields.CheckBoxID && !fields.EditID.empty()) ||
         (fields.CheckBoxName && !fields.EditName.empty());
}

bool UpdateSearchEnabled(const SearchFields& fields, int treeNodeCount) {
  return treeNodeCount > 0 && HasUsableField(fields);
}

bool NarrowingEnabled(bool searchEnabled, std::size_t resultCount) {
  return searchEnabled && resultCount > 0;
}

IgnoreCode IgnoreCodeFromIndex(int index) {
  return index == 1   ? IgnoreCode::LineBreaks
         : index == 2 ? IgnoreCode::LineBreaksAndBlanks
                      : IgnoreCode::None;
}

ScanMode ScanModeFor(bool ignoreCase, IgnoreCode ignoreCode) {
  switch (ignoreCode) {
    case IgnoreCode::LineBreaks:
      return ignoreCase ? ScanMode::FoldedIgnoringLineBreaks : ScanMode::ExactIgnoringLineBreaks;
    case IgnoreCode::LineBreaksAndBlanks:
      return ignoreCase ? ScanMode::FoldedIgnoringBlanks : ScanMode::ExactIgnoringBlanks;
    case IgnoreCode::None:
      break;
  }
  return ignoreCase ? ScanMode::Folded : ScanMode::Exact;
}

std::vector<std::string> SplitCompound(std::string_view text) {
  // A NUL ends the field text, as it ends every string the fields hold.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos)
    text = text.substr(0, nul);
  std::vector<std::string> alternatives;
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto at = [&](std::size_t j) { return static_cast<unsigned char>(text[j]); };
  auto skipBlanks = [&] {
    while (i < n && IsControlOrSpace(at(i)))
      ++i;
  };
  skipBlanks();
  while (i < n) {
    std::string alternative;
    if (at(i) == '"') {
      // Up to the closing double quote (two stand for one); no closing quote: to the end.
      ++i;
      while (i < n) {
        if (at(i) == '"') {
          if (i + 1 < n && at(i + 1) == '"') {
            alternative += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        const std::size_t step = IsMatcherLeadByte(at(i)) && i + 1 < n ? 2 : 1;
        alternative.append(text.substr(i, step));
        i += step;
      }
    } else {
      const std::size_t start = i;
      while (i < n && at(i) > 0x20 && at(i) != ',')
        i += IsMatcherLeadByte(at(i)) && i + 1 < n ? 2 : 1;
      alternative.assign(text.substr(start, i - start));
    }
    alternatives.emplace_back(TrimControlsAndSpaces(alternative));
    skipBlanks();
    if (i < n && at(i) == ',') {
      ++i;
      skipBlanks();
    }
  }
  return alternatives;
}

void BuildConditions(const SearchFields& fields, Conditions& conditions, ScanMode& scanMode) {
  conditions.Clear();
  for (int i = 0; i < 4; ++i) {
    if (!fields.CheckBox[i]) continue;
    if (!fields.Enhanced) {
      conditions.AddKeyword(TMotCle(fields.Edit[i]));
      continue;
    }
    std::vector<TMotCle> alternatives;
    for (const std::string& a : SplitCompound(fields.Edit[i]))
      alternatives.emplace_back(a);
    conditions.AddCompound(std::move(alternatives));
  }
  scanMode = ScanModeFor(fields.IgnoreCase, fields.IgnoreCode);
}

OpStatus SearchState::SearchMessages(Progress& progress, SearchJob& job, const SearchFields& fields,
                                     const LogFiles& files, long long total) {
  progress.SetText(kSearchingText);
  progress.ProcessEvents();
  const long long start = NowMs();

  BuildConditions(fields, FConditions, ScanMode);

  long long count = 0;
  std::size_t shownHits = 0;
  // Cheapest tests first: ID, handle name, the comment test, then the keyword scan.
  auto examine = [&](TLogMessage& m) -> bool {
    if (fields.CheckBoxID &&
        (fields.EditID.empty() || !EqualsIgnoringAsciiCase(m.ID(), fields.EditID)))
      return false;
    if (fields.CheckBoxName) {
      const std::string_view name = m.HandleName();
      // Over all messages the handle name compares exactly; the narrowing folds ASCII case.
      if (job.Narrow ? !EqualsIgnoringAsciiCase(name, fields.EditName) : name != fields.EditName)
        return false;
    }
    if (fields.CheckBoxOrgMes && m.CommentTo > 0) return false;
    return m.Matches(FConditions, ScanMode, fields.IncludeHeader);
  };
  // Counts m; true when the search must stop (cancelled at a progress point).
  auto counted = [&]() -> bool {
    ++count;
    if (count % kProgressInterval != 0) return false;
    progress.SetPercent(total > 0 ? static_cast<int>(count * 100 / total) : 100);
    if (job.Hits.size() != shownHits) {
      shownHits = job.Hits.size();
      progress.SetText(std::to_string(shownHits) + " 個");
    }
    progress.ProcessEvents();
    return progress.Cancelled();
  };

  OpStatus status = OpStatus::Completed;
  if (job.Narrow) {
    for (TLogMessage* m : Results) {
      if (examine(*m)) job.Hits.push_back(m);
      if (counted()) {
        status = OpStatus::Cancelled;
        break;
      }
    }
  } else {
    // Over whole files a keyword's rarest byte pair is looked for in the file's text at once,
    // and a message without it gets no test at all. Where the ID or the handle name is asked
    // for, the cheap tests leave few messages to scan, and each gets the whole test instead.
    const Gate gate = fields.CheckBoxID || fields.CheckBoxName
                          ? Gate{}
                          : ChooseGate(FConditions, files, ScanMode);
    for (const auto& file : files) {
      const char* const end = file->Buffer() + file->BufferSize();
      const char* pair = nullptr;  // the next place the gate found, once looked for
      for (TLogMessage& m : file->Messages()) {
        bool mayHold = true;
        if (gate.Key != nullptr) {
          const char* from = fields.IncludeHeader ? m.HeadStart : m.BodyStart;
          if (pair == nullptr || pair < from)
            pair = gate.Key->FindPair(from, end, gate.Pair, ScanMode);
          mayHold = pair < m.TextEnd;
        }
        if (mayHold && examine(m)) job.Hits.push_back(&m);
        if (counted()) {
          status = OpStatus::Cancelled;
          break;
        }
      }
      if (status == OpStatus::Cancelled) break;
    }
  }
  job.ElapsedMs = static_cast<std::int32_t>(NowMs() - start);
  return status;
}

void SearchState::FillResultList(Progress& progress, const std::vector<TLogMessage*>& hits) {
  progress.SetText(kUpdatingListText);
  progress.ProcessEvents();
  Results = hits;
}

void SearchState::GetHitRanges(std::vector<std::int64_t>& list, const TLogMessage& m) const {
  // Only the body is highlighted, also when the search included the header.
  std::vector<KeywordHit> hits;
  EnumerateHits(FConditions, m.BodyStart, ScanMode, hits);
  const auto headerSize = static_cast<std::int64_t>(m.HeaderSize());
  for (const KeywordHit& h : hits) {
    list.push_back(static_cast<std::int64_t>(h.Position - m.BodyStart) + headerSize);
    list.push_back(static_cast<std::int64_t>(h.Length));
  }
}

EncodedFields EncodeTypedFields(const SearchFields& typed) {
  EncodedFields encoded;
  encoded.Fields = typed;
  SearchFields& f = encoded.Fields;
  // Each field's text with its check box and the name the window's labels give it.
  struct Field {
    std::string& Text;
    bool Checked;
    const char* Name;
  };
  const Field fields[] = {
      {f.Edit[0], f.CheckBox[0], "キーワード1"}, {f.Edit[1], f.CheckBox[1], "キーワード2"},
      {f.Edit[2], f.CheckBox[2], "キーワード3"}, {f.Edit[3], f.CheckBox[3], "キーワード4"},
      {f.EditID, f.CheckBoxID, "ＩＤ"},          {f.EditName, f.CheckBoxName, "ハンドル名"}};
  for (const Field& field : fields) {
    if (!field.Checked) {
      field.Text.clear();
      continue;
    }
    Cp932Encoding e = Utf8ToCp932(field.Text);
    if (!e.ok()) {
      encoded.Error = std::string(field.Name) + " の「" + e.unmappable +
                      "」はシフトJISにない文字なので検索できません";
      encoded.Fields = {};
      return encoded;
    }
    field.Text = std::move(e.bytes);
  }
  return encoded;
}

std::string HitCountText(std::size_t hits) {
  return std::to_string(hits) + " 個の発言がヒットしました";
}

std::string InterruptedCaption(std::size_t hits) {
  return "検索は中断されています（" + HitCountText(hits) + "）";
}

std::string SearchNoticeText(std::size_t hits, bool interrupted, long long elapsedMs) {
  return HitCountText(hits) + "\r\n\r\n" +
         (interrupted ? " （中断しました）" : "(" + std::to_string(elapsedMs) + " msec)");
}

}  // namespace yuzulog
