#include "stats/ui/statswindow.h"

#include <QBuffer>
#include <QCursor>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>
#include <cerrno>
#include <cstring>

#include "dialogs/dialogseam.h"
#include "dialogs/noticeboxes.h"
#include "dialogs/qtfont.h"
#include "dialogs/qthelpers.h"
#include "dialogs/sortarrow.h"
#include "logdata/logfiles.h"
#include "mainwindow/messagetree.h"
#include "platform/fileio.h"
#include "stats/statssettings.h"
#include "stats/ui/statsmodels.h"

namespace yuzulog {
namespace {

constexpr const char* kTitle = "ログの統計";
constexpr int kDesignWidth = 960;
constexpr int kDesignHeight = 720;
// The names the months chart's legend shows: the most it holds whole at the window's design size.
constexpr std::size_t kLegendEntries = 12;
// While the tree is being built the figures would miss its threads: counted a little later.
constexpr int kBuildingRetryMs = 200;

QFont ProgramFont(int pixelSize) {
  QFont font(FontFamilyFor(kDesignFontName));
  font.setPixelSize(pixelSize);
  return font;
}

QTableView* NewTable(QWidget* parent) {
  auto* view = new QTableView(parent);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  view->horizontalHeader()->setHighlightSections(false);
  view->setAlternatingRowColors(true);
  KeepSelectionVisible(*view);
  return view;
}

QChart* NewChart(const QString& title) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->setTitleFont(ProgramFont(13));
  chart->legend()->setFont(ProgramFont(11));
  chart->setMargins(QMargins(4, 4, 4, 4));
  return chart;
}

// A new chart in the view, the old one gone at once: axes removed from a chart that stays would
// leave their labels until the event loop runs again.
void ReplaceChart(QChartView* view, QChart* chart) {
  QChart* old = view->chart();
  view->setChart(chart);
  delete old;
}

QChartView* NewChartView(QWidget* parent) {
  auto* view = new QChartView(NewChart({}), parent);
  view->setRenderHint(QPainter::Antialiasing);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  view->setMinimumSize(240, 160);
  return view;
}

// Hues a golden angle apart: neighbours in the stack differ widely and no two rooms the legend
// names share one (spread evenly with neighbours set half a turn apart, two rooms came out in
// one hue).
QColor RoomColor(int i) {
  return QColor::fromHsv(static_cast<int>(i * 137.508) % 360, 150, 215);
}

QString RoomName(std::int32_t room) {
  return QStringLiteral("%1 番会議室").arg(room);
}

}  // namespace

