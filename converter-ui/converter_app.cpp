#include "converter-ui/converter_app.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QTextBrowser>

#include "convert/conversion_job.h"
#include "converter-ui/language_setting.h"
#include "converter-ui/main_dialog.h"
#include "converter-ui/string_table.h"
#include "riff/walk_progress.h"

namespace ui {
namespace {

constexpr int kRestart = 4;
constexpr qint64 kRepaintMs = 30;

// While a conversion runs: the window keeps painting, but no input reaches
// it. Releasing Esc is remembered for the walk; its press is swallowed too,
// so it does not close the program afterwards.
class InputGate : public QObject {
 public:
  InputGate() { qApp->installEventFilter(this); }
  ~InputGate() override { qApp->removeEventFilter(this); }
  // While the gate is open (a question or an error box of the job is up),
  // input passes, so the box can be answered.
  class Opening {
   public:
    explicit Opening(InputGate* gate) : gate_(gate), wasOpen_(gate->open_) { gate_->open_ = true; }
    ~Opening() { gate_->open_ = wasOpen_; }
    Opening(const Opening&) = delete;
    Opening& operator=(const Opening&) = delete;

   private:
    InputGate* gate_;
    bool wasOpen_;
  };

  bool TakeEscape() {
    const bool released = escapeReleased_;
    escapeReleased_ = false;
    return released;
  }

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (open_) return false;
    switch (event->type()) {
      case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) escapeReleased_ = true;
        return true;
      }
      case QEvent::KeyPress:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::Close:
      case QEvent::Drop:
        return true;
      default:
        return false;
    }
  }

 private:
  bool escapeReleased_ = false;
  bool open_ = false;
};

class BarProgress : public riff::WalkProgress {
 public:
  BarProgress(QProgressBar* bar, InputGate* gate) : bar_(bar), gate_(gate) {}
  void SetRange(uint32_t maximum) override {
    if (bar_ != nullptr) bar_->setRange(0, static_cast<int>(maximum));
  }
  void SetPosition(uint32_t position) override {
    if (bar_ != nullptr) bar_->setValue(static_cast<int>(position));
  }
  bool TakeKeyUp(int* key) override {
    // Events are handled at the first chunk and then every few milliseconds:
    // often enough to repaint, seldom enough not to slow the walk.
    if (!clock_.isValid() || clock_.elapsed() >= kRepaintMs) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      clock_.start();
    }
    if (!gate_->TakeEscape()) return false;
    *key = riff::kVkEscape;
    return true;
  }

 private:
  QProgressBar* bar_;
  InputGate* gate_;
  QElapsedTimer clock_;
};

class DialogHost : public convert::JobHost {
 public:
  DialogHost(QWidget* owner, QString title, InputGate* gate)
      : owner_(owner), title_(std::move(title)), gate_(gate) {}
  const char* LoadString(int id) override {
    return ui::LoadString(id + LanguageSetting::Current().languageBase());
  }
  void ShowError(const std::string& text) override {
    InputGate::Opening open(gate_);
    QMessageBox::critical(owner_, title_, QString::fromStdString(text));
  }
  bool AskYesNo(const std::string& text) override {
    InputGate::Opening open(gate_);
    return QMessageBox::critical(owner_, title_, QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  }
  void SetWaitCursor(bool on) override {
    if (on) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  }

 private:
  QWidget* owner_;
  QString title_;
  InputGate* gate_;
};

}  // namespace

ConverterApp::ConverterApp(QStringList arguments) : arguments_(std::move(arguments)) {}

ConverterApp::~ConverterApp() {
  QuitHelp();
}

QString ConverterApp::title() const {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

int ConverterApp::RunApplication() {
  MainDialog dialog(this);
  int result = 0;
  for (;;) {
    result = dialog.exec();
    if (result != kRestart) break;
    dialog.LoadTexts();
  }
  return result;
}

QString ConverterApp::HelpFileName() const {
  const char* stem = "ClmlEng";
  if (LanguageSetting::Current().languageCode() == 7) stem = "ClmlGer";
  if (LanguageSetting::Current().languageCode() == 12) stem = "ClmlFre";
  const QString folder =
      helpFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : helpFolder_;
  return folder + "/" + stem + ".hlp";
}

void ConverterApp::ShowHelp() {
  const QString name = HelpFileName();
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    QMessageBox::warning(
        mainWindow_, title(),
        QStringLiteral("Cannot open the help file:\n%1\n%2").arg(name, file.errorString()));
    return;
  }
  if (helpViewer_ == nullptr) {
    helpViewer_ = new QTextBrowser(mainWindow_);
    helpViewer_->setWindowFlag(Qt::Window);
    helpViewer_->resize(560, 480);
    helpViewer_->setAttribute(Qt::WA_DeleteOnClose);
  }
  helpViewer_->setWindowTitle(QFileInfo(name).fileName());
  helpViewer_->setHtml(QString::fromUtf8(file.readAll()));
  helpViewer_->show();
  helpViewer_->raise();
}

void ConverterApp::QuitHelp() {
  if (helpViewer_ != nullptr) helpViewer_->close();
}

int ConverterApp::Execute(const std::string& input, const std::string& output, int mode,
                          QProgressBar* progress, bool* cancelled) {
  InputGate gate;
  BarProgress bar(progress, &gate);
  DialogHost host(mainWindow_, title(), &gate);
  convert::ConversionJob job(&host, &bar);
  const int result = job.Execute(input, output, mode);
  *cancelled = job.outcome() == convert::JobOutcome::kCancelled;
  if (job.outcome() == convert::JobOutcome::kFailed) {
    host.ShowError(job.failureText());
  } else if (job.outcome() == convert::JobOutcome::kInputEndedEarly) {
    InputGate::Opening open(&gate);
    QMessageBox::warning(
        mainWindow_, title(),
        QStringLiteral("The file:\n%1\nends early; the output holds what was there.")
            .arg(QString::fromStdString(input)));
  }
  return result;
}

}  // namespace ui
