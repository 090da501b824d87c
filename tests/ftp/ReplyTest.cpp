#include "ftp/server/Errors.h"
#include "ftp/server/Reply.h"

#include <gtest/gtest.h>

namespace kobix::ftp {
namespace {

struct TLayoutCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TLayoutCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  int Code;
  std::vector<std::string> Lines;
  TIdReplyRFCFormat Format;
  std::string Wire;
};

class ReplyLayoutTest : public testing::TestWithParam<TLayoutCase> {};

TEST_P(ReplyLayoutTest, FormatsTheWireLines) {
  const auto& c = GetParam();
  TIdReplyFTP reply;
  reply.SetCode(c.Code);
  reply.Text() = c.Lines;
  reply.SetReplyFormat(c.Format);
  EXPECT_EQ(reply.FormattedReply(), c.Wire);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplyLayoutTest,
    testing::Values(TLayoutCase{"NoCodeKeepsLines", 0, {"a", "b"}, rfNormal, "a\r\nb\r\n"},
                    TLayoutCase{"CodeWithoutText", 200, {}, rfNormal, "200\r\n"},
                    TLayoutCase{"OneLine", 200, {"Ok"}, rfNormal, "200 Ok\r\n"},
                    TLayoutCase{"NormalMultiLine", 220, {"Hello", "World"}, rfNormal, "220-Hello\r\n220 World\r\n"},
                    TLayoutCase{"IndentedMultiLine", 211, {"A", "B", "C", "D"}, rfIndentMidLines, "211-A\r\n B\r\n C\r\n211 D\r\n"},
                    TLayoutCase{"IndentedTwoLines", 250, {"Begin", "End"}, rfIndentMidLines, "250-Begin\r\n250 End\r\n"}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(ReplyTest, FallbackTextsByHundreds) {
  const std::vector<std::pair<int, std::vector<std::string>>> cases = {
      {150, {"Information"}}, {226, {"Ok"}},           {350, {"Temporary Error"}}, {425, {"Permanent Error"}},
      {550, {"Unknown Internal Error"}}, {600, {}},   {999, {}}};
  for (const auto& [code, text] : cases) {
    TIdReplyFTP reply(code);
    reply.FillFallbackText();
    EXPECT_EQ(reply.Text(), text) << code;
  }
}

TEST(ReplyTest, TextSplitsAtEveryLineBreakWithoutTrailingEmptyLine) {
  TIdReplyFTP reply(220, "a\r\nb\rc\nd\n");
  EXPECT_EQ(reply.Text(), (std::vector<std::string>{"a", "b", "c", "d"}));
  reply.SetText("");
  EXPECT_TRUE(reply.Text().empty());
}

TEST(ReplyTest, ChangingTheCodeEmptiesTheTextKeepingItDoesNot) {
  TIdReplyFTP reply(200, "kept");
  reply.SetCode(200);
  EXPECT_EQ(reply.Text().size(), 1u);
  reply.SetCode(250);
  EXPECT_TRUE(reply.Text().empty());
}

TEST(ReplyTest, CodesOutsideTheValidRangeAreRefused) {
  TIdReplyFTP reply;
  EXPECT_THROW(reply.SetCode("99"), EIdException);
  EXPECT_THROW(reply.SetCode("1000"), EIdException);
  EXPECT_THROW(reply.SetCode("2x0"), EIdException);
  try {
    reply.SetCode("42");
  } catch (const EIdException& e) {
    EXPECT_STREQ(e.what(), "Reply Code is not valid: 42");
  }
}

}  // namespace
}  // namespace kobix::ftp
