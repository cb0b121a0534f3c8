// The measurement settings dialog on real widgets: times and interval in minutes, the sensor
// pairs, the CSV controls following "Save" and "1nm", folders, OK and Cancel.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "app/conf_dlg.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::StopQuestionAnswer;

// The dialog with no system ports offered, so only the configured ones can appear.
class ConfDlgTest : public ::testing::Test {
 protected:
  ConfDlgTest() {
    Settings.KrfFolder = "/srv/spectrel/krf/";
    Settings.CsvFolder = "/srv/spectrel/csv/";
  }
  std::unique_ptr<CConfDlg> Open() { return std::make_unique<CConfDlg>(Settings, std::vector<std::string>{}); }

  AppSettings Settings;
};

TEST_F(ConfDlgTest, TimesShowAsHoursMinutesAndAreStoredInSeconds) {
  Settings.StartTime = 6 * 3600 + 30 * 60;   // 06:30
  Settings.EndTime = 20 * 3600 + 45 * 60;    // 20:45
  Settings.Interval = 5400;                  // 90 minutes
  auto dialog = Open();
  EXPECT_EQ(dialog->StartHourBox()->value(), 6);
  EXPECT_EQ(dialog->StartMinuteBox()->value(), 30);
  EXPECT_EQ(dialog->FinishHourBox()->value(), 20);
  EXPECT_EQ(dialog->FinishMinuteBox()->value(), 45);
  EXPECT_EQ(dialog->IntervalBox()->value(), 90);
  EXPECT_EQ(dialog->IntervalBox()->text(), QStringLiteral("90"));

  dialog->StartHourBox()->setValue(7);
  dialog->FinishMinuteBox()->setValue(5);
  dialog->IntervalBox()->setValue(95);
  dialog->OkButton()->click();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(Settings.StartTime, 7 * 3600 + 30 * 60);   // 27000
  EXPECT_EQ(Settings.EndTime, 20 * 3600 + 5 * 60);     // 72300
  EXPECT_EQ(Settings.Interval, 5700);
}

TEST_F(ConfDlgTest, UntouchedIntervalOfNinetyMinutesIsStoredAs5400) {
  Settings.Interval = 5400;
  auto dialog = Open();
  dialog->OkButton()->click();
  EXPECT_EQ(Settings.Interval, 5400);
}

TEST_F(ConfDlgTest, ProfileTimesPastTheDayOrOffTheMinuteAreReducedToTheDialogsMinutes) {
  Settings.StartTime = 90000;   // 25:00 from a hand-edited profile: hour 25 mod 24 = 1
  Settings.EndTime = 72059;     // 20:00:59: the seconds are dropped
  Settings.Interval = 100;      // 1 minute 40 s: whole minutes only
  auto dialog = Open();
  EXPECT_EQ(dialog->StartHourBox()->value(), 1);
  EXPECT_EQ(dialog->StartMinuteBox()->value(), 0);
  EXPECT_EQ(dialog->FinishHourBox()->value(), 20);
  EXPECT_EQ(dialog->FinishMinuteBox()->value(), 0);
  EXPECT_EQ(dialog->IntervalBox()->value(), 1);
  dialog->OkButton()->click();
  EXPECT_EQ(Settings.StartTime, 3600);
  EXPECT_EQ(Settings.EndTime, 72000);
  EXPECT_EQ(Settings.Interval, 60);
}

TEST_F(ConfDlgTest, SpinBoxesWrapAroundAtTheirLimitsWithTheArrowKeys) {
  Settings.StartTime = 23 * 3600 + 59 * 60;
  Settings.Interval = 60;
  auto dialog = Open();
  QTest::keyClick(dialog->StartHourBox(), Qt::Key_Up);
  EXPECT_EQ(dialog->StartHourBox()->value(), 0);
  QTest::keyClick(dialog->StartMinuteBox(), Qt::Key_Up);
  EXPECT_EQ(dialog->StartMinuteBox()->value(), 0);
  QTest::keyClick(dialog->IntervalBox(), Qt::Key_Down);
  EXPECT_EQ(dialog->IntervalBox()->value(), 720);
  QTest::keyClick(dialog->IntervalBox(), Qt::Key_Up);
  EXPECT_EQ(dialog->IntervalBox()->value(), 1);
  QTest::keyClick(dialog->FinishHourBox(), Qt::Key_Down);   // 20 -> 19
  EXPECT_EQ(dialog->FinishHourBox()->value(), 19);
}

