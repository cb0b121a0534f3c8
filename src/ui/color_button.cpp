#include "ui/color_button.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include <cstdlib>

namespace spectrel {

QColor ColorFromRef(std::uint32_t ref) {
  return QColor(static_cast<int>(ref & 0xFFu), static_cast<int>((ref >> 8) & 0xFFu),
                static_cast<int>((ref >> 16) & 0xFFu));
}

std::uint32_t RefFromColor(const QColor& color) {
  const QColor rgb = color.toRgb();
  return static_cast<std::uint32_t>(rgb.red()) | (static_cast<std::uint32_t>(rgb.green()) << 8) |
         (static_cast<std::uint32_t>(rgb.blue()) << 16);
}

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {
  setAutoDefault(false);
  setFlat(true);
}

void CColorButton::SetColor(std::uint32_t ref) {
  Ref = ref & 0x00FFFFFFu;
  update();
}

QSize CColorButton::sizeHint() const {
  const QFontMetrics metrics(font());
  return QSize(metrics.height() * 4, metrics.height() + 8);
}

QSize CColorButton::minimumSizeHint() const { return sizeHint(); }

void CColorButton::paintEvent(QPaintEvent* /*event*/) {
  // Drawn off-screen first, so the swatch never flickers through white.
  const QRect item = rect();
  QPixmap canvas(item.size() * devicePixelRatioF());
  canvas.setDevicePixelRatio(devicePixelRatioF());
  canvas.fill(Qt::white);
  {
    QPainter painter(&canvas);
    painter.fillRect(item, ColorFromRef(Ref));
    if (!text().isEmpty()) {
      // The caption sits centred, its baseline half a font height below the middle.
      const QFontMetrics metrics(font());
      const int x = (item.left() + item.right() + 1) / 2;
      const int y = (item.top() + item.bottom() + 1) / 2 + std::abs(metrics.height()) / 2;
      painter.setFont(font());
      painter.drawText(x - metrics.horizontalAdvance(text()) / 2, y - metrics.descent(), text());
    }
  }
  QPainter target(this);
  target.drawPixmap(0, 0, canvas);
}

}  // namespace spectrel
