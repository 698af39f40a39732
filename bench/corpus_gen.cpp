// yuzulog-corpus-gen: writes a seeded, realistic library of conference-room logs for the
// benchmarks. Rooms of unequal size, files of about a thousand messages, the next file of a room
// often repeating the last few messages of the one before, about 60% comments, Shift-JIS text
// mixed with ASCII words, URLs and mail addresses, and three keywords at known rates. The same
// seed and options give the same bytes on every machine: the random numbers and every
// distribution are our own, not the standard library's (whose distributions differ between
// implementations).
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cp932.h"

namespace {

namespace fs = std::filesystem;

// xoshiro256** seeded through splitmix64.
class Random {
 public:
  explicit Random(std::uint64_t seed) {
    for (auto& s : FState) {
      seed += 0x9E3779B97F4A7C15ull;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
      s = z ^ (z >> 31);
    }
  }
  std::uint64_t Next() {
    const std::uint64_t result = Rotl(FState[1] * 5, 7) * 9;
    const std::uint64_t t = FState[1] << 17;
    FState[2] ^= FState[0];
    FState[3] ^= FState[1];
    FState[1] ^= FState[2];
    FState[0] ^= FState[3];
    FState[2] ^= t;
    FState[3] = Rotl(FState[3], 45);
    return result;
  }
  // Uniform in [0, n); the multiply-shift bias is far below anything a benchmark can see.
  std::uint32_t Below(std::uint32_t n) {
    return static_cast<std::uint32_t>(((Next() >> 32) * n) >> 32);
  }
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  bool Chance(double p) { return Unit() < p; }
  // Standard normal by Box-Muller (one of the pair is thrown away; it is not the hot path).
  double Normal() {
    const double u = 1.0 - Unit();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * Unit());
  }

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::array<std::uint64_t, 4> FState{};
};

// --- Vocabulary, written in UTF-8 here and converted once at start
// ---------------------------------

constexpr std::string_view kNouns[] = {
    "ゆず",       "柚子",   "みかん", "すだち", "かぼす", "会議室",   "発言",   "過去ログ",
    "ライブラリ", "料理",   "園芸",   "接ぎ木", "肥料",   "季節",     "写真",   "通信",
    "パソコン",   "ソフト", "画面",   "電話代", "夜",     "朝",       "週末",   "去年",
    "今年",       "春",     "夏",     "秋",     "冬",     "庭",       "鉢植え", "苗",
    "実",         "皮",     "果汁",   "香り",   "味噌",   "ジャム",   "砂糖",   "はちみつ",
    "醤油",       "お酒",   "湯船",   "友人",   "家族",   "子供",     "先生",   "お店",
    "市場",       "値段",   "収穫",   "天気",   "台風",   "雨",       "雪",     "説明",
    "質問",       "返事",   "方法",   "手順",   "材料",   "分量",     "時間",   "場所",
    "地図",       "駅",     "電車",   "本",     "雑誌",   "新聞",     "番組",   "記事",
    "感想",       "意見",   "経験",   "失敗",   "成功",   "結果",     "理由",   "問題",
    "原因",       "対策",   "設定",   "接続",   "回線",   "文字化け", "掲示板", "オフ会",
    "幹事"};
constexpr std::string_view kParticles[] = {"は", "が", "を",   "に",   "で",   "と",
                                           "の", "も", "から", "まで", "より", "へ"};
constexpr std::string_view kPredicates[] = {
    "あります",         "ありません",     "思います",         "作りました",       "育てています",
    "試してみました",   "教えてください", "おすすめです",     "困っています",     "助かりました",
    "知りませんでした", "楽しみです",     "気になります",     "読みました",       "届きました",
    "出かけました",     "失敗しました",   "うまくいきました", "間違っていました", "確認しました",
    "探しています",     "使っています",   "書き込みました",   "調べてみます",     "待っています",
    "残念でした",       "大丈夫です",     "ちょうどいいです"};
