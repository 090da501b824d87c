#include "ftp/server/VirtualPath.h"

#include <gtest/gtest.h>

#include <ostream>

namespace kobix::ftp {
namespace {

struct TResolveCase {
  const char* CurrentDir;
  const char* Text;
  const char* Expected;
};


// Test names must not hold a backslash (the test runner reads it as an escape), so it is shown as %5C.
std::string Printable(std::string AText) {
  for (size_t at; (at = AText.find('\\')) != std::string::npos;) AText.replace(at, 1, "%5C");
  return '"' + AText + '"';
}

void PrintTo(const TResolveCase& ACase, std::ostream* AOut) { *AOut << ACase.CurrentDir << " + " << Printable(ACase.Text); }

class ResolveVirtualPathTest : public ::testing::TestWithParam<TResolveCase> {};

TEST_P(ResolveVirtualPathTest, JoinsWithTheWorkingDirectory) {
  const TResolveCase& row = GetParam();
  EXPECT_EQ(ResolveVirtualPath(row.CurrentDir, row.Text), row.Expected) << "in " << row.CurrentDir << ": " << row.Text;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ResolveVirtualPathTest,
    ::testing::Values(
        // The navigation examples, at the level of the join (CWD strips one trailing separator first).
        TResolveCase{"/", "Music", "/Music"}, TResolveCase{"/Music", "sub", "/Music/sub"},
        TResolveCase{"/Music/sub", "..\\", "/Music/"}, TResolveCase{"/Music", "..\\", "/"}, TResolveCase{"/", "..\\", "/"},
        TResolveCase{"/Music/sub", "../other", "/Music/other"},
        // Absolute paths come back exactly as given: doubled separators, "." and ".." included.
        TResolveCase{"/Music", "/Music//sub", "/Music//sub"}, TResolveCase{"/x", "/Music/../Music", "/Music/../Music"},
        TResolveCase{"/x", "/Music/./a/", "/Music/./a/"},
        // "\" counts as "/", also for telling an absolute path.
        TResolveCase{"/x", "\\Music\\a", "/Music/a"}, TResolveCase{"/Music", "a\\b", "/Music/a/b"},
        // A trailing separator (or an empty text) keeps the trailing "/".
        TResolveCase{"/Music", "sub/", "/Music/sub/"}, TResolveCase{"/Music", "", "/Music/"}, TResolveCase{"/", "", "/"},
        // A working directory with or without its trailing "/" joins the same.
        TResolveCase{"/Music/", "a", "/Music/a"},
        // Doubled separators of a relative path collapse.
        TResolveCase{"/Music", "a//b", "/Music/a/b"},
        // A "." segment is kept; only ".." removes a segment.
        TResolveCase{"/Music", "./sub", "/Music/./sub"}, TResolveCase{"/Music", ".", "/Music/."},
        // Only the two dots are tested: "..x" removes the previous segment and keeps "x".
        TResolveCase{"/Music/sub", "..x", "/Music/x"},
        // ".." never climbs above the root, and the result never loses its leading "/".
        TResolveCase{"/", "../../x", "/x"}, TResolveCase{"/Music", "../../../..", "/"}, TResolveCase{"/Music", "../..", "/"},
        TResolveCase{"/Music", "..", "/"}, TResolveCase{"/", "..x", "/x"}, TResolveCase{"/", "..", "/"},
        TResolveCase{"/Music", "..\\..\\sentinel.txt", "/sentinel.txt"}));

TEST(StripTrailingSeparatorTest, RemovesOneSeparatorAndGivesTheRootForNothing) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"", "/"}, {"/", "/"}, {"\\", "/"}, {"a/", "a"}, {"a\\", "a"}, {"a//", "a/"}, {"/Music", "/Music"}, {"..\\", ".."}};
  for (const auto& [text, expected] : rows) EXPECT_EQ(StripTrailingSeparator(text), expected) << text;
}

TEST(ParentMarkerTest, IsTheRelativeParentWithATrailingSeparator) { EXPECT_EQ(ParentMarker(), "..\\"); }

TEST(CollapseSeparatorsTest, FourPassesInOrderWithoutRescanning) {
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"/Music//sub", "/Music/sub"},
      {"///", "//"},  // three in a row become two
      {"////", "//"},
      {"a\\\\b", "a\\b"},
      {"/\\a", "/a"},
      {"\\/a", "/a"},
      {"//\\", "/"},  // "//" first, then "/\"
      {"/Music/sub", "/Music/sub"},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(CollapseSeparators(text), expected) << text;
}

}  // namespace
}  // namespace kobix::ftp
