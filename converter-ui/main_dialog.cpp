#include "converter-ui/main_dialog.h"

#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "converter-ui/about_dialog.h"
#include "converter-ui/colour_bar_widget.h"
#include "converter-ui/converter_app.h"
#include "converter-ui/file_summary.h"
#include "converter-ui/info_dialog.h"
#include "converter-ui/language_setting.h"
#include "converter-ui/registry_value.h"
#include "converter-ui/string_table.h"
#include "platform/files.h"
#include "riff/riff_file.h"

namespace ui {
namespace {

constexpr int kTextMode = 5;
constexpr int kModeCount = 6;
constexpr uint32_t kFolderBuffer = 256;

QString Text(int layoutId, int control) {
  return QString::fromUtf8(
      DialogText(layoutId + LanguageSetting::Current().languageBase(), control));
}
QString String(int id) {
  const char* text = LoadString(id + LanguageSetting::Current().languageBase());
  return text != nullptr ? QString::fromUtf8(text) : QString();
}

// "AVI Files (*.avi)|*.avi|All Files (*.*)|*.*||" as Qt's ";;" list.
QString QtFilter(const QString& filter) {
  const QStringList parts = filter.split('|', Qt::SkipEmptyParts);
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    if (!description.contains('(')) description += " (" + parts[i + 1] + ")";
    out << description;
  }
  return out.join(";;");
}

// Reads a folder setting into a 256-byte buffer and makes it current.
void EnterStoredFolder(const RegistryValue& setting) {
  char folder[kFolderBuffer] = {};
  if (setting.Load(folder, sizeof folder)) {
    folder[sizeof folder - 1] = '\0';
    QDir::setCurrent(QString::fromUtf8(folder));
  }
}

}  // namespace

QPixmap ProgramIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient gradient(0, 0, size, 0);
  gradient.setColorAt(0.0, QColor(0, 0, 255));
  gradient.setColorAt(0.45, QColor(0, 255, 0));
  gradient.setColorAt(0.6, QColor(255, 255, 0));
  gradient.setColorAt(1.0, QColor(255, 0, 0));
  painter.setBrush(QColor(30, 30, 40));
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 8.0, size / 8.0);
  painter.setBrush(gradient);
  painter.drawRect(QRectF(size * 0.12, size * 0.62, size * 0.76, size * 0.16));
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(size * 2 / 5);
  painter.setFont(font);
  painter.drawText(QRectF(0, size * 0.08, size, size * 0.5), Qt::AlignCenter, "KV");
  return pixmap;
}

MainDialog::MainDialog(ConverterApp* app) : app_(app) {
  app_->SetMainWindow(this);
  BuildControls();
  LoadTexts();
  setAcceptDrops(true);
  setWindowIcon(QIcon(ProgramIcon(32)));
  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, [this] { app_->ShowHelp(); });
  connect(inputEdit_, &QLineEdit::editingFinished, this, &MainDialog::InputNameEdited);
  connect(outputEdit_, &QLineEdit::editingFinished, this, &MainDialog::OutputNameEdited);
  connect(browseInput_, &QPushButton::clicked, this, &MainDialog::BrowseInput);
  connect(browseOutput_, &QPushButton::clicked, this, &MainDialog::BrowseOutput);
  connect(moreButton_, &QPushButton::clicked, this, &MainDialog::ShowFileInfo);
  connect(useInputBox_, &QCheckBox::clicked, this, &MainDialog::ToggleUseInput);
  connect(modeList_, QOverload<int>::of(&QComboBox::activated), this, &MainDialog::ModeChosen);
  connect(startButton_, &QPushButton::clicked, this, &MainDialog::StartConversion);
}

