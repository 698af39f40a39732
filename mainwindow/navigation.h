// The decisions behind moving between messages that need no window: what a navigation in the
// message view leads to, the go-to dialog's input rule and its rooms, and the "Message:" key.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logdata/logmessage.h"

namespace yuzulog {

class LogFiles;

// What the view does with a navigation (a click on a link, or loading a page).
enum class NavigationAction {
  Allow,           // one of the program's own page files: the view loads it
  GotoMessage,     // a message reference: go to Target among the loaded logs
  OpenExternally,  // mail, web, ftp and the service's other places: Url opens outside the view
  Refuse,          // anything else (another local file): neither shown nor handed on
};

struct NavigationDecision {
  NavigationAction Action = NavigationAction::Refuse;
  MessageAddress Target;  // for GotoMessage
  std::string Url;        // for OpenExternally
  bool operator==(const NavigationDecision&) const = default;
};

// FViewBeforeNavigate2. url: the navigation's address as text; ownPage: it names one of the page
// files this run has written. "nifty:" references of the section "mes" with a room and a number
// go to that message (the forum part is not looked at); the service's other "nifty:" places open
// through interwayPrefix; mail, web and ftp addresses open as they are; nothing else is followed.
NavigationDecision DecideNavigation(std::string_view url, bool ownPage,
                                    std::string_view interwayPrefix);

// The go-to dialog's number field: the integer its text holds, -1 when it holds none.
int GotoNumberOf(std::string_view text);
// The dialog's OK button: a number of 0 or more and a room selected.
bool GotoInputValid(std::string_view text, bool roomSelected);
// The dialog's key filter: typed printable characters other than the digits 0-9 are discarded;
// control characters (Backspace, Enter, ...) pass.
bool GotoKeyPasses(char32_t typed);

// The rooms of the go-to dialog: each Room of the loaded files once, in the files' order.
std::vector<int> GotoRooms(const LogFiles& files);
// The entry to preselect: the one of selectedRoom (the room of the tree's selected node, when
// there is one), else the first.
int GotoPreselection(const std::vector<int>& rooms, std::optional<int> selectedRoom);

// The value of the "Message:" key, "ROOM/NUMBER"; nothing when it is not two integers.
std::optional<MessageAddress> ParseMessageKey(std::string_view value);

}  // namespace yuzulog
