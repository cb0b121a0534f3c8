#include "app/overview_pane.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

#include "base/clock.h"
#include "files/station_names.h"
#include "measure/settings_options.h"
#include "ui/day_overview.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"

namespace spectrel {

namespace {

constexpr const char* RecentKey = "RecentDayFiles";
constexpr int RecentCount = 8;
constexpr int PointsPerSlice = 30;   // live points added before the window gets its turn again
const QSize PictureSize(1600, 1000); // the copied and saved picture, pixels

QString FileNameOf(const std::string& path) { return QFileInfo(QString::fromStdString(path)).fileName(); }

bool SameFile(const std::string& a, const std::string& b) {
  return !a.empty() && !b.empty() && QFileInfo(QString::fromStdString(a)).absoluteFilePath() == QFileInfo(QString::fromStdString(b)).absoluteFilePath();
}

}  // namespace

OverviewPane::OverviewPane(QMainWindow& frame, CSpectrelView& view, QtDocumentHost& host)
    : QObject(&frame), Frame(frame), View(view), PagePrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  // The day runs across the page: a wide picture reads best on a landscape page.
  PagePrinter->setPageOrientation(QPageLayout::Landscape);
  DockWidget = new QDockWidget(tr("Day Overview"), &frame);
  DockWidget->setObjectName(QStringLiteral("overviewDock"));
  Widget = new CDayOverview(DockWidget);
  DockWidget->setWidget(Widget);
  frame.addDockWidget(Qt::BottomDockWidgetArea, DockWidget);
  CreateActions();
  connect(Widget, &CDayOverview::PointChosen, this, &OverviewPane::ShowPoint);
  connect(Widget, &CDayOverview::LiveChosen, this, &OverviewPane::BackToLive);
  connect(&host, &QtDocumentHost::ViewsUpdated, this, &OverviewPane::FollowLive);
  connect(&ReadingDay, &QFutureWatcher<ArchiveDay>::finished, this, &OverviewPane::OnReadFinished);
  FollowLive();
  // After a restart the morning is in today's file before the next measurement adds to it.
  if (View.Document().DayData().RadCount() == 0 && QFileInfo::exists(QString::fromStdString(TodayFile()))) {
    OpenDayFile(QString::fromStdString(TodayFile()));
    ReadingTodayAtStart = true;
  }
}

// A read still running holds only its own copies: it may end after the pane has gone.
OverviewPane::~OverviewPane() = default;

