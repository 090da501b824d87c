#include <gtest/gtest.h>

#include <ostream>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <regex>
#include <set>

#include "common/FtpTestClient.h"
#include "common/ServerdProcess.h"
#include "common/TempTree.h"

// Paths that try to climb out of the served folder, through every command that takes a path, over
// a running read-write kobix-serverd. The tree:
//
//   R/d/served/            the one alias, A (with victim.txt and inner/)
//   R/d/sentinel.txt       a file beside it that no client may read, change, move or delete
//   R/d/secretdir/keep.txt a folder beside it that no client may enter, list or remove
//
// Everything outside served/ carries a modification time in 2001, so any listing, status or fact
// line that shows one of those entries gives itself away, whatever its format.

namespace kobix::test {
namespace {

namespace fs = std::filesystem;
using kobix::testing::TTempTree;

const std::string SentinelContent = "SENTINEL: this file must never leave or change.\n";
const std::string KeepContent = "keep me\n";
const std::string Upload = "EVIL";
// Texts that may never arrive over a data connection, and the subset that may never appear in a
// reply (a reply may echo the path sent, or name the local file inside the served folder).
const std::vector<std::string> ForbiddenData = {"secretdir", "keep.txt", "2001", "kobix-test-", "SENTINEL"};
const std::vector<std::string> ForbiddenReply = {"keep.txt", "2001", "SENTINEL"};

struct TPathForm {
  const char* Name;
  const char* WorkingDirectory;  // where the session stands when it sends the path
  const char* Template;          // "{}" stands for the target's name
};


// Test names must not hold a backslash (the test runner reads it as an escape), so it is shown as %5C.
std::string Printable(std::string AText) {
  for (size_t at; (at = AText.find('\\')) != std::string::npos;) AText.replace(at, 1, "%5C");
  return '"' + AText + '"';
}

void PrintTo(const TPathForm& AForm, std::ostream* AOut) { *AOut << AForm.WorkingDirectory << " + " << Printable(AForm.Template); }

std::string Fill(const std::string& ATemplate, const std::string& ATarget) {
  std::string text = ATemplate;
  const size_t at = text.find("{}");
  return text.replace(at, 2, ATarget);
}

fs::file_time_type Year2001() {
  using namespace std::chrono;
  return file_clock::from_sys(sys_days{year{2001} / February / 3} + hours{4} + minutes{5} + seconds{6});
}

class TraversalTest : public ::testing::TestWithParam<TPathForm> {
 public:
  TraversalTest() {
    FTree.WriteFile("d/served/victim.txt", "victim");
    FTree.MakeFolder("d/served/inner");
    MakeQuoteFolders();
    FTree.WriteFile("d/sentinel.txt", SentinelContent);
    FTree.WriteFile("d/secretdir/keep.txt", KeepContent);
    for (const char* entry : {"d/sentinel.txt", "d/secretdir/keep.txt", "d/secretdir", "d"}) fs::last_write_time(FTree.Path(entry), Year2001());
    fs::last_write_time(FTree.Root(), Year2001());
    FServer = std::make_unique<TServerdProcess>(
        std::vector<std::string>{"--folder", "A=" + FTree.Path("d/served"), "--read-write", "--quiet", "--user", "u", "--password-env", "PW"},
        std::vector<std::string>{"PW=secret"});
    FClient = std::make_unique<TFtpTestClient>(FServer->Port());
    EXPECT_EQ(FClient->ReadReply().Code, 220);
    EXPECT_EQ(FClient->Command("USER u").Code, 331);
    EXPECT_EQ(FClient->Command("PASS secret").Code, 230);
  }

  // The server survived every attempt and stops cleanly.
  void TearDown() override {
    FClient.reset();
    EXPECT_EQ(FServer->Stop(), 0);
  }

  // The whole reply must not show anything from outside the served folder.
  static void ExpectClean(const std::vector<std::string>& ALines, const std::string& AWhat,
                          const std::vector<std::string>& AForbidden = ForbiddenData) {
    for (const std::string& line : ALines)
      for (const std::string& word : AForbidden) EXPECT_EQ(line.find(word), std::string::npos) << AWhat << ": " << line;
  }
  static void ExpectClean(const TReply& AReply) { ExpectClean(AReply.Lines, "reply", ForbiddenReply); }

