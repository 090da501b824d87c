// The login state machine, the failed-password pause and limit, REIN, and anonymous logins.

#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kobix::test {
namespace {

struct TStep {
  std::string Line;
  std::string Reply;  // the whole reply line expected
};

struct TLoginCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TLoginCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  bool AllowAnonymous;
  std::vector<TStep> Steps;
};

class LoginTest : public testing::TestWithParam<TLoginCase> {};

// The failed-login pause is shortened here; its real length is checked once below.
TEST_P(LoginTest, FollowsTheStateMachine) {
  TEngineFixture engine;
  engine.Server().AllowAnonymousLogin = GetParam().AllowAnonymous;
  engine.Server().FTPSecurityOptions.InvalidPassDelay = 20;
  engine.Start();
  auto client = engine.Connect();
  for (const auto& step : GetParam().Steps) EXPECT_EQ(client->Command(step.Line).Lines.back(), step.Reply) << step.Line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoginTest,
    testing::Values(
        TLoginCase{"AccountInAnyLetterCase",
                   false,
                   {{"USER USER", "331 User name okay, need password."},
                    {"PASS SeCrEt", "230 User logged in, proceed."},
                    {"CWD /", "550 \"CWD\" Command not implemented."}}},
        TLoginCase{"WrongPasswordMayBeRetriedWithoutUser",
                   false,
                   {{"USER user", "331 User name okay, need password."},
                    {"PASS wrong", "530 Not logged in."},
                    {"PASS secret", "230 User logged in, proceed."}}},
        TLoginCase{"TrailingSpaceBelongsToTheName",
                   false,
                   {{"USER user ", "331 User name okay, need password."}, {"PASS secret", "530 Not logged in."}}},
        TLoginCase{"EmptyUserNeedsAccount", false, {{"USER", "332 Need account for login."}, {"PASS secret", "530 Not logged in."}}},
        TLoginCase{"AnonymousNamesAreOrdinaryWhenNotAllowed",
                   false,
                   {{"USER anonymous", "331 User name okay, need password."}, {"PASS a@b", "530 Not logged in."}}},
        TLoginCase{"AnonymousInAnyLetterCase",
                   true,
                   {{"USER AnonyMous", "331 Anonymous login OK, send e-mail as password."},
                    {"PASS me@example", "230 Anonymous user logged in, proceed."}}},
        TLoginCase{"AnonymousPasswordNeedsAtOrDot",
                   true,
                   {{"USER ftp", "331 Anonymous login OK, send e-mail as password."},
                    {"PASS plainword", "530 Not logged in."},
                    {"PASS a.b", "503 Login with USER first."}}},
        TLoginCase{"UserLogsOut",
                   false,
                   {{"USER user", "331 User name okay, need password."},
                    {"PASS secret", "230 User logged in, proceed."},
                    {"USER user", "331 User name okay, need password."},
                    {"REIN", "530 Not logged in."}}},
        TLoginCase{"ReinResetsTheLogin",
                   false,
                   {{"USER user", "331 User name okay, need password."},
                    {"PASS secret", "230 User logged in, proceed."},
                    {"REIN", "220 Service ready for new user."},
                    {"CWD /", "530 Not logged in."}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(LoginLimitTest, ThirdWrongPasswordClosesTheConnection) {
  TEngineFixture engine;
  engine.Server().FTPSecurityOptions.InvalidPassDelay = 20;
  engine.Start();
  auto client = engine.Connect();
  client->Command("USER user");
  EXPECT_EQ(client->Command("PASS a").Code, 530);
  client->Command("USER user");  // the count survives USER
  EXPECT_EQ(client->Command("PASS b").Code, 530);
  EXPECT_EQ(client->Command("PASS c").Lines, std::vector<std::string>{"421 Service not available, closing control connection."});
  EXPECT_TRUE(client->ClosedByServer());
}

TEST(LoginLimitTest, WrongPasswordIsAnsweredAfterThreeSeconds) {
  TEngineFixture engine;
  engine.Start();
  auto client = engine.Connect();
  client->Command("USER user");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(client->Command("PASS wrong").Code, 530);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2900));
}

}  // namespace
}  // namespace kobix::test
