// Faulting in the pages of a fresh text buffer on a thread of its own while the loader writes the
// buffer: private to the loader.
#pragma once

#include <cstddef>

#include "logdata/logdata.h"

namespace yuzulog {

// While it lives, the page thread faults in the pages of a buffer being written; it ends that
// before the buffer may go, so it must be made after the buffer.
class FaultedAhead {
 public:
  FaultedAhead() = default;
  ~FaultedAhead();
  FaultedAhead(const FaultedAhead&) = delete;
  FaultedAhead& operator=(const FaultedAhead&) = delete;

  // A buffer of size bytes for a log's text, as AllocatePrefaulted gives one; a large one is
  // mapped without its pages, which the page thread faults in while the caller writes.
  ByteBlock Allocate(std::size_t size);

 private:
  bool FFaulting = false;
};

}  // namespace yuzulog
