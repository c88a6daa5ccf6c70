// MainDialog: the converter's main window. The user names an input file
// (typed, browsed, dropped or given on the command line), an output file or
// "use input file", picks one of six modes and presses Start; the dialog shows
// a three-line summary of the input, opens the information and About dialogs
// and runs the conversion with its progress bar. Its texts come from the
// string tables by layout 102 + language base; the names and the "use input
// file" state survive a restart in another language.
//
// The dialog borrows the application object, which must outlive it.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;

namespace ui {

class ColourBar;
class ConverterApp;

class MainDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kRestartResult = 4;

  explicit MainDialog(ConverterApp* app);
  // Disconnects the controls first: a field losing the focus while the
  // children are destroyed must not call back into a half-destroyed dialog.
  ~MainDialog() override;

  // Loads every text of layout 102 + the current language base.
  void LoadTexts();

  // The operations of the dialog, as the controls run them.
  void InputNameEdited();
  void OutputNameEdited();
  void ToggleUseInput();
  void ModeChosen();
  void StartConversion();
  void BrowseInput();
  void BrowseOutput();
  void ShowFileInfo();
  void ShowAbout();
  // The window's own menu: the About entry (text 101 + base) when that text
  // is not empty. The desktops this runs on give a program no place in the
  // title bar's menu, so the menu opens on a right click in the window.
  std::unique_ptr<QMenu> BuildWindowMenu();
  void FilesDropped(const QStringList& names);
  Q_INVOKABLE void Restart();

  const std::string& inputName() const { return inputName_; }
  const std::string& outputName() const { return outputName_; }
  bool useInputFile() const { return useInputFile_; }
  int modeIndex() const { return modeIndex_; }

  // Controls, by their numbers (for tests and screenshots).
  QLineEdit* inputEdit() const { return inputEdit_; }         // 1001
  QLineEdit* outputEdit() const { return outputEdit_; }       // 1003
  QPushButton* moreButton() const { return moreButton_; }     // 1004
  QCheckBox* useInputBox() const { return useInputBox_; }     // 1008
  QComboBox* modeList() const { return modeList_; }           // 1006
  QPushButton* startButton() const { return startButton_; }   // 1000
  QLabel* summaryLine(int i) const { return summary_[i]; }    // 1010-1012
  QProgressBar* progressBar() const { return progressBar_; }  // 1009
  ColourBar* colourBar() const { return colourBar_; }         // 1007
  QLabel* iconLabel() const { return icon_; }                 // 100

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void Initialise();
  bool AcceptInputName(const std::string& text) const;
  void UpdateSummary(bool valid);
  void ShowFailure(const QString& what, const std::string& path, int error);

  ConverterApp* app_;
  std::string inputName_;
  std::string outputName_;
  bool useInputFile_ = false;
  int modeIndex_ = 0;

  QGroupBox* inputGroup_ = nullptr;
  QLineEdit* inputEdit_ = nullptr;
  QPushButton* browseInput_ = nullptr;
  QLabel* summary_[3] = {};
  QPushButton* moreButton_ = nullptr;
  QGroupBox* outputGroup_ = nullptr;
  QCheckBox* useInputBox_ = nullptr;
  QLineEdit* outputEdit_ = nullptr;
  QPushButton* browseOutput_ = nullptr;
  QComboBox* modeList_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QLabel* icon_ = nullptr;
  ColourBar* colourBar_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  bool argumentsTaken_ = false;
};

// The program icon, drawn (resource 128).
QPixmap ProgramIcon(int size);

}  // namespace ui
