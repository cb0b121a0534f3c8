// The only view of the document: draws the graph in the window's 4:3 area, prints, previews and
// copies it, and turns the start commands and "Abort" into calls on the document, which keeps its
// own rhythm. Under the hand: zoom and pan (wheel, drag, keys; reset to the settings' axes), a
// reading of wavelength and irradiance at the cursor, a logarithmic irradiance axis, an overlaid
// earlier or reference spectrum, and the shown spectrum as numbers.
#pragma once

#include <QWidget>

#include <memory>

#include "measure/spectrel_doc.h"
#include "ui/graph.h"
#include "ui/graph_painter.h"

class QPrinter;

namespace spectrel {

class CSpectrelView : public QWidget {
  Q_OBJECT

 public:
  explicit CSpectrelView(CSpectrelDoc& doc, QWidget* parent = nullptr);
  ~CSpectrelView() override;

  CSpectrelDoc& Document() { return Doc; }
  const CGraph& Graph() const { return GraphState; }
  QPrinter& Printer() { return *PagePrinter; }

  // First display: starts interval measurement when the settings ask for it.
  void OnInitialUpdate();

  // Commands.
  void OnStartInterval();
  void OnStartManual();
  void OnCopy();
  void OnPrint();
  void OnPrintPreview();
  void OnPrinterSetup();

  // Shows CRad index of the set instead of the latest point, with its own time, integral and
  // report, marked as not the latest; BackToLive returns to the document's latest point.
  void ShowPoint(const CKrfData& set, int index);
  void BackToLive();
  bool ShowingEarlierPoint() const { return Pinned != nullptr; }
  // What the window, the page and the clipboard show now.
  GraphInputs CurrentInputs() const;

  // Zoom by factor (above 1 closer) around the wavelength / irradiance at the middle or at a
  // drawing position; pan by a fraction of the shown range.
  void ZoomX(double factor, int atX = -1);
  void ZoomY(double factor, int atY = -1);
  void PanX(double fraction);
  void ResetZoom();
  void SetLogAxis(bool on);
  // The shown point as the overlay, a reference spectrum file as the overlay (false with the
  // reason when it cannot be read), or no overlay.
  void OverlayShown();
  bool OverlayFile(const QString& path, QString& problem);
  void ClearOverlay();
  const GraphView& UserView() const { return ViewState; }
  // The shown spectrum as tab-separated numbers with a header.
  QString ShownNumbers() const;
  // What the cursor reads over the plot; empty elsewhere.
  QString Reading() const { return ReadingText; }

  // "Abort" in the measurement dialog: the stop, asked about in interval measurement.
  bool OnAbort();   // false when the user declined the stop question

 signals:
  // Measurement started or stopped: the frame refreshes its commands.
  void MeasuringChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // Starts a zoom from the ranges last drawn.
  void BeginZoom();

  CSpectrelDoc& Doc;
  CGraph GraphState;                        // ranges and steps of the last drawing
  std::unique_ptr<QPrinter> PagePrinter;    // printer and page set-up kept between jobs
  struct ChosenPoint;
  std::unique_ptr<ChosenPoint> Pinned;      // an earlier point shown instead of the latest, or null
  GraphView ViewState;                      // zoom, logarithmic axis and overlay of the window
  QString ReadingText;                      // the cursor's reading
  int ReadingX = -1;                        // where the cursor is over the plot, or -1
  QPoint DragFrom;                          // the last point of a pan by dragging
  bool Dragging = false;                    // the left button is held in the plot
};

}  // namespace spectrel