TStatsWindow::TStatsWindow(QWidget* parent)
    : QWidget(parent), FRooms(new RoomsModel), FWriters(new WritersModel) {
  setObjectName(QStringLiteral("StatsForm"));
  setWindowTitle(QString::fromUtf8(kTitle));
  // A tool window of its own, like the search window: either may be in front.
  setWindowFlags(Qt::Window);
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(ProgramFont(12));
  resize(kDesignWidth, kDesignHeight);

  FRoomsView = NewTable(this);
  FRoomsView->setObjectName(QStringLiteral("RoomsView"));
  FRoomsView->setModel(FRooms.get());
  auto* allRooms = new QPushButton(QStringLiteral("すべての会議室(&A)"), this);
  allRooms->setToolTip(QStringLiteral("会議室の選択を外し、すべての会議室を積み上げて表示します"));
  connect(allRooms, &QPushButton::clicked, this, [this] { FRoomsView->clearSelection(); });
  connect(FRoomsView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TStatsWindow::ShowRoom);

  FWritersSorted = new QSortFilterProxyModel(this);
  FWritersSorted->setSourceModel(FWriters.get());
  FWritersSorted->setSortRole(kSortRole);
  FWritersView = NewTable(this);
  FWritersView->setObjectName(QStringLiteral("WritersView"));
  FWritersView->setModel(FWritersSorted);
  FWritersView->setSortingEnabled(true);
  DrawSortIndicatorAsOrder(*FWritersView->horizontalHeader());
  FWritersView->sortByColumn(2, Qt::DescendingOrder);
  FWritersView->setToolTip(
      QStringLiteral("ダブルクリックまたは Enter でこの ID の発言を検索します"));
  connect(FWritersView, &QTableView::activated, this, [this](const QModelIndex& index) {
    const QString id = FWriters->IdAt(FWritersSorted->mapToSource(index).row());
    if (!id.isEmpty()) emit WriterActivated(id);
  });
  FWritersLabel = new QLabel(this);

  FMonthsChart = NewChartView(this);
  FMonthsChart->setObjectName(QStringLiteral("MonthsChart"));
  FLengthsChart = NewChartView(this);
  FLengthsChart->setObjectName(QStringLiteral("LengthsChart"));
  for (QChartView* chart : {FMonthsChart, FLengthsChart})
    connect(chart, &QWidget::customContextMenuRequested, this,
            [this, chart](const QPoint& pos) { ChartMenu(chart, pos); });

  auto* roomsBox = new QWidget(this);
  auto* roomsLayout = new QVBoxLayout(roomsBox);
  roomsLayout->setContentsMargins(0, 0, 0, 0);
  roomsLayout->addWidget(FRoomsView);
  roomsLayout->addWidget(allRooms, 0, Qt::AlignLeft);
  auto* writersBox = new QWidget(this);
  auto* writersLayout = new QVBoxLayout(writersBox);
  writersLayout->setContentsMargins(0, 0, 0, 0);
  writersLayout->addWidget(FWritersLabel);
  writersLayout->addWidget(FWritersView);

  auto* top = new QSplitter(Qt::Horizontal, this);
  top->addWidget(roomsBox);
  top->addWidget(FMonthsChart);
  top->setSizes({kDesignWidth * 2 / 5, kDesignWidth * 3 / 5});
  auto* bottom = new QSplitter(Qt::Horizontal, this);
  bottom->addWidget(writersBox);
  bottom->addWidget(FLengthsChart);
  bottom->setSizes({kDesignWidth / 2, kDesignWidth / 2});
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(top);
  split->addWidget(bottom);
  split->setSizes({kDesignHeight / 2, kDesignHeight / 2});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(split);
}

TStatsWindow::~TStatsWindow() {
  StopCounting();
  // The views let go of the models before the models go.
  FRoomsView->setModel(nullptr);
  FWritersSorted->setSourceModel(nullptr);
}

void TStatsWindow::SetSource(const LogFiles* files, const MessageTree* tree) {
  StopCounting();
  FFiles = files;
  FTree = tree;
  if (FHeld) {
    FHeld = false;
    setWindowTitle(QString::fromUtf8(kTitle));
  }
  Refresh();
}

void TStatsWindow::Hold() {
  StopCounting();
  FFiles = nullptr;
  FTree = nullptr;
  FStale = true;
  if (FHeld) return;
  FHeld = true;
  setWindowTitle(QString::fromUtf8(kTitle) + QStringLiteral("（更新待ち）"));
}

void TStatsWindow::Refresh() {
  FStale = true;
  if (!isVisible() || FRecountQueued) return;
  FRecountQueued = true;
  QTimer::singleShot(0, this, &TStatsWindow::Recount);
}

void TStatsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (FStale && !FRecountQueued) Recount();
}

void TStatsWindow::Recount() {
  FRecountQueued = false;
  if (FHeld) return;  // counted when the source comes back
  if (FTree && FTree->Building()) {
    FRecountQueued = true;
    QTimer::singleShot(kBuildingRetryMs, this, &TStatsWindow::Recount);
    return;
  }
  FStale = false;
  StopCounting();
  if (!FFiles) {
    ShowCounted({});
    return;
  }
  FCancel = false;
  FCounting = true;
  setWindowTitle(QString::fromUtf8(kTitle) + QStringLiteral("（集計中）"));
  const std::uint64_t generation = ++FGeneration;
  FCounter = std::thread([this, generation, files = FFiles, tree = FTree] {
    static const MessageTree kNoTree;
    auto stats = std::make_shared<ArchiveStats>(
        ComputeArchiveStats(*files, tree ? *tree : kNoTree, FCancel));
    if (FCancel) return;
    // Delivered on the window's thread; a window that is gone by then drops it with its events.
    QMetaObject::invokeMethod(
        this,
        [this, generation, stats] {
          if (generation == FGeneration && FCounting) ShowCounted(std::move(*stats));
        },
        Qt::QueuedConnection);
  });
}

