// The day overview beside the graph and the days of the archive: the dockable pane, live growth
// with the measurement (filled from today's file at start), File > Open Day File..., the recent
// files, the nearest earlier and later day files, stepping through a day's points, "Back to
// Live", and the overview as a picture (print, preview, copy, save).
#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>

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
  QAction* ShowAction() const { return Show; }
  QAction* OpenAction() const { return Open; }
  QAction* PreviousAction() const { return Previous; }
  QAction* NextAction() const { return Next; }
  QAction* LiveAction() const { return Live; }
  QAction* EarlierPointAction() const { return EarlierPoint; }
  QAction* LaterPointAction() const { return LaterPoint; }
  QAction* UtcAxisAction() const { return UtcAxis; }
  QMenu* RecentMenu() const { return Recent; }
  QMenu* PictureMenu() const { return PictureCommands; }

  // Reads the day file on the application's pool; DayShown follows on the window's thread. An
  // open while another file is read cancels that one and is read next. Today's own file is the
  // live day.
  void OpenDayFile(const QString& path);
  void BackToLive();
  // Shows the point delta steps from the one shown (the latest when live); past the running
  // day's latest point it is live again.
  void StepPoint(int delta);
  bool ShowingArchive() const { return Archive != nullptr; }
  // A day file is being read and not yet shown.
  bool Reading() const { return ReadPending; }
  const std::string& ArchivePath() const { return ArchiveFile; }
  // The points of the day shown: the archive day, else the running day.
  const CKrfData& ShownDay() const;

  // The overview as a picture: the whole printable page on paper.
  PictureSource Picture() const;
  QPrinter& Printer() { return *PagePrinter; }

 signals:
  // A day file was read (problem empty), read in part or not at all (the reader's message).
  void DayShown(const QString& problem);

 private:
  void CreateActions();
  void FollowLive();
  void StartReading(const QString& path);
  void OnReadFinished();
  void OnRead(ArchiveDay day);
  void ShowArchiveDay(ArchiveDay& day);
  void ShowPoint(int index);
  void UpdateActions();
  void UpdateNeighbours();
  void UpdateRecent(const QString& path);
  void SetTitle(const QString& fileName);
  std::string TodayFile() const;
  StationZone Zone() const;   // the station's, from the profile
  const CKrfData& LiveDay() const;
  void OnPrint();
  void OnPreview();
  void OnCopy();
  void OnSave();

  QMainWindow& Frame;
  CSpectrelView& View;
  QDockWidget* DockWidget = nullptr;
  CDayOverview* Widget = nullptr;
  QAction* Show = nullptr;
  QAction* Open = nullptr;
  QAction* Previous = nullptr;
  QAction* Next = nullptr;
  QAction* Live = nullptr;
  QAction* EarlierPoint = nullptr;
  QAction* LaterPoint = nullptr;
  QAction* UtcAxis = nullptr;
  QMenu* Recent = nullptr;
  QMenu* PictureCommands = nullptr;
  std::shared_ptr<const CKrfData> Archive;   // the archive day shown, null while live
  std::string ArchiveFile;                   // its path
  std::shared_ptr<const CKrfData> TodayRead; // today's file as read at start, until the running day has points
  int ShownIndex = -1;                       // the point the graph shows; -1 the latest of the running day
  QString LiveFileName;                      // the running day's file name as last shown
  std::string Neighbours[2];                 // the nearest earlier and later day files, or empty
  bool FollowPending = false;                // a later slice of the live day is queued
  QFutureWatcher<ArchiveDay> ReadingDay;       // the day file being read
  QString QueuedPath;                        // the last file asked for while another was read
  bool ReadPending = false;                  // an open has not yet been answered
  bool ReadingTodayAtStart = false;          // today's file read at start: another open waits for it
  std::unique_ptr<QPrinter> PagePrinter;     // the overview's own page set-up
  std::string ZoneSetting;                   // the profile's zone text the live day was measured in
};

}  // namespace spectrel
