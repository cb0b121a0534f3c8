#include "app/conf_dlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "app/serial_port_probe.h"
#include "base/station_zone.h"
#include "sensor/serial_ports.h"
#include "measure/status_texts.h"
#include "sensor/serial.h"
#include "ui/dialog_rows.h"

namespace spectrel {

QString BrowseStartFolder(const QString& folder) {
  QString start = folder;
  while (start.endsWith(QLatin1Char('/'))) start.chop(1);
  return start;
}

QString FolderWithSeparator(const QString& chosen) {
  if (chosen.endsWith(QLatin1Char('/'))) return chosen;
  return chosen + QLatin1Char('/');
}

namespace {

QLineEdit* IntegerEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setAlignment(Qt::AlignRight);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
  edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000000000")) + 12);
  return edit;
}

// A spin box that wraps at its limits and shows plain decimal digits.
QSpinBox* WrappingSpin(const char* name, int minimum, int maximum, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QLatin1String(name));
  spin->setRange(minimum, maximum);
  spin->setWrapping(true);
  spin->setDisplayIntegerBase(10);
  spin->setGroupSeparatorShown(false);
  spin->setAlignment(Qt::AlignRight);
  return spin;
}

bool ParseInteger(const QString& text, int& value) {
  bool ok = false;
  const int parsed = text.trimmed().toInt(&ok, 10);
  if (ok) value = parsed;
  return ok;
}

QString Text(const std::string& value) { return QString::fromStdString(value); }

// The same device under two names (a stable by-id link and the kernel name, say).
bool SameDevice(const std::string& a, const std::string& b) {
  std::error_code error;
  return a == b || std::filesystem::equivalent(a, b, error);
}

// The system's candidates and the configured ports that name a device (a simulator's link, say),
// once each, in natural order.
std::vector<std::string> OfferedDevices(std::vector<std::string> devices, const std::array<std::string, 4>& configured) {
  for (const std::string& port : configured) {
    const std::string device = CSerial::DeviceName(port);
    if (!device.empty() &&
        std::none_of(devices.begin(), devices.end(), [&](const std::string& d) { return SameDevice(d, device); }))
      devices.push_back(device);
  }
  std::sort(devices.begin(), devices.end(), NaturalLess);
  return devices;
}

}  // namespace

CConfDlg::CConfDlg(AppSettings& settings, QWidget* parent) : QDialog(parent), Settings(settings), Copy(settings) {
  // The stable by-id name where the system gives one, so the profile keeps naming the same adapter
  // after re-plugging.
  std::vector<std::string> candidates;
  for (const SerialPortEntry& entry : ListSerialPorts()) candidates.push_back(PreferredName(entry));
  Build(candidates);
}

CConfDlg::CConfDlg(AppSettings& settings, const std::vector<std::string>& candidates, QWidget* parent)
    : QDialog(parent), Settings(settings), Copy(settings) {
  Build(candidates);
}

void CConfDlg::Build(const std::vector<std::string>& candidates) {
  setWindowTitle(tr("Measurement Settings"));
  setModal(true);

  auto* left = new QVBoxLayout;
  left->addWidget(BuildPortGroup(OpenablePorts(OfferedDevices(candidates, Copy.ComPort))));
  left->addWidget(BuildMemoGroup());
  left->addWidget(BuildIntegGroup());
  left->addWidget(BuildTimeGroup());
  left->addWidget(BuildSiteGroup());
  left->addStretch(1);

  auto* right = new QVBoxLayout;
  right->addWidget(BuildKrfGroup());
  right->addWidget(BuildCsvGroup());
  right->addStretch(1);
  right->addLayout(BuildBottomRow());

  auto* columns = new QHBoxLayout(this);
  columns->addLayout(left);
  columns->addLayout(right);
  columns->setSizeConstraint(QLayout::SetMinimumSize);

  ShowValues();
  ApplyRules();
}

QWidget* CConfDlg::BuildPortGroup(const std::vector<std::string>& openable) {
  auto* group = new QGroupBox(tr("COM Port"), this);
  auto* grid = new QGridLayout(group);
  for (int model = 0; model < 4; ++model) {
    const size_t m = static_cast<size_t>(model);
    const QString name = Text(ModelDisplayName(model));
    const QString tag = QString(name).remove(QLatin1Char('-'));
    Use[m] = new QCheckBox(name, group);
    Use[m]->setObjectName(QStringLiteral("use") + tag);
    Port[m] = new QComboBox(group);
    Port[m]->setObjectName(QStringLiteral("port") + tag);
    Port[m]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Port[m]->setMinimumContentsLength(12);
    grid->addWidget(Use[m], model, 0);
    grid->addWidget(Port[m], model, 1);
    FillPortList(model, openable);
    // The whole device name stays readable even where the screen is too small for the dialog.
    Port[m]->setMinimumWidth(Port[m]->sizeHint().width());
    connect(Use[m], &QCheckBox::clicked, this, [this, model] { OnUseClicked(model); });
  }
  grid->setColumnStretch(1, 1);
  return group;
}