void TStatsWindow::StopCounting() {
  FCancel = true;
  if (FCounter.joinable()) FCounter.join();
  if (FCounting) {
    FCounting = false;
    if (!FHeld) setWindowTitle(QString::fromUtf8(kTitle));
  }
}

void TStatsWindow::ShowCounted(ArchiveStats stats) {
  if (FCounter.joinable()) FCounter.join();  // it has delivered its figures and is ending
  FCounting = false;
  setWindowTitle(QString::fromUtf8(kTitle));
  // The room shown stays chosen when it is still loaded.
  const int chosen = ChosenRoomIndex();
  const std::int32_t chosenRoom =
      chosen >= 0 ? FStats.Rooms[static_cast<std::size_t>(chosen)].Room : -1;
  // The charts are drawn once, for the room chosen at the end, not for the empty selection a
  // reset of the model passes through.
  {
    const QSignalBlocker quiet(FRoomsView->selectionModel());
    FRooms->SetStats(nullptr);
    FWriters->SetRoom(nullptr, -1);
    FStats = std::move(stats);
    FRooms->SetStats(&FStats);
    FRoomsView->resizeColumnsToContents();
    const int again = chosenRoom >= 0 ? FStats.RoomIndex(chosenRoom) : -1;
    if (again >= 0) FRoomsView->selectRow(again);
  }
  FRoomsView->viewport()->update();
  ShowRoom();
  emit Counted();
}

