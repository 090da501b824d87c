#include "ftp/listing/ListEncoding.h"

#include <gtest/gtest.h>

namespace kobix::ftp {
namespace {

struct EncodingCase {
  const char* Line;
  bool Utf8;
  const char* Expected;
};

void PrintTo(const EncodingCase& ACase, std::ostream* AOut) {
  *AOut << ::testing::PrintToString(std::string(ACase.Line)) << (ACase.Utf8 ? " as UTF-8" : " as US-ASCII");
}

class ListEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(ListEncodingTest, EncodesTheLine) {
  EXPECT_EQ(EncodeListingLine(GetParam().Line, GetParam().Utf8), GetParam().Expected);
}

// "음악.mp3": two Korean syllables of three bytes each.
#define KOREAN_NAME "\xEC\x9D\x8C\xEC\x95\x85.mp3"

INSTANTIATE_TEST_SUITE_P(
    Lines, ListEncodingTest,
    ::testing::Values(EncodingCase{"-rw-rw-r--   1 root " KOREAN_NAME, false, "-rw-rw-r--   1 root ??.mp3"},
                      EncodingCase{"-rw-rw-r--   1 root " KOREAN_NAME, true, "-rw-rw-r--   1 root " KOREAN_NAME},
                      EncodingCase{"caf\xC3\xA9", false, "caf?"},                  // Latin-1 letters too
                      EncodingCase{"\xF0\x9F\x98\x80x", false, "?x"},              // four bytes, one character
                      EncodingCase{"a\xFF" "b", false, "a?b"},                     // a stray byte
                      EncodingCase{"\xEC\x9D", false, "??"},                        // a cut-off character
                      EncodingCase{"\xC0\xAF", false, "??"},                        // an overlong "/"
                      EncodingCase{"plain ascii ~!", false, "plain ascii ~!"},
                      EncodingCase{"", false, ""}));

}  // namespace
}  // namespace kobix::ftp
