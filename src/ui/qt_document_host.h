// The desktop program's side of the document: posted tasks and timers run on the GUI thread, the
// measurement dialog shows the state, the clock and the sensors, the stop question is a message
// box, and a failed attempt beeps. The measurement dialog steps aside while any other modal
// dialog or message box is open, so it never hides one.
#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

#include "measure/document_host.h"
#include "ui/int_dlg.h"

namespace spectrel {

class CSpectrelView;

class QtDocumentHost : public QObject, public DocumentHost {
  Q_OBJECT

 public:
  explicit QtDocumentHost(QObject* parent = nullptr);
  ~QtDocumentHost() override;

  // The view that "Abort" reaches and that is redrawn.
  void SetView(CSpectrelView* view);
  CIntDlg& IntervalDialog() { return *Dialog; }
  // Shows the measurement dialog centred over the main window (the place the user gave it is
  // kept), or hides it.
  void ShowIntervalDialog(bool visible);
  bool CloseEnabled() const { return CanClose; }
  // Redraws the graph (a cycle completed, settings applied).
  void UpdateAllViews();

  void Post(std::function<void()> task) override;
  void CallAfter(std::chrono::milliseconds delay, std::function<void()> task) override;
  void StateChanged(const StateEvent& event) override;
  void SensorStatusChanged(const SensorEvent& event) override;
  void ClockTicked(const std::string& clockText) override;
  void CycleCompleted(const CycleSummary& summary) override;
  bool Ask(const std::string& question) override;
  bool ShowsWholeDay() const override { return true; }   // the overview steps through any point
  // On stderr as everywhere, and to the window (ProblemReported).
  void ReportError(const std::string& line) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // Measurement began (false) or ended (true): the frame enables its commands accordingly.
  void CloseEnabledChanged(bool enabled);
  // The document changed what it shows (a cycle completed, settings applied).
  void ViewsUpdated();
  // A point not stored, a day file set aside, a sensor unit changed: a line for the operator.
  void ProblemReported(const QString& line);

 private:
  QPointer<CSpectrelView> View;
  std::unique_ptr<CIntDlg> Dialog;   // created hidden, lives as long as the host
  bool CanClose = true;
};

}  // namespace spectrel
