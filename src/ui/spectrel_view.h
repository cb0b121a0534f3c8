// The only view of the document: draws the graph in the window's 4:3 area, prints, previews and
// copies it, and turns the start commands and "Abort" into calls on the document, which keeps its
// own rhythm.
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

  // "Abort" in the measurement dialog: the stop, asked about in interval measurement.
  void OnAbort();

 signals:
  // Measurement started or stopped: the frame refreshes its commands.
  void MeasuringChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CSpectrelDoc& Doc;
  CGraph GraphState;                        // ranges and steps of the last drawing
  std::unique_ptr<QPrinter> PagePrinter;    // printer and page set-up kept between jobs
  struct ChosenPoint;
  std::unique_ptr<ChosenPoint> Pinned;      // an earlier point shown instead of the latest, or null
};

}  // namespace spectrel
