// What one running copy of the program did to a list file's entries since it read the file, so
// that its save keeps what another copy wrote in the meantime: the list is read again just
// before it is replaced, and only this copy's own changes are applied to it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/sjis.h"

namespace yuzulog {

class ListEdits {
 public:
  enum class Edit { None, Touched, Removed };

  // An entry this copy added, replaced or used; or removed. The last edit of a name counts.
  void Touch(std::string_view key) { Set(key, Edit::Touched); }
  void Remove(std::string_view key) { Set(key, Edit::Removed); }
  void Clear() { FEdits.clear(); }
  // ASCII case ignored, as the lists compare their names and folders.
  Edit Of(std::string_view key) const {
    for (const auto& [k, edit] : FEdits)
      if (EqualsIgnoringAsciiCase(k, key)) return edit;
    return Edit::None;
  }

 private:
  void Set(std::string_view key, Edit edit) {
    for (auto& [k, e] : FEdits)
      if (EqualsIgnoringAsciiCase(k, key)) {
        e = edit;
        return;
      }
    FEdits.emplace_back(std::string(key), edit);
  }
  std::vector<std::pair<std::string, Edit>> FEdits;
};

// The list to write: the entries of mine that this copy touched, in mine's order, then the
// entries of onDisk (the file as it is now) that this copy never edited, in the file's order.
// What this copy removed stays removed; what it left alone is as the other copy left it.
template <class T, class KeyOf>
std::vector<T> MergeListEdits(const std::vector<T>& mine, const ListEdits& edits,
                              const std::vector<T>& onDisk, KeyOf keyOf) {
  std::vector<T> merged;
  for (const T& entry : mine)
    if (edits.Of(keyOf(entry)) == ListEdits::Edit::Touched) merged.push_back(entry);
  for (const T& entry : onDisk)
    if (edits.Of(keyOf(entry)) == ListEdits::Edit::None) merged.push_back(entry);
  return merged;
}

}  // namespace yuzulog
