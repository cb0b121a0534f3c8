// The desktop program as a Linux program: help and version without a display, one line and exit
// code 1 when there is no display to open, exit code 2 for a bad command line.
#include <QProcess>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace spectrel {
namespace {

TEST(CommandLine, AnswersWithoutADisplay) {
  struct Row {
    const char* Name;
    QStringList Args;
    QStringList Environment;   // beside no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM
    int Exit;
    const char* Out;           // the start of standard output
    const char* Err;           // the start of a line on standard error
  };
  const Row rows[] = {
      {"help", {"--help"}, {}, 0, "Usage: spectrel [--simulate[=auto]] [DAY_FILE]\n", ""},
      {"version", {"--version"}, {}, 0, "spectrel 5.1 (commit ", ""},
      {"no display", {}, {}, 1, "", "spectrel: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
      {"display gone", {}, {"DISPLAY=:97"}, 1, "", "spectrel: no display could be opened: "},
      {"bad option", {"--bogus"}, {"QT_QPA_PLATFORM=offscreen"}, 2, "", "spectrel: unknown argument '--bogus'"},
  };
  for (const Row& row : rows) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    for (const QString& pair : row.Environment) environment.insert(pair.section('=', 0, 0), pair.section('=', 1));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(SPECTREL_DESKTOP), row.Args);
    ASSERT_TRUE(program.waitForFinished(30000)) << row.Name;
    const std::string out = program.readAllStandardOutput().toStdString();
    const std::string err = program.readAllStandardError().toStdString();
    EXPECT_EQ(std::pair(program.exitStatus(), program.exitCode()), std::pair(QProcess::NormalExit, row.Exit)) << row.Name;
    EXPECT_EQ(out.substr(0, std::strlen(row.Out)), row.Out) << row.Name;
    EXPECT_NE(("\n" + err).find(std::string("\n") + row.Err), std::string::npos) << row.Name << ": " << err;
    if (row.Exit == 1) {   // one line
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << row.Name << ": " << err;
    }
  }
}

}  // namespace
}  // namespace spectrel