constexpr std::string_view kEndings[] = {"。",   "。",   "。",   "。",     "！",  "？",
                                         "ね。", "よ。", "か。", "（笑）", "…。", "ので。"};
constexpr std::string_view kHalfKana[] = {"ｶﾞﾗｽﾋﾞﾝ", "ﾕｽﾞ", "ﾊﾟｿｺﾝ", "ﾓﾃﾞﾑ",     "ﾃﾞｽ",   "ﾏｽ",
                                          "ｱﾘｶﾞﾄｳ",  "ｿﾌﾄ", "ﾒｰﾙ",   "ﾎｰﾑﾍﾟｰｼﾞ", "ｺﾝﾊﾞﾝﾊ"};
constexpr std::string_view kAsciiWords[] = {
    "the",     "and",    "of",     "to",      "in",     "is",      "for",    "with",   "that",
    "this",    "file",   "data",   "mail",    "forum",  "message", "reply",  "thanks", "please",
    "Windows", "MS-DOS", "PC-98",  "DOS/V",   "BBS",    "online",  "access", "baud",   "9600bps",
    "28.8k",   "LHA",    "ZIP",    "archive", "upload", "library", "recipe", "garden", "citrus",
    "tree",    "seed",   "winter", "summer",  "OK",     "FAQ",     "ROM",    "PATIO",  "ID",
    "version", "update", "setup",  "printer", "disk",   "memory",  "CPU",    "MHz",    "color"};
constexpr std::string_view kHandles[] = {
    "みかん坊",   "柚子っ子",         "ゆずの里",     "青柚子",   "ガーデナー花子", "シトラス",
    "料理番",     "ポン酢党",         "はちみつ柚子", "七味",     "湯豆腐",         "ぽんかん",
    "すだち",     "かぼす",           "だいだい",     "夏みかん", "文旦",           "八朔",
    "ゆず湯",     "銭湯好き",         "通りすがり",   "ROM専",    "kenji",          "Taro",
    "citrus_fan", "ゆず会議室管理人", "庭師見習い",   "台所番長", "夜ふかし",       "パソ通初心者",
    "ｶﾀｶﾅ",       "ﾊﾝｶｸ好き",         "山の上",       "海辺の町", "北国",           "南国育ち"};
constexpr std::string_view kTitleTails[] = {"について",     "の質問", "のこと", "を作りました",
                                            "が届きました", "の話",   "",       "（長文）",
                                            "はどうですか"};

std::string Sjis(std::string_view utf8) {
  yuzulog::Cp932Encoding e = yuzulog::Utf8ToCp932(utf8);
  if (!e.ok()) {
    std::fprintf(stderr, "yuzulog-corpus-gen: no code page 932 form for: %s\n",
                 std::string(utf8).c_str());
    std::exit(2);
  }
  return e.bytes;
}

template <std::size_t N>
std::vector<std::string> SjisList(const std::string_view (&words)[N]) {
  std::vector<std::string> out;
  for (std::string_view w : words)
    out.push_back(Sjis(w));
  return out;
}

struct Options {
  fs::path Out = "corpus";
  std::uint64_t Messages = 1000000;
  std::uint64_t Seed = 1;
  int Rooms = 25;
  int PerFile = 1000;
  bool Lzh = false;
  std::string RareWord = "zanzibar";
  std::string CommonWord = "modem";
  std::string JapaneseWord = "柚子胡椒";  // UTF-8 here; written in code page 932
};

// How often each keyword is put into a message; the real counts go to corpus.txt.
constexpr double kRareRate = 0.001;
constexpr double kCommonRate = 0.30;
constexpr double kJapaneseRate = 0.05;
constexpr double kCommentRate = 0.60;
constexpr double kOverlapRate = 0.5;  // chance that a file repeats the end of the one before
constexpr std::size_t kLineWidth = 72;

