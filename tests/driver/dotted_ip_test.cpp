// The driver's own reading of dotted IPv4 addresses.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>

#include "dotted_ip.h"

namespace {

int32_t address(const char* dotted) { return static_cast<int32_t>(inet_addr(dotted)); }

TEST(ParseDottedIp, FourFieldsInNetworkOrder) {
  EXPECT_EQ(ParseDottedIp("10.0.0.7"), address("10.0.0.7"));
  EXPECT_EQ(ParseDottedIp("127.0.0.1"), address("127.0.0.1"));
  EXPECT_EQ(ParseDottedIp("192.168.1.200"), address("192.168.1.200"));
}

TEST(ParseDottedIp, MissingFieldsAreZero) {
  EXPECT_EQ(ParseDottedIp("10.0.0"), address("10.0.0.0"));
  EXPECT_EQ(ParseDottedIp("10"), address("10.0.0.0"));
  EXPECT_EQ(ParseDottedIp(""), 0);
}

TEST(ParseDottedIp, EmptyFieldsAreZero) {
  EXPECT_EQ(ParseDottedIp("10..0.1"), address("10.0.0.1"));
}

TEST(ParseDottedIp, FieldsAreTakenModulo256) {
  EXPECT_EQ(ParseDottedIp("300"), 44);
  EXPECT_EQ(ParseDottedIp("10.0.0.300"), address("10.0.0.44"));
  EXPECT_EQ(ParseDottedIp("256.257.258.259"), address("0.1.2.3"));
}

TEST(ParseDottedIp, NamesAreNotAddresses) {
  EXPECT_EQ(ParseDottedIp("reader"), -1);
  EXPECT_EQ(ParseDottedIp("localhost"), -1);
  EXPECT_EQ(ParseDottedIp("10.0.0.x"), -1);
  EXPECT_EQ(ParseDottedIp("10.0a.0.1"), -1);
}

TEST(ParseDottedIp, OnlyTheFirstFourFieldsCount) {
  EXPECT_EQ(ParseDottedIp("1.2.3.4.x"), address("1.2.3.4"));
}

TEST(ParseDottedIp, TextsThatDoNotFitTheWorkAreaAreNames) {
  const std::string longest(kDottedIpWorkArea - 1, '1');
  EXPECT_NE(ParseDottedIp(longest.c_str()), -1);
  const std::string tooLong = "10.0.0.1" + std::string(kDottedIpWorkArea, ' ');
  EXPECT_EQ(ParseDottedIp(tooLong.c_str()), -1);
  const std::string longName(300, 'a');
  EXPECT_EQ(ParseDottedIp(longName.c_str()), -1);
}

TEST(NextToken, SkipsBlanksAndStopsAtSeparators) {
  char token[8];
  const char* text = "  12,34 56\t78";
  text = NextToken(text, token, sizeof token);
  EXPECT_STREQ(token, "12");
  text = NextToken(text, token, sizeof token);
  EXPECT_STREQ(token, "34");
  text = NextToken(text, token, sizeof token);
  EXPECT_STREQ(token, "56");
  text = NextToken(text, token, sizeof token);
  EXPECT_STREQ(token, "78");
  EXPECT_EQ(*text, '\0');
  text = NextToken(text, token, sizeof token);
  EXPECT_STREQ(token, "");
  EXPECT_EQ(*text, '\0');
}

TEST(NextToken, KeepsSizeLessOneCharactersAndSkipsTheRest) {
  char token[4] = {'x', 'x', 'x', 'x'};
  const char* rest = NextToken("123456,7", token, sizeof token);
  EXPECT_STREQ(token, "123");
  EXPECT_STREQ(rest, "7");
}

TEST(ParseDecimal, LeadingDigitsAndTheAllDigitsFlag) {
  int allDigits = -1;
  EXPECT_EQ(ParseDecimal("1234", &allDigits), 1234);
  EXPECT_EQ(allDigits, 1);
  EXPECT_EQ(ParseDecimal("12x4", &allDigits), 12);
  EXPECT_EQ(allDigits, 0);
  EXPECT_EQ(ParseDecimal("", &allDigits), 0);
  EXPECT_EQ(allDigits, 1);
  EXPECT_EQ(ParseDecimal("-5", &allDigits), 0);
  EXPECT_EQ(allDigits, 0);
}

}  // namespace