void OverviewPane::CreateActions() {
  // The pane's own action keeps its text when the pane's title names a file.
  Show = new QAction(QIcon(QStringLiteral(":/icons/overview.svg")), tr("&Day Overview"), this);
  Show->setCheckable(true);
  Show->setStatusTip(tr("Show or hide the day overview"));
  Show->setToolTip(tr("Day Overview"));
  connect(Show, &QAction::toggled, DockWidget, &QWidget::setVisible);
  connect(DockWidget, &QDockWidget::visibilityChanged, Show, [this] { Show->setChecked(!DockWidget->isHidden()); });
  Show->setChecked(true);
  Open = new QAction(tr("&Open Day File..."), this);
  Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  Open->setStatusTip(tr("Look at a day of the archive"));
  connect(Open, &QAction::triggered, this, [this] {
    const QString path = QFileDialog::getOpenFileName(&Frame, tr("Open Day File"),
                                                      QString::fromStdString(View.Document().Settings().KrfFolder),
                                                      tr("Day files (*.krf *.KRF);;All files (*)"));
    if (!path.isEmpty()) OpenDayFile(path);
  });
  Previous = new QAction(tr("Previous &Day"), this);
  Previous->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
  Previous->setStatusTip(tr("Open the nearest earlier day file"));
  Next = new QAction(tr("&Next Day"), this);
  Next->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
  Next->setStatusTip(tr("Open the nearest later day file"));
  for (auto [action, side] : {std::pair(Previous, 0), std::pair(Next, 1)}) {
    connect(action, &QAction::triggered, this, [this, side = side] {
      if (!Neighbours[side].empty()) OpenDayFile(QString::fromStdString(Neighbours[side]));
    });
  }
  Live = new QAction(tr("Back to &Live"), this);
  Live->setShortcut(QKeySequence(Qt::Key_Escape));
  Live->setStatusTip(tr("Show the running measurement again"));
  connect(Live, &QAction::triggered, this, &OverviewPane::BackToLive);
  EarlierPoint = new QAction(tr("&Earlier Point"), this);
  EarlierPoint->setShortcut(QKeySequence(Qt::Key_Left));
  EarlierPoint->setStatusTip(tr("Show the day's point before the one shown"));
  connect(EarlierPoint, &QAction::triggered, this, [this] { StepPoint(-1); });
  LaterPoint = new QAction(tr("Later &Point"), this);
  LaterPoint->setShortcut(QKeySequence(Qt::Key_Right));
  LaterPoint->setStatusTip(tr("Show the day's point after the one shown"));
  connect(LaterPoint, &QAction::triggered, this, [this] { StepPoint(1); });
  UtcAxis = new QAction(tr("&UTC Time Axis"), this);
  UtcAxis->setCheckable(true);
  UtcAxis->setStatusTip(tr("Read the day overview's time axis in UTC instead of the station's clock"));
  connect(UtcAxis, &QAction::toggled, this, [this](bool utc) {
    Widget->SetUtcAxis(utc);
    QSettings().setValue(QStringLiteral("OverviewUtcAxis"), utc);
  });
  UtcAxis->setChecked(QSettings().value(QStringLiteral("OverviewUtcAxis"), false).toBool());
  Recent = new QMenu(tr("Rec&ent Day Files"), &Frame);
  UpdateRecent(QString());

  PictureCommands = new QMenu(tr("Day Overview Pic&ture"), &Frame);
  PictureCommands->addAction(tr("&Print..."), this, &OverviewPane::OnPrint);
  PictureCommands->addAction(tr("Print Pre&view"), this, &OverviewPane::OnPreview);
  PictureCommands->addAction(tr("&Copy"), this, &OverviewPane::OnCopy);
  PictureCommands->addAction(tr("&Save As..."), this, &OverviewPane::OnSave);
  Widget->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Widget, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PictureCommands->exec(Widget->mapToGlobal(at)); });
}

StationZone OverviewPane::Zone() const { return StationZoneOf(View.Document().Settings().SiteZone); }

std::string OverviewPane::TodayFile() const {
  return DayFilePath(View.Document().Settings().KrfFolder, SystemClock().Now());
}

const CKrfData& OverviewPane::LiveDay() const {
  const CKrfData& running = View.Document().DayData();
  return running.RadCount() == 0 && TodayRead ? *TodayRead : running;
}

const CKrfData& OverviewPane::ShownDay() const { return Archive ? *Archive : LiveDay(); }

void OverviewPane::SetTitle(const QString& fileName) {
  DockWidget->setWindowTitle(Archive ? tr("Day Overview - %1").arg(fileName) : tr("Day Overview"));
  Widget->SetFileName(fileName);
}

void OverviewPane::FollowLive() {
  if (Archive || FollowPending) return;
  // Past midnight the running day is another file, with other neighbours.
  const QString today = FileNameOf(TodayFile());
  if (today != LiveFileName) {
    LiveFileName = today;
    SetTitle(today);
    UpdateNeighbours();
  }
  const ReportOptions range = ReportOptionsFrom(View.Document().Settings());
  // The running day is measured in the station's zone; a zone changed in the settings starts it over.
  if (Widget->Data().Count() == 0 || ZoneSetting != View.Document().Settings().SiteZone) {
    ZoneSetting = View.Document().Settings().SiteZone;
    Widget->Data().Clear();
    Widget->Data().SetZone(Zone());
  }
  // A long day (a start late in the day) is taken in slices so the window keeps answering.
  const bool done = Widget->Data().Follow(LiveDay(), range.IntegFrom, range.IntegTo, PointsPerSlice);
  Widget->Changed();
  if (!done) {
    FollowPending = true;
    QTimer::singleShot(0, this, [this] {
      FollowPending = false;
      FollowLive();
    });
  }
  // The latest point is the graph's own unless the user holds an earlier one.
  Widget->SetShown(View.ShowingEarlierPoint() ? ShownIndex : Widget->Data().Count() - 1);
  UpdateActions();
}

