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

void RestoreMainWindow(QMainWindow& window) {
  const QSettings settings;
  const QByteArray geometry = settings.value(GeometryKey).toByteArray();
  if (geometry.isEmpty() || !window.restoreGeometry(geometry)) {
    const QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
    const QSize size = FirstWindowSize(area.size());
    window.resize(size);
    window.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
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
