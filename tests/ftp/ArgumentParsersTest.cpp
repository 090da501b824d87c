#include "ftp/commands/ArgumentParsers.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ftp/commands/Timestamps.h"
#include "ftp/server/Errors.h"

namespace kobix::ftp {
namespace {

using TFacts = std::vector<std::pair<std::string, std::string>>;

// ---- MFF -----------------------------------------------------------------------------------------

struct TMFFCase {
  const char* Argument;
  TFacts Facts;
  const char* Path;
};

void PrintTo(const TMFFCase& ACase, std::ostream* AOut) { *AOut << '"' << ACase.Argument << '"'; }

class MFFArguments : public ::testing::TestWithParam<TMFFCase> {};

TEST_P(MFFArguments, SplitsFactsBeforeTheFirstSpaceAndKeepsThePathWhole) {
  const TMFFArguments parsed = ParseMFFArguments(GetParam().Argument);
  EXPECT_EQ(parsed.Facts, GetParam().Facts);
  EXPECT_EQ(parsed.Path, GetParam().Path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MFFArguments,
    ::testing::Values(
        TMFFCase{"Modify=20190102030405;Create=20180101000000; /Music/a b.mp3",
                 {{"Modify", "20190102030405"}, {"Create", "20180101000000"}},
                 "/Music/a b.mp3"},
        TMFFCase{"Modify=20190102030405 file", {{"Modify", "20190102030405"}}, "file"},  // no final ";"
        TMFFCase{"Modify=;Unix.mode=0644; f", {{"Unix.mode", "0644"}}, "f"},            // empty value ignored
        TMFFCase{"Modify=1;;=v;novalue;Create=2; f", {{"Modify", "1"}, {"Create", "2"}}, "f"},
        TMFFCase{"a=b=c; f", {{"a", "b=c"}}, "f"},
        TMFFCase{"Modify=1;", {{"Modify", "1"}}, ""},
        TMFFCase{"Modify=1;  two  spaces ", {{"Modify", "1"}}, " two  spaces "},
        TMFFCase{" f", {}, "f"}, TMFFCase{"", {}, ""}, TMFFCase{";;;", {}, ""}));

TEST(MFFArguments, FactNamesMatchWithoutRegardToCaseFirstOneWins) {
  const TMFFArguments parsed = ParseMFFArguments("modify=1;CREATE=2;MODIFY=3;Modify=; f");
  EXPECT_EQ(parsed.Value("Modify"), "1");
  EXPECT_EQ(parsed.Value("create"), "2");
  EXPECT_EQ(parsed.Value("Unix.mode"), std::nullopt);
}

// ---- SITE UTIME ----------------------------------------------------------------------------------

struct TUTimeCase {
  const char* Argument;
  TSiteUTimeForm Form;
  const char* Path;
  const char* Access;    // as written; long form only
  const char* Modified;  // formatted back; "" for none
  const char* Created;
};

void PrintTo(const TUTimeCase& ACase, std::ostream* AOut) { *AOut << '"' << ACase.Argument << '"'; }

class SiteUTimeArguments : public ::testing::TestWithParam<TUTimeCase> {};

TEST_P(SiteUTimeArguments, RecognisesLongAndShortForms) {
  const TUTimeCase& c = GetParam();
  const TSiteUTimeArguments parsed = ParseSiteUTimeArguments(c.Argument);
  EXPECT_EQ(parsed.Form, c.Form);
  EXPECT_EQ(parsed.Path, c.Path);
  EXPECT_EQ(parsed.AccessTime, c.Access);
  EXPECT_EQ(parsed.ModifiedTime ? FormatMLSTimestamp(*parsed.ModifiedTime) : "", c.Modified);
  EXPECT_EQ(parsed.CreationTime ? FormatMLSTimestamp(*parsed.CreationTime) : "", c.Created);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SiteUTimeArguments,
    ::testing::Values(
        TUTimeCase{"file.txt 20190101000000 20190202000000 20190303000000 UTC", utLong, "file.txt", "20190101000000",
                   "20190202000000", "20190303000000"},
        TUTimeCase{"my file.txt 20190101000000 20190202000000 UTC", utLong, "my file.txt", "20190101000000",
                   "20190202000000", ""},
        TUTimeCase{"a b c 20190101000000 20190202000000 20190303000000 utc", utLong, "a b c", "20190101000000",
                   "20190202000000", "20190303000000"},
        TUTimeCase{"a  b 20190101000000 20190202000000 uTc", utLong, "a  b", "20190101000000", "20190202000000",
                   ""},
        // The parameter directly before UTC is only parsed, never tested.
        TUTimeCase{"f 20190101000000 20190202000000.5 UTC", utLong, "f", "20190101000000", "20190202000000.005",
                   ""},
        // Three places before UTC is not a timestamp, so it belongs to the path.
        TUTimeCase{"f 2019010100000 20190202000000 20190303000000 UTC", utLong, "f 2019010100000",
                   "20190202000000", "20190303000000", ""},
        TUTimeCase{"20190101000000 20190202000000 UTC", utLong, "", "20190101000000", "20190202000000", ""},
        TUTimeCase{"20190202030405 some file.txt", utShort, "some file.txt", "", "20190202030405", ""},
        TUTimeCase{"20190202030405 f 20190101000000 UTC", utShort, "f 20190101000000 UTC", "", "20190202030405",
                   ""},
        TUTimeCase{"20190202030405", utShort, "", "", "20190202030405", ""},
        TUTimeCase{"file 20190101000000 20190202000000", utUnrecognised, "", "", "", ""},
        TUTimeCase{"file 20190101000000 20190202000000 UTC ", utUnrecognised, "", "", "", ""},
        TUTimeCase{"20191301000000 file", utUnrecognised, "", "", "", ""},
        TUTimeCase{"file UTC", utUnrecognised, "", "", "", ""},
        TUTimeCase{"notatime file", utUnrecognised, "", "", "", ""},
        TUTimeCase{"", utUnrecognised, "", "", "", ""}));

TEST(SiteUTimeArguments, ImpossibleTimeThatPassesTheShapeCheckRaisesConversionError) {
  for (const char* argument : {"f 20190101000000 20190230000000 UTC", "f 20190101000000 junk UTC",
                               "f 20190101000000 20190202000000 20190231000000 UTC", "20190102240000 f"}) {
    EXPECT_THROW(ParseSiteUTimeArguments(argument), EConvertError) << argument;
  }
}

// ---- OPTS MODE Z ---------------------------------------------------------------------------------

struct TModeZCase {
  const char* Parameters;
  bool Accepted;
  int Level;  // the level afterwards, starting from level 3
};

void PrintTo(const TModeZCase& ACase, std::ostream* AOut) { *AOut << '"' << ACase.Parameters << '"'; }

class ModeZOptions : public ::testing::TestWithParam<TModeZCase> {};

TEST_P(ModeZOptions, ChangesOnlyTheLevelOrRestoresDefaults) {
  const TZLibSettings current{3, 15, 8, 0};
  const TModeZOptionsResult result = ApplyModeZOptions(GetParam().Parameters, current);
  EXPECT_EQ(result.Accepted, GetParam().Accepted);
  EXPECT_EQ(result.Settings, (TZLibSettings{GetParam().Level, 15, 8, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModeZOptions,
    ::testing::Values(TModeZCase{"", true, 7}, TModeZCase{"   ", true, 7},  // report with the defaults
                      TModeZCase{"LEVEL 5", true, 5}, TModeZCase{"level 0", true, 0},
                      TModeZCase{"LEVEL 07", true, 7}, TModeZCase{"  LEVEL   5  ", true, 5},
                      TModeZCase{"LEVEL 5 LEVEL 2", true, 2},
                      TModeZCase{"ENGINE ZLIB", true, 7},  // accepted without a level: defaults
                      TModeZCase{"engine whatever", true, 7}, TModeZCase{"METHOD 8", true, 7},
                      TModeZCase{"BLOCKSIZE 1024", true, 7}, TModeZCase{"EXTRA on", true, 7},
                      TModeZCase{"EXTRA OFF", true, 7}, TModeZCase{"BOGUS 1 LEVEL 4", true, 4},
                      TModeZCase{"LEVEL 5 BOGUS 1", true, 5}, TModeZCase{"LEVEL 5 EXTRA", true, 5},
                      TModeZCase{"LEVEL 9 ENGINE ZLIB", true, 7},  // level not stored: defaults
                      TModeZCase{"LEVEL 9", false, 3}, TModeZCase{"LEVEL 8", false, 3},
                      TModeZCase{"LEVEL -1", false, 3}, TModeZCase{"LEVEL +5", false, 3},
                      TModeZCase{"LEVEL x", false, 3}, TModeZCase{"LEVEL 99999999999999999999", false, 3},
                      TModeZCase{"LEVEL", false, 3}, TModeZCase{"ENGINE", false, 3},
                      TModeZCase{"BOGUS 1", false, 3}, TModeZCase{"BOGUS 1 OTHER 2", false, 3},
                      TModeZCase{"METHOD deflate", false, 3}, TModeZCase{"BLOCKSIZE -1", false, 3},
                      TModeZCase{"EXTRA maybe", false, 3}, TModeZCase{"LEVEL 9 EXTRA", false, 3}));

TEST(ModeZOptions, ReportLinesShowTheLevel) {
  EXPECT_EQ(ModeZReportLines(7), (std::vector<std::string>{"MODE Z ENGINE set to ZLIB.", "MODE Z LEVEL set to 7.",
                                                            "MODE Z METHOD set to 8."}));
  EXPECT_EQ(ModeZReportLines(0)[1], "MODE Z LEVEL set to 0.");
}

}  // namespace
}  // namespace kobix::ftp
