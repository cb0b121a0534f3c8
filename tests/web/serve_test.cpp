// spectrel-cli serve as the operator runs it: what it refuses to start with, and the page seen in
// headless Chromium beside a running simulated station.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>

#include "cli/runner_support.h"
#include "web_support.h"

namespace spectrel::web {
namespace {

using namespace web_test;
using runner_test::Args;
using runner_test::Cli;
using runner_test::CliTest;
using runner_test::RunCli;
using testing::WriteBytes;

// Which addresses are open to other hosts is the listen address's own test.
TEST_F(CliTest, ServeRefusesToStartUnsafelyOrUnclearly) {
  WriteBytes(Dir + "open-token", "0123456789abcdef0123\n");
  ::chmod((Dir + "open-token").c_str(), 0644);
  struct Row {
    const char* Name;
    Args Options;
    const char* Says;
  };
  const Row rows[] = {
      {"open address", {"--listen", "0.0.0.0:0"}, "give --token-file"},
      {"no port", {"--listen", "127.0.0.1"}, "ADDRESS:PORT"},
      {"a host name", {"--listen", "station.example:8080"}, "not an IPv4 address"},
      {"token others may read", {"--token-file", Dir + "open-token"}, "chmod 640"},
      {"missing token file", {"--token-file", Dir + "none"}, "cannot read the token file"},
  };
  for (const Row& row : rows) {
    const runner_test::Finished run = RunCli(runner_test::Joined({Cli, "serve", "--data", Dir}, row.Options));
    EXPECT_EQ(run.Exit, 1) << row.Name << run.Err;
    EXPECT_NE(run.Err.find(row.Says), std::string::npos) << row.Name << ": " << run.Err;
    EXPECT_EQ(run.Out.find("serving"), std::string::npos) << row.Name;
  }
}

// What a program printed on stdout, run through the shell.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// The attribute of the page's report of what it drew; "" when absent.
std::string Drawn(const std::string& dom, const std::string& name) {
  std::smatch m;
  const std::regex attribute("data-" + name + "=\"([^\"]*)\"");
  const std::size_t at = dom.find("id=\"drawn\"");
  const std::size_t tagEnd = dom.find('>', at);
  if (at == std::string::npos || tagEnd == std::string::npos) return {};
  const std::string tag = dom.substr(at, tagEnd - at);
  return std::regex_search(tag, m, attribute) ? m[1].str() : std::string();
}

TEST_F(CliTest, APageInABrowserDrawsTheRunningStationsData) {
  if (std::system("command -v chromium >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it): the page is not seen";
  WriteBytes(Dir + "p.ini", "[INT]\nSTART=0\nEND=86399\nINT=2\n");
  Background station({Cli, "run", "--data", Dir, "--profile", Dir + "p.ini", "--simulate", "--unpaced"});
  Background serve({Cli, "serve", "--data", Dir, "--listen", "127.0.0.1:0"});
  const int port = ServedPort(serve.WaitFor("serving", 10s));
  ASSERT_GT(port, 0);
  ASSERT_FALSE(station.WaitFor(" stored ", 20s).empty()) << "no cycle stored";
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
  const std::string chromium = "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                               "--disable-background-networking --disable-component-update --disable-sync "
                               "--virtual-time-budget=10000 --window-size=1280,1400 ";
  const auto profile = [&](const std::string& name) {
    std::filesystem::create_directories(Dir + name);
    return "--user-data-dir=" + Dir + name + " ";
  };

  const std::string dom = Output(chromium + profile("en") + "--dump-dom " + url + " 2>/dev/null");
  EXPECT_NE(dom.find("<html lang=\"en\">"), std::string::npos) << dom.substr(0, 300);
  EXPECT_EQ(Drawn(dom, "state"), "measuring") << dom;
  EXPECT_GT(std::atoi(Drawn(dom, "spectrum-points").c_str()), 1000) << dom;
  EXPECT_EQ(Drawn(dom, "spectrum-sensors"), "SR-101 SR-103");
  const int dayPoints = std::atoi(Drawn(dom, "day-points").c_str());
  EXPECT_GE(dayPoints, 1);
  EXPECT_EQ(Drawn(dom, "spectrogram"), std::to_string(dayPoints) + "x1501");
  EXPECT_EQ(Drawn(dom, "days"), "1");
  EXPECT_NE(dom.find(".KRF</a>"), std::string::npos);

  const std::string ja = Output(chromium + profile("ja") + "--lang=ja --accept-lang=ja --dump-dom " + url +
                                " 2>/dev/null");
  EXPECT_NE(ja.find("<html lang=\"ja\">"), std::string::npos) << ja.substr(0, 300);
  EXPECT_NE(ja.find("測定中"), std::string::npos);

  EXPECT_EQ(serve.Stop(), 0);
  EXPECT_EQ(station.Stop(), 0);
}

}  // namespace
}  // namespace spectrel::web
