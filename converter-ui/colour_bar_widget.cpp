#include "converter-ui/colour_bar_widget.h"

#include <QPainter>

namespace ui {
namespace {

// A true-colour screen: no palette, more than 16 colours.
class TrueColourScreen : public DisplayCapabilities {
 public:
  bool HasPalette() const override { return false; }
  int ColourCount() const override { return -1; }
  int BitsPerPixel() const override { return 32; }
};

}  // namespace

ColourBar::ColourBar(QWidget* parent) : QWidget(parent) {
  model_.Classify(TrueColourScreen());
  setMinimumHeight(6);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ColourBar::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  for (const ColourBarModel::Band& band : model_.Bands(width())) {
    painter.fillRect(band.left, 0, band.right - band.left, height(),
                     QColor(Red(band.colour), Green(band.colour), Blue(band.colour)));
  }
}

}  // namespace ui