void OverviewPane::OpenDayFile(const QString& path) {
  if (SameFile(path.toStdString(), TodayFile()) && View.Document().DayData().RadCount() > 0) {
    BackToLive();   // the running day is already here, and grows
    return;
  }
  if (ReadPending) {
    // The file read now is no longer wanted: it stops before its overview is built (or, read
    // already, is not shown).
    QueuedPath = path;
    // Today's morning read at start is kept for Back to Live, even when a day file named on the
    // command line comes at once.
    if (!ReadingTodayAtStart) ReadingDay.future().cancel();
    return;
  }
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  ReadPending = true;
  StartReading(path);
}

void OverviewPane::StartReading(const QString& path) {
  const ReportOptions range = ReportOptionsFrom(View.Document().Settings());
  ReadingDay.setFuture(QtConcurrent::run(
      [](QPromise<ArchiveDay>& promise, const std::string& file, int from, int to, const StationZone& zone) {
        promise.addResult(ReadArchiveDay(file, from, to, zone, [&promise] { return promise.isCanceled(); }));
      },
      path.toStdString(), range.IntegFrom, range.IntegTo, Zone()));
}

void OverviewPane::OnReadFinished() {
  const QFuture<ArchiveDay> done = ReadingDay.future();
  if (std::exchange(ReadingTodayAtStart, false) && !QueuedPath.isEmpty() && !done.isCanceled() && done.resultCount() > 0)
    TodayRead = done.result().Set;
  if (!QueuedPath.isEmpty()) {
    StartReading(std::exchange(QueuedPath, QString()));
    return;
  }
  QGuiApplication::restoreOverrideCursor();
  ReadPending = false;
  if (!done.isCanceled() && done.resultCount() > 0) OnRead(done.result());
}

void OverviewPane::OnRead(ArchiveDay day) {
  const QString name = FileNameOf(day.Path);
  const QString problem = QString::fromStdString(day.Problem);
  const int points = day.Set->RadCount();
  if (points == 0 && !problem.isEmpty()) {
    // Nothing to show: the day shown stays, and the pane says why the other is not there.
    Widget->SetNotice(tr("%1 could not be read: %2").arg(name, problem));
  } else {
    QString notice = problem.isEmpty() ? QString() : tr("%1: %2 (%3 points could be read)").arg(name, problem).arg(points);
    // Each part is a file of its own, read over its own unit's records: the next one is named.
    if (!day.NextPart.empty())
      notice += (notice.isEmpty() ? QString() : QStringLiteral("  ")) +
                tr("The day goes on in %1: another sensor unit took over.").arg(FileNameOf(day.NextPart));
    if (SameFile(day.Path, TodayFile())) {
      TodayRead = day.Set;   // the running day, until the document has points of its own
      BackToLive();
    } else {
      ShowArchiveDay(day);
    }
    Widget->SetNotice(notice);
  }
  // A file that is not there is no recent file.
  if (QFileInfo::exists(QString::fromStdString(day.Path))) UpdateRecent(QString::fromStdString(day.Path));
  emit DayShown(problem);
}

void OverviewPane::ShowArchiveDay(ArchiveDay& day) {
  Archive = day.Set;
  ArchiveFile = day.Path;
  Widget->SetData(std::move(day.Overview), std::move(day.Spectrogram));
  Widget->SetLiveMarker(false);
  SetTitle(FileNameOf(day.Path));
  UpdateNeighbours();
  DockWidget->show();
  // The day's last point in the graph: what could be read, marked as not the latest.
  ShownIndex = -1;
  if (Archive->RadCount() > 0) ShowPoint(Archive->RadCount() - 1);
  UpdateActions();
}

