#include <gtest/gtest.h>

#include <optional>

#include "FakePlatform.h"
#include "platform/ProfileInt.h"

namespace setup {
namespace {

struct IntCase {
  const char* text;
  std::optional<std::int32_t> value;
};

class ParseProfileIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ParseProfileIntTest, FollowsTheIntegerRule) {
  EXPECT_EQ(ParseProfileInt(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Decimal, ParseProfileIntTest,
                         ::testing::Values(IntCase{"0", 0}, IntCase{"1", 1}, IntCase{"2", 2},
                                           IntCase{"-1", -1}, IntCase{"+7", 7}, IntCase{"007", 7},
                                           IntCase{"2147483647", 2147483647},
                                           IntCase{"-2147483648", INT32_MIN},
                                           IntCase{"2147483648", std::nullopt},
                                           IntCase{"-2147483649", std::nullopt},
                                           IntCase{"99999999999999999999", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ParseProfileIntTest,
    ::testing::Values(IntCase{"0x10", 16}, IntCase{"0X10", 16}, IntCase{"$10", 16},
                      IntCase{"x10", 16}, IntCase{"X1f", 31}, IntCase{"$aBc", 0xABC},
                      IntCase{"0x0", 0}, IntCase{"0x7FFFFFFF", 2147483647},
                      // A 32-bit pattern reads as its signed value, as Windows readers do.
                      IntCase{"0xFFFFFFFF", -1}, IntCase{"$80000000", INT32_MIN},
                      IntCase{"0x00000000FF", 255}, IntCase{"0x100000000", std::nullopt}));

INSTANTIATE_TEST_SUITE_P(
    NoInteger, ParseProfileIntTest,
    ::testing::Values(IntCase{"", std::nullopt}, IntCase{"true", std::nullopt},
                      IntCase{"yes", std::nullopt}, IntCase{"1a", std::nullopt},
                      IntCase{"-", std::nullopt}, IntCase{"+", std::nullopt},
                      IntCase{"$", std::nullopt}, IntCase{"0x", std::nullopt},
                      IntCase{"0xG", std::nullopt}, IntCase{" 1", std::nullopt},
                      IntCase{"1 ", std::nullopt}, IntCase{"1.0", std::nullopt},
                      IntCase{"-0x10", std::nullopt}, IntCase{"0b1", std::nullopt}));

TEST(ReadProfileInt, DefaultForMissingFileKeyOrNonInteger) {
  fake::FakeProfile profile;
  const std::string file = "C:\\Tools\\Setup.ini";
  EXPECT_EQ(ReadProfileInt(profile, file, "rom", "MPCF", 5), 5);
  EXPECT_FALSE(profile.Exists(file)) << "reading must not create the file";

  profile.WriteString(file, "rom", "MPCF", "0x10");
  profile.WriteString(file, "rom", "SCCF", "true");
  profile.WriteString(file, "rom", "SCSD", "");
  EXPECT_EQ(ReadProfileInt(profile, file, "ROM", "mpcf", 5), 16);
  EXPECT_EQ(ReadProfileInt(profile, file, "rom", "SCCF", 5), 5);
  EXPECT_EQ(ReadProfileInt(profile, file, "rom", "SCSD", -3), -3);
  EXPECT_EQ(ReadProfileInt(profile, file, "rom", "SCMS", 9), 9);
}

}  // namespace
}  // namespace setup