  TReply Command(const std::string& ALine) {
    TReply reply = FClient->Command(ALine);
    ExpectClean(reply);
    return reply;
  }

  // Runs a command that needs a data connection: PASV first, then the command; what arrives on the
  // data connection is returned (an upload is sent instead when given).
  std::string WithData(const std::string& ALine, const std::optional<std::string>& AUpload = std::nullopt) {
    std::optional<platform::TSocket> data;
    const TReply pasv = Command("PASV");
    if (pasv.Code == 227) {
      std::smatch m;
      const std::string text = pasv.Text();
      if (std::regex_search(text, m, std::regex(R"((\d+),(\d+),(\d+),(\d+),(\d+),(\d+))"))) {
        EXPECT_EQ(m[1].str() + "." + m[2].str() + "." + m[3].str() + "." + m[4].str(), "127.0.0.1");
        const auto port = static_cast<uint16_t>(std::stoi(m[5]) * 256 + std::stoi(m[6]));
        data = platform::TSocket::Connect({}, false, {"127.0.0.1", port, platform::TIPVersion::IPv4}, nullptr);
      } else {
        ADD_FAILURE() << "unreadable passive reply: " << text;
      }
    }
    std::string received;
    const TReply first = Command(ALine);
    if (first.Code / 100 != 1) return received;
    if (data && AUpload) {
      data->SendAll(AUpload->data(), AUpload->size());
      data.reset();
    } else if (data) {
      for (int i = 0; i < 100000; ++i) {
        if (platform::WaitReadable(data->Handle(), nullptr, 10000) == platform::TWaitResult::Timeout) {
          ADD_FAILURE() << "data connection stalled";
          break;
        }
        char chunk[65536];
        const size_t n = data->Receive(chunk, sizeof chunk);
        if (n == 0) break;
        received.append(chunk, n);
      }
      data.reset();
    }
    ExpectClean(FClient->ReadReply());
    return received;
  }

  // Folders named by a lone quote, so that a quoted run left open (/A/'/../..) starts at a real
  // folder: a translation that let ".." through to the host would then reach the sentinel.
  void MakeQuoteFolders() {
    FTree.MakeFolder("d/served/'");
    FTree.MakeFolder("d/served/\"");
  }

  void Restore() {
    if (!FTree.Exists("d/served/victim.txt")) FTree.WriteFile("d/served/victim.txt", "victim");
    MakeQuoteFolders();
    const std::string base = GetParam().WorkingDirectory;
    ASSERT_EQ(FClient->Command("CWD " + base).Code, 250) << "the session is gone or lost its way";
  }

  // Nothing outside the served folder changed: content, time and names.
  void ExpectUntouched(const std::string& AWhat) {
    EXPECT_EQ(FTree.ReadFile("d/sentinel.txt"), SentinelContent) << AWhat;
    std::error_code error;
    EXPECT_EQ(fs::last_write_time(FTree.Path("d/sentinel.txt"), error), Year2001()) << AWhat;
    EXPECT_EQ(FTree.ReadFile("d/secretdir/keep.txt"), KeepContent) << AWhat;
    EXPECT_EQ(Names(FTree.Root()), (std::set<std::string>{"d"})) << AWhat;
    EXPECT_EQ(Names(FTree.Path("d")), (std::set<std::string>{"served", "sentinel.txt", "secretdir"})) << AWhat;
    EXPECT_EQ(Names(FTree.Path("d/secretdir")), (std::set<std::string>{"keep.txt"})) << AWhat;
  }

  static std::set<std::string> Names(const std::string& AFolder) {
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(AFolder, error)) names.insert(entry.path().filename().string());
    return names;
  }