MainDialog::~MainDialog() {
  if (app_->mainWindow() == this) app_->SetMainWindow(nullptr);
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void MainDialog::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  inputGroup_ = new QGroupBox(this);
  auto* inputLayout = new QVBoxLayout(inputGroup_);
  auto* inputRow = new QHBoxLayout;
  inputEdit_ = new QLineEdit(inputGroup_);
  browseInput_ = new QPushButton(inputGroup_);
  browseInput_->setAutoDefault(false);
  inputRow->addWidget(inputEdit_, 1);
  inputRow->addWidget(browseInput_);
  inputLayout->addLayout(inputRow);
  auto* summaryRow = new QHBoxLayout;
  auto* lines = new QVBoxLayout;
  for (QLabel*& line : summary_) {
    line = new QLabel(inputGroup_);
    line->setMinimumWidth(340);
    lines->addWidget(line);
  }
  moreButton_ = new QPushButton(inputGroup_);
  moreButton_->setAutoDefault(false);
  summaryRow->addLayout(lines, 1);
  summaryRow->addWidget(moreButton_, 0, Qt::AlignBottom);
  inputLayout->addLayout(summaryRow);
  layout->addWidget(inputGroup_);

  outputGroup_ = new QGroupBox(this);
  auto* outputLayout = new QVBoxLayout(outputGroup_);
  useInputBox_ = new QCheckBox(outputGroup_);
  outputLayout->addWidget(useInputBox_);
  auto* outputRow = new QHBoxLayout;
  outputEdit_ = new QLineEdit(outputGroup_);
  browseOutput_ = new QPushButton(outputGroup_);
  browseOutput_->setAutoDefault(false);
  outputRow->addWidget(outputEdit_, 1);
  outputRow->addWidget(browseOutput_);
  outputLayout->addLayout(outputRow);
  layout->addWidget(outputGroup_);

  auto* startRow = new QHBoxLayout;
  modeList_ = new QComboBox(this);
  QFont fixed("Monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  modeList_->setFont(fixed);  // the mode texts line up by their blanks
  startButton_ = new QPushButton(this);
  startButton_->setDefault(true);
  icon_ = new QLabel(this);
  icon_->setPixmap(ProgramIcon(32));
  icon_->installEventFilter(this);
  startRow->addWidget(modeList_, 1);
  startRow->addWidget(startButton_);
  startRow->addWidget(icon_);
  layout->addLayout(startRow);

  colourBar_ = new ColourBar(this);
  colourBar_->setFixedHeight(8);
  progressBar_ = new QProgressBar(this);
  progressBar_->setTextVisible(false);
  progressBar_->setFixedHeight(8);
  progressBar_->hide();
  layout->addWidget(colourBar_);
  layout->addWidget(progressBar_);
  setTabOrder(inputEdit_, browseInput_);
}

void MainDialog::LoadTexts() {
  setWindowTitle(Text(kMainLayout, kCaption));
  inputGroup_->setTitle(Text(kMainLayout, kInputGroup));
  browseInput_->setText(Text(kMainLayout, 1002));
  moreButton_->setText(Text(kMainLayout, 1004));
  outputGroup_->setTitle(Text(kMainLayout, kOutputGroup));
  useInputBox_->setText(Text(kMainLayout, 1008));
  browseOutput_->setText(Text(kMainLayout, 1005));
  startButton_->setText(Text(kMainLayout, 1000));
  icon_->setToolTip(String(kAboutMenuText).remove('&'));
}

void MainDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Initialise();
}

void MainDialog::Initialise() {
  // The fields are put back into the controls, then taken over afresh.
  inputEdit_->setText(QString::fromStdString(inputName_));
  outputEdit_->setText(QString::fromStdString(outputName_));
  inputName_.clear();
  outputName_.clear();
  useInputFile_ = !useInputFile_;
  ToggleUseInput();
  uint8_t mode[4] = {};
  modeIndex_ = Settings::Mode().Load(mode, sizeof mode)
                   ? static_cast<int>(mode[0] | mode[1] << 8 | mode[2] << 16 |
                                      static_cast<uint32_t>(mode[3]) << 24)
                   : 0;
  modeList_->clear();
  for (int i = 0; i < kModeCount; ++i) modeList_->addItem(String(kModeText + i));
  modeList_->setCurrentIndex(modeIndex_ >= 0 && modeIndex_ < kModeCount ? modeIndex_ : -1);
  if (!argumentsTaken_) {
    // Switches ("-x", or "/x" as long as it is no path) are ignored but take a
    // position. Position 0 is the input, 1 the output. Absolute paths start
    // with "/" here, so a "/" parameter that names a path is a file name.
    int position = 0;
    for (const QString& argument : app_->arguments()) {
      const bool isSwitch =
          argument.startsWith('-') || (argument.startsWith('/') && argument.indexOf('/', 1) < 0 &&
                                       !QFileInfo::exists(argument));
      if (!isSwitch && position == 0) inputEdit_->setText(argument);
      if (!isSwitch && position == 1) outputEdit_->setText(argument);
      ++position;
    }
    argumentsTaken_ = true;
  }
  // A fresh layout shows no summary until the input is taken over.
  for (QLabel* line : summary_) line->clear();
  InputNameEdited();
  OutputNameEdited();
  ModeChosen();
  progressBar_->hide();
  colourBar_->show();
  inputEdit_->setFocus();
}

bool MainDialog::AcceptInputName(const std::string& text) const {
  if (text.empty()) return true;
  struct stat st {};
  if (stat(text.c_str(), &st) != 0) return false;
  riff::RiffFile file;
  return file.Open(text, platform::MMIO_DENYWRITE);
}

void MainDialog::InputNameEdited() {
  const std::string text = inputEdit_->text().toStdString();
  if (text == inputName_) return;
  const bool ok = AcceptInputName(text);
  if (ok) inputName_ = text;
  UpdateSummary(ok);
  moreButton_->setEnabled(ok);
}

void MainDialog::UpdateSummary(bool valid) {
  const SummaryLines lines =
      SummarizeInput(inputName_, valid, LanguageSetting::Current().languageBase());
  for (int i = 0; i < 3; ++i) summary_[i]->setText(QString::fromUtf8(lines.line[i].c_str()));
}

void MainDialog::OutputNameEdited() {
  const std::string text = outputEdit_->text().toStdString();
  if (text != outputName_) outputName_ = text;
}

