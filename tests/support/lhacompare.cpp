#include "tests/support/lhacompare.h"

#include "logdata/lhareader.h"

namespace yuzulog::testing {
namespace {

std::string Names(const LhaListing& l) {
  std::string s = l.Opened ? "" : "(not opened)";
  for (const auto& m : l.Members)
    s += m.Name + ":" + std::to_string(m.Size) + " ";
  return s;
}

}  // namespace

bool OnlyOursDecodes(lha::Method method) {
  switch (method) {
    case lha::Method::Stored:
    case lha::Method::Lh5:
    case lha::Method::Lh6:
    case lha::Method::Lh7:
      return false;
    default:
      return true;
  }
}

LhaListing WalkLha(const std::string& path, TUnlha32::Reader reader) {
  LhaListing l;
  TUnlha32 unlha;
  l.Opened = unlha.OpenArchive(path, reader);
  TUnlha32::Member m;
  for (bool more = unlha.FindFirst(m); more; more = unlha.FindNext(m))
    l.Members.push_back(m);
  return l;
}

LhaComparison CompareWithLibarchive(const std::string& path) {
  LhaComparison c;
  const LhaListing theirs = WalkLha(path, TUnlha32::Reader::LibarchiveOnly);
  const LhaListing ours = WalkLha(path, TUnlha32::Reader::Auto);
  if (Names(ours) != Names(theirs))
    c.Differences += "walk: ours " + Names(ours) + "| theirs " + Names(theirs) + "\n";
  const lha::FileSource source(path);
  for (const auto& m : theirs.Members) {
    std::string a(m.Size, '\0'), b(m.Size, '\0');
    const auto ourStatus = TUnlha32::ExtractMem(path, m.Index, m.Size, a.data(), a.size());
    const auto theirStatus = TUnlha32::ExtractMem(path, m.Index, m.Size, b.data(), b.size(),
                                                  TUnlha32::Reader::LibarchiveOnly);
    lha::Member own;
    if (lha::FindMember(source, m.Index, own) == lha::HeaderResult::Member &&
        OnlyOursDecodes(own.Kind)) {
      if (ourStatus != TUnlha32::Status::Ok) c.Differences += m.Name + ": ours failed\n";
      continue;
    }
    if ((ourStatus == TUnlha32::Status::Ok) != (theirStatus == TUnlha32::Status::Ok))
      c.Differences += m.Name + ": only one side extracted it\n";
    else if (ourStatus == TUnlha32::Status::Ok && a != b)
      c.Differences += m.Name + ": the bytes differ\n";
  }
  std::vector<lha::Member> members;
  c.Ours = lha::ListMembers(source, members);
  return c;
}

}  // namespace yuzulog::testing
