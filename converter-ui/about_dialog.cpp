#include "converter-ui/about_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "converter-ui/language_setting.h"
#include "converter-ui/main_dialog.h"
#include "converter-ui/string_table.h"

namespace ui {
namespace {
QString Text(int control) {
  return QString::fromUtf8(
      DialogText(kAboutLayout + LanguageSetting::Current().languageBase(), control));
}
}  // namespace

AboutDialog::AboutDialog(MainDialog* owner) : QDialog(owner), owner_(owner) {
  setWindowTitle(Text(kCaption));
  auto* layout = new QHBoxLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon(32));
  layout->addWidget(icon, 0, Qt::AlignTop);
  auto* texts = new QVBoxLayout;
  for (int control : {kAboutName, kAboutFor, kAboutVersion})
    texts->addWidget(new QLabel(Text(control), this));
  languageList_ = new QComboBox(this);
  texts->addWidget(languageList_);
  layout->addLayout(texts, 1);
  auto* ok = new QPushButton(Text(1), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignTop);
  Fill();
  codeAtOpen_ = LanguageSetting::Current().languageCode();
  connect(languageList_, QOverload<int>::of(&QComboBox::activated), this,
          &AboutDialog::LanguageChosen);
}

AboutDialog::~AboutDialog() {
  // Closing in another language restarts the main dialog in it, once this
  // dialog is gone.
  if (LanguageSetting::Current().languageCode() != codeAtOpen_ && owner_ != nullptr) {
    QMetaObject::invokeMethod(owner_, "Restart", Qt::QueuedConnection);
  }
}

void AboutDialog::Fill() {
  languageList_->clear();
  const LanguageSetting& language = LanguageSetting::Current();
  for (const LanguageEntry& entry : kLanguages) {
    const char* name = LoadString(entry.nameId + language.languageBase());
    if (name != nullptr) languageList_->addItem(QString::fromUtf8(name), entry.code);
  }
  languageList_->setCurrentIndex(languageList_->findData(language.languageCode()));
}

void AboutDialog::LanguageChosen(int index) {
  const auto code = static_cast<uint16_t>(languageList_->itemData(index).toUInt());
  LanguageSetting::Current().SelectCode(code);
  LanguageSetting::Current().StoreChoice();
  Fill();
}

}  // namespace ui