struct User {
  std::string ID;      // three capitals and five digits
  std::string Handle;  // code page 932, padded to 16 bytes
};

// Everything that stays the same while the corpus is written.
struct Vocabulary {
  std::vector<std::string> Nouns, Particles, Predicates, Endings, HalfKana, Ascii, TitleTails;
  std::string FullSpace, Re, Rare, Common, Japanese;
  std::vector<User> Users;
};

Vocabulary MakeVocabulary(const Options& opt, Random& rnd) {
  Vocabulary v;
  v.Nouns = SjisList(kNouns);
  v.Particles = SjisList(kParticles);
  v.Predicates = SjisList(kPredicates);
  v.Endings = SjisList(kEndings);
  v.HalfKana = SjisList(kHalfKana);
  v.TitleTails = SjisList(kTitleTails);
  for (std::string_view w : kAsciiWords)
    v.Ascii.emplace_back(w);
  v.FullSpace = Sjis("　");
  v.Re = "Re:";
  v.Rare = opt.RareWord;
  v.Common = opt.CommonWord;
  v.Japanese = Sjis(opt.JapaneseWord);
  const std::vector<std::string> handles = SjisList(kHandles);
  // A few thousand writers; the same handle name is shared by several IDs, as happens.
  for (int i = 0; i < 3000; ++i) {
    User u;
    char id[16];
    std::snprintf(id, sizeof id, "%c%c%c%05u", 'A' + rnd.Below(26), 'A' + rnd.Below(26),
                  'A' + rnd.Below(26), rnd.Below(100000));
    u.ID = id;
    u.Handle = handles[rnd.Below(static_cast<std::uint32_t>(handles.size()))];
    u.Handle.resize(16, ' ');
    v.Users.push_back(std::move(u));
  }
  return v;
}

