#include "app/settings_actions.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QScreen>

#include "ui/window_memory.h"

#if __has_include("app/conf_dlg.h")
#include "app/conf_dlg.h"
#define SPECTREL_HAS_CONF_DLG 1
#endif
#if __has_include("ui/graph_dlg.h")
#include "ui/graph_dlg.h"
#define SPECTREL_HAS_GRAPH_DLG 1
#endif

namespace spectrel {

SettingsActions::SettingsActions(AppSettings& settings, std::function<void()> save, std::function<void()> redraw)
    : Settings(settings), Save(std::move(save)), Redraw(std::move(redraw)) {}

SettingsActions::~SettingsActions() = default;

void SettingsActions::RunMeasurementSettings(QWidget* parent) {
#ifdef SPECTREL_HAS_CONF_DLG
  CConfDlg dialog(Settings, parent);
  RememberPlace(dialog, QStringLiteral("MeasurementSettings"));
  if (dialog.exec() == QDialog::Accepted && Save) Save();
#else
  // Without the dialog the settings are edited in the profile while the program is closed.
  QMessageBox::information(parent, QApplication::applicationDisplayName(),
                           QObject::tr("The measurement settings are kept in the profile file."));
#endif
}

void SettingsActions::CreateGraphDialog() {
#ifdef SPECTREL_HAS_GRAPH_DLG
  Graph = std::make_unique<CGraphDlg>(Settings.Graph, Redraw, nullptr);
  RememberPlace(*Graph, QStringLiteral("GraphSettings"));
#endif
  if (Graph) Graph->hide();
}

void SettingsActions::ShowGraphSettings(QWidget* mainWindow) {
  if (!Graph) return;
#ifdef SPECTREL_HAS_GRAPH_DLG
  // Every showing starts from the settings; a dialog already shown is refilled too.
  if (Graph->isVisible()) static_cast<CGraphDlg*>(Graph.get())->TransferToDialog();
#endif
  Graph->adjustSize();
  if (mainWindow != nullptr) {
    const QRect around = mainWindow->frameGeometry();
    Graph->move(around.center() - QPoint(Graph->width() / 2, Graph->height() / 2));
  }
  Graph->show();
  Graph->raise();
  Graph->activateWindow();
}

void SettingsActions::DestroyGraphDialog() { Graph.reset(); }

}  // namespace spectrel
