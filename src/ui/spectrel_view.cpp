#include "ui/spectrel_view.h"

#include <QApplication>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "measure/settings_options.h"
#include "sensor/status_report.h"
#include "ui/drawing_area.h"
#include "ui/graph_output.h"

namespace spectrel {

// A chosen point in a set of its own, so the grey sensor curves of the detailed mode are its own.
struct CSpectrelView::ChosenPoint {
  CKrfData Set;         // the day's header and the one point
  CResample Display;    // the point on the 1 nm grid
  ReportTexts Texts;    // its time (marked), integral, report and memo
};

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

void CSpectrelView::ShowPoint(const CKrfData& set, int index) {
  auto chosen = std::make_unique<ChosenPoint>();
  chosen->Set = set.Header();
  chosen->Set.AppendRad(set.Rad(index));
  try {
    BuildReport(chosen->Set, 0, ReportOptionsFrom(Doc.Settings()), chosen->Display, chosen->Texts, ProcessLanguage());
  } catch (const std::invalid_argument&) {
    return;   // a time the calendar cannot show: keep what is shown
  }
  chosen->Texts.Time += "  " + tr("(not the latest)").toStdString();
  Pinned = std::move(chosen);
  update();
}

void CSpectrelView::BackToLive() {
  Pinned.reset();
  update();
}

GraphInputs CSpectrelView::CurrentInputs() const {
  if (!Pinned) return InputsOf(Doc);
  const AppSettings& s = Doc.Settings();
  const ReportTexts& t = Pinned->Texts;
  return {s.Graph, s.DispMode, Pinned->Display, Pinned->Set, t.Memo, t.Time, t.Integral, t.Report};
}

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
  DrawGraph(painter, area.Width, area.Height, CurrentInputs(), GraphState);
}

void CSpectrelView::OnCopy() {
  const GraphInputs inputs = CurrentInputs();
  if (!CopyPicture(GraphSource(inputs, GraphState), ClipboardPictureSize()))
    QMessageBox::warning(this, QApplication::applicationDisplayName(), tr("Error(Copy to clipboard failed)"),
                         QMessageBox::Ok);
}

void CSpectrelView::OnPrint() {
  QPrintDialog dialog(PagePrinter.get(), this);
  dialog.setMinMax(1, 1);   // a print job is always one page
  if (dialog.exec() != QDialog::Accepted) return;
  const GraphInputs inputs = CurrentInputs();
  PrintPicture(*PagePrinter, GraphSource(inputs, GraphState));
}

void CSpectrelView::OnPrintPreview() {
  const GraphInputs inputs = CurrentInputs();
  PreviewPicture(*PagePrinter, this, GraphSource(inputs, GraphState));
}

void CSpectrelView::OnPrinterSetup() {
  QPageSetupDialog dialog(PagePrinter.get(), this);
  dialog.exec();
}

}  // namespace spectrel
