// What each way a load can end says to the person who asked for it.
#include <cstring>
#include <string>

#include "logdata/logdata.h"

namespace yuzulog {

LoadResult MakeLoadResult(LoadOutcome outcome, int systemError) {
  LoadResult result{outcome, {}};
  switch (outcome) {
    case LoadOutcome::Loaded:
      break;
    case LoadOutcome::CannotRead:
      result.Reason = "ファイルを読み込めません";
      if (systemError != 0) result.Reason += std::string("：") + std::strerror(systemError);
      break;
    case LoadOutcome::NotRegularFile:
      result.Reason = "通常のファイルではありません";
      break;
    case LoadOutcome::EmptyFile:
      result.Reason = "ファイルが空です";
      break;
    case LoadOutcome::NotLhaArchive:
      result.Reason = "LHA 書庫ではありません";
      break;
    case LoadOutcome::BadArchiveHeader:
      result.Reason = "書庫のヘッダが壊れています";
      break;
    case LoadOutcome::ArchiveTruncated:
      result.Reason = "書庫が途中で切れています";
      break;
    case LoadOutcome::ArchiveSizeMismatch:
      result.Reason = "書庫の中のファイルのサイズがヘッダと合いません";
      break;
    case LoadOutcome::ArchiveCrcMismatch:
      result.Reason = "書庫の中のファイルの CRC が合いません";
      break;
    case LoadOutcome::BadArchiveData:
      result.Reason = "書庫の圧縮データが壊れています";
      break;
    case LoadOutcome::UnsupportedMethod:
      result.Reason = "対応していない圧縮方式です";
      break;
    case LoadOutcome::NotLogMember:
      result.Reason = "書庫の中の最大のファイルが .LOG でも .TXT でもありません";
      break;
    case LoadOutcome::NoMessage:
      result.Reason = "発言が見つかりません";
      break;
    case LoadOutcome::OutOfMemory:
      result.Reason = "メモリが足りません";
      break;
    case LoadOutcome::NoLoaderThread:
      result.Reason = "ファイルを読み込むスレッドを開始できません";
      if (systemError != 0) result.Reason += std::string("：") + std::strerror(systemError);
      break;
  }
  return result;
}

}  // namespace yuzulog
