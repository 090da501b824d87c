#include "service/VirtualFolders.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/TempTree.h"

namespace kobix::service {
namespace {

using kobix::testing::TTempTree;

struct TranslateCase {
  const char* Name;
  std::string Virtual;
  // Local path below the alias folder ("" = the folder itself); nullopt = refused.
  std::optional<std::string> Below;
  bool Root = false;
};

std::ostream& operator<<(std::ostream& AOut, const TranslateCase& ACase) { return AOut << ACase.Name; }

const TranslateCase Refused(const char* AName, std::string AVirtual) { return {AName, std::move(AVirtual), std::nullopt}; }

class TranslatePathTest : public ::testing::TestWithParam<TranslateCase> {
 protected:
  TTempTree FTree;
  // Given with a trailing separator, which must not matter.
  TFTPDirectoryAliasList FAliases{{"Music", FTree.Path("Mp3/")}};
};

TEST_P(TranslatePathTest, MapsVirtualPathsInsideTheAliasFolder) {
  const TranslateCase& row = GetParam();
  std::string path = row.Virtual;
  const bool translated = TranslatePath(FAliases, path);
  if (row.Root) {
    ASSERT_TRUE(translated);
    EXPECT_EQ(path, VirtualRootMarker);
  } else if (!row.Below) {
    EXPECT_FALSE(translated) << path;
    EXPECT_EQ(path, row.Virtual);
  } else {
    ASSERT_TRUE(translated);
    EXPECT_EQ(path, FTree.Path("Mp3") + *row.Below);
  }
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, TranslatePathTest,
    ::testing::Values(TranslateCase{"root", "/", std::nullopt, true}, TranslateCase{"empty", "", std::nullopt, true},
                      TranslateCase{"separators_only", "//\\/", std::nullopt, true},
                      TranslateCase{"alias_other_case", "/music", ""},
                      TranslateCase{"file_below", "/Music/a/b.mp3", "/a/b.mp3"},
                      TranslateCase{"no_leading_separator_backslash", "Music\\a", "/a"},
                      TranslateCase{"doubled_and_dot", "/Music//a/./b", "/a/b"},
                      TranslateCase{"dot_dot_drops_one", "/Music/a/../b", "/b"},
                      TranslateCase{"dot_dot_after_alias", "/Music/..", ""},
                      TranslateCase{"leading_spaces", "/ Music/ a", "/a"}, Refused("unknown_alias", "/Video/a"),
                      Refused("dot_as_alias", "/."), Refused("dot_dot_as_alias", "/.."),
                      TranslateCase{"skip_flag_undoes_one_component", "/Music/a/b/../../c", "/a/b/c"},
                      TranslateCase{"three_dots_is_a_name", "/Music/...", "/..."},
                      TranslateCase{"dots_and_space_is_a_name", "/Music/.. ", "/.. "},
                      TranslateCase{"trailing_spaces_kept", "/Music/a b ", "/a b "},
                      TranslateCase{"spaces_only_component_vanishes", "/Music/   /a", "/a"},
                      TranslateCase{"alias_then_separators", "/Music///", ""},
                      TranslateCase{"line_breaks_split", "/Music/a\r\nb", "/a/b"},
                      TranslateCase{"apostrophe_in_name", "/Music/It's/x", "/It's/x"},
                      TranslateCase{"quoted_separator_is_local", "/Music/'a\\b'/c", "/'a/b'/c"},
                      TranslateCase{"double_quotes", "/Music/\"a/b\"", "/\"a/b\""},
                      TranslateCase{"quoted_dot_dot_name", "/Music/'..", "/'.."},
                      TranslateCase{"quoted_climb_within_folder", "/Music/x/'/../y", "/x/y"},
                      TranslateCase{"quoted_climb_to_folder", "/Music/'/..", ""}));

INSTANTIATE_TEST_SUITE_P(
    Traversal, TranslatePathTest,
    ::testing::Values(Refused("quoted_climb", "/Music/'/../../etc"), Refused("quoted_climb_backslash", "/Music/'\\..\\..\\x"),
                      Refused("double_quoted_climb", "/Music/\"/../../x\""),
                      Refused("climb_after_names", "/Music/'a/../../b'"),
                      Refused("climb_past_kept_component", "/Music/a/'/../../../x"),
                      Refused("unclosed_quote_climb", "/Music/\"/..//../x"),
                      Refused("nul_byte", std::string("/Music/a\0/../../x", 17))));

TEST(TranslatePathRules, AliasCaseFoldingIsAsciiOnlyAndTheFirstAliasWins) {
  const TFTPDirectoryAliasList aliases{{"Müsik", "/srv/m"}, {"Dup", "/srv/first"}, {"dup", "/srv/second"}};
  for (const auto& [input, expected] : std::vector<std::pair<std::string, std::string>>{
           {"/MÜSIK/a", ""}, {"/MüSIK/a", "/srv/m/a"}, {"/DUP/x", "/srv/first/x"}, {"/dup", "/srv/first"}}) {
    std::string path = input;
    EXPECT_EQ(TranslatePath(aliases, path), !expected.empty()) << input;
    if (!expected.empty()) {
      EXPECT_EQ(path, expected) << input;
    }
  }
}

TEST(TranslatePathRules, AliasesWithoutAFolderServeNothingAndRootFoldersWork) {
  const TFTPDirectoryAliasList aliases{{"Empty", ""}, {"All", "/"}};
  std::string path = "/Empty/etc";
  EXPECT_FALSE(TranslatePath(aliases, path));
  path = "/All";
  ASSERT_TRUE(TranslatePath(aliases, path));
  EXPECT_EQ(path, "/");
  path = "/All/etc/x";
  ASSERT_TRUE(TranslatePath(aliases, path));
  EXPECT_EQ(path, "/etc/x");
}

TEST(TranslatePathRules, NoAliasesRefuseEverythingButTheRoot) {
  std::string path = "/Music";
  EXPECT_FALSE(TranslatePath({}, path));
  path = "/";
  EXPECT_TRUE(TranslatePath({}, path));
  EXPECT_EQ(path, VirtualRootMarker);
}

}  // namespace
}  // namespace kobix::service
