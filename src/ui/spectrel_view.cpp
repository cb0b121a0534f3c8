#include "ui/spectrel_view.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWheelEvent>

#include <cmath>

#include "measure/settings_options.h"
#include "sensor/status_report.h"
#include "settings/profile_check.h"
#include "ui/drawing_area.h"
#include "ui/graph_output.h"
#include "ui/spectrum_text.h"

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
  setMouseTracking(true);
  // A landscape page gives the 4:3 graph the whole page height.
  PagePrinter->setPageOrientation(QPageLayout::Landscape);
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
  if (Doc.Settings().AutoStart) OnStartInterval();
}

void CSpectrelView::OnStartInterval() {
  if (Doc.Measuring()) return;
  if (const auto problem = WindowFinding(Doc.Settings())) {
    QMessageBox::warning(this, QApplication::applicationDisplayName(),
                         tr("Interval measurement cannot start: %1.")
                             .arg(QString::fromStdString(problem->Where + ": " + problem->Text)));
    return;
  }
  Doc.OnStartInterval();
  emit MeasuringChanged();
}

void CSpectrelView::OnStartManual() {
  if (Doc.Measuring()) return;
  // Identification runs on the workers; the GUI keeps running while the document looks again.
  Doc.OnStartManual();
  emit MeasuringChanged();
}

bool CSpectrelView::OnAbort() {
  if (!Doc.StopMeasurement()) return false;
  emit MeasuringChanged();
  return true;
}

void CSpectrelView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const DrawingArea area = ScreenDrawingArea(width(), height());
  DrawGraph(painter, area.Width, area.Height, CurrentInputs(), GraphState, ViewState);
  if (ReadingX < 0 || ReadingText.isEmpty()) return;
  // The cursor's line and reading, on the window only.
  const GraphRect& plot = GraphState.Rect;
  painter.setPen(QPen(QColor(120, 120, 120), 1, Qt::DotLine));
  painter.drawLine(ReadingX, plot.Top, ReadingX, plot.Bottom);
  const QRect box = painter.fontMetrics().boundingRect(ReadingText).adjusted(-4, -2, 4, 2);
  const QRect at(plot.Right - box.width() - 2, plot.Top + 2, box.width(), box.height());
  painter.fillRect(at, QColor(255, 255, 255, 230));
  painter.setPen(Qt::black);
  painter.drawText(at, Qt::AlignCenter, ReadingText);
}

void CSpectrelView::BeginZoom() {
  if (ViewState.Zoomed) return;
  ViewState.Zoomed = true;
  ViewState.XMin = GraphState.XMin;
  ViewState.XMax = GraphState.XMax;
  ViewState.YMin = GraphState.YMin;
  ViewState.YMax = GraphState.YMax;
}

void CSpectrelView::ZoomX(double factor, int atX) {
  if (!(GraphState.XMax > GraphState.XMin)) return;
  BeginZoom();
  const double centre = atX >= 0 ? GraphState.XAt(atX) : (ViewState.XMin + ViewState.XMax) / 2;
  ViewState.XMin = centre - (centre - ViewState.XMin) / factor;
  ViewState.XMax = centre + (ViewState.XMax - centre) / factor;
  update();
}

void CSpectrelView::ZoomY(double factor, int atY) {
  if (!(GraphState.YMax > GraphState.YMin)) return;
  BeginZoom();
  const double centre = atY >= 0 ? GraphState.YAt(atY) : (ViewState.YMin + ViewState.YMax) / 2;
  if (ViewState.LogY && centre > 0 && ViewState.YMin > 0) {
    ViewState.YMin = centre * std::pow(ViewState.YMin / centre, 1.0 / factor);
    ViewState.YMax = centre * std::pow(ViewState.YMax / centre, 1.0 / factor);
  } else {
    ViewState.YMin = centre - (centre - ViewState.YMin) / factor;
    ViewState.YMax = centre + (ViewState.YMax - centre) / factor;
  }
  update();
}

void CSpectrelView::PanX(double fraction) {
  BeginZoom();
  const double shift = (ViewState.XMax - ViewState.XMin) * fraction;
  ViewState.XMin += shift;
  ViewState.XMax += shift;
  update();
}