void CConfDlg::FillPortList(int model, const std::vector<std::string>& openable) {
  QComboBox* list = Port[static_cast<size_t>(model)];
  const std::string configured = Copy.ComPort[static_cast<size_t>(model)];
  const std::string device = CSerial::DeviceName(configured);
  list->addItem(QString(), QStringLiteral("0"));   // no port
  int selected = device.empty() ? 0 : -1;
  for (const std::string& candidate : openable) {
    // The configured designation stays as it was (a port number stays a number).
    const bool isConfigured = !device.empty() && SameDevice(candidate, device);
    list->addItem(Text(candidate), Text(isConfigured ? configured : candidate));
    if (isConfigured) selected = list->count() - 1;
  }
  if (selected < 0) {
    // Busy or absent now: shown and kept, so OK does not lose it.
    list->addItem(tr("%1 (not available)").arg(Text(device)), Text(configured));
    selected = list->count() - 1;
  }
  list->setCurrentIndex(selected);
}

QWidget* CConfDlg::BuildMemoGroup() {
  auto* group = new QGroupBox(tr("User Comment"), this);
  Memo = new QLineEdit(group);
  Memo->setObjectName(QStringLiteral("memo"));
  (new QVBoxLayout(group))->addWidget(Memo);
  return group;
}

QWidget* CConfDlg::BuildIntegGroup() {
  auto* group = new QGroupBox(tr("Integration Range(nm)"), this);
  IntegFrom = IntegerEdit("integFrom", group);
  IntegTo = IntegerEdit("integTo", group);
  auto* row = new QHBoxLayout(group);
  auto* fromLabel = new QLabel(tr("From"), group);
  fromLabel->setBuddy(IntegFrom);
  auto* toLabel = new QLabel(tr("To"), group);
  toLabel->setBuddy(IntegTo);
  row->addWidget(fromLabel);
  row->addWidget(IntegFrom);
  row->addSpacing(12);
  row->addWidget(toLabel);
  row->addWidget(IntegTo);
  row->addStretch(1);
  return group;
}

QWidget* CConfDlg::BuildTimeGroup() {
  auto* group = new QGroupBox(tr("Measurement Time"), this);
  StartHour = WrappingSpin("startHour", 0, 23, group);
  StartMinute = WrappingSpin("startMinute", 0, 59, group);
  FinishHour = WrappingSpin("finishHour", 0, 23, group);
  FinishMinute = WrappingSpin("finishMinute", 0, 59, group);
  Interval = WrappingSpin("interval", 1, 720, group);

  auto* grid = new QGridLayout(group);
  auto* startLabel = new QLabel(tr("&Start"), group);
  startLabel->setBuddy(StartHour);
  auto* finishLabel = new QLabel(tr("&Finish"), group);
  finishLabel->setBuddy(FinishHour);
  grid->addWidget(startLabel, 0, 0);
  grid->addWidget(StartHour, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral(":"), group), 0, 2);
  grid->addWidget(StartMinute, 0, 3);
  grid->addWidget(finishLabel, 1, 0);
  grid->addWidget(FinishHour, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral(":"), group), 1, 2);
  grid->addWidget(FinishMinute, 1, 3);
  auto* every = new QHBoxLayout;
  //: The interval row: %1 is the number of minutes between two measurements.
  AddPatternRow(every, tr("E&very %1 minutes"), {Interval});
  grid->addLayout(every, 2, 0, 1, 5);
  grid->setColumnStretch(4, 1);
  return group;
}

// The station's name and position are the profile's own (shown here); its zone turns the local
// times of its day files into true UTC, and is edited here.
QWidget* CConfDlg::BuildSiteGroup() {
  auto* group = new QGroupBox(tr("Site"), this);
  auto* grid = new QGridLayout(group);
  auto* where = new QLabel(tr("%1   Latitude %2   Longitude %3   Altitude %4 m")
                               .arg(Copy.SiteName.empty() ? QStringLiteral("-") : Text(Copy.SiteName), Text(Copy.SiteLat),
                                    Text(Copy.SiteLon), Text(Copy.SiteAlt)),
                           group);
  where->setObjectName(QStringLiteral("site"));
  Zone = new QLineEdit(group);
  Zone->setObjectName(QStringLiteral("zone"));
  Zone->setPlaceholderText(tr("this system's: %1").arg(QString::fromStdString(StationZone::SystemZoneName())));
  auto* zoneLabel = new QLabel(tr("Time &zone"), group);
  zoneLabel->setBuddy(Zone);
  grid->addWidget(where, 0, 0, 1, 2);
  grid->addWidget(zoneLabel, 1, 0);
  grid->addWidget(Zone, 1, 1);
  return group;
}