int TStatsWindow::ChosenRoomIndex() const {
  const QModelIndexList rows = FRoomsView->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void TStatsWindow::ShowRoom() {
  const int room = ChosenRoomIndex();
  FWriters->SetRoom(&FStats, room);
  FWritersView->resizeColumnsToContents();
  FWritersLabel->setText(room < 0
                             ? QStringLiteral("発言者（会議室を選ぶと表示します）")
                             : QStringLiteral("%1 の発言者 %2 人")
                                   .arg(RoomName(FStats.Rooms[static_cast<std::size_t>(room)].Room))
                                   .arg(FWriters->rowCount()));
  FillMonthsChart(room);
  FillLengthsChart(room);
}

void TStatsWindow::FillMonthsChart(int roomIndex) {
  QChart* chart = NewChart(
      QStringLiteral("月ごとの発言数（%1）")
          .arg(roomIndex < 0 ? QStringLiteral("すべての会議室")
                             : RoomName(FStats.Rooms[static_cast<std::size_t>(roomIndex)].Room)));
  ReplaceChart(FMonthsChart, chart);
  const MonthSeries total = MonthlyMessages(FStats, roomIndex);
  if (total.Messages.empty()) return;
  const int months = static_cast<int>(total.Messages.size());

  // One bar set per room, stacked; a month without messages is an empty place on the axis. The
  // legend beside the plot holds about a dozen names at the window's size: with more rooms the
  // largest are named and the rest stacked together as one.
  auto* series = new QStackedBarSeries;
  series->setBarWidth(1.0);
  const auto addSet = [&](const QString& label, const std::vector<long long>& messages,
                          MonthKey firstMonth, const QColor& colour) {
    QList<qreal> values(months, 0);
    for (std::size_t i = 0; i < messages.size(); ++i)
      values[static_cast<int>(firstMonth - total.FirstMonth) + static_cast<int>(i)] +=
          static_cast<qreal>(messages[i]);
    auto* set = new QBarSet(label);
    set->append(values);
    set->setColor(colour);
    set->setBorderColor(colour);
    series->append(set);
  };
  const std::size_t rooms = FStats.Rooms.size();
  const std::vector<int> named =
      roomIndex >= 0 ? std::vector<int>{roomIndex}
                     : LargestRooms(FStats, rooms <= kLegendEntries ? rooms : kLegendEntries - 1);
  for (std::size_t i = 0; i < named.size(); ++i) {
    const MonthSeries own = MonthlyMessages(FStats, named[i]);
    addSet(RoomName(FStats.Rooms[static_cast<std::size_t>(named[i])].Room), own.Messages,
           own.FirstMonth, roomIndex < 0 ? RoomColor(static_cast<int>(i)) : QColor(70, 130, 180));
  }
  if (roomIndex < 0 && named.size() < rooms) {
    std::vector<long long> others(total.Messages);
    for (const int r : named) {
      const MonthSeries own = MonthlyMessages(FStats, r);
      for (std::size_t i = 0; i < own.Messages.size(); ++i)
        others[static_cast<std::size_t>(own.FirstMonth - total.FirstMonth) + i] -= own.Messages[i];
    }
    addSet(QStringLiteral("その他（%1 室）").arg(rooms - named.size()), others, total.FirstMonth,
           QColor(170, 170, 170));
  }
  chart->addSeries(series);
  // The legend has no room for every room of a large library: a bar names its own.
  const MonthKey first = total.FirstMonth;
  connect(series, &QStackedBarSeries::hovered, FMonthsChart,
          [first](bool status, int index, QBarSet* set) {
            if (!status) return QToolTip::hideText();
            QToolTip::showText(QCursor::pos(),
                               QStringLiteral("%1 %2: %3 件")
                                   .arg(set->label())
                                   .arg(QString::fromStdString(IsoMonthText(first + index)))
                                   .arg(set->at(index)));
          });
  chart->legend()->setVisible(roomIndex < 0);
  chart->legend()->setAlignment(Qt::AlignRight);

  // The years under their months; over a long period only every few years is named.
  auto* years = new QCategoryAxis;
  years->setLabelsFont(ProgramFont(10));
  years->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  const int firstYear = total.FirstMonth / 12;
  const int lastYear = (total.FirstMonth + months - 1) / 12;
  const int step = std::max(1, (lastYear - firstYear + 1 + 11) / 12);
  years->setStartValue(-0.5);
  for (int y = firstYear; y <= lastYear; y += step) {
    const int end = std::min((y + step) * 12 - total.FirstMonth, months);
    years->append(QString::number(y), end - 0.5);
  }
  years->setRange(-0.5, months - 0.5);
  years->setGridLineVisible(false);
  chart->addAxis(years, Qt::AlignBottom);
  series->attachAxis(years);
  auto* counts = new QValueAxis;
  counts->setLabelsFont(ProgramFont(10));
  counts->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(counts, Qt::AlignLeft);
  series->attachAxis(counts);
  counts->applyNiceNumbers();
}

void TStatsWindow::FillLengthsChart(int roomIndex) {
  QChart* chart = NewChart(QStringLiteral("スレッドの長さ（返信の数ごとのスレッド数）"));
  ReplaceChart(FLengthsChart, chart);
  chart->legend()->setVisible(false);
  const std::vector<LengthBucket> buckets = ThreadLengthBuckets(FStats, roomIndex);
  if (buckets.empty()) return;
  auto* set = new QBarSet(QStringLiteral("スレッド数"));
  set->setColor(QColor(205, 140, 60));
  // Labels centred under their bars; a category axis would cut "10-19" short.
  auto* replies = new QCategoryAxis;
  replies->setLabelsFont(ProgramFont(10));
  replies->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  replies->setStartValue(-0.5);
  for (std::size_t i = 0; i < buckets.size(); ++i) {
    const LengthBucket& b = buckets[i];
    set->append(static_cast<qreal>(b.Threads));
    replies->append(b.MaxReplies < 0 ? QStringLiteral("%1-").arg(b.MinReplies)
                    : b.MinReplies == b.MaxReplies
                        ? QString::number(b.MinReplies)
                        : QStringLiteral("%1-%2").arg(b.MinReplies).arg(b.MaxReplies),
                    static_cast<qreal>(i) + 0.5);
  }
  replies->setRange(-0.5, static_cast<qreal>(buckets.size()) - 0.5);
  replies->setGridLineVisible(false);
  auto* series = new QBarSeries;
  series->append(set);
  chart->addSeries(series);
  replies->setTitleText(QStringLiteral("返信の数"));
  replies->setTitleFont(ProgramFont(10));
  chart->addAxis(replies, Qt::AlignBottom);
  series->attachAxis(replies);
  auto* counts = new QValueAxis;
  counts->setLabelsFont(ProgramFont(10));
  counts->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(counts, Qt::AlignLeft);
  series->attachAxis(counts);
  counts->applyNiceNumbers();
}

void TStatsWindow::ChartMenu(QChartView* view, const QPoint& pos) {
  QMenu menu(this);
  for (const bool svg : {false, true})
    menu.addAction(
        svg ? QStringLiteral("SVG 形式で保存(&S)...") : QStringLiteral("PNG 形式で保存(&P)..."),
        this, [=, this] { SaveChart(view, svg); });
  menu.exec(view->mapToGlobal(pos));
}

void TStatsWindow::SaveChart(QChartView* view, bool svg) {
  const QString path = Dialogs().GetSaveFileName(
      this, QStringLiteral("グラフの保存"),
      svg ? QStringLiteral("SVG 画像 (*.svg)") : QStringLiteral("PNG 画像 (*.png)"),
      svg ? QStringLiteral("svg") : QStringLiteral("png"));
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) &&
      Dialogs().MessageBox(this,
                           QStringLiteral("%1 は既に存在します。\n上書きしますか？").arg(path),
                           QStringLiteral("確認"), MsgButtons::YesNo, MsgIcon::Question,
                           ModalResult::No) != ModalResult::Yes)
    return;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (svg) {
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(view->size());
    generator.setViewBox(QRect(QPoint(0, 0), view->size()));
    generator.setTitle(view->chart()->title());
    QPainter painter(&generator);
    view->render(&painter);
  } else {
    view->grab().save(&buffer, "PNG");
  }
  // Written whole or not at all: an old file stays as it was when the new one cannot be written.
  int error = 0;
  if (WriteFileAtomically(path.toStdString(), std::string_view(bytes.constData(), bytes.size()),
                          &error))
    return;
  Dialogs().MessageBox(this,
                       QStringLiteral("%1 に保存できませんでした。\n%2")
                           .arg(path, QString::fromLocal8Bit(std::strerror(error))),
                       QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
}

