// The static web archive: UTF-8 HTML5, one small style sheet, no scripts; index.html (the rooms),
// a page per room (its threads), a page per thread (every message under its own anchor), the
// writers of each room and the threads by month. Every link is relative, so the folder works from
// file:// and from any static host.
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>

#include "common/markup.h"
#include "export/exportfiles.h"
#include "export/exportformats.h"
#include "htmlview/linkscan.h"
#include "mainwindow/navigation.h"
#include "platform/cp932.h"

namespace yuzulog {
namespace {

constexpr const char* kStyle =
    R"css(body { font-family: "IPAPGothic", "IPAGothic", sans-serif; margin: 1em 2em; color: #222; background: #fff; }
h1 { font-size: 1.4em; } h2 { font-size: 1.05em; margin: 0 0 .3em; }
table { border-collapse: collapse; } th, td { border-bottom: 1px solid #ddd; padding: .2em .6em; text-align: left; vertical-align: top; }
td.n { text-align: right; }
nav { margin-bottom: 1em; font-size: .9em; }
article { border-left: 3px solid #c9d8e8; padding: .3em .8em; margin: .8em 0; }
.meta { color: #555; font-size: .9em; margin: 0 0 .4em; }
table + .meta { margin-top: .6em; }
pre { white-space: pre-wrap; word-wrap: break-word; font-family: "IPAGothic", monospace; margin: 0; }
)css";

std::string Utf8(std::string_view cp932) {
  std::string out;
  Cp932Table::Get().Append(cp932, Utf8Escape::Html, out);
  return out;
}

std::string DateOnly(const std::string& iso) {
  return iso.substr(0, 10);
}

void Begin(ExportFile& out, const std::string& title, std::string_view root) {
  out.Write(
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<meta "
      "name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>");
  out.Write(title);
  out.Write("</title>\n<link rel=\"stylesheet\" href=\"");
  out.Write(root);
  out.Write("style.css\">\n</head>\n<body>\n<nav><a href=\"");
  out.Write(root);
  out.Write("index.html\">会議室の一覧</a> | <a href=\"");
  out.Write(root);
  out.Write("months.html\">月ごとのスレッド</a></nav>\n");
}

void End(ExportFile& out) {
  out.Write("</body>\n</html>\n");
  out.Close(false);
}

std::string RoomFolder(std::int32_t room) {
  return "room-" + std::to_string(room);
}

// Everything the pages need to know about threads: the thread (its root node) of every node.
class Threads {
 public:
  explicit Threads(const MessageTree& tree) : FOf(static_cast<std::size_t>(tree.NodeCount()), -1) {
    std::vector<std::int32_t> stack;
    for (int t = 0; t < tree.TopLevelCount(); ++t) {
      const std::int32_t top = tree.Child(MessageTree::kNone, t);
      const bool roomNode = tree.At(top).Message == nullptr;
      const int roots = roomNode ? tree.ChildCount(top) : 1;
      for (int r = 0; r < roots; ++r) {
        const std::int32_t root = roomNode ? tree.Child(top, r) : top;
        stack.assign(1, root);
        while (!stack.empty()) {
          const std::int32_t n = stack.back();
          stack.pop_back();
          FOf[static_cast<std::size_t>(n)] = root;
          for (int c = 0; c < tree.ChildCount(n); ++c)
            stack.push_back(tree.Child(n, c));
        }
      }
    }
  }
  std::int32_t Of(std::int32_t node) const {
    return node >= 0 && static_cast<std::size_t>(node) < FOf.size()
               ? FOf[static_cast<std::size_t>(node)]
               : -1;
  }

 private:
  std::vector<std::int32_t> FOf;
};

class HtmlWriter {
 public:
  HtmlWriter(std::string folder, const ExportPlan& plan)
      : FFolder(std::move(folder)), FPlan(plan), FTree(plan.Tree()), FThreads(plan.Tree()) {}

  OpStatus Write(const ExportDescription& d, Progress& progress);

 private:
  struct ThreadRow {
    std::string Month, Title, Handle, First, Last, Page;
    std::int32_t Room = 0;
    long long Count = 0;
  };
  struct Writer {
    std::string Handle;
    long long Count = 0;
    std::string First, Last;
  };

  std::string PageOf(std::int32_t root) const {
    return "thread-" + FPlan.Anchor(*FTree.At(root).Message) + ".html";
  }
  // The relative link from the page of thread fromRoot in room fromRoom to message m.
  std::string LinkTo(const TLogMessage& m, std::int32_t fromRoot, std::int32_t fromRoom) const {
    const std::int32_t root = FThreads.Of(FTree.NodeOf(m));
    const std::string anchor = "#" + FPlan.Anchor(m);
    if (root == fromRoot) return anchor;
    const std::int32_t room = FTree.At(root).Room;
    const std::string page = PageOf(root) + anchor;
    return room == fromRoom ? page : "../" + RoomFolder(room) + "/" + page;
  }
  const TLogMessage* Linkable(std::int32_t room, std::int32_t number) const {
    const TLogMessage* t = FPlan.Target(room, number);
    return t && FTree.NodeOf(*t) != MessageTree::kNone && FPlan.Exported(*t) ? t : nullptr;
  }
  void WriteBody(ExportFile& out, const TLogMessage& m, std::int32_t root, std::int32_t room);
  bool WriteThread(std::int32_t root, std::int32_t room, ThreadRow& row,
                   std::map<std::string, Writer>& writers, ExportTicker& ticker);

  std::string FFolder;
  const ExportPlan& FPlan;
  const MessageTree& FTree;
  Threads FThreads;
};

void HtmlWriter::WriteBody(ExportFile& out, const TLogMessage& m, std::int32_t root,
                           std::int32_t room) {
  const std::string_view body = m.Body();
  std::size_t plain = 0;
  std::size_t i = 0;
  std::string target;
  while (i < body.size()) {
    const auto b = static_cast<unsigned char>(body[i]);
    std::size_t k = 0;
    std::size_t start = i;  // where the link's text starts
    if (b == '@') {
      // An address without a scheme: its local part is the text just before the at sign, never
      // reaching back into the previous link.
      std::size_t localLength = 0;
      k = FindBareAddress(body.data() + plain, body.data() + i, body.size() - i, localLength,
                          target);
      start = i - localLength;
    } else if (b < 0x80) {
      k = FindLink(body.data() + i, body.size() - i, target);
    }
    if (k == 0) {
      i += Cp932CharLength(body, i);
      continue;
    }
    std::string href;
    const NavigationDecision decision = DecideNavigation(target, false, "");
    if (decision.Action == NavigationAction::GotoMessage) {
      if (const TLogMessage* t = Linkable(decision.Target.Room, decision.Target.Number))
        href = LinkTo(*t, root, room);
    } else if (decision.Action == NavigationAction::OpenExternally &&
               target.rfind("nifty:", 0) != 0) {
      href = target;
    }
    if (!href.empty()) {
      out.WriteCp932(body.substr(plain, start - plain), Utf8Escape::Html);
      out.Write("<a href=\"" + MarkupEscaped(href) + "\">");
      out.WriteCp932(body.substr(start, i + k - start), Utf8Escape::Html);
      out.Write("</a>");
      plain = i + k;
    }
    i += k;
  }
  out.WriteCp932(body.substr(plain), Utf8Escape::Html);
}

bool HtmlWriter::WriteThread(std::int32_t root, std::int32_t room, ThreadRow& row,
                             std::map<std::string, Writer>& writers, ExportTicker& ticker) {
  ExportFile* page = nullptr;
  std::unique_ptr<ExportFile> file;
  std::vector<std::pair<std::int32_t, int>> stack{{root, 0}};
  while (!stack.empty()) {
    const auto [node, depth] = stack.back();
    stack.pop_back();
    for (int c = FTree.ChildCount(node) - 1; c >= 0; --c)
      stack.emplace_back(FTree.Child(node, c), depth + 1);
    const TLogMessage& m = *FTree.At(node).Message;
    if (!FPlan.Exported(m)) continue;
    const std::string date = IsoLocalTime(m);
    const std::string title = Utf8(m.Title());
    const std::string handle = Utf8(m.HandleName());
    if (!page) {
      file = std::make_unique<ExportFile>(FFolder + "/" + RoomFolder(room) + "/" + row.Page,
                                          ExportFile::Size::Small);
      page = file.get();
      row.Title = title.empty() ? "（無題）" : title;
      row.Handle = handle;
      row.Month = date.substr(0, 7);
      row.First = row.Last = date;
      Begin(*page, row.Title + " - " + std::to_string(room) + " 番会議室", "../");
      page->Write("<h1>" + row.Title + "</h1>\n<p><a href=\"index.html\">" + std::to_string(room) +
                  " 番会議室</a></p>\n");
    }
    ++row.Count;
    row.First = std::min(row.First, date);
    row.Last = std::max(row.Last, date);
    Writer& w = writers[std::string(m.ID())];
    if (w.Count++ == 0) w.Handle = handle, w.First = date, w.Last = date;
    w.First = std::min(w.First, date);
    w.Last = std::max(w.Last, date);

    const std::string anchor = FPlan.Anchor(m);
    std::string head = "<article id=\"" + anchor + "\"";
    if (depth > 0) head += " style=\"margin-left:" + std::to_string(std::min(depth, 12)) + "em\"";
    head +=
        ">\n<h2><a href=\"#" + anchor + "\">#" + std::to_string(m.Number) + "</a> " +
        (FPlan.CopyOf(m) > 1 ? "<small>（写し " + std::to_string(FPlan.CopyOf(m)) + "）</small> "
                             : std::string()) +
        title + "</h2>\n<p class=\"meta\">" + handle + " (" + Utf8(m.ID()) + ") <time datetime=\"" +
        date + "\">" + Utf8(WrittenDate(m)) + "</time>";
    if (m.CommentTo > 0) {
      const std::string number = "#" + std::to_string(m.CommentTo);
      const TLogMessage* t = Linkable(m.Room, m.CommentTo);
      head += " — " +
              (t ? "<a href=\"" + LinkTo(*t, root, room) + "\">" + number + "</a>" : number) +
              " へのコメント";
    }
    head += "</p>\n<pre>";
    page->Write(head);
    WriteBody(*page, m, root, room);
    page->Write("</pre>\n</article>\n");
    if (!ticker.Tick()) return false;
  }
  if (page) End(*page);
  return true;
}

OpStatus HtmlWriter::Write(const ExportDescription& d, Progress& progress) {
  {
    ExportFile css(FFolder + "/style.css");
    css.Write(kStyle);
    css.Close(false);
  }
  ExportFile index(FFolder + "/index.html");
  Begin(index, "会議室の一覧", "");
  index.Write(
      "<h1>会議室の一覧</h1>\n<table>\n<thead><tr><th>会議室</th><th>発言数</th><th>期間</th>"
      "<th>発言者</th></tr></thead>\n<tbody>\n");
  std::vector<ThreadRow> allThreads;
  ExportTicker ticker(progress, static_cast<long long>(FPlan.Messages().size()));
  // The threads of each room. Messages of room 0 have no room node (the tree starts a room only
  // for a room number above 0): their top-level nodes form a room of their own.
  std::vector<std::pair<std::int32_t, std::vector<std::int32_t>>> rooms;
  for (int t = 0; t < FTree.TopLevelCount(); ++t) {
    const std::int32_t top = FTree.Child(MessageTree::kNone, t);
    if (FTree.At(top).Message) {
      if (rooms.empty() || rooms.back().first != FTree.At(top).Room)
        rooms.emplace_back(FTree.At(top).Room, std::vector<std::int32_t>{});
      rooms.back().second.push_back(top);
      continue;
    }
    rooms.emplace_back(FTree.At(top).Room, std::vector<std::int32_t>{});
    for (int r = 0; r < FTree.ChildCount(top); ++r)
      rooms.back().second.push_back(FTree.Child(top, r));
  }
  for (const auto& [room, roots] : rooms) {
    const std::string folder = RoomFolder(room);
    std::error_code ec;
    std::filesystem::create_directories(FFolder + "/" + folder, ec);
    if (ec) throw SystemError("フォルダを作成できません", FFolder + "/" + folder, ec.value());
    std::map<std::string, Writer> writers;
    std::vector<ThreadRow> rows;
    for (const std::int32_t root : roots) {
      ThreadRow row;
      row.Room = room;
      row.Page = PageOf(root);
      if (!WriteThread(root, room, row, writers, ticker)) return OpStatus::Cancelled;
      if (row.Count > 0) rows.push_back(std::move(row));
    }
    if (rows.empty()) continue;
    const std::string roomTitle = std::to_string(room) + " 番会議室";
    long long count = 0;
    std::string first = rows.front().First, last = rows.front().Last;
    ExportFile roomPage(FFolder + "/" + folder + "/index.html");
    Begin(roomPage, roomTitle, "../");
    roomPage.Write("<h1>" + roomTitle +
                   "</h1>\n<p><a href=\"writers.html\">発言者の一覧</a></p>\n"
                   "<table>\n<thead><tr><th>スレッド</th><th>発言者</th><th>返信</th>"
                   "<th>期間</th></tr></thead>\n<tbody>\n");
    for (const ThreadRow& row : rows) {
      count += row.Count;
      first = std::min(first, row.First);
      last = std::max(last, row.Last);
      roomPage.Write("<tr><td><a href=\"" + row.Page + "\">" + row.Title + "</a></td><td>" +
                     row.Handle + "</td><td class=\"n\">" + std::to_string(row.Count - 1) +
                     "</td><td>" + DateOnly(row.First) + " – " + DateOnly(row.Last) +
                     "</td></tr>\n");
    }
    roomPage.Write("</tbody>\n</table>\n");
    End(roomPage);

    ExportFile writersPage(FFolder + "/" + folder + "/writers.html");
    Begin(writersPage, roomTitle + "の発言者", "../");
    writersPage.Write("<h1><a href=\"index.html\">" + roomTitle +
                      "</a>の発言者</h1>\n<table>\n<thead><tr><th>ID</th><th>ハンドル名</th>"
                      "<th>発言数</th><th>期間</th></tr></thead>\n<tbody>\n");
    for (const auto& [id, w] : writers)
      writersPage.Write("<tr><td>" + Utf8(id) + "</td><td>" + w.Handle + "</td><td class=\"n\">" +
                        std::to_string(w.Count) + "</td><td>" + DateOnly(w.First) + " – " +
                        DateOnly(w.Last) + "</td></tr>\n");
    writersPage.Write("</tbody>\n</table>\n");
    End(writersPage);

    index.Write("<tr><td><a href=\"" + folder + "/index.html\">" + roomTitle + "</a></td>" +
                "<td class=\"n\">" + std::to_string(count) + "</td><td>" + DateOnly(first) + " – " +
                DateOnly(last) + "</td><td><a href=\"" + folder +
                "/writers.html\">発言者</a></td></tr>\n");
    for (ThreadRow& row : rows) {
      row.Handle.clear();
      allThreads.push_back(std::move(row));
    }
  }
  index.Write("</tbody>\n</table>\n<p class=\"meta\">" + MarkupEscaped(d.Program) + " により " +
              UtcTimeText(d.Created) + " に作成</p>\n");
  End(index);

  // Threads by the month of their first message; a thread stays whole on its own page.
  std::stable_sort(allThreads.begin(), allThreads.end(),
                   [](const ThreadRow& a, const ThreadRow& b) { return a.Month < b.Month; });
  ExportFile months(FFolder + "/months.html");
  Begin(months, "月ごとのスレッド", "");
  months.Write("<h1>月ごとのスレッド</h1>\n");
  std::string month;
  for (const ThreadRow& row : allThreads) {
    if (row.Month != month) {
      if (!month.empty()) months.Write("</ul>\n");
      month = row.Month;
      months.Write("<h2 id=\"m" + month + "\">" + month + "</h2>\n<ul>\n");
    }
    months.Write("<li><a href=\"" + RoomFolder(row.Room) + "/" + row.Page + "\">" + row.Title +
                 "</a> (" + std::to_string(row.Room) + " 番会議室, " + std::to_string(row.Count) +
                 " 件)</li>\n");
  }
  if (!month.empty()) months.Write("</ul>\n");
  End(months);
  return OpStatus::Completed;
}

}  // namespace

OpStatus WriteHtmlFolder(const std::string& folder, const ExportPlan& plan,
                         const ExportDescription& d, Progress& progress) {
  HtmlWriter writer(folder, plan);
  return writer.Write(d, progress);
}

}  // namespace yuzulog