QWidget* CConfDlg::BuildKrfGroup() {
  auto* group = new QGroupBox(tr("KRF Format data"), this);
  KrfFolder = new QLineEdit(group);
  KrfFolder->setObjectName(QStringLiteral("krfFolder"));
  KrfFolder->setMinimumWidth(KrfFolder->fontMetrics().averageCharWidth() * 32);
  KrfBrowse = new QPushButton(tr("&Browse"), group);
  KrfBrowse->setObjectName(QStringLiteral("krfBrowse"));
  KrfBrowse->setAutoDefault(false);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(new QLabel(tr("File Name:\"YYYYMMDD.KRF\" (Daily)"), group));
  auto* row = new QHBoxLayout;
  row->addWidget(KrfFolder, 1);
  row->addWidget(KrfBrowse);
  layout->addLayout(row);
  connect(KrfBrowse, &QPushButton::clicked, this, [this] { OnBrowse(Folder::Krf); });
  return group;
}

QWidget* CConfDlg::BuildCsvGroup() {
  auto* group = new QGroupBox(tr("CSV Format data"), this);
  SaveCsv = new QCheckBox(tr("Save - File Name:\"YYYYMMDDHH.CSV\" (Hourly)"), group);
  SaveCsv->setObjectName(QStringLiteral("saveCsv"));
  auto* options = new QHBoxLayout;
  options->addWidget(BuildPitchGroup(group));
  options->addWidget(BuildCsvRangeGroup(group));
  options->addWidget(BuildSelectionGroup(group));

  CsvFolder = new QLineEdit(group);
  CsvFolder->setObjectName(QStringLiteral("csvFolder"));
  CsvBrowse = new QPushButton(tr("B&rowse"), group);
  CsvBrowse->setObjectName(QStringLiteral("csvBrowse"));
  CsvBrowse->setAutoDefault(false);
  auto* row = new QHBoxLayout;
  row->addWidget(CsvFolder, 1);
  row->addWidget(CsvBrowse);

  auto* layout = new QVBoxLayout(group);
  layout->addWidget(SaveCsv);
  layout->addLayout(options);
  layout->addLayout(row);
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{SaveCsv, Raw, OneNm, CsvSensor[0], CsvSensor[1]})
    connect(button, &QAbstractButton::clicked, this, &CConfDlg::ApplyRules);
  connect(CsvBrowse, &QPushButton::clicked, this, [this] { OnBrowse(Folder::Csv); });
  return group;
}

QWidget* CConfDlg::BuildPitchGroup(QWidget* parent) {
  auto* group = new QGroupBox(tr("Wavelength Interval"), parent);
  Raw = new QRadioButton(tr("Raw"), group);
  Raw->setObjectName(QStringLiteral("raw"));
  OneNm = new QRadioButton(QStringLiteral("1nm"), group);
  OneNm->setObjectName(QStringLiteral("oneNm"));
  Pitch = new QButtonGroup(this);
  Pitch->addButton(Raw);
  Pitch->addButton(OneNm);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(Raw);
  layout->addWidget(OneNm);
  layout->addStretch(1);
  return group;
}

QWidget* CConfDlg::BuildCsvRangeGroup(QWidget* parent) {
  auto* group = new QGroupBox(tr("Wavelength Range(nm)"), parent);
  CsvFrom = IntegerEdit("csvFrom", group);
  CsvTo = IntegerEdit("csvTo", group);
  auto* grid = new QGridLayout(group);
  auto* fromLabel = new QLabel(tr("From"), group);
  fromLabel->setBuddy(CsvFrom);
  auto* toLabel = new QLabel(tr("To"), group);
  toLabel->setBuddy(CsvTo);
  grid->addWidget(fromLabel, 0, 0);
  grid->addWidget(CsvFrom, 0, 1);
  grid->addWidget(toLabel, 1, 0);
  grid->addWidget(CsvTo, 1, 1);
  grid->setRowStretch(2, 1);
  return group;
}

