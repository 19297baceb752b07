#include <gtest/gtest.h>

#include "cli/BreakpointText.h"
namespace brelvik {
namespace {

struct ValidCase {
  std::string Text;
  BreakpointText Expected;
};

class ValidBreakpointText : public ::testing::TestWithParam<ValidCase> {};

TEST_P(ValidBreakpointText, ParsesToFrameOrMilliseconds) {
  EXPECT_EQ(ParseBreakpoint(GetParam().Text), GetParam().Expected);
}

BreakpointText Frame(std::string text) {
  return {BreakpointText::Kind::Frame, std::move(text), 0};
}
BreakpointText Time(std::int32_t ms) {
  return {BreakpointText::Kind::Time, {}, ms};
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ValidBreakpointText,
    ::testing::Values(ValidCase{"0", Frame("0")}, ValidCase{"1200", Frame("1200")},
                      // Frame numbers keep their text as typed, leading zeros included; range
                      // checks belong to the breakpoint list.
                      ValidCase{"007", Frame("007")},
                      ValidCase{"99999999999", Frame("99999999999")}, ValidCase{"0:00", Time(0)},
                      ValidCase{"3:25", Time(205'000)}, ValidCase{"3:25.5", Time(205'500)},
                      ValidCase{"3:25.25", Time(205'250)}, ValidCase{"3:25.250", Time(205'250)},
                      ValidCase{"0:05.068", Time(5'068)}, ValidCase{"0:05.007", Time(5'007)},
                      // The m:ss form has no upper limit on minutes.
                      ValidCase{"75:00", Time(4'500'000)},
                      ValidCase{"1:02:03.250", Time(3'723'250)},
                      ValidCase{"01:02:03", Time(3'723'000)},
                      ValidCase{"0:59:59.999", Time(3'599'999)},
                      ValidCase{"596:31:23.647", Time(2'147'483'647)}));

class InvalidBreakpointText : public ::testing::TestWithParam<std::string> {};

TEST_P(InvalidBreakpointText, IsRefusedNamingTheTextAndBothForms) {
  const std::string& text = GetParam();
  try {
    ParseBreakpoint(text);
    FAIL() << "accepted '" << text << "'";
  } catch (const EBreakpointSyntax& error) {
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("'" + text + "' is not a breakpoint", 0), 0u) << message;
    EXPECT_NE(message.find("m:ss[.fff]"), std::string::npos);
    EXPECT_NE(message.find("h:mm:ss[.fff]"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, InvalidBreakpointText,
                         ::testing::Values("", "abc", "-5", "+5", " 5", "5 ", "12a", "0x10", "1.5",
                                           "1,5", "1:5", "1:60", "1:05.", "1:05.1234", ":05", "1:",
                                           "1:02:3", "1:60:00", "1:02:60", "1:02:03:04", "1::05"));

TEST(BreakpointTimeRange, PositionsPastThe32BitMillisecondRangeAreRefused) {
  for (const char* text : {"596:31:23.648", "35791:24", "99999999999999999999:00"}) {
    try {
      ParseBreakpoint(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const EBreakpointSyntax& error) {
      EXPECT_NE(std::string(error.what()).find(text), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find("beyond"), std::string::npos) << error.what();
    }
  }
}

TEST(FrameTextOf, TimesBecomeFramesThroughBitRateAndFrameSize) {
  // frames = ms × kbit/s ÷ 8 ÷ frame bytes, truncated.
  const StreamFigures cbr128{128, 417, 10'000, 26};
  EXPECT_EQ(FrameTextOf(Time(10'000), cbr128), "383");  // 160,000 ÷ 417 = 383.7
  EXPECT_EQ(FrameTextOf(Time(260), cbr128), "9");
  const StreamFigures cbr320{320, 1044, 10'000, 26};
  EXPECT_EQ(FrameTextOf(Time(205'500), cbr320), "7873");  // 8,220,000 ÷ 1044 = 7873.6
  EXPECT_EQ(FrameTextOf(Frame("007"), cbr128), "007");
}

TEST(FormatTime, WritesMinutesOrHoursThatParseBackToTheSameTime) {
  EXPECT_EQ(FormatTime(0), "0:00.000");
  EXPECT_EQ(FormatTime(5'068), "0:05.068");
  EXPECT_EQ(FormatTime(3'599'999), "59:59.999");
  EXPECT_EQ(FormatTime(3'723'250), "1:02:03.250");
  for (std::int32_t ms : {1, 999, 60'000, 3'600'000, 86'399'999, 2'147'483'647}) {
    EXPECT_EQ(ParseBreakpoint(FormatTime(ms)), Time(ms)) << FormatTime(ms);
  }
}

}  // namespace
}  // namespace brelvik