  TTempTree FTree;
  std::unique_ptr<TServerdProcess> FServer;
  std::unique_ptr<TFtpTestClient> FClient;
};

// One attempt: the commands it sends for the same path form naming the sentinel file, the sentinel
// folder, and a name that does not exist yet.
struct TPaths {
  std::string File, Folder, Fresh;
};

struct TAttempt {
  const char* Name;
  std::function<void(TraversalTest&, const TPaths&)> Run;
};

const std::vector<TAttempt>& Attempts() {
  static const std::vector<TAttempt> attempts = {
      {"CWD", [](TraversalTest& T, const TPaths& P) {
         EXPECT_NE(T.Command("CWD " + P.Folder).Code, 250);
         EXPECT_EQ(T.Command("XCWD " + P.Folder).Code / 100, 5);
       }},
      {"RETR", [](TraversalTest& T, const TPaths& P) {
         T.ExpectClean({T.WithData("RETR " + P.File)}, "download");
       }},
      {"STOR", [](TraversalTest& T, const TPaths& P) { T.WithData("STOR " + P.File, Upload); }},
      {"APPE", [](TraversalTest& T, const TPaths& P) { T.WithData("APPE " + P.File, Upload); }},
      {"DELE", [](TraversalTest& T, const TPaths& P) {
         T.Command("DELE " + P.File);
         T.Command("DELE " + P.Folder);
       }},
      {"RNFR out", [](TraversalTest& T, const TPaths& P) {
         T.Command("RNFR " + P.File);
         T.Command("RNTO /A/stolen.txt");
         T.Command("RNFR " + P.Folder);
         T.Command("RNTO /A/stolendir");
         T.Command("RNFR " + P.File);
         T.Command("RNTO " + P.Fresh);
       }},
      {"RNTO in", [](TraversalTest& T, const TPaths& P) {
         T.Command("RNFR /A/victim.txt");
         T.Command("RNTO " + P.File);
         T.Restore();
         T.Command("RNFR /A/victim.txt");
         T.Command("RNTO " + P.Fresh);
       }},
      {"MKD", [](TraversalTest& T, const TPaths& P) {
         T.Command("MKD " + P.File);
         T.Command("MKD " + P.Fresh);
         T.Command("XMKD " + P.Fresh + "/deeper");
       }},
      {"RMD", [](TraversalTest& T, const TPaths& P) {
         T.Command("RMD " + P.Folder);
         T.Command("XRMD " + P.Folder);
       }},
      {"SIZE", [](TraversalTest& T, const TPaths& P) {
         EXPECT_NE(T.Command("SIZE " + P.File).Lines, std::vector<std::string>{"213 " + std::to_string(SentinelContent.size())});
       }},
      {"MDTM", [](TraversalTest& T, const TPaths& P) {
         T.Command("MDTM " + P.File);
         T.Command("MDTM 20300101000000 " + P.File);
       }},
      {"MFMT", [](TraversalTest& T, const TPaths& P) {
         T.Command("MFMT 20300101000000 " + P.File);
         T.Command("MFMT 20300101000000 " + P.Folder);
         T.Command("MFCT 20300101000000 " + P.File);
       }},
      {"LIST", [](TraversalTest& T, const TPaths& P) {
         T.ExpectClean({T.WithData("LIST " + P.Folder)}, "listing");
         T.ExpectClean({T.WithData("LIST -la " + P.Folder)}, "listing");
         T.ExpectClean({T.WithData("LIST " + P.File)}, "listing");
       }},
      {"NLST", [](TraversalTest& T, const TPaths& P) {
         T.ExpectClean({T.WithData("NLST " + P.Folder)}, "names");
         T.ExpectClean({T.WithData("NLST " + P.File)}, "names");
       }},
      {"MLSD", [](TraversalTest& T, const TPaths& P) {
         T.ExpectClean({T.WithData("MLSD " + P.Folder)}, "facts");
       }},
      {"MLST", [](TraversalTest& T, const TPaths& P) {
         T.Command("MLST " + P.File);
         T.Command("MLST " + P.Folder);
       }},
      {"STAT", [](TraversalTest& T, const TPaths& P) {
         T.Command("STAT " + P.Folder);
         T.Command("STAT " + P.File);
       }},
  };
  return attempts;
}

TEST_P(TraversalTest, NoCommandReachesBesideTheServedFolder) {
  const TPathForm& form = GetParam();
  const TPaths paths{Fill(form.Template, "sentinel.txt"), Fill(form.Template, "secretdir"), Fill(form.Template, "newname")};
  for (const TAttempt& attempt : Attempts()) {
    SCOPED_TRACE(std::string(attempt.Name) + " with " + paths.File);
    Restore();
    attempt.Run(*this, paths);
    ExpectUntouched(attempt.Name);
    // The server is still there and still answers this session.
    Restore();
    EXPECT_EQ(FClient->Command("PWD").Text(), std::string("\"") + form.WorkingDirectory + "\" is working directory.");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, TraversalTest,
    ::testing::Values(
        TPathForm{"QuotedRunClimbingTwo", "/", "/A/'/../../{}'"}, TPathForm{"DoubleQuotedRunClimbingOne", "/", "/A/\"/../{}\""},
        TPathForm{"DoubleQuotedRunClimbingTwo", "/", "/A/\"/../../{}\""}, TPathForm{"PlainClimbingTwo", "/", "/A/../../{}"},
        TPathForm{"PlainClimbingOne", "/", "/A/../{}"}, TPathForm{"DotThenQuotedParent", "/", "/A/./'..'/{}"},
        TPathForm{"TwoQuotedParents", "/", "/A/'..'/'..'/{}"}, TPathForm{"Backslashes", "/", "A\\..\\..\\{}"},
        TPathForm{"LeadingBackslash", "/", "\\A\\..\\..\\{}"}, TPathForm{"ThroughASubfolder", "/", "/A/inner/../../../{}"},
        TPathForm{"QuotedBackslashes", "/", "/A/'\\..\\..\\{}'"}, TPathForm{"QuotedParentsThenName", "/", "/A/'/../..'/{}"},
        TPathForm{"DoubledSeparators", "/", "/A//..//..//{}"}, TPathForm{"SpaceBeforeParent", "/", "/A/ ../{}"},
        TPathForm{"QuotedRunAfterSubfolder", "/", "/A/inner/'../../..'/{}"},
        TPathForm{"DoubleQuotedRunAfterSubfolder", "/", "/A/\"inner/../../..\"/{}"},
        TPathForm{"ManyParents", "/", "/A/../../../../../../../../{}"}, TPathForm{"ParentOfTheRoot", "/", "/../{}"},
        TPathForm{"QuotedRunNamingTheParent", "/", "/A/'/../../d/{}'"},
        TPathForm{"UnclosedQuoteClimbingTwo", "/", "/A/'/../../{}"}, TPathForm{"UnclosedDoubleQuoteClimbingTwo", "/", "/A/\"/../../{}"},
        TPathForm{"UnclosedQuoteWithBackslashes", "/", "/A/'\\..\\..\\{}"}, TPathForm{"RelativeUnclosedQuote", "/A", "'/../../{}"},
        TPathForm{"RelativeOne", "/A", "../{}"}, TPathForm{"RelativeTwo", "/A", "../../{}"},
        TPathForm{"RelativeQuotedOne", "/A", "'/../{}'"}, TPathForm{"RelativeDoubleQuotedTwo", "/A", "\"/../../{}\""},
        TPathForm{"RelativeBackslash", "/A", "..\\{}"}, TPathForm{"RelativeDotQuoted", "/A", "./'..'/{}"},
        TPathForm{"RelativeThroughSubfolder", "/A", "inner/../../{}"}, TPathForm{"RelativeQuotedParent", "/A", "'..'/{}"},
        TPathForm{"RelativeQuotedRunToParent", "/A", "'..'/'..'/{}"},
        TPathForm{"FromSubfolderTwo", "/A/inner", "../../{}"}, TPathForm{"FromSubfolderQuoted", "/A/inner", "'/../../{}'"},
        TPathForm{"FromSubfolderBackslashes", "/A/inner", "..\\..\\{}"},
        TPathForm{"FromSubfolderQuotedParents", "/A/inner", "\"..\"/\"..\"/{}"}),
    [](const ::testing::TestParamInfo<TPathForm>& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
}  // namespace kobix::test
