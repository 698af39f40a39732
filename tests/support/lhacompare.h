// Our LHA reader next to libarchive on one archive file, for tests: the member walk must be the
// same, and every member must extract to the same bytes or fail on both sides. Where libarchive
// has no decoder for a member's method, ours must succeed.
#pragma once

#include <string>
#include <vector>

#include "logdata/lhareader.h"
#include "logdata/unlha32.h"

namespace yuzulog::testing {

struct LhaListing {
  bool Opened = false;
  std::vector<TUnlha32::Member> Members;
};

// The walk TUnlha32 gives with the reader chosen.
LhaListing WalkLha(const std::string& path, TUnlha32::Reader reader);

struct LhaComparison {
  bool Ours = false;        // our reader took the walk
  std::string Differences;  // empty when both agree; otherwise what differs, one line each
};

LhaComparison CompareWithLibarchive(const std::string& path);

// The methods libarchive lists but has no decoder for: -lh1- to -lh4-, -lzs-, -lz5-.
bool OnlyOursDecodes(lha::Method method);

}  // namespace yuzulog::testing