// Days since 1970-01-01 to year, month and day (Howard Hinnant's civil_from_days).
void CivilFromDays(long z, int& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// One room's messages, written file by file.
class RoomWriter {
 public:
  RoomWriter(const Options& opt, const Vocabulary& vocab, int room, std::uint64_t count)
      : FOpt(opt),
        FVocab(vocab),
        FRoom(room),
        FCount(count),
        FRandom(opt.Seed * 1000003 + static_cast<std::uint64_t>(room)) {
    // Rooms open on different days between 1990 and 1993 and run for about eight years.
    FMinutes = (7305 + static_cast<long>(FRandom.Below(1096))) * 1440L;
    FMeanGap = 8.0 * 365 * 1440 / std::max<double>(1.0, static_cast<double>(count));
  }

  // Writes all files of the room; returns the bytes written.
  std::uint64_t Run(std::vector<fs::path>& written);

  std::uint64_t Records = 0;
  std::uint64_t RareHits = 0, CommonHits = 0, JapaneseHits = 0;

 private:
  void AppendMessage(std::uint32_t number);
  void AppendBody(std::size_t target, std::uint32_t number);
  void Token(std::string_view t);
  void Newline();
  void CountHits(std::string_view message);
  std::uint32_t PickUser() {
    // A few writers write most messages.
    const double u = FRandom.Unit();
    return static_cast<std::uint32_t>(u * u * u * static_cast<double>(FVocab.Users.size()));
  }

  const Options& FOpt;
  const Vocabulary& FVocab;
  int FRoom;
  std::uint64_t FCount;
  Random FRandom;
  long FMinutes = 0;
  double FMeanGap = 1;
  std::string FText;                   // the file being built
  std::size_t FLineStart = 0;          // offset in FText of the current body line
  std::vector<std::size_t> FStarts;    // offset of each message of the file in FText
  std::vector<std::uint32_t> FTitles;  // per message number: index into FRootTitles
  std::vector<std::string> FRootTitles;
};

void RoomWriter::Newline() {
  FText += "\r\n";
  FLineStart = FText.size();
}

// Appends a word, breaking the line first when it would pass the width; a line never splits a
// double-byte character because words are whole characters.
void RoomWriter::Token(std::string_view t) {
  if (FText.size() - FLineStart + t.size() > kLineWidth && FText.size() > FLineStart) Newline();
  FText += t;
}

void RoomWriter::AppendBody(std::size_t target, std::uint32_t number) {
  const std::size_t start = FText.size();
  const bool rare = FRandom.Chance(kRareRate);
  const bool common = FRandom.Chance(kCommonRate);
  const bool japanese = FRandom.Chance(kJapaneseRate);
  // Each keyword goes in at the first sentence that starts past a random point of the body.
  const std::size_t rareAt = FRandom.Below(static_cast<std::uint32_t>(target));
  const std::size_t commonAt = FRandom.Below(static_cast<std::uint32_t>(target));
  const std::size_t japaneseAt = FRandom.Below(static_cast<std::uint32_t>(target));
  bool rareDone = !rare, commonDone = !common, japaneseDone = !japanese;
  const auto pick = [this](const std::vector<std::string>& list) -> const std::string& {
    return list[FRandom.Below(static_cast<std::uint32_t>(list.size()))];
  };

  Token(FVocab.FullSpace);
  while (FText.size() - start < target) {
    const std::size_t here = FText.size() - start;
    if (!rareDone && here >= rareAt) Token(" " + FVocab.Rare + " "), rareDone = true;
    if (!commonDone && here >= commonAt) Token(FVocab.Common + " "), commonDone = true;
    if (!japaneseDone && here >= japaneseAt) Token(FVocab.Japanese), japaneseDone = true;

    const std::uint32_t kind = FRandom.Below(100);
    if (kind < 80) {  // a Japanese sentence, sometimes with an ASCII word or half-width kana
      const std::uint32_t phrases = 1 + FRandom.Below(4);
      for (std::uint32_t i = 0; i < phrases; ++i) {
        const std::uint32_t w = FRandom.Below(20);
        if (w == 0)
          Token(pick(FVocab.Ascii));
        else if (w == 1)
          Token(pick(FVocab.HalfKana));
        else
          Token(pick(FVocab.Nouns));
        Token(pick(FVocab.Particles));
      }
      Token(pick(FVocab.Predicates));
      Token(pick(FVocab.Endings));
    } else if (kind < 90) {  // an English sentence
      const std::uint32_t words = 4 + FRandom.Below(10);
      for (std::uint32_t i = 0; i < words; ++i) {
        Token(pick(FVocab.Ascii));
        Token(" ");
      }
    } else if (kind < 93) {  // a web address on a line of its own
      char url[96];
      std::snprintf(url, sizeof url, "http://www.example%u.co.jp/~user%u/page%u.html",
                    FRandom.Below(50), FRandom.Below(1000), FRandom.Below(100));
      if (FText.size() > FLineStart) Newline();
      Token(url);
      Newline();
    } else if (kind < 95) {  // a mail address
      char mail[64];
      std::snprintf(mail, sizeof mail, " user%u@example%u.ne.jp ", FRandom.Below(10000),
                    FRandom.Below(20));
      Token(mail);
    } else if (kind < 96 && number > 1) {  // a reference to an earlier message of the room
      char ref[48];
      std::snprintf(ref, sizeof ref, " nifty:YUZU/MES/%02d/%05u ", FRoom,
                    1 + FRandom.Below(number - 1));
      Token(ref);
    } else {  // a paragraph break
      if (FText.size() > FLineStart) Newline();
      Newline();
      Token(FVocab.FullSpace);
    }
  }
  // A keyword whose point fell in the last sentence goes at the end.
  if (!rareDone) Token(" " + FVocab.Rare);
  if (!commonDone) Token(" " + FVocab.Common);
  if (!japaneseDone) Token(FVocab.Japanese);
  Newline();
}

void RoomWriter::AppendMessage(std::uint32_t number) {
  FStarts.push_back(FText.size());
  const std::size_t start = FText.size();

  // Sizes: mostly log-normal around 540 bytes (mean about 1 kB with the long ones), and one in two
  // hundred a long text of 10-60 kB.
  std::size_t target;
  if (FRandom.Chance(0.005))
    target = 10000 + FRandom.Below(50000);
  else
    target = static_cast<std::size_t>(
        std::clamp(540.0 * std::exp(0.8 * FRandom.Normal()), 150.0, 20000.0));

  std::uint32_t commentTo = 0;
  if (number > 1 && FRandom.Chance(kCommentRate)) {
    // Most replies answer something recent.
    const double back = -std::log(1.0 - FRandom.Unit()) * 15.0;
    commentTo = number - 1 - std::min<std::uint32_t>(number - 2, static_cast<std::uint32_t>(back));
  }
  std::uint32_t titleIndex;
  if (commentTo > 0) {
    titleIndex = FTitles[commentTo];
  } else {
    std::string title;
    if (FRandom.Chance(0.1)) {
      title = std::string(
                  FVocab.Ascii[FRandom.Below(static_cast<std::uint32_t>(FVocab.Ascii.size()))]) +
              " " + FVocab.Ascii[FRandom.Below(static_cast<std::uint32_t>(FVocab.Ascii.size()))];
    } else {
      title = FVocab.Nouns[FRandom.Below(static_cast<std::uint32_t>(FVocab.Nouns.size()))];
      if (FRandom.Chance(0.5))
        title += FVocab.Particles[2 + FRandom.Below(4)] +
                 FVocab.Nouns[FRandom.Below(static_cast<std::uint32_t>(FVocab.Nouns.size()))];
      title +=
          FVocab.TitleTails[FRandom.Below(static_cast<std::uint32_t>(FVocab.TitleTails.size()))];
    }
    titleIndex = static_cast<std::uint32_t>(FRootTitles.size());
    FRootTitles.push_back(std::move(title));
  }
  FTitles.push_back(titleIndex);

  FMinutes += 1 + static_cast<long>(-std::log(1.0 - FRandom.Unit()) * FMeanGap);
  int y, mo, d;
  CivilFromDays(FMinutes / 1440, y, mo, d);
  const int hh = static_cast<int>(FMinutes % 1440 / 60), mi = static_cast<int>(FMinutes % 60);

  const User& user = FVocab.Users[PickUser()];
  char head[64];
  std::snprintf(head, sizeof head, "%05u/%05u %s  ", number, number, user.ID.c_str());
  FText += head;
  FText += user.Handle;
  if (commentTo > 0) FText += FVocab.Re;
  FText += FRootTitles[titleIndex];
  FText += "\r\n";
  char line2[64];
  int n = std::snprintf(line2, sizeof line2, "(%2d)   %02d/%02d/%02d %02d:%02d", FRoom, y % 100, mo,
                        d, hh, mi);
  if (commentTo > 0) std::snprintf(line2 + n, sizeof line2 - n, "  %05u", commentTo);
  FText += line2;
  FText += "\r\n";
  FLineStart = FText.size();
  AppendBody(target, number);
  CountHits(std::string_view(FText).substr(start));
}

void RoomWriter::CountHits(std::string_view message) {
  ++Records;
  RareHits += message.find(FVocab.Rare) != std::string_view::npos;
  CommonHits += message.find(FVocab.Common) != std::string_view::npos;
  JapaneseHits += message.find(FVocab.Japanese) != std::string_view::npos;
}

std::uint64_t RoomWriter::Run(std::vector<fs::path>& written) {
  FTitles.assign(1, 0);  // message numbers start at 1
  std::uint64_t bytes = 0;
  std::uint32_t next = 1;
  int fileNo = 1;
  while (next <= FCount) {
    const std::uint32_t perFile = static_cast<std::uint32_t>(FOpt.PerFile);
    const std::uint32_t size = perFile - perFile / 10 + FRandom.Below(perFile / 5 + 1);
    const std::uint32_t last =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(FCount, next + size - 1));
    for (std::uint32_t number = next; number <= last; ++number)
      AppendMessage(number);

    char name[32];
    std::snprintf(name, sizeof name, "ROOM%02d-%03d.LOG", FRoom, fileNo++);
    const fs::path path = FOpt.Out / name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(FText.data(), 1, FText.size(), f) != FText.size() || std::fclose(f)) {
      std::fprintf(stderr, "yuzulog-corpus-gen: cannot write %s\n", path.c_str());
      std::exit(2);
    }
    written.push_back(path);
    bytes += FText.size();
    next = last + 1;

    // The next file often starts with the last one to five messages of this one, byte for byte.
    std::string carry;
    std::vector<std::size_t> carryStarts;
    if (next <= FCount && FRandom.Chance(kOverlapRate)) {
      const std::size_t k = std::min<std::size_t>(1 + FRandom.Below(5), FStarts.size());
      const std::size_t from = FStarts[FStarts.size() - k];
      carry.assign(FText, from);
      for (std::size_t i = FStarts.size() - k; i < FStarts.size(); ++i) {
        carryStarts.push_back(FStarts[i] - from);
        const std::size_t end = i + 1 < FStarts.size() ? FStarts[i + 1] : FText.size();
        CountHits(std::string_view(FText).substr(FStarts[i], end - FStarts[i]));
      }
    }
    FText = std::move(carry);
    FStarts = std::move(carryStarts);
  }
  return bytes;
}