TEST_F(ConfDlgTest, CheckingTheSecondModelOfAPairClearsTheFirstAndDisablesItsList) {
  Settings.UseSensor = {1, 0, 0, 1};
  Settings.CsvSensor = {1, 1, 1, 1};
  auto dialog = Open();
  EXPECT_TRUE(dialog->PortList(0)->isEnabled());
  EXPECT_FALSE(dialog->PortList(1)->isEnabled());
  // Rules at the start: a model not in use leaves the data selection.
  EXPECT_FALSE(dialog->CsvSensorBox(1)->isChecked());
  EXPECT_FALSE(dialog->CsvSensorBox(2)->isChecked());
  EXPECT_TRUE(dialog->CsvSensorBox(0)->isChecked());

  dialog->UseBox(1)->click();   // SR-102
  EXPECT_TRUE(dialog->UseBox(1)->isChecked());
  EXPECT_FALSE(dialog->UseBox(0)->isChecked());
  EXPECT_FALSE(dialog->PortList(0)->isEnabled());
  EXPECT_TRUE(dialog->PortList(1)->isEnabled());
  EXPECT_FALSE(dialog->CsvSensorBox(0)->isChecked());
  EXPECT_FALSE(dialog->CsvSensorBox(0)->isEnabled());
  EXPECT_TRUE(dialog->CsvSensorBox(1)->isEnabled());

  dialog->UseBox(2)->click();   // SR-103 takes the place of SR-104
  EXPECT_FALSE(dialog->UseBox(3)->isChecked());
  EXPECT_FALSE(dialog->PortList(3)->isEnabled());
  EXPECT_TRUE(dialog->PortList(2)->isEnabled());

  dialog->OkButton()->click();
  EXPECT_EQ(Settings.UseSensor, (std::array<int, 4>{0, 1, 1, 0}));
  EXPECT_EQ(Settings.CsvSensor, (std::array<int, 4>{0, 0, 0, 0}));
}

TEST_F(ConfDlgTest, MergeNeedsOneModelOfEachPair) {
  Settings.UseSensor = {1, 0, 1, 0};
  Settings.CsvMerge = 1;
  auto dialog = Open();
  EXPECT_TRUE(dialog->MergeBox()->isChecked());
  EXPECT_TRUE(dialog->MergeBox()->isEnabled());

  dialog->UseBox(2)->click();   // SR-103 off: only a short-wavelength model is left
  EXPECT_FALSE(dialog->MergeBox()->isChecked());
  EXPECT_FALSE(dialog->MergeBox()->isEnabled());

  dialog->UseBox(3)->click();   // SR-104 on: the pair is complete again, the box may be checked
  EXPECT_TRUE(dialog->MergeBox()->isEnabled());
  EXPECT_FALSE(dialog->MergeBox()->isChecked());
  dialog->MergeBox()->click();
  dialog->OkButton()->click();
  EXPECT_EQ(Settings.CsvMerge, 1);
  EXPECT_EQ(Settings.UseSensor, (std::array<int, 4>{1, 0, 0, 1}));
}

TEST_F(ConfDlgTest, UncheckingSaveDisablesTheCsvControlsAndKeepsTheirValues) {
  Settings.UseSensor = {1, 0, 1, 0};
  Settings.SaveCsv = 1;
  Settings.CsvPitch = 1;
  Settings.CsvFrom = 350;
  Settings.CsvTo = 1050;
  Settings.CsvSensor = {1, 0, 1, 0};
  Settings.CsvMerge = 1;
  auto dialog = Open();
  EXPECT_TRUE(dialog->CsvFromEdit()->isEnabled());

  dialog->SaveBox()->click();
  for (QWidget* w : std::initializer_list<QWidget*>{dialog->CsvFolderEdit(), dialog->CsvBrowseButton(),
                                                    dialog->RawButton(), dialog->GridButton(), dialog->CsvFromEdit(),
                                                    dialog->CsvToEdit(), dialog->CsvSensorBox(0),
                                                    dialog->CsvSensorBox(2), dialog->MergeBox()})
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  EXPECT_TRUE(dialog->KrfFolderEdit()->isEnabled());
  EXPECT_TRUE(dialog->CsvSensorBox(0)->isChecked());
  EXPECT_TRUE(dialog->MergeBox()->isChecked());
  EXPECT_TRUE(dialog->GridButton()->isChecked());

  dialog->OkButton()->click();
  EXPECT_EQ(Settings.SaveCsv, 0);
  EXPECT_EQ(Settings.CsvPitch, 1);
  EXPECT_EQ(Settings.CsvFrom, 350);
  EXPECT_EQ(Settings.CsvTo, 1050);
  EXPECT_EQ(Settings.CsvSensor, (std::array<int, 4>{1, 0, 1, 0}));
  EXPECT_EQ(Settings.CsvMerge, 1);
  EXPECT_EQ(Settings.CsvFolder, "/srv/spectrel/csv/");
}

