#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/about_dlg.h"
#include "app/command_ids.h"
#include "app/lock_panes.h"
#include "app/overview_pane.h"
#include "ui/qt_document_host.h"
#include "ui/spectrel_view.h"
#include "ui/window_memory.h"

namespace spectrel {

CMainFrame::CMainFrame(CSpectrelView* view, QtDocumentHost& host, FrameCommands commands, QWidget* parent)
    : QMainWindow(parent), ViewWidget(view), Host(host), Commands(std::move(commands)) {
  // The title never carries a document name.
  setWindowTitle(QStringLiteral("Spectrel"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/spectrel.svg")));
  setCentralWidget(ViewWidget);
  Pane = new OverviewPane(*this, *ViewWidget, Host);
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  RestoreMainWindow(*this);

  connect(ViewWidget, &CSpectrelView::MeasuringChanged, this, &CMainFrame::UpdateCommands);
  connect(&Host, &QtDocumentHost::CloseEnabledChanged, this, &CMainFrame::UpdateCommands);
  UpdateCommands();
}

QAction* CMainFrame::AddAction(int id, const QString& text, const QString& prompt, const QString& tip,
                               const char* icon) {
  auto* action = new QAction(text, this);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  action->setStatusTip(prompt);
  action->setToolTip(tip.isEmpty() ? prompt : tip);
  if (icon != nullptr) action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))));
  Actions[id] = action;
  return action;
}

QAction* CMainFrame::Action(int id) const {
  const auto it = Actions.find(id);
  return it == Actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateMenus() {
  CSpectrelView* view = ViewWidget;

  QAction* print = AddAction(IdFilePrint, tr("&Print..."), tr("Print Current Data"), tr("Print"), "print");
  print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  connect(print, &QAction::triggered, view, &CSpectrelView::OnPrint);
  QAction* preview = AddAction(IdFilePrintPreview, tr("Print Pre&view"), tr("Print Preview"), tr("Print Preview", "tool tip"), nullptr);
  connect(preview, &QAction::triggered, view, &CSpectrelView::OnPrintPreview);
  QAction* setup = AddAction(IdFilePrintSetup, tr("P&rinter Setup..."), tr("Change Printer Setup"), tr("Print Setup"), nullptr);
  connect(setup, &QAction::triggered, view, &CSpectrelView::OnPrinterSetup);
  QAction* exit = AddAction(IdAppExit, tr("E&xit"), tr("Exit Spectrel"), QString(), nullptr);
  connect(exit, &QAction::triggered, this, &QWidget::close);

  QAction* settings = AddAction(IdMeasSettings, tr("&Measurement Settings"), tr("Measurement Settings"), tr("Settings"), "settings");
  connect(settings, &QAction::triggered, this, [this] {
    if (Commands.MeasurementSettings) Commands.MeasurementSettings();
  });
  QAction* manual = AddAction(IdMeasManual, tr("Manual Measurement"), tr("Start Manual Measurement"), tr("Start", "manual measurement"), "manual");
  connect(manual, &QAction::triggered, view, &CSpectrelView::OnStartManual);
  QAction* interval = AddAction(IdMeasInterval, tr("&Start Interval Measurement"), tr("Start Interval Measurement"),
                                tr("Start", "interval measurement"), "interval");
  connect(interval, &QAction::triggered, view, &CSpectrelView::OnStartInterval);

  QAction* graph = AddAction(IdGraphSettings, tr("&Graph Settings"), tr("Graph Settings"), tr("Graph"), "graph");
  connect(graph, &QAction::triggered, this, [this] {
    if (Commands.GraphSettings) Commands.GraphSettings();
  });
  QAction* copy = AddAction(IdEditCopy, tr("&Copy"), tr("Copy Current Data to Clipboard"), tr("Copy"), "copy");
  copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  connect(copy, &QAction::triggered, view, &CSpectrelView::OnCopy);

  QAction* about = AddAction(IdAppAbout, tr("&About Spectrel..."), tr("Display program information and version number"),
                             tr("About"), "about");
  connect(about, &QAction::triggered, this, &CMainFrame::OnAbout);

  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(Pane->OpenAction());
  file->addMenu(Pane->RecentMenu());
  file->addAction(Pane->PreviousAction());
  file->addAction(Pane->NextAction());
  file->addAction(Pane->LiveAction());
  file->addSeparator();
  file->addAction(print);
  file->addAction(preview);
  file->addAction(setup);
  file->addMenu(Pane->PictureMenu());
  file->addSeparator();
  file->addAction(exit);
  QMenu* measure = menuBar()->addMenu(tr("&Measure"));
  measure->addAction(settings);
  measure->addAction(manual);
  measure->addAction(interval);
  QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
  viewMenu->setObjectName(QStringLiteral("viewMenu"));
  viewMenu->addAction(graph);
  viewMenu->addAction(copy);
  viewMenu->addAction(Pane->ShowAction());
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(about);
  for (QMenu* menu : {file, measure, viewMenu, help})
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
}

void CMainFrame::CreateToolBar() {
  Tools = new QToolBar(tr("Toolbar"), this);
  Tools->setObjectName(QStringLiteral("toolbar"));
  Tools->setMovable(true);
  Tools->setIconSize(QSize(16, 16));
  // 0 stands for a separator.
  const int buttons[] = {IdMeasSettings, IdMeasManual, IdMeasInterval, 0, IdGraphSettings, IdEditCopy, 0,
                         IdFilePrint,    0,            IdAppAbout};
  for (int id : buttons) {
    if (id == 0)
      Tools->addSeparator();
    else
      Tools->addAction(Actions[id]);
    if (id == IdEditCopy) Tools->addAction(Pane->ShowAction());
  }
  addToolBar(Qt::TopToolBarArea, Tools);

  QAction* toggle = Tools->toggleViewAction();
  toggle->setText(tr("&Toolbar"));
  toggle->setStatusTip(tr("Show or hide the toolbar"));
  toggle->setToolTip(tr("Toggle ToolBar"));
  Actions[IdViewToolbar] = toggle;
  menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))->addAction(toggle);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  // The message pane shows the command prompts and otherwise "Ready".
  connect(bar, &QStatusBar::messageChanged, this, [bar, this](const QString& message) {
    if (message.isEmpty()) bar->showMessage(tr("Ready"));
  });
  bar->showMessage(tr("Ready"));
  new LockPanes(*bar);

  QAction* toggle = AddAction(IdViewStatusBar, tr("&Status Bar"), tr("Show or hide the status bar"),
                              tr("Toggle StatusBar"), nullptr);
  toggle->setCheckable(true);
  toggle->setChecked(true);
  connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
  menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))->addAction(toggle);
}

void CMainFrame::UpdateCommands() {
  const bool idle = !ViewWidget->Document().Measuring();
  for (int id : {IdMeasInterval, IdMeasManual, IdMeasSettings, IdAppExit}) Actions[id]->setEnabled(idle);
}

void CMainFrame::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // A running measurement must be stopped with "Abort" first.
  if (ViewWidget->Document().Measuring() || !Host.CloseEnabled()) {
    event->ignore();
    return;
  }
  SaveMainWindow(*this);
  event->accept();
}

}  // namespace spectrel
