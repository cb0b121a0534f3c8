// The day overview beside the graph and the days of the archive: the dockable pane, live growth
// with the measurement, File > Open Day File..., the recent files, the previous and next day,
// "Back to Live", and the overview as a picture (print, preview, copy, save).
#pragma once

#include <QObject>
#include <QStringList>

#include <QFutureWatcher>

#include <memory>

#include "ui/archive_day.h"
#include "ui/picture_output.h"

class QAction;
class QDockWidget;
class QMainWindow;
class QMenu;
class QPrinter;

namespace spectrel {

class CDayOverview;
class CSpectrelView;
class QtDocumentHost;

class OverviewPane : public QObject {
  Q_OBJECT

 public:
  OverviewPane(QMainWindow& frame, CSpectrelView& view, QtDocumentHost& host);
  ~OverviewPane() override;

  QDockWidget* Dock() const { return DockWidget; }
  CDayOverview& Overview() const { return *Widget; }
  // Commands, for the menus and the toolbar.
  QAction* ShowAction() const;
  QAction* OpenAction() const { return Open; }
  QAction* PreviousAction() const { return Previous; }
  QAction* NextAction() const { return Next; }
  QAction* LiveAction() const { return Live; }
  QMenu* RecentMenu() const { return Recent; }
  QMenu* PictureMenu() const { return PictureCommands; }

  // Reads the day file on the application's pool; DayShown follows on the window's thread. An
  // open while another file is read cancels that one and is read next.
  void OpenDayFile(const QString& path);
  void BackToLive();
  bool ShowingArchive() const { return Archive != nullptr; }
  const std::string& ArchivePath() const { return ArchiveFile; }

  // The overview as a picture: the whole printable page on paper.
  PictureSource Picture() const;
  QPrinter& Printer() { return *PagePrinter; }

 signals:
  // An archive day was read (problem empty) or read in part (the reader's message).
  void DayShown(const QString& problem);

 private:
  void CreateActions();
  void FollowLive();
  void StartReading(const QString& path);
  void OnReadFinished();
  void OnRead(ArchiveDay day);
  void OnPointChosen(int index);
  void UpdateRecent(const QString& path);
  void OnPrint();
  void OnPreview();
  void OnCopy();
  void OnSave();

  QMainWindow& Frame;
  CSpectrelView& View;
  QDockWidget* DockWidget = nullptr;
  CDayOverview* Widget = nullptr;
  QAction* Open = nullptr;
  QAction* Previous = nullptr;
  QAction* Next = nullptr;
  QAction* Live = nullptr;
  QMenu* Recent = nullptr;
  QMenu* PictureCommands = nullptr;
  std::shared_ptr<const CKrfData> Archive;   // the archive day shown, null while live
  std::string ArchiveFile;                   // its path
  bool FollowPending = false;                // a later slice of the live day is queued
  QFutureWatcher<ArchiveDay> Reading;        // the day file being read
  QString QueuedPath;                        // the last file asked for while another was read
  std::unique_ptr<QPrinter> PagePrinter;     // the overview's own page set-up
};

}  // namespace spectrel
