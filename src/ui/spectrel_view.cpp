#include "ui/spectrel_view.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "ui/drawing_area.h"
#include "ui/graph_output.h"

namespace spectrel {

CSpectrelView::CSpectrelView(CSpectrelDoc& doc, QWidget* parent)
    : QWidget(parent), Doc(doc), PagePrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 120);
  IntervalTimer.setInterval(1000);
  ManualPollTimer.setInterval(50);
  connect(&IntervalTimer, &QTimer::timeout, this, [this] { Doc.OnIntervalTick(); });
  connect(&ManualPollTimer, &QTimer::timeout, this, &CSpectrelView::OnManualPoll);
}

CSpectrelView::~CSpectrelView() = default;

void CSpectrelView::OnInitialUpdate() {
  if (Doc.Settings().AutoStart == 1) OnStartInterval();
}

void CSpectrelView::OnStartInterval() {
  if (Doc.Measuring()) return;
  Doc.OnStartInterval();
  IntervalTimer.start();
  emit MeasuringChanged();
}

void CSpectrelView::OnStartManual() {
  if (Doc.Measuring()) return;
  Doc.OnStartManual();
  emit MeasuringChanged();
  // Identification runs on the workers; the GUI keeps running and looks again every 50 ms.
  OnManualPoll();
}

void CSpectrelView::OnManualPoll() {
  if (Doc.PollManualStart() == CSpectrelDoc::ManualPoll::Waiting) {
    if (!ManualPollTimer.isActive()) ManualPollTimer.start();
    return;
  }
  ManualPollTimer.stop();
}

void CSpectrelView::OnWorkerMessage(WorkerMessage message) {
  if (Doc.HandleMessage(message)) AfterStop();
}

void CSpectrelView::AfterStop() {
  IntervalTimer.stop();
  ManualPollTimer.stop();
  emit MeasuringChanged();
}

void CSpectrelView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const DrawingArea area = ScreenDrawingArea(width(), height());
  DrawDocumentGraph(painter, Doc, area.Width, area.Height, GraphState);
}

void CSpectrelView::OnCopy() {
  std::unique_ptr<QMimeData> picture = GraphPicture(Doc, GraphState);
  if (!picture) {
    QMessageBox::warning(this, QApplication::applicationDisplayName(), tr("Error(Copy to clipboard failed)"),
                         QMessageBox::Ok);
    return;
  }
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return;   // no clipboard: silently no copy
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  clipboard->setMimeData(picture.release());
  QGuiApplication::restoreOverrideCursor();
}

void CSpectrelView::OnPrint() {
  QPrintDialog dialog(PagePrinter.get(), this);
  dialog.setMinMax(1, 1);   // a print job is always one page
  if (dialog.exec() != QDialog::Accepted) return;
  PrintGraph(*PagePrinter, Doc, GraphState);
}

void CSpectrelView::OnPrintPreview() {
  QPrintPreviewDialog preview(PagePrinter.get(), this);
  connect(&preview, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* printer) { PrintGraph(*printer, Doc, GraphState); });
  preview.exec();
}

void CSpectrelView::OnPrinterSetup() {
  QPageSetupDialog dialog(PagePrinter.get(), this);
  dialog.exec();
}

}  // namespace spectrel