void MainDialog::ToggleUseInput() {
  useInputFile_ = !useInputFile_;
  useInputBox_->setChecked(useInputFile_);
  outputEdit_->setEnabled(!useInputFile_);
  browseOutput_->setEnabled(!useInputFile_);
}

void MainDialog::ModeChosen() {
  modeIndex_ = modeList_->currentIndex();
  useInputBox_->setEnabled(modeIndex_ < kTextMode);
}

void MainDialog::BrowseInput() {
  EnterStoredFolder(Settings::LastDirectory());
  const QString chosen = QFileDialog::getOpenFileName(
      this, QString(), QString::fromStdString(inputName_), QtFilter(String(kAviFilter)));
  if (!chosen.isEmpty()) {
    inputEdit_->setText(QDir::toNativeSeparators(chosen));
    const QString folder = QFileInfo(chosen).absolutePath();
    QDir::setCurrent(folder);
    Settings::LastDirectory().StoreText(folder.toStdString());
  }
  InputNameEdited();
}

void MainDialog::BrowseOutput() {
  if (useInputFile_) return;
  EnterStoredFolder(Settings::LastOutputDir());
  const bool text = modeIndex_ == kTextMode;
  QFileDialog dialog(this);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QtFilter(String(text ? kTextFilter : kAviFilter)));
  dialog.setDefaultSuffix(text ? "txt" : "avi");
  dialog.setDirectory(QDir::current());
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    const QString chosen = dialog.selectedFiles().first();
    outputEdit_->setText(QDir::toNativeSeparators(chosen));
    const QString folder = QFileInfo(chosen).absolutePath();
    QDir::setCurrent(folder);
    Settings::LastOutputDir().StoreText(folder.toStdString());
  }
  OutputNameEdited();
}

void MainDialog::ShowFileInfo() {
  InfoDialog info(inputName_, this);
  info.Run();
}

std::unique_ptr<QMenu> MainDialog::BuildWindowMenu() {
  auto menu = std::make_unique<QMenu>(this);
  const QString entry = String(kAboutMenuText);
  if (!entry.isEmpty()) menu->addAction(entry, this, &MainDialog::ShowAbout);
  return menu;
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu = BuildWindowMenu();
  if (!menu->isEmpty()) menu->exec(event->globalPos());
}

void MainDialog::ShowAbout() {
  AboutDialog about(this);
  about.exec();
}

void MainDialog::Restart() {
  done(kRestartResult);
}

void MainDialog::done(int result) {
  Settings::Mode().StoreNumber(static_cast<uint32_t>(modeIndex_));
  app_->QuitHelp();
  QDialog::done(result);
}

void MainDialog::ShowFailure(const QString& what, const std::string& path, int error) {
  QMessageBox::critical(
      this, app_->title(),
      QStringLiteral("%1:\n%2\n%3")
          .arg(what, QString::fromStdString(path), QString::fromUtf8(std::strerror(error))));
}

void MainDialog::StartConversion() {
  InputNameEdited();
  OutputNameEdited();
  if (inputName_.empty()) {
    inputEdit_->setFocus();
    return;
  }
  // The text mode never replaces its input, whatever the box says.
  const bool replaceInput = useInputFile_ && modeIndex_ != kTextMode;
  if (!replaceInput && outputName_.empty()) {
    outputEdit_->setFocus();
    return;
  }
  std::string target = outputName_;
  if (replaceInput) {
    // A new file beside the input, never one that exists already.
    const std::string folder =
        QFileInfo(QString::fromStdString(inputName_)).absolutePath().toStdString();
    char name[platform::MAX_PATH] = {};
    if (platform::GetTempFileNameA(folder.c_str(), "Clmill", 0, name) == 0) {
      ShowFailure(QStringLiteral("Cannot create a temporary file in"), folder, errno);
      return;
    }
    target = platform::NativePath(name);
  }
  colourBar_->hide();
  progressBar_->setValue(0);
  progressBar_->show();
  bool cancelled = false;
  const int result = app_->Execute(inputName_, target, modeIndex_, progressBar_, &cancelled);
  if (result != 0 && replaceInput) {
    // Renaming over the input replaces it in one step; nothing is lost if it fails.
    if (std::rename(target.c_str(), inputName_.c_str()) != 0) {
      const int error = errno;
      ShowFailure(QStringLiteral("Cannot replace"), inputName_, error);
      std::remove(target.c_str());
      progressBar_->hide();
      colourBar_->show();
      return;
    }
  } else if (replaceInput) {
    std::remove(target.c_str());
  }
  if (result != 0) {
    inputEdit_->clear();
    InputNameEdited();
    outputEdit_->clear();
    OutputNameEdited();
  }
  progressBar_->hide();
  colourBar_->show();
}

void MainDialog::FilesDropped(const QStringList& names) {
  if (!names.isEmpty() && !names.first().isEmpty()) inputEdit_->setText(names.first().left(255));
  InputNameEdited();
}

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent* event) {
  QStringList names;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) names << url.toLocalFile();
  }
  event->acceptProposedAction();
  FilesDropped(names);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == icon_ && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    ShowAbout();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace ui
