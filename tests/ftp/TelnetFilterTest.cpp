#include "ftp/server/TelnetFilter.h"

#include <gtest/gtest.h>

namespace kobix::ftp {
namespace {

struct TTelnetCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TTelnetCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  std::string Input;       // bytes fed, in order
  std::string Line;        // the completed line
  std::string Answer;      // bytes the filter asks to send, concatenated
  bool Complete = true;
};

std::string Bytes(std::initializer_list<int> AValues) {
  std::string bytes;
  for (int value : AValues) bytes += static_cast<char>(value);
  return bytes;
}

class TelnetFilterTest : public testing::TestWithParam<TTelnetCase> {};

TEST_P(TelnetFilterTest, ProducesLineAndAnswers) {
  const auto& c = GetParam();
  TTelnetFilter filter;
  std::string line, answer, answers;
  bool complete = false;
  for (char byte : c.Input) {
    ASSERT_FALSE(complete) << "bytes after the end of the line";
    complete = filter.Feed(static_cast<uint8_t>(byte), line, answer) == TTelnetFilter::TResult::LineComplete;
    answers += answer;
    answer.clear();
  }
  EXPECT_EQ(complete, c.Complete);
  EXPECT_EQ(line, c.Line);
  EXPECT_EQ(answers, c.Answer);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TelnetFilterTest,
    testing::Values(
        TTelnetCase{"PlainLine", "NOOP\r\n", "NOOP", ""},
        TTelnetCase{"BareLFIsPartOfTheLine", "NOOP\nNOOP\r\n", "NOOP\nNOOP", ""},
        TTelnetCase{"CRNulKeepsCR", "A\r" + Bytes({0}) + "B\r\n", "A\rB", ""},
        TTelnetCase{"CROtherKeepsBoth", "A\rB\r\n", "A\rB", ""},
        TTelnetCase{"CRThenIACIAC", "A\r" + Bytes({255, 255}) + "\r\n", "A\r\xff", ""},
        TTelnetCase{"DoubledIACIsOneByte", "A" + Bytes({255, 255}) + "B\r\n", "A\xff" "B", ""},
        TTelnetCase{"InterruptDiscardsUntilDataMark", "junk" + Bytes({255, 244, 'x', 255, 1, 255, 242}) + "ABOR\r\n", "ABOR", ""},
        TTelnetCase{"AbortOutputIsAnswered", "A" + Bytes({255, 245}) + "B\r\n", "AB", Bytes({255, 244, 255, 242})},
        TTelnetCase{"EraseCharacter", "AB" + Bytes({255, 247}) + "C\r\n", "AC", ""},
        TTelnetCase{"EraseCharacterOnEmptyLine", Bytes({255, 247}) + "C\r\n", "C", ""},
        TTelnetCase{"EraseLine", "AB" + Bytes({255, 248}) + "C\r\n", "C", ""},
        TTelnetCase{"WillIsRefusedWithDont", Bytes({255, 251, 1}) + "X\r\n", "X", Bytes({255, 254, 1})},
        TTelnetCase{"DoIsRefusedWithWont", Bytes({255, 253, 1}) + "X\r\n", "X", Bytes({255, 252, 1})},
        TTelnetCase{"WontAndDontAreIgnored", Bytes({255, 252, 1, 255, 254, 3}) + "X\r\n", "X", ""},
        TTelnetCase{"SubnegotiationIsSkipped", Bytes({255, 250, 24, 'a', 'b', 255, 1, 'c', 255, 240}) + "X\r\n", "X", ""},
        TTelnetCase{"OtherCommandsAreIgnored", Bytes({255, 241, 255, 243, 255, 246, 255, 249, 255, 7}) + "X\r\n", "X", ""},
        TTelnetCase{"NoLineWithoutCRLF", "NOOP\n", "NOOP\n", "", false}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
}  // namespace kobix::ftp
