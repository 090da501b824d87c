#include "ftp/listing/ListSwitches.h"

#include <gtest/gtest.h>

namespace kobix::ftp {
namespace {

struct SwitchCase {
  const char* Parameter;
  const char* Switches;
  const char* Path;
  const char* InForce;
};

void PrintTo(const SwitchCase& ACase, std::ostream* AOut) { *AOut << '"' << ACase.Parameter << '"'; }

class ListSwitchesTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(ListSwitchesTest, SplitsAndNormalises) {
  const TListParameter split = SplitListParameter(GetParam().Parameter);
  EXPECT_EQ(split.Switches, GetParam().Switches);
  EXPECT_EQ(split.Path, GetParam().Path);
  EXPECT_EQ(NormaliseListSwitches(split.Switches), GetParam().InForce);
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, ListSwitchesTest,
    ::testing::Values(SwitchCase{"-la", "-la", "", "la"},                          // LIST -la
                      SwitchCase{"-al /Music", "-al", "/Music", "la"},             // order is fixed
                      SwitchCase{"-R", "-R", "", ""},                              // never recursive
                      SwitchCase{"-l", "-l", "", "l"},                             // NLST -l
                      SwitchCase{"-tSr1C", "-tSr1C", "", ""},                      // no other letter counts
                      SwitchCase{"-TlalT  /My Music", "-TlalT", "/My Music", "laT"},  // each once
                      SwitchCase{"-L -A", "-L", "-A", ""},                         // letters are case-sensitive
                      SwitchCase{"/Music/My Files", "", "/Music/My Files", ""},    // a path alone
                      SwitchCase{"a-la", "", "a-la", ""},
                      SwitchCase{"", "", "", ""}));

}  // namespace
}  // namespace kobix::ftp
