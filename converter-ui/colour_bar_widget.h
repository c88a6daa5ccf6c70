// ColourBar: the thin strip at the bottom of the main dialog and under the
// information dialog's icon, painted as bands from blue to red. Qt screens
// have no palettes, so the strip draws class 1 (one band per pixel); the
// band rules of every class are in ColourBarModel.
#pragma once

#include <QWidget>

#include "converter-ui/colour_bar.h"

namespace ui {

class ColourBar : public QWidget {
  Q_OBJECT

 public:
  explicit ColourBar(QWidget* parent = nullptr);
  const ColourBarModel& model() const { return model_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ColourBarModel model_;
};

}  // namespace ui