QWidget* CConfDlg::BuildSelectionGroup(QWidget* parent) {
  auto* group = new QGroupBox(tr("Data Selection"), parent);
  auto* grid = new QGridLayout(group);
  for (int model = 0; model < 4; ++model) {
    const size_t m = static_cast<size_t>(model);
    const QString name = Text(ModelDisplayName(model));
    CsvSensor[m] = new QCheckBox(name, group);
    CsvSensor[m]->setObjectName(QStringLiteral("csv") + QString(name).remove(QLatin1Char('-')));
    grid->addWidget(CsvSensor[m], model % 2, model / 2);
  }
  Merge = new QCheckBox(tr("Merge"), group);
  Merge->setObjectName(QStringLiteral("merge"));
  grid->addWidget(Merge, 2, 0, 1, 2);
  return group;
}

QLayout* CConfDlg::BuildBottomRow() {
  AutoStart = new QCheckBox(tr("Auto-Start  after\nSoftware Starting"), this);
  AutoStart->setObjectName(QStringLiteral("autoStart"));
  auto* buttons = new QDialogButtonBox(this);
  Ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  Cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  Ok->setObjectName(QStringLiteral("ok"));
  Cancel->setObjectName(QStringLiteral("cancel"));
  Ok->setDefault(true);
  connect(Ok, &QPushButton::clicked, this, &CConfDlg::accept);
  connect(Cancel, &QPushButton::clicked, this, &CConfDlg::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(AutoStart);
  row->addStretch(1);
  row->addWidget(buttons, 0, Qt::AlignBottom);
  return row;
}

void CConfDlg::ShowValues() {
  for (size_t m = 0; m < 4; ++m) {
    Use[m]->setChecked(Copy.UseSensor[m]);
    CsvSensor[m]->setChecked(Copy.CsvSensor[m]);
  }
  Memo->setText(Text(Copy.UserMemo));
  IntegFrom->setText(QString::number(Copy.IntegFrom));
  IntegTo->setText(QString::number(Copy.IntegTo));
  // Whole-second division; the boxes keep a value outside their range at the nearest limit.
  StartHour->setValue(static_cast<int>((Copy.StartTime / 3600) % 24));
  StartMinute->setValue(static_cast<int>((Copy.StartTime / 60) % 60));
  FinishHour->setValue(static_cast<int>((Copy.EndTime / 3600) % 24));
  FinishMinute->setValue(static_cast<int>((Copy.EndTime / 60) % 60));
  Interval->setValue(static_cast<int>(std::clamp<std::int64_t>(Copy.Interval / 60, 1, 720)));
  Zone->setText(Text(Copy.SiteZone));
  KrfFolder->setText(Text(Copy.KrfFolder));
  SaveCsv->setChecked(Copy.SaveCsv);
  Raw->setChecked(Copy.CsvPitch == WavelengthPitch::Raw);
  OneNm->setChecked(Copy.CsvPitch == WavelengthPitch::OneNm);
  CsvFrom->setText(QString::number(Copy.CsvFrom));
  CsvTo->setText(QString::number(Copy.CsvTo));
  Merge->setChecked(Copy.CsvMerge);
  CsvFolder->setText(Text(Copy.CsvFolder));
  AutoStart->setChecked(Copy.AutoStart);
}

bool CConfDlg::TakeValues() {
  const std::pair<QLineEdit*, int*> integers[] = {
      {IntegFrom, &Copy.IntegFrom}, {IntegTo, &Copy.IntegTo}, {CsvFrom, &Copy.CsvFrom}, {CsvTo, &Copy.CsvTo}};
  for (const auto& [edit, member] : integers) {
    if (!ParseInteger(edit->text(), *member)) {
      QMessageBox::warning(this, QApplication::applicationDisplayName(), tr("Please enter an integer."));
      edit->setFocus();
      edit->selectAll();
      return false;
    }
  }
  const QString zone = Zone->text().trimmed();
  if (!zone.isEmpty() && !StationZone::Named(zone.toStdString())) {
    QMessageBox::warning(this, QApplication::applicationDisplayName(),
                         tr("%1 is not a time zone of this system (an IANA name such as Asia/Tokyo).").arg(zone));
    Zone->setFocus();
    Zone->selectAll();
    return false;
  }
  Copy.SiteZone = zone.toStdString();
  Copy.AutoStart = AutoStart->isChecked();
  Copy.CsvFolder = CsvFolder->text().toStdString();
  Copy.KrfFolder = KrfFolder->text().toStdString();
  Copy.SaveCsv = SaveCsv->isChecked();
  Copy.UserMemo = Memo->text().toStdString();
  if (Raw->isChecked()) Copy.CsvPitch = WavelengthPitch::Raw;
  if (OneNm->isChecked()) Copy.CsvPitch = WavelengthPitch::OneNm;
  Copy.CsvMerge = Merge->isChecked();
  for (size_t m = 0; m < 4; ++m) {
    Copy.CsvSensor[m] = CsvSensor[m]->isChecked();
    Copy.UseSensor[m] = Use[m]->isChecked();
    if (Port[m]->currentIndex() >= 0) Copy.ComPort[m] = Port[m]->currentData().toString().toStdString();
  }
  Copy.StartTime = (static_cast<std::int64_t>(StartHour->value()) * 60 + StartMinute->value()) * 60;
  Copy.EndTime = (static_cast<std::int64_t>(FinishHour->value()) * 60 + FinishMinute->value()) * 60;
  Copy.Interval = static_cast<std::int64_t>(Interval->value()) * 60;
  return true;
}

void CConfDlg::accept() {
  if (!TakeValues()) return;
  // Only the fields of this dialog go back; the measurement type, the site's name and position,
  // the graph block and the display mode belong to others.
  Settings.ComPort = Copy.ComPort;
  Settings.StartTime = Copy.StartTime;
  Settings.EndTime = Copy.EndTime;
  Settings.Interval = Copy.Interval;
  Settings.AutoStart = Copy.AutoStart;
  Settings.KrfFolder = Copy.KrfFolder;
  Settings.CsvFolder = Copy.CsvFolder;
  Settings.UseSensor = Copy.UseSensor;
  Settings.SaveCsv = Copy.SaveCsv;
  Settings.CsvFrom = Copy.CsvFrom;
  Settings.CsvTo = Copy.CsvTo;
  Settings.CsvPitch = Copy.CsvPitch;
  Settings.CsvSensor = Copy.CsvSensor;
  Settings.CsvMerge = Copy.CsvMerge;
  Settings.UserMemo = Copy.UserMemo;
  Settings.IntegFrom = Copy.IntegFrom;
  Settings.IntegTo = Copy.IntegTo;
  Settings.SiteZone = Copy.SiteZone;
  QDialog::accept();
}

void CConfDlg::OnUseClicked(int model) {
  const auto pair = [this] { return (Use[0]->isChecked() || Use[1]->isChecked()) && (Use[2]->isChecked() || Use[3]->isChecked()); };
  const bool pairBefore = pair();
  Use[static_cast<size_t>(model ^ 1)]->setChecked(false);   // SR-101/SR-102, SR-103/SR-104
  // A sensor taken into use brings back its CSV column as the profile has it, and so does
  // "Merge" once there is a pair to merge.
  const size_t m = static_cast<size_t>(model);
  if (Use[m]->isChecked()) CsvSensor[m]->setChecked(Settings.CsvSensor[m]);
  if (pair() && !pairBefore) Merge->setChecked(Settings.CsvMerge);
  ApplyRules();
}

void CConfDlg::ApplyRules() {
  std::array<bool, 4> use{};
  for (size_t m = 0; m < 4; ++m) {
    use[m] = Use[m]->isChecked();
    Port[m]->setEnabled(use[m]);
    if (!use[m]) CsvSensor[m]->setChecked(false);
  }
  // Merging always joins one short- and one long-wavelength model.
  const bool pair = (use[0] || use[1]) && (use[2] || use[3]);
  if (!pair) Merge->setChecked(false);
  const bool save = SaveCsv->isChecked();
  CsvFolder->setEnabled(save);
  CsvBrowse->setEnabled(save);
  Raw->setEnabled(save);
  OneNm->setEnabled(save);
  for (size_t m = 0; m < 4; ++m) CsvSensor[m]->setEnabled(save && use[m]);
  Merge->setEnabled(save && pair);
  const bool range = save && OneNm->isChecked();
  CsvFrom->setEnabled(range);
  CsvTo->setEnabled(range);
}

void CConfDlg::SetChosenFolder(Folder folder, const QString& chosen) {
  QLineEdit* edit = folder == Folder::Krf ? KrfFolder : CsvFolder;
  edit->setText(FolderWithSeparator(chosen));
}

void CConfDlg::OnBrowse(Folder folder) {
  const bool krf = folder == Folder::Krf;
  const QString title = krf ? tr("KRF File Folder") : tr("CSV File Folder");
  const QString start = BrowseStartFolder((krf ? KrfFolder : CsvFolder)->text());
  const QString chosen = QFileDialog::getExistingDirectory(this, title, start, QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return;   // cancelled
  SetChosenFolder(folder, chosen);
}

}  // namespace spectrel
