#include "export/ui/exportdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

#include "dialogs/dialogseam.h"
#include "dialogs/progressdlg.h"
#include "platform/paths.h"
#include "workspace/workspace.h"

namespace yuzulog {
namespace {

QString Q(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

constexpr const char* kCaption = "エクスポート";

}  // namespace

TExportDialog::TExportDialog(QWidget* owner, const LogFiles& files, const MessageTree& tree,
                             std::vector<const TLogMessage*> chosen)
    : QDialog(owner), FFiles(files), FTree(tree), FChosen(std::move(chosen)) {
  setObjectName(QStringLiteral("ExportDialog"));
  setWindowTitle(QString::fromUtf8(kCaption));

  FormatBox = new QComboBox(this);
  FormatBox->setObjectName(QStringLiteral("FormatBox"));
  FormatBox->addItem(QStringLiteral("JSON Lines (.jsonl)"), static_cast<int>(ExportFormat::Jsonl));
  FormatBox->addItem(QStringLiteral("UTF-8 テキスト（フォルダ）"),
                     static_cast<int>(ExportFormat::Text));
  FormatBox->addItem(QStringLiteral("Web アーカイブ（フォルダ）"),
                     static_cast<int>(ExportFormat::Html));
  FormatBox->addItem(QStringLiteral("SQLite データベース (.sqlite)"),
                     static_cast<int>(ExportFormat::Sqlite));
  FormatBox->setToolTip(QStringLiteral("書き出す形式"));

  DestinationEdit = new QLineEdit(this);
  DestinationEdit->setObjectName(QStringLiteral("DestinationEdit"));
  DestinationEdit->setToolTip(QStringLiteral("書き出すファイルまたはフォルダ（新しく作られます）"));
  DestinationEdit->setMinimumWidth(360);
  BrowseBtn = new QPushButton(QStringLiteral("参照(&B)..."), this);
  auto* destinationRow = new QHBoxLayout;
  destinationRow->addWidget(DestinationEdit, 1);
  destinationRow->addWidget(BrowseBtn);

  FtsBox =
      new QCheckBox(QStringLiteral("全文検索の索引を作る（3 文字以上の語を検索できます）"), this);
  FtsBox->setObjectName(QStringLiteral("FtsBox"));

  AllRadio = new QRadioButton(QStringLiteral("読み込んだすべての発言(&A)"), this);
  AllRadio->setObjectName(QStringLiteral("AllRadio"));
  ChosenRadio = new QRadioButton(QStringLiteral("検索結果で選んだ発言(&S)（%1 個）")
                                     .arg(static_cast<qlonglong>(FChosen.size())),
                                 this);
  ChosenRadio->setObjectName(QStringLiteral("ChosenRadio"));
  ChosenRadio->setEnabled(!FChosen.empty());
  (FChosen.empty() ? AllRadio : ChosenRadio)->setChecked(true);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("形式(&F):"), FormatBox);
  form->addRow(QStringLiteral("出力先(&D):"), destinationRow);
  form->addRow(QString(), FtsBox);
  form->addRow(QStringLiteral("対象:"), AllRadio);
  form->addRow(QString(), ChosenRadio);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("エクスポート(&E)"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TExportDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TExportDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(FormatBox, &QComboBox::currentIndexChanged, this, &TExportDialog::FormatChanged);
  connect(BrowseBtn, &QPushButton::clicked, this, &TExportDialog::Browse);
  DestinationEdit->setText(
      Q(ExportDefaultDestination(QDir::homePath().toStdString(), ExportFormat::Jsonl)));
  FormatChanged();
}

ExportFormat TExportDialog::Format() const {
  return static_cast<ExportFormat>(FormatBox->currentData().toInt());
}

QString TExportDialog::Destination() const {
  return DestinationEdit->text().trimmed();
}

bool TExportDialog::ChosenOnly() const {
  return ChosenRadio->isChecked();
}

void TExportDialog::FormatChanged() {
  FtsBox->setEnabled(Format() == ExportFormat::Sqlite);
  // The proposed name follows the format; a destination typed by hand keeps its folder.
  const QString folder = QFileInfo(Destination()).absolutePath();
  DestinationEdit->setText(Q(ExportDefaultDestination(folder.toStdString(), Format())));
}

void TExportDialog::Browse() {
  const QString chosen =
      Dialogs().GetSaveFileName(this, QStringLiteral("出力先"), QString(), QString());
  if (!chosen.isEmpty()) DestinationEdit->setText(chosen);
}

void TExportDialog::accept() {
  const QString destination = Destination();
  if (destination.isEmpty()) {
    Dialogs().MessageBox(this, QStringLiteral("出力先を指定してください。"),
                         QString::fromUtf8(kCaption), MsgButtons::Ok, MsgIcon::Warning,
                         ModalResult::Ok);
    return;
  }
  ExportOptions options;
  options.Format = Format();
  options.OutPath = FullPath(destination.toStdString());
  options.Fts = FtsBox->isEnabled() && FtsBox->isChecked();
  options.Created = ExportCreationTime();
  if (PathExists(options.OutPath)) {
    if (Dialogs().MessageBox(
            this, Q(options.OutPath) + QStringLiteral(" はすでにあります。\n置き換えますか？"),
            QString::fromUtf8(kCaption), MsgButtons::YesNo, MsgIcon::Question,
            ModalResult::No) != ModalResult::Yes)
      return;
    options.Force = true;
  }
  const std::vector<const TLogMessage*>* chosen = ChosenOnly() ? &FChosen : nullptr;
  FResult = {};
  const ModalResult run = RunWithProgress(
      this, ProgressOptions::BarAndCancel, kCaption,
      [&](TProgressDlg& p) { FResult = ExportLogs(FFiles, FTree, chosen, options, p); });
  // An export that broke off with an error has been told in a box already; what it returned
  // before must not read as a success.
  if (run == ModalResult::Abort) {
    FResult = {OpStatus::Completed, "エクスポートがエラーで中断しました。", 0};
    return;
  }
  if (FResult.Status == OpStatus::Cancelled) return;  // nothing was left behind; the dialog stays
  if (!FResult.Error.empty()) {
    Dialogs().MessageBox(this, Q(FResult.Error), QString::fromUtf8(kCaption), MsgButtons::Ok,
                         MsgIcon::Error, ModalResult::Ok);
    return;
  }
  if (Dialogs().MessageBox(this, Q(ExportDoneText(options.OutPath, FResult.Messages)),
                           QString::fromUtf8(kCaption), MsgButtons::YesNo, MsgIcon::Information,
                           ModalResult::No) == ModalResult::Yes)
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(Q(ExportOpenTarget(options.Format, options.OutPath))));
  QDialog::accept();
}

}  // namespace yuzulog

namespace yuzulog {

void ExportCommand::Open(QWidget* owner) {
  if (FWorkspace.Files().Empty()) {
    Dialogs().MessageBox(owner, QStringLiteral("エクスポートするログが読み込まれていません。"),
                         QString::fromUtf8(kCaption), MsgButtons::Ok, MsgIcon::Information,
                         ModalResult::Ok);
    return;
  }
  TExportDialog dialog(owner, FWorkspace.Files(), FWorkspace.Tree(),
                       FWorkspace.Search().ChosenMessages());
  Dialogs().Execute(dialog);
}

}  // namespace yuzulog
