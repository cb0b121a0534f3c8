// The two settings commands of the application: the modal measurement settings (saved on OK)
// and the modeless graph settings, created hidden at start-up and kept until exit.
#pragma once

#include <functional>
#include <memory>

#include "settings/app_settings.h"

class QDialog;
class QWidget;

namespace spectrel {

class SettingsActions {
 public:
  // save writes the settings to the profile; redraw repaints the graph.
  SettingsActions(AppSettings& settings, std::function<void()> save, std::function<void()> redraw);
  ~SettingsActions();

  void RunMeasurementSettings(QWidget* parent);
  void CreateGraphDialog();
  void ShowGraphSettings(QWidget* mainWindow);
  void DestroyGraphDialog();
  QDialog* GraphDialog() const { return Graph.get(); }

 private:
  AppSettings& Settings;
  std::function<void()> Save;
  std::function<void()> Redraw;
  std::unique_ptr<QDialog> Graph;   // null until created at start-up and after exit
};

}  // namespace spectrel
