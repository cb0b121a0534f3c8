#include "app/main_frame.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/about_dlg.h"
#include "app/command_ids.h"
#include "app/lock_panes.h"
#include "app/overview_pane.h"
#include "base/clock.h"
#include "base/local_time.h"
#include "files/station_names.h"
#include "measure/spectrel_doc.h"
#include "measure/interval_schedule.h"
#include "ui/event_log_window.h"
#include "ui/sensor_day_panel.h"
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
  // The prompt of the command that started or stopped the measurement has been read: "Ready".
  connect(ViewWidget, &CSpectrelView::MeasuringChanged, statusBar(), &QStatusBar::clearMessage);
  connect(ViewWidget, &CSpectrelView::MeasuringChanged, this, &CMainFrame::UpdateCountdown);
  Countdown.setInterval(1000);
  connect(&Countdown, &QTimer::timeout, this, &CMainFrame::UpdateCountdown);
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
  viewMenu->addAction(Pane->UtcAxisAction());
  CreateSensorPanel(*viewMenu);
  QAction* log = viewMenu->addAction(tr("Event &Log"));
  log->setStatusTip(tr("Show the event log as it grows"));
  connect(log, &QAction::triggered, this, &CMainFrame::ShowEventLog);
  QMenu* spectrum = menuBar()->addMenu(tr("&Spectrum"));
  CreateSpectrumMenu(*spectrum);
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(about);
  for (QMenu* menu : {file, measure, viewMenu, spectrum, help})
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
}

void CMainFrame::CreateSpectrumMenu(QMenu& menu) {
  CSpectrelView* view = ViewWidget;
  auto add = [&](const QString& text, const QString& tip, const QKeySequence& key, auto slot) {
    QAction* action = menu.addAction(text);
    action->setStatusTip(tip);
    if (!key.isEmpty()) action->setShortcut(key);
    connect(action, &QAction::triggered, view, slot);
    return action;
  };
  add(tr("Zoom &In"), tr("Show a narrower band of wavelengths"), QKeySequence(QKeySequence::ZoomIn), [view] { view->ZoomX(1.25); });
  add(tr("Zoom &Out"), tr("Show a wider band of wavelengths"), QKeySequence(QKeySequence::ZoomOut), [view] { view->ZoomX(0.8); });
  add(tr("Zoom Irr&adiance In"), tr("Show a narrower range of irradiance"), QKeySequence(Qt::CTRL | Qt::Key_Up), [view] { view->ZoomY(1.25); });
  add(tr("Zoom Irradiance Ou&t"), tr("Show a wider range of irradiance"), QKeySequence(Qt::CTRL | Qt::Key_Down), [view] { view->ZoomY(0.8); });
  add(tr("Shorter &Wavelengths"), tr("Move the graph to shorter wavelengths"), QKeySequence(Qt::CTRL | Qt::Key_Left), [view] { view->PanX(-0.2); });
  add(tr("Longer Wa&velengths"), tr("Move the graph to longer wavelengths"), QKeySequence(Qt::CTRL | Qt::Key_Right), [view] { view->PanX(0.2); });
  add(tr("&Reset Zoom"), tr("Show the axes of the graph settings again"), QKeySequence(Qt::CTRL | Qt::Key_0), [view] { view->ResetZoom(); });
  QAction* log = add(tr("&Logarithmic Irradiance Axis"), tr("Irradiance on a logarithmic scale"), QKeySequence(), [] {});
  log->setCheckable(true);
  connect(log, &QAction::toggled, view, &CSpectrelView::SetLogAxis);
  menu.addSeparator();
  menu.addAction(Pane->EarlierPointAction());
  menu.addAction(Pane->LaterPointAction());
  menu.addSeparator();
  add(tr("Overlay &Shown Point"), tr("Keep the shown spectrum in the graph for comparison"), QKeySequence(), [view] { view->OverlayShown(); });
  add(tr("Overlay Reference &File..."), tr("Draw a reference spectrum from a text file of wavelengths and values"), QKeySequence(),
      [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("Overlay Reference File"), QString(),
                                                          tr("Spectrum numbers (*.txt *.tsv *.csv *.dat);;All files (*)"));
        QString problem;
        if (!path.isEmpty() && !ViewWidget->OverlayFile(path, problem))
          statusBar()->showMessage(tr("%1 could not be read: %2").arg(QFileInfo(path).fileName(), problem), 10000);
      });
  add(tr("&Clear Overlay"), tr("Remove the overlaid spectrum"), QKeySequence(), [view] { view->ClearOverlay(); });
  menu.addSeparator();
  add(tr("Copy as &Numbers"), tr("Copy the shown spectrum as tab-separated numbers"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
      [view] { QGuiApplication::clipboard()->setText(view->ShownNumbers()); });
  add(tr("Save as Num&bers..."), tr("Save the shown spectrum as tab-separated numbers"), QKeySequence(), [this] {
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Spectrum as Numbers"), QString(), tr("Tab-separated numbers (*.txt)"));
    if (path.isEmpty()) return;
    QFile file(path);
    const QByteArray text = ViewWidget->ShownNumbers().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush())
      QMessageBox::warning(this, tr("Save Spectrum as Numbers"), tr("%1 could not be written: %2").arg(path, file.errorString()));
  });
}

