// One QApplication for every UI test, created before the first test on the main thread, on the
// offscreen platform unless the caller chose another.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App = std::make_unique<QApplication>(Argc, Argv);
  }
  void TearDown() override { App.reset(); }

 private:
  int Argc = 1;
  char Name[8] = "test_ui";
  char* Argv[2] = {Name, nullptr};
  std::unique_ptr<QApplication> App;
};

const auto* const Registered = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
