#include "ui/window_memory.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace spectrel {

namespace {

constexpr const char* GeometryKey = "MainWindow/Geometry";
constexpr const char* StateKey = "MainWindow/State";

// Saves the dialog's place when it is hidden and puts it back before it is shown.
class PlaceWatcher : public QObject {
 public:
  PlaceWatcher(QWidget& dialog, QString key) : QObject(&dialog), Dialog(dialog), Key("Dialogs/" + key) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &Dialog) return false;
    if (event->type() == QEvent::Show) {
      Shown = true;
      const QVariant place = QSettings().value(Key);
      if (place.canConvert<QPoint>() && OnSomeScreen(place.toPoint())) Dialog.move(place.toPoint());
    } else if (event->type() == QEvent::Hide && Shown) {
      QSettings().setValue(Key, Dialog.pos());
    }
    return false;
  }

 private:
  // A place on a screen that has since gone would put the dialog out of reach.
  static bool OnSomeScreen(const QPoint& place) {
    return QGuiApplication::screenAt(place + QPoint(20, 20)) != nullptr;
  }

  QWidget& Dialog;
  QString Key;          // settings key of the top-left point
  bool Shown = false;   // a dialog never shown has no place of the user's to keep
};

}  // namespace

QSize FirstWindowSize(const QSize& available) {
  const int width = std::max(1000, available.width() * 2 / 3);
  const int height = std::max(750, available.height() * 2 / 3);
  return {std::min(width, std::max(available.width(), 1)), std::min(height, std::max(available.height(), 1))};
}

QRect FitToScreen(const QRect& frame, const QRect& available) {
  if (available.isEmpty()) return frame;
  QRect fitted(frame.topLeft(), frame.size().boundedTo(available.size()));
  fitted.moveLeft(std::clamp(fitted.left(), available.left(), available.right() - fitted.width() + 1));
  fitted.moveTop(std::clamp(fitted.top(), available.top(), available.bottom() - fitted.height() + 1));
  return fitted;
}

void RestoreMainWindow(QMainWindow& window) {
  const QSettings settings;
  const QByteArray geometry = settings.value(GeometryKey).toByteArray();
  const QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
  if (geometry.isEmpty() || !window.restoreGeometry(geometry)) {
    const QSize size = FirstWindowSize(area.size());
    window.resize(size);
    window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
  } else if (!window.isMaximized() && !window.isFullScreen()) {
    // The title bar, the close box and the status bar stay on the screen: the frame is fitted,
    // and the inside shrinks by what the frame lost.
    const QRect frame = window.frameGeometry();
    const QRect fitted = FitToScreen(frame, area);
    if (fitted != frame) {
      window.resize(window.size() - (frame.size() - fitted.size()));
      window.move(fitted.topLeft());
    }
  }
  window.restoreState(settings.value(StateKey).toByteArray());
}

void SaveMainWindow(const QMainWindow& window) {
  QSettings settings;
  settings.setValue(GeometryKey, window.saveGeometry());
  settings.setValue(StateKey, window.saveState());
}

void RememberPlace(QWidget& dialog, const QString& key) {
  dialog.installEventFilter(new PlaceWatcher(dialog, key));
}

}  // namespace spectrel
