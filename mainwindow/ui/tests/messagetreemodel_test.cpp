#include "mainwindow/ui/messagetreemodel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "logdata/logfiles.h"
#include "tests/support/logbuilder.h"

namespace yuzulog {
namespace {

using testing::LogBuilder;
using testing::MessageSpec;

// Two rooms: room 3 with a thread 1 <- 2 <- 3 and a lone 4; room 12 with two lone messages.
LogFiles TwoRooms() {
  LogFiles files;
  LogBuilder b3;
  b3.Add({.Number = 1, .Title = "親", .Room = 3})
      .Add({.Number = 2, .Title = "子", .Room = 3, .CommentTo = 1})
      .Add({.Number = 3, .Title = "孫", .Room = 3, .CommentTo = 2})
      .Add({.Number = 4, .Title = "別", .Room = 3});
  LogBuilder b12;
  b12.Add({.Number = 7, .Handle = "書き手", .Title = "件名", .Room = 12})
      .Add({.Number = 8, .Room = 12, .CommentTo = 99});
  files.Append(testing::ParsedLog(b12.Text(), "b12.LOG"));
  files.Append(testing::ParsedLog(b3.Text(), "b3.LOG"));
  files.SortLogFiles();
  return files;
}

// A Progress that checks, whenever the build lets events through, that the model is empty.
class EmptyWhileBuilding final : public Progress {
 public:
  explicit EmptyWhileBuilding(const QAbstractItemModel& m) : FModel(m) {}
  void SetText(std::string_view) override {}
  void SetPercent(int) override {}
  void ProcessEvents() override {
    ++Polls;
    EXPECT_EQ(FModel.rowCount(), 0);
  }
  bool Cancelled() const override { return false; }
  int Polls = 0;

 private:
  const QAbstractItemModel& FModel;
};

TEST(MessageTreeModel, ShapeLabelsAndIdsFollowTheCoreTree) {
  LogFiles files = TwoRooms();
  MessageTree tree;
  MessageTreeModel model(tree);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  NullProgress progress;
  model.BeginTreeChange();
  BuildMessageTree(files, tree, progress);
  model.EndTreeChange();

  ASSERT_EQ(model.rowCount(), 2);
  const QModelIndex room3 = model.index(0, 0);
  const QModelIndex room12 = model.index(1, 0);
  EXPECT_EQ(room3.data().toString(), QStringLiteral("3 番会議室"));
  EXPECT_EQ(room12.data().toString(), QStringLiteral("12 番会議室"));
  ASSERT_EQ(model.rowCount(room3), 2);  // threads 1 and 4
  const QModelIndex m1 = model.index(0, 0, room3);
  EXPECT_TRUE(m1.data().toString().startsWith(QStringLiteral("親    ")));
  const QModelIndex m2 = model.index(0, 0, m1);
  const QModelIndex m3 = model.index(0, 0, m2);
  EXPECT_TRUE(m3.data().toString().startsWith(QStringLiteral("孫    ")));
  EXPECT_EQ(model.parent(m3), m2);
  EXPECT_EQ(model.parent(m1), room3);
  EXPECT_FALSE(model.parent(room3).isValid());
  EXPECT_EQ(MessageTreeModel::NodeOf(m3), static_cast<std::int32_t>(m3.internalId()));
  EXPECT_EQ(tree.At(MessageTreeModel::NodeOf(m3)).Message->Number, 3);
  EXPECT_EQ(model.IndexOfNode(MessageTreeModel::NodeOf(m2)), m2);
  // A comment on a message that is not loaded starts a thread of its own.
  EXPECT_EQ(model.rowCount(room12), 2);
  EXPECT_EQ(model.index(0, 0, room12).data().toString(), QStringLiteral("件名    書き手"));
}

TEST(MessageTreeModel, ShowsNothingWhileTheTreeIsBuilt) {
  // Enough messages that the build lets events through a few times.
  LogBuilder b;
  for (int n = 1; n <= 1000; ++n)
    b.Add({.Number = n, .Room = 5});
  LogFiles files;
  files.Append(testing::ParsedLog(b.Text()));
  MessageTree tree;
  MessageTreeModel model(tree);
  EmptyWhileBuilding progress(model);
  model.BeginTreeChange();
  BuildMessageTree(files, tree, progress);
  model.EndTreeChange();
  EXPECT_GT(progress.Polls, 0);
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.rowCount(model.index(0, 0)), 1000);
}

}  // namespace
}  // namespace yuzulog
