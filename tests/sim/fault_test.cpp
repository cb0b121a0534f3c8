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
  rig.Sensor.SetFault(Fault::None);  // cleared while running, the sensor answers again
  EXPECT_EQ(rig.Port->Ask("ID"), "SIM101,OK\r");
}

TEST(SimFaults, WrongNameAndFewStatusValuesOnEveryModel) {
  const std::size_t full[4] = {5, 5, 10, 10};  // status values per model
  for (int m = 0; m < 4; ++m) {
    SCOPED_TRACE(kNames[m]);
    Rig wrong(WithFault(m, Fault::WrongModelName));
    ASSERT_TRUE(wrong.Started);
    auto tokens = Tokens(wrong.Port->Ask("ST"));
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1], "OK");
    EXPECT_NE(tokens[0], kNames[m]);
    EXPECT_EQ(tokens[0].rfind("SR-10", 0), 0u) << tokens[0];  // still a plausible name
    Rig few(WithFault(m, Fault::SsFewValues));
    ASSERT_TRUE(few.Started);
    tokens = Tokens(few.Port->Ask("SS"));
    ASSERT_GE(tokens.size(), 2u);
    EXPECT_EQ(tokens.back(), "OK");
    EXPECT_LT(tokens.size() - 1, full[m]);
  }
}

TEST(SimFaults, ShortBlocksStopOneByteEarlyAndOtherBlocksStayWhole) {
  struct Case {
    Fault FaultKind;
    int Model;
    const char* Command;
    std::size_t Block;  // bytes of the whole block
    bool Short;
  };
  const Case cases[] = {
      {Fault::CalibShort, 0, "CALB", 4096, true},   {Fault::CalibShort, 3, "CALB", 1024, true},
      {Fault::PixelMapShort, 3, "PXSB", 256, true}, {Fault::RbShort, 1, "RB,0", 4096, true},
      {Fault::RbShort, 2, "RB,0", 1024, true},      {Fault::CalibShort, 3, "PXSB", 256, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Command);
    Rig rig(WithFault(c.Model, c.FaultKind));
    ASSERT_TRUE(rig.Started);
    if (c.FaultKind == Fault::RbShort) {
      ASSERT_EQ(rig.Port->Ask("GM,10,0,1"), "OK\r");
    }
    // A short block is one byte short and no "OK\r" follows it.
    rig.Port->Send(std::string(c.Command) + "\r");
    EXPECT_EQ(rig.Port->ReadBytes(c.Block + 3, 0.4).size(), c.Short ? c.Block - 1 : c.Block + 3);
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
    EXPECT_EQ(reply.substr(0, reply.size() - clean.size()).find_first_of(",\r"), std::string::npos);
    EXPECT_NE(Tokens(reply)[0], "SR-101");  // so the model name token no longer matches
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
  for (const char* command : {"", "OP", "GM,10,0,1"}) EXPECT_EQ(rig.Port->Ask(command), "OK\r") << command;
  rig.Port->Send("RB,0\r");
  EXPECT_TRUE(rig.Port->HungUp());
  EXPECT_EQ(rig.Sensor.Commands().back(), "RB,0");
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
  rig.Sensor.SetFault(Fault::GmWithoutOk);  // "GM" answers ERR, other commands are unharmed
  EXPECT_EQ(rig.Port->Ask("ST"), "SR-102,OK\r");
  EXPECT_EQ(rig.Port->Ask("OP"), "OK\r");
  EXPECT_EQ(rig.Port->Ask("GM,10,0,1"), "ERR\r");
  rig.Sensor.SetFault(Fault::None);
  EXPECT_EQ(rig.Port->Ask("GM,10,0,1"), "OK\r");
}

}  // namespace
}  // namespace solmet_sim_test
