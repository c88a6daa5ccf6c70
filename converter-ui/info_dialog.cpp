#include "converter-ui/info_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "converter-ui/colour_bar_widget.h"
#include "converter-ui/language_setting.h"
#include "converter-ui/main_dialog.h"
#include "converter-ui/string_table.h"

namespace ui {
namespace {

QString Text(int control) {
  return QString::fromUtf8(DialogText(kInfoLayout, control));
}

QGroupBox* Group(const QString& title, const std::string* lines, int count, QWidget* parent) {
  auto* group = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(group);
  for (int i = 0; i < count; ++i) {
    auto* line = new QLabel(QString::fromUtf8(lines[i].c_str()), group);
    line->setMinimumWidth(300);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(line);
  }
  return group;
}

}  // namespace

InfoDialog::InfoDialog(const std::string& fileName, QWidget* owner) : QDialog(owner) {
  details_ = DescribeFile(fileName, LanguageSetting::Current().languageBase());
  // Captions are built as text of any length: a long name is never cut into
  // a fixed buffer.
  setWindowTitle(Text(kCaption) + QString::fromStdString(details_.captionSuffix));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  const std::string parameters[] = {details_.frames, details_.length, details_.size,
                                    details_.fileBuffer};
  top->addWidget(Group(Text(kParameterGroup), parameters, 4, this), 1);
  auto* iconColumn = new QVBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon(32));
  auto* bar = new ColourBar(this);
  bar->setFixedSize(32, 6);
  iconColumn->addWidget(icon, 0, Qt::AlignHCenter);
  iconColumn->addWidget(bar, 0, Qt::AlignHCenter);
  iconColumn->addStretch();
  top->addLayout(iconColumn);
  layout->addLayout(top);
  videoGroup_ = Group(Text(1023) + QString::fromStdString(details_.videoCaptionSuffix),
                      details_.video, 4, this);
  videoGroup_->setEnabled(details_.hasVideo);
  audioGroup_ = Group(Text(1022) + QString::fromStdString(details_.audioCaptionSuffix),
                      details_.audio, 4, this);
  audioGroup_->setEnabled(details_.hasAudio);
  layout->addWidget(videoGroup_);
  layout->addWidget(audioGroup_);
}

int InfoDialog::Run() {
  if (!details_.shown) return QDialog::Rejected;
  return exec();
}

}  // namespace ui