void Usage() {
  std::fputs(
      "usage: yuzulog-corpus-gen [options]\n"
      "  --out DIR          folder for the .LOG files (default: corpus)\n"
      "  --messages N       distinct messages in all (default: 1000000, about 1 GB)\n"
      "  --seed S           seed; the same seed and options give the same bytes (default: 1)\n"
      "  --rooms R          conference rooms, 1-99 (default: 25)\n"
      "  --per-file N       messages per file, give or take 10% (default: 1000)\n"
      "  --lzh              also pack each ROOMrr-nnn.LOG into DIR/lzh/ROOMrr-nnn.lzh with lha\n"
      "  --rare-word W      ASCII keyword put in about 0.1% of messages (default: zanzibar)\n"
      "  --common-word W    ASCII keyword put in about 30% of messages (default: modem)\n"
      "  --japanese-word W  keyword (UTF-8, written as Shift-JIS) in about 5% (default: 柚子胡椒)\n"
      "Writes DIR/corpus.txt with the counts: how many message records hold each keyword.\n",
      stderr);
}

bool ParseArgs(int argc, char** argv, Options& opt) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    const auto value = [&]() -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "yuzulog-corpus-gen: %s needs a value\n", argv[i]);
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--out")
      opt.Out = value();
    else if (a == "--messages")
      opt.Messages = std::strtoull(value(), nullptr, 10);
    else if (a == "--seed")
      opt.Seed = std::strtoull(value(), nullptr, 10);
    else if (a == "--rooms")
      opt.Rooms = std::atoi(value());
    else if (a == "--per-file")
      opt.PerFile = std::atoi(value());
    else if (a == "--lzh")
      opt.Lzh = true;
    else if (a == "--rare-word")
      opt.RareWord = value();
    else if (a == "--common-word")
      opt.CommonWord = value();
    else if (a == "--japanese-word")
      opt.JapaneseWord = value();
    else if (a == "--help" || a == "-h")
      return Usage(), std::exit(0), false;
    else {
      std::fprintf(stderr, "yuzulog-corpus-gen: unknown option %s\n", argv[i]);
      return false;
    }
  }
  if (opt.Rooms < 1 || opt.Rooms > 99 || opt.PerFile < 1 || opt.Messages < 1 ||
      opt.RareWord.empty() || opt.CommonWord.empty() || opt.JapaneseWord.empty())
    return false;
  // Message numbers have five digits.
  if (opt.Messages > static_cast<std::uint64_t>(opt.Rooms) * 60000) {
    std::fprintf(stderr, "yuzulog-corpus-gen: too many messages for %d rooms\n", opt.Rooms);
    return false;
  }
  return true;
}