void TStatsWindow::LoadStatsSettings(const std::string& dir) {
  const WindowPlace centred = CenteredPlace(*this);
  const StatsSettings defaults{centred.Left, centred.Top, centred.Width, centred.Height};
  FSettingsReport = {};
  StatsSettings s = ReadStatsSettings(dir, defaults, &FSettingsReport);
  FitToDesktop(s, defaults, DesktopOf(*this));
  setGeometry(s.Left, s.Top, s.Width, s.Height);
  if (!FSettingsReport.Problems.empty())
    Dialogs().MessageBox(this, QString::fromStdString(SettingsReadProblemsText(FSettingsReport)),
                         ApplicationTitle(), MsgButtons::Ok, MsgIcon::Warning, ModalResult::Ok);
}

bool TStatsWindow::SaveStatsSettings(const std::string& dir) {
  const QRect r = geometry();
  FSettingsReport.Problems.clear();
  if (WriteStatsSettings(dir, {r.left(), r.top(), r.width(), r.height()}, &FSettingsReport))
    return true;
  Dialogs().MessageBox(this, QString::fromStdString(SettingsWriteProblemsText(FSettingsReport)),
                       QStringLiteral("エラー"), MsgButtons::Ok, MsgIcon::Error, ModalResult::Ok);
  return false;
}

}  // namespace yuzulog