void CMainFrame::CreateSensorPanel(QMenu& viewMenu) {
  auto* dock = new QDockWidget(tr("Sensors of the Day"), this);
  dock->setObjectName(QStringLiteral("sensorDayDock"));
  dock->setWidget(new CSensorDayPanel(Pane->Overview(), dock));
  addDockWidget(Qt::RightDockWidgetArea, dock);
  dock->hide();
  QAction* show = viewMenu.addAction(tr("Sensors of the Day &Panel"));
  show->setCheckable(true);
  show->setStatusTip(tr("Show the sensors' temperatures and exposure times over the day"));
  connect(show, &QAction::toggled, dock, &QWidget::setVisible);
  connect(dock, &QDockWidget::visibilityChanged, show, [show, dock] { show->setChecked(!dock->isHidden()); });
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
  // While measuring: when the next interval measurement is due.
  MeasuringLabel = new QLabel(bar);
  MeasuringLabel->setObjectName(QStringLiteral("measuring"));
  bar->addPermanentWidget(MeasuringLabel);
  // What the document could not do (a point not stored, a sensor unit changed): the latest line
  // stays in a pane of its own, the earlier ones in its tip, until the next measurement begins.
  ProblemLabel = new QLabel(bar);
  ProblemLabel->setObjectName(QStringLiteral("problem"));
  ProblemLabel->setStyleSheet(QStringLiteral("color: #b00000"));
  ProblemLabel->hide();
  bar->insertPermanentWidget(0, ProblemLabel, 1);
  connect(&Host, &QtDocumentHost::ProblemReported, this, [this](const QString& line) {
    const QString tip = !ProblemLabel->isHidden() ? ProblemLabel->toolTip() + QLatin1Char('\n') + line : line;
    ProblemLabel->setText(line);
    ProblemLabel->setToolTip(tip.right(4000));
    ProblemLabel->show();
  });
  connect(&Host, &QtDocumentHost::CloseEnabledChanged, this, [this](bool idle) {
    if (idle) return;
    ProblemLabel->hide();
    ProblemLabel->clear();
  });
  new LockPanes(*bar);

  QAction* toggle = AddAction(IdViewStatusBar, tr("&Status Bar"), tr("Show or hide the status bar"),
                              tr("Toggle StatusBar"), nullptr);
  toggle->setCheckable(true);
  toggle->setChecked(true);
  connect(toggle, &QAction::toggled, bar, &QWidget::setVisible);
  menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))->addAction(toggle);
}

void CMainFrame::ShowEventLog() {
  if (LogWindow == nullptr) {
    LogWindow = new CEventLogWindow(
        [this] { return EventLogPath(ViewWidget->Document().Settings().KrfFolder, SystemClock().Now()); }, this);
    LogWindow->SetNotes(ProfileNotes);
    RememberPlace(*LogWindow, QStringLiteral("EventLog"));
  }
  LogWindow->show();
  LogWindow->raise();
}

void CMainFrame::ShowProfileFindings(const QString& profile, const QStringList& findings, bool errors) {
  if (findings.isEmpty()) return;
  ProfileNotes = tr("The profile %1 was checked at start:").arg(profile) + QLatin1Char('\n') + findings.join(QLatin1Char('\n'));
  if (LogWindow != nullptr) LogWindow->SetNotes(ProfileNotes);
  // A pane of its own: command prompts never cover it, and it stays until the program ends.
  auto* label = new QLabel(tr("Profile: %1 (all in View > Event Log)").arg(findings.front()), statusBar());
  label->setObjectName(QStringLiteral("profileCheck"));
  label->setToolTip(ProfileNotes);
  label->setStyleSheet(errors ? QStringLiteral("color: #b00000") : QStringLiteral("color: #8a5a00"));
  statusBar()->insertPermanentWidget(0, label, 1);
}

void CMainFrame::UpdateCountdown() {
  const CSpectrelDoc& doc = ViewWidget->Document();
  if (!doc.Measuring()) {
    Countdown.stop();
    MeasuringLabel->clear();
    return;
  }
  if (!Countdown.isActive()) Countdown.start();
  const std::optional<std::int64_t> next = doc.State() == MeasureState::Interval
                                                ? IntervalSchedule::Of(doc.Settings()).NextAfter(SystemClock().Now())
                                                : std::nullopt;
  MeasuringLabel->setText(next ? tr("measuring — next at %1").arg(QString::fromStdString(FormatLocal(*next, "%H:%M:%S")))
                               : tr("measuring"));
}

void CMainFrame::UpdateCommands() {
  const CSpectrelDoc& doc = ViewWidget->Document();
  const bool idle = !doc.Measuring();
  for (int id : {IdMeasInterval, IdMeasManual, IdMeasSettings, IdAppExit}) Actions[id]->setEnabled(idle);
  // A folder held by another station: measuring is refused, the reason stays in the status bar.
  const bool mayStart = idle && doc.MeasurementRefusal().empty();
  for (int id : {IdMeasInterval, IdMeasManual}) Actions[id]->setEnabled(mayStart);
}

void CMainFrame::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CMainFrame::CloseForSignal() {
  ClosingForSignal = true;
  close();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // A running measurement is stopped first, as "Abort" stops it (interval measurement asks); a
  // declined question keeps the window and the measurement.
  if (!ClosingForSignal && ViewWidget->Document().Measuring() && !ViewWidget->OnAbort()) {
    event->ignore();
    return;
  }
  SaveMainWindow(*this);
  event->accept();
}

}  // namespace spectrel
