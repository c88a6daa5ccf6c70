// AboutDialog: names the program and its version and holds the language
// list, through which the user changes the language at once. When it closes
// in another language than it opened in, it asks its owner (the main dialog)
// to restart in the new one. The list is a LanguageList of this dialog.
#pragma once

#include <QDialog>
#include <cstdint>

class QComboBox;

namespace ui {

class MainDialog;

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(MainDialog* owner);
  ~AboutDialog() override;

  // LanguageList: fills the list with the language names in the current
  // language and selects the current one.
  void Fill();
  // The user picked the item at `index`: the language changes and is stored.
  void LanguageChosen(int index);

  QComboBox* languageList() const { return languageList_; }

 private:
  MainDialog* owner_;
  QComboBox* languageList_ = nullptr;
  uint16_t codeAtOpen_ = 0;
};

}  // namespace ui
