// Where the windows were: the main window's size, place and dock/toolbar state and the places of
// the dialogs, kept between runs in the user's Qt settings (not in the profile, whose readers know
// only the measurement keys).
#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

class QMainWindow;
class QWidget;

namespace spectrel {

// The first window's size on a screen with that available area: two thirds of it, at least
// 1000 x 750, never more than the area itself.
QSize FirstWindowSize(const QSize& available);

// The window's frame rectangle moved, and shrunk where it must, to lie wholly in the screen's
// available area (a geometry saved on a larger screen).
QRect FitToScreen(const QRect& frame, const QRect& available);

// Puts the main window where it was at the last exit, or at its first size centred on its screen.
void RestoreMainWindow(QMainWindow& window);
// Keeps the main window's geometry and toolbar/pane state for the next start.
void SaveMainWindow(const QMainWindow& window);

// Makes the dialog reappear where the user last left it (its top-left under key), in this run
// and the next ones. The dialog owns the watcher.
void RememberPlace(QWidget& dialog, const QString& key);

}  // namespace spectrel