TEST_F(ConfDlgTest, RangeIsEditableOnlyWithSaveAndOneNanometre) {
  Settings.SaveCsv = 1;
  Settings.CsvPitch = 0;
  auto dialog = Open();
  EXPECT_FALSE(dialog->CsvFromEdit()->isEnabled());
  EXPECT_TRUE(dialog->RawButton()->isChecked());
  dialog->GridButton()->click();
  EXPECT_TRUE(dialog->CsvFromEdit()->isEnabled());
  EXPECT_TRUE(dialog->CsvToEdit()->isEnabled());
  dialog->RawButton()->click();
  EXPECT_FALSE(dialog->CsvToEdit()->isEnabled());
  dialog->GridButton()->click();
  dialog->OkButton()->click();
  EXPECT_EQ(Settings.CsvPitch, 1);
}

TEST(FolderBrowsing, ChosenFolderGetsOneSeparatorAndTheStartLosesItsSeparators) {
  EXPECT_EQ(FolderWithSeparator(QStringLiteral("/data/krf")), QStringLiteral("/data/krf/"));
  EXPECT_EQ(FolderWithSeparator(QStringLiteral("/data/krf/")), QStringLiteral("/data/krf/"));
  EXPECT_EQ(FolderWithSeparator(QStringLiteral("/")), QStringLiteral("/"));
  EXPECT_EQ(BrowseStartFolder(QStringLiteral("/data/krf//")), QStringLiteral("/data/krf"));
  EXPECT_EQ(BrowseStartFolder(QStringLiteral("/data/krf")), QStringLiteral("/data/krf"));
  EXPECT_EQ(BrowseStartFolder(QStringLiteral("/")), QString());
}

TEST_F(ConfDlgTest, ChosenFolderIsStoredWithTheSeparatorATypedOneAsTyped) {
  auto dialog = Open();
  dialog->SetChosenFolder(CConfDlg::Folder::Krf, QStringLiteral("/data/krf"));
  EXPECT_EQ(dialog->KrfFolderEdit()->text(), QStringLiteral("/data/krf/"));
  dialog->CsvFolderEdit()->setText(QStringLiteral("/data/typed"));
  dialog->OkButton()->click();
  EXPECT_EQ(Settings.KrfFolder, "/data/krf/");
  EXPECT_EQ(Settings.CsvFolder, "/data/typed");
}

TEST_F(ConfDlgTest, CancelChangesNothing) {
  Settings.UseSensor = {1, 0, 0, 0};
  Settings.UserMemo = "Roof";
  const AppSettings before = Settings;
  auto dialog = Open();
  dialog->UseBox(1)->click();
  dialog->MemoEdit()->setText(QStringLiteral("Garden"));
  dialog->IntervalBox()->setValue(30);
  dialog->SetChosenFolder(CConfDlg::Folder::Csv, QStringLiteral("/elsewhere"));
  dialog->AutoStartBox()->click();
  dialog->CancelButton()->click();
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(Settings.UseSensor, before.UseSensor);
  EXPECT_EQ(Settings.UserMemo, "Roof");
  EXPECT_EQ(Settings.Interval, before.Interval);
  EXPECT_EQ(Settings.CsvFolder, before.CsvFolder);
  EXPECT_EQ(Settings.AutoStart, 0);
}

TEST_F(ConfDlgTest, OkCopiesTextAndNumbersBack) {
  Settings.AutoStart = 0;
  Settings.MeasType = 0;
  auto dialog = Open();
  dialog->MemoEdit()->setText(QStringLiteral("Roof station 2"));
  dialog->IntegFromEdit()->setText(QStringLiteral(" 400 "));
  dialog->IntegToEdit()->setText(QStringLiteral("700"));
  dialog->AutoStartBox()->click();
  dialog->OkButton()->click();
  EXPECT_EQ(Settings.UserMemo, "Roof station 2");
  EXPECT_EQ(Settings.IntegFrom, 400);
  EXPECT_EQ(Settings.IntegTo, 700);
  EXPECT_EQ(Settings.AutoStart, 1);
  EXPECT_EQ(Settings.MeasType, 0);   // not part of this dialog
}

TEST_F(ConfDlgTest, TextInAnIntegerFieldBringsTheMessageAndKeepsTheDialogOpen) {
  auto dialog = Open();
  dialog->show();
  dialog->IntegToEdit()->setText(QStringLiteral("12a"));
  dialog->MemoEdit()->setText(QStringLiteral("changed"));
  {
    StopQuestionAnswer answer(QMessageBox::Ok);
    dialog->OkButton()->click();
    EXPECT_EQ(answer.Asked, 1);
    EXPECT_EQ(answer.Text, QStringLiteral("Please enter an integer."));
  }
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_NE(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(Settings.UserMemo, "Arvena Solmet");
  EXPECT_EQ(Settings.IntegTo, 1800);

  dialog->IntegToEdit()->setText(QStringLiteral("-5"));   // accepted as it stands
  dialog->OkButton()->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(Settings.IntegTo, -5);
  EXPECT_EQ(Settings.UserMemo, "changed");
}

}  // namespace
}  // namespace spectrel
