// ConverterApp: the desktop converter's application object. It runs the main
// dialog for the program's whole life (again, in the new language, after the
// About dialog changed it), shows the help of the current language, and runs
// conversions for the main dialog with its progress bar, keeping the window
// painted and hearing Esc while no other input is acted on.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <string>

class QProgressBar;
class QTextBrowser;
class QWidget;

namespace ui {

class MainDialog;

class ConverterApp : public QObject {
  Q_OBJECT

 public:
  // `arguments`: the program's parameters after its name.
  explicit ConverterApp(QStringList arguments);
  ~ConverterApp() override;

  // Runs the main dialog until the user closes it; restarts it after a
  // language change. Returns the last result of the dialog.
  int RunApplication();
  // Shows the help file of the current language (ClmlEng/ClmlGer/ClmlFre.hlp
  // beside the program) in the help viewer; a missing file is reported.
  void ShowHelp();
  // Closes the help viewer.
  void QuitHelp();
  // Runs conversion mode `mode` (see ConversionJob); nonzero when it ran to
  // its end. `cancelled` tells whether Esc stopped it.
  int Execute(const std::string& input, const std::string& output, int mode, QProgressBar* progress,
              bool* cancelled);

  MainDialog* mainWindow() const { return mainWindow_; }
  // The main dialog registers itself here for its lifetime: it owns the help
  // viewer and the message boxes of conversions.
  void SetMainWindow(MainDialog* window) { mainWindow_ = window; }
  // The folder of the help files; the program's own folder unless set.
  void SetHelpFolder(const QString& folder) { helpFolder_ = folder; }
  const QStringList& arguments() const { return arguments_; }
  // The program file's name without its extension.
  QString title() const;
  // The help file for the current language.
  QString HelpFileName() const;

 private:
  QStringList arguments_;
  MainDialog* mainWindow_ = nullptr;
  QString helpFolder_;
  QPointer<QTextBrowser> helpViewer_;
};

}  // namespace ui
