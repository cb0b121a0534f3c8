#include "look/render_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTranslator>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "app/conf_dlg.h"
#include "app/translations.h"
#include "ui/graph_dlg.h"

namespace spectrel {

namespace {

QString Describe(const QWidget* w, const QString& text) {
  return w->objectName() + QLatin1Char('/') + QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// A dialog with values that fill its fields the way a station's would.
AppSettings SampleSettings() {
  AppSettings settings;
  settings.UseSensor = {true, false, true, false};
  settings.ComPort = {"1", "0", "/dev/ttyUSB0", "0"};
  settings.KrfFolder = "/home/station/Spectrel/krf/";
  settings.CsvFolder = "/home/station/Spectrel/csv/";
  settings.CsvPitch = WavelengthPitch::OneNm;
  settings.Interval = 5400;
  return settings;
}

bool Save(QWidget& dialog, const QDir& out, const QString& name) {
  dialog.show();
  QCoreApplication::processEvents();
  const QString file = out.filePath(name);
  const bool written = dialog.grab().save(file);
  std::fprintf(written ? stdout : stderr, "%s %s\n", written ? "wrote" : "failed:", qPrintable(file));
  bool whole = true;
  for (const QString& cut : CutOffControls(dialog)) {
    std::fprintf(stderr, "cut off in %s: %s\n", qPrintable(name), qPrintable(cut));
    whole = false;
  }
  dialog.hide();
  return written && whole;
}

}  // namespace

QStringList CutOffControls(const QWidget& dialog) {
  QStringList cut;
  for (const QWidget* w : dialog.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&dialog)) continue;
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
    else if (const auto* list = qobject_cast<const QComboBox*>(w)) text = list->currentText();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
    if (text.isEmpty()) continue;
    const QSize need = w->minimumSizeHint().expandedTo(w->sizeHint());
    if (w->width() < need.width() || w->height() < need.height()) cut << Describe(w, text);
  }
  return cut;
}

int RenderDialogs(const std::string& outputFolder) {
  const QDir out(QString::fromStdString(outputFolder));
  if (!QDir().mkpath(out.absolutePath())) return 2;
  bool ok = true;
  for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::Japanese, QLocale::Japan)}) {
    const QLocale previous;
    QLocale::setDefault(locale);
    const auto translators = InstallTranslations(locale);
    const QString suffix = locale.language() == QLocale::Japanese ? QStringLiteral("ja") : QStringLiteral("en");
    {
      AppSettings settings = SampleSettings();
      CConfDlg conf(settings);
      ok = Save(conf, out, QStringLiteral("conf_dialog_%1.png").arg(suffix)) && ok;
      CGraphDlg graph(settings.Graph, [] {});
      ok = Save(graph, out, QStringLiteral("graph_dialog_%1.png").arg(suffix)) && ok;
    }
    QLocale::setDefault(previous);
  }
  return ok ? 0 : 1;
}

}  // namespace spectrel
