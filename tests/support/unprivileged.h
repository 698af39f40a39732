// Running a piece of a test as an ordinary user. Root may write into read-only files and read
// unreadable ones, so a test of how permissions are honoured means nothing when it runs as root.
#pragma once

#include <functional>

namespace yuzulog::testing {

// Runs body as the user "nobody" (uid and gid 65534) in a child process when the tests run as
// root, else in this process, and returns body's result (-1 when the child did not end
// normally). The files body touches must be open to that user.
int RunUnprivileged(const std::function<int()>& body);

}  // namespace yuzulog::testing