void OverviewPane::BackToLive() {
  const bool wasArchive = Archive != nullptr;
  Archive.reset();
  ArchiveFile.clear();
  ShownIndex = -1;
  View.BackToLive();
  Widget->SetLiveMarker(false);
  Widget->SetNotice(QString());
  LiveFileName = FileNameOf(TodayFile());
  SetTitle(LiveFileName);
  if (wasArchive) Widget->SetData(DayOverviewData());
  UpdateNeighbours();
  FollowLive();
}

void OverviewPane::ShowPoint(int index) {
  const CKrfData& set = ShownDay();
  if (index < 0 || index >= set.RadCount()) return;
  View.ShowPoint(set, index);
  ShownIndex = index;
  Widget->SetShown(index);
  Widget->SetLiveMarker(!Archive);
  UpdateActions();
}

void OverviewPane::StepPoint(int delta) {
  const int count = ShownDay().RadCount();
  if (count == 0) return;
  const int from = ShownIndex >= 0 ? ShownIndex : count - 1;
  const int to = std::clamp(from + delta, 0, count - 1);
  if (!Archive && to == count - 1) BackToLive();   // the running day's latest point is live
  else if (to != from || ShownIndex < 0) ShowPoint(to);
}

void OverviewPane::UpdateNeighbours() {
  const std::string here = Archive ? ArchiveFile : TodayFile();
  for (int side : {0, 1}) Neighbours[side] = NearestDayFile(here, side == 0 ? -1 : 1);
  UpdateActions();
}

void OverviewPane::UpdateActions() {
  Previous->setEnabled(!Neighbours[0].empty());
  Next->setEnabled(!Neighbours[1].empty());
  Live->setEnabled(Archive != nullptr || View.ShowingEarlierPoint());
  const int count = ShownDay().RadCount();
  EarlierPoint->setEnabled(count > 1 && ShownIndex != 0);
  LaterPoint->setEnabled(count > 1 && ShownIndex >= 0 && (Archive ? ShownIndex < count - 1 : true));
}

void OverviewPane::UpdateRecent(const QString& path) {
  QSettings settings;
  QStringList files = settings.value(RecentKey).toStringList();
  if (!path.isEmpty()) {
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > RecentCount) files.removeLast();
    settings.setValue(RecentKey, files);
  }
  Recent->clear();
  for (int i = 0; i < files.size(); ++i) {
    const QString file = files[i];
    Recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(file), this, [this, file] { OpenDayFile(file); });
  }
  Recent->setEnabled(!files.isEmpty());
}

PictureSource OverviewPane::Picture() const {
  PictureSource source;
  source.Title = tr("Day Overview");
  source.Paint = [this](QPainter& painter, const QRect& area) { Widget->Render(painter, area); };
  source.PageArea = [](const QPaintDevice& page) { return QRect(0, 0, page.width(), page.height()); };
  return source;
}

void OverviewPane::OnPrint() {
  QPrintDialog dialog(PagePrinter.get(), &Frame);
  if (dialog.exec() == QDialog::Accepted) PrintPicture(*PagePrinter, Picture());
}

void OverviewPane::OnPreview() { PreviewPicture(*PagePrinter, &Frame, Picture()); }

void OverviewPane::OnCopy() { CopyPicture(Picture(), PictureSize); }

void OverviewPane::OnSave() {
  const QString path = QFileDialog::getSaveFileName(&Frame, tr("Save Day Overview"), QString(),
                                                    tr("PNG picture (*.png);;SVG picture (*.svg);;PDF document (*.pdf)"));
  if (!path.isEmpty() && !SavePicture(Picture(), path, PictureSize))
    QMessageBox::warning(&Frame, tr("Save Day Overview"), tr("The picture could not be saved."));
}

}  // namespace spectrel
