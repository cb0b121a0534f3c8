#include "app/overview_pane.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QSvgGenerator>
#include <QTimer>

#include "measure/settings_options.h"
#include "ui/day_overview.h"
#include "ui/print_preview.h"
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
  DockWidget = new QDockWidget(tr("Day Overview"), &frame);
  DockWidget->setObjectName(QStringLiteral("overviewDock"));
  Widget = new CDayOverview(DockWidget);
  DockWidget->setWidget(Widget);
  frame.addDockWidget(Qt::BottomDockWidgetArea, DockWidget);
  CreateActions();
  connect(Widget, &CDayOverview::PointChosen, this, &OverviewPane::OnPointChosen);
  connect(&host, &QtDocumentHost::ViewsUpdated, this, &OverviewPane::FollowLive);
  FollowLive();
}

OverviewPane::~OverviewPane() {
  if (Reader.joinable()) Reader.join();
}

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

  Picture = new QMenu(tr("Day Overview &Picture"), &Frame);
  Picture->addAction(tr("&Print..."), this, &OverviewPane::OnPrint);
  Picture->addAction(tr("Print Pre&view"), this, &OverviewPane::OnPreview);
  Picture->addAction(tr("&Copy"), this, &OverviewPane::OnCopy);
  Picture->addAction(tr("&Save As..."), this, &OverviewPane::OnSave);
  Widget->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Widget, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { Picture->exec(Widget->mapToGlobal(at)); });
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
  if (Reader.joinable()) Reader.join();
  const ReportOptions range = ReportOptionsFrom(View.Document().Settings());
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  Reader = std::thread([this, file = path.toStdString(), range] {
    ArchiveDay day = ReadArchiveDay(file, range.IntegFrom, range.IntegTo);
    QMetaObject::invokeMethod(this, [this, day = std::move(day)]() mutable { OnRead(std::move(day)); },
                              Qt::QueuedConnection);
  });
}

void OverviewPane::OnRead(ArchiveDay day) {
  QGuiApplication::restoreOverrideCursor();
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

QImage OverviewPane::Image(const QSize& size) const {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  Widget->Render(painter, QRect(QPoint(0, 0), size));
  return image;
}

QByteArray OverviewPane::Svg(const QSize& size) const {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  generator.setTitle(tr("Day Overview"));
  QPainter painter(&generator);
  Widget->Render(painter, QRect(QPoint(0, 0), size));
  painter.end();
  return buffer.data();
}

bool OverviewPane::SavePicture(const QString& path) const {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("svg")) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(Svg(PictureSize)) > 0;
  }
  if (suffix == QLatin1String("pdf")) {
    QPdfWriter pdf(path);
    pdf.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&pdf)) return false;
    Widget->Render(painter, QRect(0, 0, pdf.width(), pdf.height()));
    return painter.end();
  }
  return Image(PictureSize).save(path, "PNG");
}

void OverviewPane::OnPrint() {
  QPrintDialog dialog(PagePrinter.get(), &Frame);
  if (dialog.exec() != QDialog::Accepted) return;
  QPainter painter(PagePrinter.get());
  Widget->Render(painter, painter.viewport());
}

void OverviewPane::OnPreview() {
  RunPrintPreview(*PagePrinter, &Frame, [this](QPrinter* printer) {
    QPainter painter(printer);
    Widget->Render(painter, painter.viewport());
  });
}

void OverviewPane::OnCopy() {
  auto* mime = new QMimeData;
  mime->setData(QStringLiteral("image/svg+xml"), Svg(PictureSize));
  mime->setImageData(Image(PictureSize));
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setMimeData(mime);
  else delete mime;
}

void OverviewPane::OnSave() {
  const QString path = QFileDialog::getSaveFileName(&Frame, tr("Save Day Overview"), QString(),
                                                    tr("PNG picture (*.png);;SVG picture (*.svg);;PDF document (*.pdf)"));
  if (!path.isEmpty() && !SavePicture(path))
    QMessageBox::warning(&Frame, tr("Save Day Overview"), tr("The picture could not be saved."));
}

}  // namespace spectrel
