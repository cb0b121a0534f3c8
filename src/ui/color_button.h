// A colour field of the graph settings: a button drawn as a plain swatch of its colour, without
// border, focus mark or pressed look. Clicking it is left to the dialog, which opens the chooser.
#pragma once

#include <QPushButton>

#include <cstdint>

namespace spectrel {

// Colours are kept as 0x00BBGGRR: red in the lowest byte, blue in the third.
QColor ColorFromRef(std::uint32_t ref);
std::uint32_t RefFromColor(const QColor& color);

class CColorButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CColorButton(QWidget* parent = nullptr);

  std::uint32_t Color() const { return Ref; }
  // Takes the colour and repaints the swatch at once.
  void SetColor(std::uint32_t ref);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::uint32_t Ref = 0;   // the colour shown, 0x00BBGGRR
};

}  // namespace spectrel
