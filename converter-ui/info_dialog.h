// InfoDialog: the details of the main dialog's input file: the main header's
// frame counts, size and buffer, and the first video and audio streams'
// codec, duration, format and buffer. It reads the file when it is built and
// shows only what the header reader found; anything but a complete AVI file
// closes it before it is shown. Its layout (129) is English in every
// language; its lines follow the current language.
#pragma once

#include <QDialog>
#include <string>

#include "converter-ui/file_summary.h"

class QGroupBox;
class QLabel;

namespace ui {

class InfoDialog : public QDialog {
  Q_OBJECT

 public:
  InfoDialog(const std::string& fileName, QWidget* owner);
  // Shows the dialog modally; returns at once (rejected) when the file is
  // not a complete AVI file.
  int Run();

  const FileDetails& details() const { return details_; }
  QGroupBox* videoGroup() const { return videoGroup_; }
  QGroupBox* audioGroup() const { return audioGroup_; }

 private:
  FileDetails details_;
  QGroupBox* videoGroup_ = nullptr;
  QGroupBox* audioGroup_ = nullptr;
};

}  // namespace ui
