// The desktop program's side of the document: worker messages are queued into the GUI thread,
// the measurement dialog and the stop question are real widgets.
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

  // The view that receives the worker messages and is redrawn; messages arriving while no view
  // is attached are dropped.
  void SetView(CSpectrelView* view);
  CIntDlg& IntervalDialog() { return *Dialog; }
  bool CloseEnabled() const { return CanClose; }

  void PostWorkerMessage(WorkerMessage message) override;
  void Beep() override;
  void ShowIntervalDialog(bool visible) override;
  void SetIntervalDialogTitle(const std::string& title) override;
  void SetIntervalClock(const std::string& text) override;
  void SetIntervalStatus(const std::string& text) override;
  bool ConfirmStopInterval(const std::string& question) override;
  void EnableClose(bool enabled) override;
  void UpdateAllViews() override;

 signals:
  // Measurement began (false) or ended (true): the frame enables its commands accordingly.
  void CloseEnabledChanged(bool enabled);
  // The document changed what it shows (a cycle completed, settings applied).
  void ViewsUpdated();

 private:
  QPointer<CSpectrelView> View;
  std::unique_ptr<CIntDlg> Dialog;   // created hidden, lives as long as the host
  bool CanClose = true;
};

}  // namespace spectrel