// Splits the messages over the rooms unevenly: busy rooms get a few times more than quiet ones.
std::vector<std::uint64_t> RoomSizes(const Options& opt, Random& rnd) {
  std::vector<double> weight(opt.Rooms);
  double sum = 0;
  for (double& w : weight)
    sum += w = 0.3 + rnd.Unit();
  std::vector<std::uint64_t> sizes(opt.Rooms);
  std::uint64_t given = 0;
  for (int r = 0; r < opt.Rooms; ++r) {
    sizes[r] = static_cast<std::uint64_t>(static_cast<double>(opt.Messages) * weight[r] / sum);
    given += sizes[r];
  }
  for (int r = 0; given < opt.Messages; r = (r + 1) % opt.Rooms, ++given)
    ++sizes[r];
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (!ParseArgs(argc, argv, opt)) {
    Usage();
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();
  std::error_code ec;
  fs::create_directories(opt.Out, ec);
  if (ec) {
    std::fprintf(stderr, "yuzulog-corpus-gen: cannot create %s: %s\n", opt.Out.c_str(),
                 ec.message().c_str());
    return 2;
  }

  Random rnd(opt.Seed);
  const Vocabulary vocab = MakeVocabulary(opt, rnd);
  const std::vector<std::uint64_t> sizes = RoomSizes(opt, rnd);

  std::vector<fs::path> written;
  std::uint64_t bytes = 0, records = 0, rare = 0, common = 0, japanese = 0;
  for (int r = 0; r < opt.Rooms; ++r) {
    if (sizes[r] == 0) continue;
    RoomWriter room(opt, vocab, r + 1, sizes[r]);
    bytes += room.Run(written);
    records += room.Records;
    rare += room.RareHits;
    common += room.CommonHits;
    japanese += room.JapaneseHits;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  {
    std::ofstream m(opt.Out / "corpus.txt");
    m << "# written by yuzulog-corpus-gen; counts are message records (a message repeated in\n"
         "# the overlap of two files counts twice) whose text holds the keyword's bytes\n"
      << "seed=" << opt.Seed << "\nmessages=" << opt.Messages << "\nrecords=" << records
      << "\nfiles=" << written.size() << "\nbytes=" << bytes << "\nrare_word=" << opt.RareWord
      << "\nrare_messages=" << rare << "\ncommon_word=" << opt.CommonWord
      << "\ncommon_messages=" << common << "\njapanese_word=" << opt.JapaneseWord
      << "\njapanese_messages=" << japanese << "\n";
  }
  std::fprintf(stderr, "%zu files, %llu records, %.1f MB in %.1f s\n", written.size(),
               static_cast<unsigned long long>(records), static_cast<double>(bytes) / 1e6, seconds);

  if (opt.Lzh) {
    // lha (Debian's jlha-utils) takes one archive per run and starts a Java VM each time, so
    // packing is far slower than writing: run two at a time.
    const fs::path lzhDir = opt.Out / "lzh";
    fs::create_directories(lzhDir, ec);
    // lha reports a bad command line with exit status 0, so each archive is checked instead.
    const std::string cmd = "cd '" + opt.Out.string() +
                            "' && ls ROOM*.LOG | sed 's/\\.LOG$//' | xargs -P 2 -I{} sh -c "
                            "'rm -f lzh/{}.lzh && lha aq lzh/{}.lzh {}.LOG >/dev/null && "
                            "test -s lzh/{}.lzh'";
    if (std::system(cmd.c_str()) != 0) {
      std::fprintf(stderr, "yuzulog-corpus-gen: packing with lha failed\n");
      return 2;
    }
  }
  return 0;
}
