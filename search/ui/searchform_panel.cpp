// The search window's condition panel: the keyword fields two by two, the matcher's options,
// the ID and handle-name fields and the run button with the narrowing box.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "search/ui/searchform.h"

namespace yuzulog {
namespace {

const char* const kFieldNames[] = {"Edit1", "Edit2", "Edit3", "Edit4", "EditID", "EditName"};
const char* const kCheckBoxNames[] = {"CheckBox1", "CheckBox2",  "CheckBox3",
                                      "CheckBox4", "CheckBoxID", "CheckBoxName"};

QCheckBox* CheckBox(QWidget* parent, const char* name, const char* caption, const char* hint) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(QString::fromUtf8(name));
  if (hint) box->setToolTip(QString::fromUtf8(hint));
  return box;
}

}  // namespace

QWidget* TSearchForm::CreatePanel() {
  // Everything fits the design size without scrolling: rows as high as the window's font needs,
  // little space between them.
  const int rowHeight = fontMetrics().height() + 6;
  const auto compact = [](QLayout* layout, int top) {
    layout->setContentsMargins(4, top, 4, 2);
    layout->setSpacing(2);
  };
  auto* panel = new QWidget;
  auto* column = new QVBoxLayout(panel);
  compact(column, 2);

  const char* const kFieldHint = "検索に利用するかどうか設定します。";
  keywordBox = new QGroupBox(panel);
  keywordBox->setObjectName(QStringLiteral("GroupBox1"));
  auto* keys = new QGridLayout(keywordBox);
  compact(keys, 0);
  for (int i = 0; i < kFieldCount; ++i) {
    const bool keyword = i < 4;
    QWidget* owner = keyword ? static_cast<QWidget*>(keywordBox) : panel;
    fieldBoxes[i] = CheckBox(owner, kCheckBoxNames[i], "", keyword ? kFieldHint : nullptr);
    fieldEdits[i] = new QLineEdit(owner);
    fieldEdits[i]->setObjectName(QString::fromUtf8(kFieldNames[i]));
    fieldEdits[i]->setFixedHeight(rowHeight);
    fieldEdits[i]->setMinimumWidth(40);
  }
  // The four keyword fields two by two, each with its check box at its left.
  for (int i = 0; i < 4; ++i) {
    keys->addWidget(fieldBoxes[i], i / 2, (i % 2) * 2);
    keys->addWidget(fieldEdits[i], i / 2, (i % 2) * 2 + 1);
  }
  ignoreCaseBox = CheckBox(keywordBox, "IgnoreCase", "半角英字の大・小文字を区別しない",
                           "‘City’を指定すると、‘CITY’や‘city’も抽出します。");
  ignoreCaseBox->setChecked(true);
  compoundBox = CheckBox(keywordBox, "Enhanced", "複合キー （例：“ミカン,みかん,蜜柑”）",
                         "同じ意味の言葉を半角コンマで区切って複数指定できます。");
  ignoreCodeList = new QComboBox(keywordBox);
  ignoreCodeList->setObjectName(QStringLiteral("IgnoreCode"));
  ignoreCodeList->addItems({QStringLiteral("標準（特定コードを無視しない）"),
                            QStringLiteral("改行コードを無視する"),
                            QStringLiteral("改行と空白（半全角）を無視する")});
  ignoreCodeList->setCurrentIndex(0);
  ignoreCodeList->setToolTip(
      QStringLiteral("改行コードや空白などを無視して検索するかどうかを設定します。"));
  // Narrower than its longest item when the window is narrow; the drop-down shows them whole.
  ignoreCodeList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  ignoreCodeList->setMinimumContentsLength(8);
  ignoreCodeList->setFixedHeight(rowHeight);
  includeHeaderBox = CheckBox(keywordBox, "IncludeHeader", "発言ヘッダも検索対象に含める", nullptr);
  keys->addWidget(ignoreCaseBox, 2, 0, 1, 4);
  keys->addWidget(compoundBox, 3, 0, 1, 4);
  keys->addWidget(ignoreCodeList, 4, 0, 1, 2);
  keys->addWidget(includeHeaderBox, 4, 2, 1, 2);
  keys->setColumnStretch(1, 1);
  keys->setColumnStretch(3, 1);
  column->addWidget(keywordBox);

  // Below: the ID and the handle name with their labels and check boxes, the original-only box,
  // and at the right the run button with the narrowing box.
  auto* lower = new QHBoxLayout;
  lower->setSpacing(6);
  auto* fields = new QGridLayout;
  fields->setContentsMargins(0, 0, 0, 0);
  fields->setSpacing(2);
  fieldEdits[4]->setToolTip(QStringLiteral("NIFTY-Serve のＩＤで検索します。"));
  fieldBoxes[4]->setToolTip(QStringLiteral("検索にＩＤを使うかどうかを設定します。"));
  fieldEdits[5]->setToolTip(QStringLiteral("ハンドル名で検索します。"));
  fieldBoxes[5]->setToolTip(QStringLiteral("検索にハンドル名を使うかどうかを設定します。"));
  const char* const kLabels[] = {"ＩＤ：", "ハンドル名："};
  for (int row = 0; row < 2; ++row) {
    fields->addWidget(new QLabel(QString::fromUtf8(kLabels[row]), panel), row, 0);
    fields->addWidget(fieldBoxes[4 + row], row, 1);
    fields->addWidget(fieldEdits[4 + row], row, 2);
  }
  originalOnlyBox = CheckBox(panel, "CheckBoxOrgMes", "元発言だけを検索する",
                             "他の発言へのコメントは対象からはずします。");
  fields->addWidget(originalOnlyBox, 2, 0, 1, 3);
  fields->setColumnStretch(2, 1);
  lower->addLayout(fields, 1);

  runBox = new QGroupBox(QStringLiteral("検索を実行する"), panel);
  runBox->setObjectName(QStringLiteral("GroupBox2"));
  auto* run = new QVBoxLayout(runBox);
  compact(run, 0);
  searchButton = new QPushButton(QStringLiteral("実行"), runBox);
  searchButton->setObjectName(QStringLiteral("Button1"));
  searchButton->setToolTip(QStringLiteral("検索を実行します。"));
  searchButton->setFixedHeight(rowHeight);
  narrowBox =
      CheckBox(runBox, "CheckBoxNest", "検索結果の絞り込み", "検索結果のリストから更に検索します");
  run->addWidget(searchButton);
  run->addWidget(narrowBox);
  lower->addWidget(runBox, 0, Qt::AlignTop);
  column->addLayout(lower);
  column->addStretch(1);

  IncludeHeaderClick();
  return panel;
}

}  // namespace yuzulog
