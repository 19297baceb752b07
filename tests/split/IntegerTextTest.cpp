#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "split/IntegerText.h"

namespace brelvik {
namespace {

using Accepted = std::pair<std::string, std::int32_t>;

class StrToIntAccepts : public ::testing::TestWithParam<Accepted> {};

TEST_P(StrToIntAccepts, DecimalWithOptionalSign) {
  EXPECT_EQ(StrToInt(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToIntAccepts,
                         ::testing::Values(Accepted{"0", 0}, Accepted{"7", 7}, Accepted{"007", 7},
                                           Accepted{"0012", 12}, Accepted{"+5", 5},
                                           Accepted{"-5", -5}, Accepted{"-0", 0}, Accepted{"+0", 0},
                                           Accepted{"2147483647", 2147483647},
                                           Accepted{"-2147483648", -2147483647 - 1},
                                           Accepted{"00000000002147483647", 2147483647}));

class StrToIntRefuses : public ::testing::TestWithParam<std::string> {};

TEST_P(StrToIntRefuses, WithTheTextInTheMessage) {
  const std::string text = GetParam();
  try {
    StrToInt(text);
    FAIL() << "'" << text << "' was accepted";
  } catch (const EConvertError& error) {
    EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToIntRefuses,
                         ::testing::Values("", "+", "-", "+-5", "-+5", "--5", "++5", " 5", "5 ",
                                           "\t5", "5\n", "12a", "a12", "1e3", "0x10", "1,000",
                                           "1.0", "2147483648", "-2147483649",
                                           "99999999999999999999"));

}  // namespace
}  // namespace brelvik