void CSpectrelView::ResetZoom() {
  ViewState.Zoomed = false;
  update();
}

void CSpectrelView::SetLogAxis(bool on) {
  ViewState.LogY = on;
  // A linear zoom's bottom of 0 has no logarithm: the zoom starts again from the axes.
  if (on && ViewState.Zoomed && !(ViewState.YMin > 0)) ViewState.Zoomed = false;
  update();
}

void CSpectrelView::OverlayShown() {
  const GraphInputs inputs = CurrentInputs();
  ViewState.Overlay = SpectrumPoints(inputs.Display);
  ViewState.OverlayLabel = inputs.Time;
  update();
}

bool CSpectrelView::OverlayFile(const QString& path, QString& problem) {
  std::vector<std::pair<double, double>> points;
  if (!ReadSpectrumNumbers(path, points, problem)) return false;
  ViewState.Overlay = std::move(points);
  ViewState.OverlayLabel = QFileInfo(path).fileName().toStdString();
  update();
  return true;
}

void CSpectrelView::ClearOverlay() {
  ViewState.Overlay.clear();
  ViewState.OverlayLabel.clear();
  update();
}

QString CSpectrelView::ShownNumbers() const { return SpectrumNumbers(CurrentInputs().Display); }

void CSpectrelView::wheelEvent(QWheelEvent* event) {
  const QPoint at = event->position().toPoint();
  const double factor = event->angleDelta().y() > 0 ? 1.25 : event->angleDelta().y() < 0 ? 0.8 : 1.0;
  if (factor == 1.0) return;
  if (event->modifiers() & Qt::ShiftModifier) ZoomY(factor, at.y()); else ZoomX(factor, at.x());
  event->accept();
}

void CSpectrelView::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const GraphRect& plot = GraphState.Rect;
  Dragging = event->button() == Qt::LeftButton && at.x() > plot.Left && at.x() < plot.Right && at.y() > plot.Top &&
             at.y() < plot.Bottom;
  DragFrom = at;
}

void CSpectrelView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const GraphRect& plot = GraphState.Rect;
  if (Dragging && (event->buttons() & Qt::LeftButton) && at != DragFrom) {
    BeginZoom();
    const double dx = GraphState.XAt(DragFrom.x()) - GraphState.XAt(at.x());
    ViewState.XMin += dx;
    ViewState.XMax += dx;
    if (!ViewState.LogY) {
      const double dy = GraphState.YAt(DragFrom.y()) - GraphState.YAt(at.y());
      ViewState.YMin += dy;
      ViewState.YMax += dy;
    }
    DragFrom = at;
  }
  const bool over = at.x() > plot.Left && at.x() < plot.Right && at.y() > plot.Top && at.y() < plot.Bottom;
  ReadingX = over ? at.x() : -1;
  ReadingText = over ? GraphReadingAt(CurrentInputs(), GraphState.XAt(at.x())) : QString();
  update();
}

void CSpectrelView::mouseReleaseEvent(QMouseEvent*) { Dragging = false; }

void CSpectrelView::leaveEvent(QEvent*) {
  ReadingX = -1;
  ReadingText.clear();
  update();
}

void CSpectrelView::OnCopy() {
  const GraphInputs inputs = CurrentInputs();
  if (!CopyPicture(GraphSource(inputs, GraphState, ViewState), ClipboardPictureSize()))
    QMessageBox::warning(this, QApplication::applicationDisplayName(), tr("Error(Copy to clipboard failed)"),
                         QMessageBox::Ok);
}

void CSpectrelView::OnPrint() {
  QPrintDialog dialog(PagePrinter.get(), this);
  dialog.setMinMax(1, 1);   // a print job is always one page
  if (dialog.exec() != QDialog::Accepted) return;
  const GraphInputs inputs = CurrentInputs();
  PrintPicture(*PagePrinter, GraphSource(inputs, GraphState, ViewState));
}

void CSpectrelView::OnPrintPreview() {
  const GraphInputs inputs = CurrentInputs();
  PreviewPicture(*PagePrinter, this, GraphSource(inputs, GraphState, ViewState));
}

void CSpectrelView::OnPrinterSetup() {
  QPageSetupDialog dialog(PagePrinter.get(), this);
  dialog.exec();
}

}  // namespace spectrel
