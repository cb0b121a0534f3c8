// Each injected fault does what it says on the line, and can be switched while running.
#include "sim_fixture.h"

namespace solmet_sim_test {
namespace {

using solmet_sim::Fault;

solmet_sim::SensorConfig WithFault(int model, Fault fault) {
  auto c = Unpaced(model);
  c.FaultKind = fault;
  return c;
}

TEST(SimFaults, NoAnswerReadsButNeverReplies) {
  Rig rig(WithFault(0, Fault::NoAnswer));
  ASSERT_TRUE(rig.Started);
  EXPECT_EQ(rig.Port->Ask("", 0.3), "");
  EXPECT_EQ(rig.Port->Ask("ID", 0.3), "");
  EXPECT_EQ(rig.Sensor.Commands(), (std::vector<std::string>{"", "ID"}));
  // Cleared while running, the sensor answers again.
  rig.Sensor.SetFault(Fault::None);
  EXPECT_EQ(rig.Port->Ask("ID"), "SIM101,OK\r");
}

TEST(SimFaults, WrongModelNameNamesAnotherModel) {
  for (int m = 0; m < 4; ++m) {
    Rig rig(WithFault(m, Fault::WrongModelName));
    ASSERT_TRUE(rig.Started);
    const auto tokens = Tokens(rig.Port->Ask("ST"));
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1], "OK");
    EXPECT_NE(tokens[0], kNames[m]);
    EXPECT_EQ(tokens[0].rfind("SR-10", 0), 0u) << tokens[0];  // still a plausible name
  }
}

TEST(SimFaults, ShortBlocksStopOneByteEarlyAndSendNothingMore) {
  struct Case {
    Fault FaultKind;
    int Model;
    const char* Command;
    std::size_t Whole;  // bytes of the whole block
  };
  const Case cases[] = {
      {Fault::CalibShort, 0, "CALB", 4096},
      {Fault::CalibShort, 3, "CALB", 1024},
      {Fault::PixelMapShort, 3, "PXSB", 256},
      {Fault::RbShort, 1, "RB,0", 4096},
      {Fault::RbShort, 2, "RB,0", 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Command);
    Rig rig(WithFault(c.Model, c.FaultKind));
    ASSERT_TRUE(rig.Started);
    if (c.FaultKind == Fault::RbShort) {
      ASSERT_EQ(rig.Port->Ask("GM,10,0,1"), "OK\r");
    }
    rig.Port->Send(std::string(c.Command) + "\r");
    // Ask for one byte more than the whole block and its OK line: only Whole - 1 come.
    EXPECT_EQ(rig.Port->ReadBytes(c.Whole + 4, 0.4).size(), c.Whole - 1);
  }
}

TEST(SimFaults, OtherBlocksStayWholeUnderABlockFault) {
  Rig rig(WithFault(3, Fault::CalibShort));
  ASSERT_TRUE(rig.Started);
  rig.Port->Send("PXSB\r");
  EXPECT_EQ(rig.Port->ReadBytes(256 + 3, 1.0).size(), 259u);
}

TEST(SimFaults, GmWithoutOkAnswersErr) {
  Rig rig(WithFault(2, Fault::GmWithoutOk));
  ASSERT_TRUE(rig.Started);
  EXPECT_EQ(rig.Port->Ask("GM,10,0,1"), "ERR\r");
  EXPECT_EQ(rig.Port->Ask("OP"), "OK\r");  // other commands are unharmed
}

TEST(SimFaults, SsFewValuesCarriesFewerThanTheModelsCount) {
  const std::size_t full[4] = {5, 5, 10, 10};
  for (int m = 0; m < 4; ++m) {
    Rig rig(WithFault(m, Fault::SsFewValues));
    ASSERT_TRUE(rig.Started);
    const auto tokens = Tokens(rig.Port->Ask("SS"));
    ASSERT_GE(tokens.size(), 2u);
    EXPECT_EQ(tokens.back(), "OK");
    EXPECT_LT(tokens.size() - 1, full[m]);
  }
}

TEST(SimFaults, GarbageGoesAheadOfEveryReplyWithoutCrOrComma) {
  Rig rig(WithFault(0, Fault::Garbage));
  ASSERT_TRUE(rig.Started);
  const std::string clean = "SR-101,OK\r";
  for (int i = 0; i < 5; ++i) {
    const std::string reply = rig.Port->Ask("ST");
    ASSERT_GT(reply.size(), clean.size());
    EXPECT_EQ(reply.substr(reply.size() - clean.size()), clean);
    const std::string junk = reply.substr(0, reply.size() - clean.size());
    EXPECT_EQ(junk.find_first_of(",\r"), std::string::npos);
    // So the model name token no longer matches.
    EXPECT_NE(Tokens(reply)[0], "SR-101");
  }
  // Binary blocks are shifted by the stray bytes too.
  rig.Port->Send("CALB\r");
  const std::string block = rig.Port->ReadBytes(4096 + 3 + 16, 0.4);
  EXPECT_GT(block.size(), 4096u + 3u);
  EXPECT_NE(DecodeFloats(block.substr(0, 4096)), rig.Sensor.Calibration());
}

TEST(SimFaults, HangUpClosesTheLineAtTheFirstRb) {
  Rig rig(WithFault(0, Fault::HangUp));
  ASSERT_TRUE(rig.Started);
  EXPECT_EQ(rig.Port->Ask(""), "OK\r");
  EXPECT_EQ(rig.Port->Ask("OP"), "OK\r");
  EXPECT_EQ(rig.Port->Ask("GM,10,0,1"), "OK\r");
  rig.Port->Send("RB,0\r");
  EXPECT_TRUE(rig.Port->HungUp());
  const auto commands = rig.Sensor.Commands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back(), "RB,0");
  // Nothing answers any more, and stopping after a hang-up is harmless.
  EXPECT_EQ(rig.Port->Ask("ID", 0.3), "");
  rig.Sensor.Stop();
}

TEST(SimFaults, FaultsAreSwitchedWhileRunning) {
  Rig rig(Unpaced(1));
  ASSERT_TRUE(rig.Started);
  EXPECT_EQ(rig.Port->Ask("ST"), "SR-102,OK\r");
  rig.Sensor.SetFault(Fault::WrongModelName);
  EXPECT_NE(rig.Port->Ask("ST"), "SR-102,OK\r");
  rig.Sensor.SetFault(Fault::GmWithoutOk);
  EXPECT_EQ(rig.Port->Ask("ST"), "SR-102,OK\r");
  EXPECT_EQ(rig.Port->Ask("GM,10,0,1"), "ERR\r");
  rig.Sensor.SetFault(Fault::None);
  EXPECT_EQ(rig.Port->Ask("GM,10,0,1"), "OK\r");
}

}  // namespace
}  // namespace solmet_sim_test
