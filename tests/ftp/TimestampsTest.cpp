#include "ftp/commands/Timestamps.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "ftp/server/Errors.h"

namespace kobix::ftp {
namespace {

using platform::TDateTime;
using platform::TDateTimeFields;

TDateTime Make(int AYear, int AMonth, int ADay, int AHour = 0, int AMinute = 0, int ASecond = 0, int AMs = 0) {
  TDateTime result;
  EXPECT_TRUE(platform::TryEncodeDateTime({AYear, AMonth, ADay, AHour, AMinute, ASecond, AMs}, result));
  return result;
}

// ---- Parsing -------------------------------------------------------------------------------------

struct TParseCase {
  const char* Text;
  TDateTimeFields Expected;
};

void PrintTo(const TParseCase& ACase, std::ostream* AOut) { *AOut << '"' << ACase.Text << '"'; }

class MLSTimestampParse : public ::testing::TestWithParam<TParseCase> {};

TEST_P(MLSTimestampParse, ReadsFieldsAtFixedPositions) {
  const TParseCase& c = GetParam();
  const TDateTimeFields& e = c.Expected;
  EXPECT_EQ(ParseMLSTimestamp(c.Text), Make(e.Year, e.Month, e.Day, e.Hour, e.Minute, e.Second, e.Millisecond));
}

INSTANTIATE_TEST_SUITE_P(
    Table, MLSTimestampParse,
    ::testing::Values(TParseCase{"20190102030405", {2019, 1, 2, 3, 4, 5, 0}},
                      TParseCase{"20190102030405.5", {2019, 1, 2, 3, 4, 5, 5}},  // 5 ms, not 500
                      TParseCase{"20190102030405.250", {2019, 1, 2, 3, 4, 5, 250}},
                      TParseCase{"20190102030405.050", {2019, 1, 2, 3, 4, 5, 50}},
                      TParseCase{"20190102030405.999", {2019, 1, 2, 3, 4, 5, 999}},
                      TParseCase{"20190102030405.000000000000000000042", {2019, 1, 2, 3, 4, 5, 42}},
                      TParseCase{"20190102030405.abc", {2019, 1, 2, 3, 4, 5, 0}},  // not a number: 0
                      TParseCase{"20190102030405.1.2", {2019, 1, 2, 3, 4, 5, 0}},
                      TParseCase{"20190102030405.", {2019, 1, 2, 3, 4, 5, 0}},
                      TParseCase{"20190102xx0405", {2019, 1, 2, 0, 4, 5, 0}},  // hour field not a number
                      TParseCase{"201901021+0405", {2019, 1, 2, 0, 4, 5, 0}},  // signs are not digits
                      TParseCase{"20190102030405Z", {2019, 1, 2, 3, 4, 5, 0}},
                      TParseCase{"201901020304", {2019, 1, 2, 3, 4, 0, 0}},  // missing seconds count as 0
                      TParseCase{"20200229235959", {2020, 2, 29, 23, 59, 59, 0}},
                      TParseCase{"00010101000000", {1, 1, 1, 0, 0, 0, 0}},
                      TParseCase{"99991231235959.999", {9999, 12, 31, 23, 59, 59, 999}}));

class MLSTimestampParseError : public ::testing::TestWithParam<const char*> {};

TEST_P(MLSTimestampParseError, ImpossibleDateRaisesConversionError) {
  try {
    ParseMLSTimestamp(GetParam());
    ADD_FAILURE() << "parsed " << GetParam();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Invalid argument to date encode");
  }
}

INSTANTIATE_TEST_SUITE_P(Table, MLSTimestampParseError,
                         ::testing::Values("20191302030405",  // month 13
                                           "20190002030405",  // month 0
                                           "20190100030405",  // day 0
                                           "20190132030405", "20190230000000", "21000229000000",
                                           "20190102240000",  // hour 24 passes the quick check only
                                           "20190102036000", "20190102030460",
                                           "20190102030405.1000",  // a whole second is no fraction
                                           "20190102030405.99999999999999999999999999999999",
                                           "99999999999999", "2019AB02030405", "abcdefghijklmn",
                                           "00000000000000", "2019", "", ".5", "          "));

// ---- Formatting ----------------------------------------------------------------------------------

struct TFormatCase {
  TDateTimeFields Fields;
  const char* Expected;
};

void PrintTo(const TFormatCase& ACase, std::ostream* AOut) { *AOut << ACase.Expected; }

class MLSTimestampFormat : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(MLSTimestampFormat, WritesDigitsAndMillisecondsOnlyWhenSet) {
  const TDateTimeFields& f = GetParam().Fields;
  const TDateTime value = Make(f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second, f.Millisecond);
  EXPECT_EQ(FormatMLSTimestamp(value), GetParam().Expected);
  EXPECT_EQ(ParseMLSTimestamp(FormatMLSTimestamp(value)), value) << "format and parse agree";
}

INSTANTIATE_TEST_SUITE_P(Table, MLSTimestampFormat,
                         ::testing::Values(TFormatCase{{2019, 1, 2, 3, 4, 5, 0}, "20190102030405"},
                                           TFormatCase{{2019, 1, 2, 3, 4, 5, 5}, "20190102030405.005"},
                                           TFormatCase{{2019, 1, 2, 3, 4, 5, 250}, "20190102030405.250"},
                                           TFormatCase{{1899, 12, 30, 0, 0, 0, 0}, "18991230000000"},
                                           TFormatCase{{5, 6, 7, 8, 9, 1, 999}, "00050607080901.999"}));

// ---- Validity test -------------------------------------------------------------------------------

struct TValidityCase {
  const char* Text;
  bool Valid;
};

void PrintTo(const TValidityCase& ACase, std::ostream* AOut) { *AOut << '"' << ACase.Text << '"'; }

class MLSTimestampValidity : public ::testing::TestWithParam<TValidityCase> {};

TEST_P(MLSTimestampValidity, ChecksRangesAtFixedPositions) {
  EXPECT_EQ(IsValidMLSTimestamp(GetParam().Text), GetParam().Valid) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MLSTimestampValidity,
    ::testing::Values(TValidityCase{"20190102030405", true}, TValidityCase{"20191202030405", true},
                      TValidityCase{"20191302030405", false}, TValidityCase{"20190002030405", false},
                      TValidityCase{"20190131030405", true}, TValidityCase{"20190132030405", false},
                      TValidityCase{"20190100030405", false},
                      TValidityCase{"20190230000000", true},  // shape only: parsing refuses it
                      TValidityCase{"20190102240000", true}, TValidityCase{"20190102250000", false},
                      TValidityCase{"20190102035900", true}, TValidityCase{"20190102036000", false},
                      TValidityCase{"20190102030460", false}, TValidityCase{"00000101000000", true},
                      TValidityCase{"20190102030405.5", true}, TValidityCase{"20190102030405.", false},
                      TValidityCase{"20190102030405.x", false}, TValidityCase{"20190102030405Z", false},
                      TValidityCase{"2019010203040", false}, TValidityCase{"201901020304051", false},
                      TValidityCase{"2019010203040a", false}, TValidityCase{"+0190102030405", false},
                      TValidityCase{" 20190102030405", false}, TValidityCase{"2019", false},
                      TValidityCase{"", false}));

// ---- MDTM set-form candidates --------------------------------------------------------------------

struct TCandidateCase {
  const char* Word;
  bool Candidate;
  std::optional<int64_t> Offset;
};

void PrintTo(const TCandidateCase& ACase, std::ostream* AOut) { *AOut << '"' << ACase.Word << '"'; }

class MDTMCandidate : public ::testing::TestWithParam<TCandidateCase> {};

TEST_P(MDTMCandidate, RecognisesTimestampWithOptionalMinuteOffset) {
  const TCandidateCase& c = GetParam();
  const std::optional<TMDTMTimestamp> result = ParseMDTMCandidate(c.Word);
  ASSERT_EQ(result.has_value(), c.Candidate) << c.Word;
  if (!result) return;
  EXPECT_EQ(result->Digits, std::string(c.Word).substr(0, 14));
  EXPECT_EQ(result->Offset, c.Offset);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MDTMCandidate,
    ::testing::Values(TCandidateCase{"20190102030405", true, std::nullopt},
                      TCandidateCase{"20190102030405+60", true, 60}, TCandidateCase{"20190102030405-90", true, -90},
                      TCandidateCase{"20190102030405+0", true, 0},
                      TCandidateCase{"20190102030405+999999999", true, 999999999},
                      TCandidateCase{"20190102240000", true, std::nullopt},
                      TCandidateCase{"20190102030405+1234567890", false, {}},  // too many digits
                      TCandidateCase{"20190102030405+", false, {}}, TCandidateCase{"20190102030405-", false, {}},
                      TCandidateCase{"20190102030405+x", false, {}}, TCandidateCase{"20190102030405+-5", false, {}},
                      TCandidateCase{"20190102030405+5+5", false, {}},
                      TCandidateCase{"20190102030405.5", false, {}},  // a fraction is a path
                      TCandidateCase{"20190102030405.5+60", false, {}},
                      TCandidateCase{"2019010203040+5", false, {}}, TCandidateCase{"201901020304050", false, {}},
                      TCandidateCase{"20191302030405", false, {}}, TCandidateCase{"20190102030460+1", false, {}},
                      TCandidateCase{"-5", false, {}}, TCandidateCase{"file.txt", false, {}},
                      TCandidateCase{"", false, {}}));

}  // namespace
}  // namespace kobix::ftp
