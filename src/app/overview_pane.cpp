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

#include "measure/settings_options.h"
#include "ui/day_overview.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"

namespace spectrel {

namespace {

constexpr const char* RecentKey = "RecentDayFiles";
constexpr int RecentCount = 8;
constexpr int PointsPerSlice = 30;   // live points added before the window gets its turn again
const QSize PictureSize(1200, 900);  // the copied and saved picture, pixels

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
  connect(Widget, &CDayOverview::PointChosen, this, &OverviewPane::OnPointChosen);
  connect(&host, &QtDocumentHost::ViewsUpdated, this, &OverviewPane::FollowLive);
  connect(&Reading, &QFutureWatcher<ArchiveDay>::finished, this, &OverviewPane::OnReadFinished);
  FollowLive();
}

// A read still running holds only its own copies: it may end after the pane has gone.
OverviewPane::~OverviewPane() = default;

QAction* OverviewPane::ShowAction() const { return DockWidget->toggleViewAction(); }

void OverviewPane::CreateActions() {
  QAction* show = ShowAction();
  show->setText(tr("&Day Overview"));
  show->setStatusTip(tr("Show or hide the day overview"));
  show->setToolTip(tr("Day Overview"));
  show->setIcon(QIcon(QStringLiteral(":/icons/overview.svg")));
  Open = new QAction(tr("&Open Day File..."), this);
  Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  Open->setStatusTip(tr("Look at a day of the archive"));
  connect(Open, &QAction::triggered, this, [this] {
    const QString path = QFileDialog::getOpenFileName(&Frame, tr("Open Day File"),
                                                      QString::fromStdString(View.Document().Settings().KrfFolder),
                                                      tr("Day files (*.krf *.KRF);;All files (*)"));
    if (!path.isEmpty()) OpenDayFile(path);
  });
  Previous = new QAction(tr("&Previous Day"), this);
  Previous->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
  Next = new QAction(tr("&Next Day"), this);
  Next->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
  for (auto [action, days] : {std::pair(Previous, -1), std::pair(Next, 1)}) {
    connect(action, &QAction::triggered, this, [this, days = days] {
      const std::string other = NeighbourDayFile(ArchiveFile, days);
      if (!other.empty()) OpenDayFile(QString::fromStdString(other));
    });
  }
  Live = new QAction(tr("Back to Live"), this);
  Live->setStatusTip(tr("Show the running measurement again"));
  connect(Live, &QAction::triggered, this, &OverviewPane::BackToLive);
  Recent = new QMenu(tr("&Recent Day Files"), &Frame);
  UpdateRecent(QString());

  PictureCommands = new QMenu(tr("Day Overview &Picture"), &Frame);
  PictureCommands->addAction(tr("&Print..."), this, &OverviewPane::OnPrint);
  PictureCommands->addAction(tr("Print Pre&view"), this, &OverviewPane::OnPreview);
  PictureCommands->addAction(tr("&Copy"), this, &OverviewPane::OnCopy);
  PictureCommands->addAction(tr("&Save As..."), this, &OverviewPane::OnSave);
  Widget->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Widget, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PictureCommands->exec(Widget->mapToGlobal(at)); });
  for (QAction* action : {Previous, Next, Live}) action->setEnabled(false);
}

void OverviewPane::FollowLive() {
  if (Archive || FollowPending) return;
  const ReportOptions range = ReportOptionsFrom(View.Document().Settings());
  // A long day (a start late in the day) is taken in slices so the window keeps answering.
  const bool done = Widget->Data().Follow(View.Document().DayData(), range.IntegFrom, range.IntegTo, PointsPerSlice);
  Widget->Changed();
  if (!done) {
    FollowPending = true;
    QTimer::singleShot(0, this, [this] {
      FollowPending = false;
      FollowLive();
    });
  }
}

void OverviewPane::OpenDayFile(const QString& path) {
  if (Reading.isRunning()) {
    // The file read now is no longer wanted: it stops before its overview is built.
    QueuedPath = path;
    Reading.future().cancel();
    return;
  }
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  StartReading(path);
}

void OverviewPane::StartReading(const QString& path) {
  const ReportOptions range = ReportOptionsFrom(View.Document().Settings());
  Reading.setFuture(QtConcurrent::run(
      [](QPromise<ArchiveDay>& promise, const std::string& file, int from, int to) {
        promise.addResult(ReadArchiveDay(file, from, to, [&promise] { return promise.isCanceled(); }));
      },
      path.toStdString(), range.IntegFrom, range.IntegTo));
}

void OverviewPane::OnReadFinished() {
  if (!QueuedPath.isEmpty()) {
    StartReading(std::exchange(QueuedPath, QString()));
    return;
  }
  QGuiApplication::restoreOverrideCursor();
  const QFuture<ArchiveDay> done = Reading.future();
  if (!done.isCanceled() && done.resultCount() > 0) OnRead(done.result());
}

void OverviewPane::OnRead(ArchiveDay day) {
  Archive = day.Set;
  ArchiveFile = day.Path;
  Widget->SetData(std::move(day.Overview), std::move(day.Spectrogram));
  DockWidget->setWindowTitle(tr("Day Overview - %1").arg(QFileInfo(QString::fromStdString(day.Path)).fileName()));
  for (QAction* action : {Previous, Next, Live}) action->setEnabled(true);
  UpdateRecent(QString::fromStdString(day.Path));
  // The day's last point in the graph: what could be read, marked as not the latest.
  if (Archive->RadCount() > 0) View.ShowPoint(*Archive, Archive->RadCount() - 1);
  DockWidget->show();
  const QString problem = QString::fromStdString(day.Problem);
  if (!problem.isEmpty())
    QMessageBox::warning(&Frame, tr("Open Day File"),
                         tr("%1\n%2 points could be read.").arg(problem).arg(Archive->RadCount()));
  emit DayShown(problem);
}

void OverviewPane::BackToLive() {
  Archive.reset();
  ArchiveFile.clear();
  DockWidget->setWindowTitle(tr("Day Overview"));
  for (QAction* action : {Previous, Next, Live}) action->setEnabled(false);
  View.BackToLive();
  Widget->Data().Clear();
  FollowLive();
}

void OverviewPane::OnPointChosen(int index) {
  const CKrfData& set = Archive ? *Archive : View.Document().DayData();
  if (index >= 0 && index < set.RadCount()) View.ShowPoint(set, index);
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
