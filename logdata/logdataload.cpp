// TLogData's part of a load: taking over what the loader read, then parsing it.
#include <new>

#include "logdata/logdata.h"
#include "logdata/logloader.h"

namespace yuzulog {

void TLogData::SetRoomAndFirstNumber() {
  Room = 0;
  FirstNumber = 0;
  if (Count() == 0) return;
  for (const TLogMessage& m : Messages()) {
    if (m.Room > 0) {
      Room = m.Room;
      break;
    }
  }
  FirstNumber = Items(0).Number;
}

LoadResult TLogData::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  TLogLoader loader(fileName);
  loader.RunAndWait();
  return TakeOver(loader);
}

LoadResult TLogData::LoadFromFileHere(const std::string& fileName) {
  FileName = fileName;
  TLogLoader loader(fileName);
  loader.Execute();
  return TakeOver(loader);
}

LoadResult TLogData::TakeOver(TLogLoader& loader) {
  SetBuffer(std::move(loader.Buffer), loader.BufferSize);
  if (!Buffer() || BufferSize() == 0)
    return MakeLoadResult(
        loader.Outcome == LoadOutcome::Loaded ? LoadOutcome::OutOfMemory : loader.Outcome,
        loader.SystemError);
  try {
    Parse();
  } catch (const std::bad_alloc&) {
    // The records of a huge log may not fit beside its text: this file fails, the others load.
    FItems = {};
    SetBufferSize(0);
    NulBytes = 0;
    return MakeLoadResult(LoadOutcome::OutOfMemory);
  }
  SetRoomAndFirstNumber();
  if (Count() == 0) {
    SetBufferSize(0);
    NulBytes = 0;
    return MakeLoadResult(LoadOutcome::NoMessage);
  }
  return {};
}

}  // namespace yuzulog
