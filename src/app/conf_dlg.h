// The modal measurement settings: ports and use of the four sensor models, the daily window and
// interval, the user comment, the integration range, the station's time zone beside its name and
// position, the day file and hourly CSV storage and the automatic start. The dialog works on a copy of the settings and writes it back only on OK.
#pragma once

#include <QDialog>

#include <array>
#include <string>
#include <vector>

#include "settings/app_settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace spectrel {

// The folder text a browser starts from: the folder without its trailing separators.
QString BrowseStartFolder(const QString& folder);
// A folder chosen in the browser as it is stored: with one final '/' appended when missing.
QString FolderWithSeparator(const QString& chosen);

class CConfDlg : public QDialog {
  Q_OBJECT

 public:
  enum class Folder { Krf, Csv };

  // Offers the serial devices of the system that can be opened now.
  CConfDlg(AppSettings& settings, QWidget* parent = nullptr);
  // Offers those of the given devices that can be opened now (and the configured ports).
  CConfDlg(AppSettings& settings, const std::vector<std::string>& candidates, QWidget* parent = nullptr);

  // Stores a folder the browser returned, with the final separator.
  void SetChosenFolder(Folder folder, const QString& chosen);

 public slots:
  // Takes the controls' values; an integer field holding anything else brings the standard
  // message and keeps the dialog open. Otherwise the copy goes back into the settings.
  void accept() override;

 private:
  void Build(const std::vector<std::string>& candidates);
  // The groups of the left column, top to bottom.
  QWidget* BuildPortGroup(const std::vector<std::string>& openable);
  QWidget* BuildMemoGroup();
  QWidget* BuildIntegGroup();
  QWidget* BuildTimeGroup();
  QWidget* BuildSiteGroup();
  // The right column: the two file formats, then the automatic start with OK and Cancel.
  QWidget* BuildKrfGroup();
  QWidget* BuildCsvGroup();
  QWidget* BuildPitchGroup(QWidget* parent);
  QWidget* BuildCsvRangeGroup(QWidget* parent);
  QWidget* BuildSelectionGroup(QWidget* parent);
  QLayout* BuildBottomRow();
  void FillPortList(int model, const std::vector<std::string>& openable);
  void ShowValues();
  bool TakeValues();
  // One model of each pair at most: checking a model clears its partner.
  void OnUseClicked(int model);
  // Port lists, data selection, merge and the CSV controls follow the use and save boxes.
  void ApplyRules();
  void OnBrowse(Folder folder);

  AppSettings& Settings;   // the application's settings, written only on OK
  AppSettings Copy;        // the dialog's values

  std::array<QCheckBox*, 4> Use{};
  std::array<QComboBox*, 4> Port{};
  QLineEdit* Memo = nullptr;
  QLineEdit* IntegFrom = nullptr;   // nm
  QLineEdit* IntegTo = nullptr;     // nm
  QSpinBox* StartHour = nullptr;
  QSpinBox* StartMinute = nullptr;
  QSpinBox* FinishHour = nullptr;
  QSpinBox* FinishMinute = nullptr;
  QSpinBox* Interval = nullptr;     // minutes
  QLineEdit* Zone = nullptr;        // the station's IANA zone; empty: the system's
  QLineEdit* KrfFolder = nullptr;
  QPushButton* KrfBrowse = nullptr;
  QCheckBox* SaveCsv = nullptr;
  QRadioButton* Raw = nullptr;
  QRadioButton* OneNm = nullptr;
  QButtonGroup* Pitch = nullptr;
  QLineEdit* CsvFrom = nullptr;     // nm
  QLineEdit* CsvTo = nullptr;       // nm
  std::array<QCheckBox*, 4> CsvSensor{};
  QCheckBox* Merge = nullptr;
  QLineEdit* CsvFolder = nullptr;
  QPushButton* CsvBrowse = nullptr;
  QCheckBox* AutoStart = nullptr;
  QPushButton* Ok = nullptr;
  QPushButton* Cancel = nullptr;
};

}  // namespace spectrel
