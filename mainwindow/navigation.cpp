#include "mainwindow/navigation.h"

#include <algorithm>

#include "common/sjis.h"
#include "logdata/logfiles.h"
#include "platform/inifile.h"

namespace yuzulog {
namespace {

// An integer as the link's room and number are read: 0 when the text is not one.
int IntegerOr0(std::string_view text) {
  std::int32_t v = 0;
  return ParseIniInteger(text, v) ? v : 0;
}

}  // namespace

NavigationDecision DecideNavigation(std::string_view url, bool ownPage,
                                    std::string_view interwayPrefix) {
  if (ownPage) return {NavigationAction::Allow, {}, {}};
  if (StartsWithIgnoringAsciiCase(url, "nifty:")) {
    // Slash positions: the section lies between the first and the second, the room between the
    // second and the third, the number after the third.
    std::vector<std::size_t> slashes;
    for (std::size_t i = 0; i < url.size(); ++i)
      if (url[i] == '/') slashes.push_back(i);
    const auto between = [&](std::size_t a, std::size_t b) {
      return url.substr(slashes[a] + 1, slashes[b] - slashes[a] - 1);
    };
    const std::string_view section = slashes.size() >= 2 ? between(0, 1) : std::string_view();
    if (slashes.size() >= 3 && EqualsIgnoringAsciiCase(section, "mes")) {
      const MessageAddress target{IntegerOr0(between(1, 2)),
                                  IntegerOr0(url.substr(slashes[2] + 1))};
      return {NavigationAction::GotoMessage, target, {}};
    }
    return {NavigationAction::OpenExternally, {}, std::string(interwayPrefix) + std::string(url)};
  }
  // Mail goes to the mail program, web and ftp addresses to the system's browser. Nothing else
  // is a link a page can hold: a local file that is not one of the program's pages is never shown
  // in the view, and handing it (or a data or script address) to the system could run it.
  for (std::string_view scheme : {"mailto:", "http:", "https:", "ftp:"})
    if (StartsWithIgnoringAsciiCase(url, scheme))
      return {NavigationAction::OpenExternally, {}, std::string(url)};
  return {NavigationAction::Refuse, {}, {}};
}

int GotoNumberOf(std::string_view text) {
  std::int32_t v = 0;
  return ParseIniInteger(text, v) ? v : -1;
}

bool GotoInputValid(std::string_view text, bool roomSelected) {
  return GotoNumberOf(text) >= 0 && roomSelected;
}

bool GotoKeyPasses(char32_t typed) {
  // DEL (127) is the Delete key's control character.
  return typed < 32 || typed == 127 || (typed >= '0' && typed <= '9');
}

std::vector<int> GotoRooms(const LogFiles& files) {
  std::vector<int> rooms;
  for (const auto& f : files)
    if (std::find(rooms.begin(), rooms.end(), f->Room) == rooms.end()) rooms.push_back(f->Room);
  return rooms;
}

int GotoPreselection(const std::vector<int>& rooms, std::optional<int> selectedRoom) {
  if (selectedRoom) {
    const auto it = std::find(rooms.begin(), rooms.end(), *selectedRoom);
    if (it != rooms.end()) return static_cast<int>(it - rooms.begin());
  }
  return 0;
}

std::optional<MessageAddress> ParseMessageKey(std::string_view value) {
  const std::size_t slash = value.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::int32_t room = 0, number = 0;
  if (!ParseIniInteger(value.substr(0, slash), room) ||
      !ParseIniInteger(value.substr(slash + 1), number))
    return std::nullopt;
  return MessageAddress{room, number};
}

}  // namespace yuzulog
