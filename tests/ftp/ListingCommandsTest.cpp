#include "ftp/commands/ListingCommands.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "common/FtpTestClient.h"
#include "ftp/commands/BuildListing.h"
#include "ftp/data/DataChannel.h"
#include "ftp/listing/ListOutput.h"
#include "ftp/server/Errors.h"
#include "ftp/server/FTPServer.h"
#include "ListingTestDates.h"

namespace kobix::ftp {
namespace {

using ftp::testing::Date;

// What the listing handler was asked for.
struct THandlerCall {
  std::string Path, Command, Switches;
};

// One entry the fake listing handler delivers.
struct TFakeEntry {
  std::string Name;
  TIdDirItemType Type = ditFile;
  int64_t Size = 0;
  bool SizeAvail = true, ModifiedAvail = true;
};

// A logged-in session on a real loopback control connection, served by an engine whose listing
// handler delivers FEntries (or raises FRefusal). Commands run through the dispatcher's own
// DoCommand with the engine's table entries; the test reads what goes out on the wire.
class ListingCommandsTest : public ::testing::Test {
 protected:
  ListingCommandsTest()
      : FListener(platform::TSocket::Listen("127.0.0.1", 0, 1, true)),
        FClient(FListener.LocalAddress().Port),
        FContext(std::make_unique<TIdFTPServerContext>(FServer, FListener.Accept())),
        FTables(BuildCommandTables()) {
    FContext->FAuthenticated = true;
    FServer.OnListDirectory = [this](TIdFTPServerContext&, const std::string& APath, TIdFTPListOutput& AListing,
                                     const std::string& ACmd, const std::string& ASwitches) {
      FCalls.push_back({APath, ACmd, ASwitches});
      if (FRefusal) throw EIdReplyError(550, *FRefusal);
      for (const TFakeEntry& entry : FEntries) {
        TIdFTPListOutputItem& item = AListing.Add();
        item.FileName(entry.Name);
        item.ItemType(entry.Type);
        item.Size(entry.Size);
        item.SizeAvail(entry.SizeAvail);
        item.ModifiedAvail(entry.ModifiedAvail);
        item.FModifiedDateGMT = Date(2019, 1, 15, 12, 30, 0);
      }
    };
    FSTATEntry = *FTables.Main.FindByName("STAT");
    FSTATEntry.OnCommand = StatWithPath;  // the path form alone
  }

  ~ListingCommandsTest() override { FContext.reset(); }

  test::TReply Run(const std::string& ALine) {
    std::string params;
    const TIdCommandHandler* entry = FTables.Main.Find(ALine, params);
    if (entry != nullptr && entry->Command == "STAT") entry = &FSTATEntry;
    EXPECT_NE(entry, nullptr) << ALine;
    if (entry != nullptr) DoCommand(*FContext, *entry, ALine, params);
    return FClient.ReadReply();
  }

  // A channel that is never opened: enough for the commands that stop before the transfer.
  void ArrangeChannel() { FContext->SetDataChannel(std::make_unique<TIdDataChannel>()); }

  // What a listing over a passive data connection gave: the preliminary reply, the bytes on the
  // data connection and the final reply.
  struct TListingRun {
    std::vector<std::string> Preliminary, Final;
    std::string Data;
  };

  // Arranges a passive channel, connects to it first (the connection waits in the backlog until
  // the runner accepts it, on this thread), runs the command and reads the data to its end.
  TListingRun RunOverPassive(const std::string& ALine) {
    TIdDataChannel& channel = NewDataChannel(*FContext, true);
    channel.FListener->BeginListen();
    platform::TSocket data = platform::TSocket::Connect({}, false, channel.FListener->LocalAddress(), nullptr);
    TListingRun run;
    run.Preliminary = Run(ALine).Lines;
    run.Final = FClient.ReadReply().Lines;
    char chunk[65536];
    for (;;) {
      if (platform::WaitReadable(data.Handle(), nullptr, 10000) == platform::TWaitResult::Timeout) break;
      const size_t received = data.Receive(chunk, sizeof chunk);
      if (received == 0) break;
      run.Data.append(chunk, received);
    }
    EXPECT_EQ(FContext->FDataChannel, nullptr) << "the channel goes with the operation";
    return run;
  }

  TIdFTPServer FServer;
  platform::TSocket FListener;
  test::TFtpTestClient FClient;
  std::unique_ptr<TIdFTPServerContext> FContext;
  TIdFTPCommandTables FTables;
  TIdCommandHandler FSTATEntry;
  std::vector<TFakeEntry> FEntries{{"sub", ditDirectory}, {"a.txt", ditFile, 1234}};
  std::optional<std::string> FRefusal;
  std::vector<THandlerCall> FCalls;
};

TEST_F(ListingCommandsTest, WithoutAUsableChannelTheAnswerIs425AndNothingIsListed) {
  for (const char* line : {"LIST", "NLST -l /x", "MLSD /"}) {
    SCOPED_TRACE(line);
    test::TReply reply = Run(line);
    EXPECT_EQ(reply.Lines, std::vector<std::string>{"425 Can't open data connection."});
    ArrangeChannel();
    FContext->FDataPortDenied = true;  // arranged, but the port was refused
    reply = Run(line);
    EXPECT_EQ(reply.Lines, std::vector<std::string>{"425 Can't open data connection."});
    FContext->FDataPortDenied = false;
    FContext->DropDataChannel();
  }
  EXPECT_TRUE(FCalls.empty());
}

TEST_F(ListingCommandsTest, ARefusalIsTheCommandsExceptionReplyAndDropsTheChannel) {
  struct Case {
    const char* Line;
    const char* Reply;
  };
  for (const Case& c : {Case{"LIST /A/a.txt", "450 Access denied."}, Case{"NLST /A/a.txt", "450 Access denied."},
                        Case{"MLSD /A/a.txt", "550 Access denied."}, Case{"MLST /A/a.txt", "550 Access denied."},
                        Case{"STAT /A/a.txt", "450 Access denied."}}) {
    SCOPED_TRACE(c.Line);
    FRefusal = "Access denied.";
    ArrangeChannel();
    EXPECT_EQ(Run(c.Line).Lines, std::vector<std::string>{c.Reply});
    const bool dataCommand = std::string(c.Line).rfind("MLST", 0) != 0 && std::string(c.Line).rfind("STAT", 0) != 0;
    if (dataCommand) {
      EXPECT_EQ(FContext->FDataChannel, nullptr);
    }
    FContext->DropDataChannel();
  }
  EXPECT_TRUE(FClient.Silent(50));  // in particular no preliminary reply
}

TEST_F(ListingCommandsTest, TheLinesGoOverTheDataConnectionBetween125And226) {
  struct Case {
    const char* Line;
    const char* Preliminary;
    std::string Data;
  };
  // The year form depends on the local offset only through the day, which 12:30 UTC keeps.
  const std::string dirLine = "drw-rw-r--   1 root     root          512 Jan 15  2019 sub\r\n";
  const std::string fileLine = "-rw-rw-r--   1 root     root         1234 Jan 15  2019 a.txt\r\n";
  const Case cases[] = {
      {"LIST", "125 Opening ASCII mode data connection for /bin/ls.", "total 0\r\n" + fileLine + dirLine},
      {"NLST", "125 Opening ASCII mode data connection for file list.", "a.txt\r\nsub\r\n"},
      {"NLST -l", "125 Opening ASCII mode data connection for /bin/ls.", "total 0\r\n" + fileLine + dirLine},
      {"NLST -R", "125 Opening ASCII mode data connection for /bin/ls.", "a.txt\r\nsub\r\n"},
      {"MLSD", "125 File status okay; about to open data connection.",
       "size=0;type=dir;modify=20190115123000; sub\r\nsize=1234;type=file;modify=20190115123000; a.txt\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    const TListingRun run = RunOverPassive(c.Line);
    EXPECT_EQ(run.Preliminary, std::vector<std::string>{c.Preliminary});
    EXPECT_EQ(run.Data, c.Data);
    EXPECT_EQ(run.Final, std::vector<std::string>{"226 Closing data connection."});
  }
  // An empty listing opens and closes the data connection without sending anything.
  FEntries.clear();
  const TListingRun empty = RunOverPassive("NLST");
  EXPECT_EQ(empty.Data, "");
  EXPECT_EQ(empty.Final, std::vector<std::string>{"226 Closing data connection."});
}

TEST_F(ListingCommandsTest, PathsAndSwitchesReachTheHandlerAsProcessed) {
  FContext->FCurrentDir = "/Music";
  struct Case {
    const char* Line;
    THandlerCall Call;
  };
  const Case cases[] = {
      {"LIST", {"/Music/", "LIST", ""}},
      {"LIST -la", {"/Music/", "LIST", "-la"}},
      {"LIST -la  sub dir", {"/Music/sub dir/", "LIST", "-la"}},
      {"NLST /Video/", {"/Video/", "NLST", ""}},
      {"NLST ..\\Video", {"/Video/", "NLST", ""}},
      {"MLSD -la", {"/Music/-la/", "MLSD", ""}},  // MLSD takes no switches
      {"MLST a.txt", {"/Music/a.txt/", "MLST", ""}},
      {"STAT -la sub", {"/Music/sub/", "STAT", ""}},  // the switches are removed, not applied
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    FCalls.clear();
    const std::string line = c.Line;
    if (line.rfind("MLST", 0) == 0 || line.rfind("STAT", 0) == 0)
      Run(line);
    else
      RunOverPassive(line);
    ASSERT_EQ(FCalls.size(), 1u);
    EXPECT_EQ(FCalls[0].Path, c.Call.Path);
    EXPECT_EQ(FCalls[0].Command, c.Call.Command);
    EXPECT_EQ(FCalls[0].Switches, c.Call.Switches);
  }
}

TEST_F(ListingCommandsTest, MLSTAnswersOnTheControlConnectionWithTheSessionsFacts) {
  FEntries = {{"/", ditDirectory, 0, false, false}};
  EXPECT_EQ(Run("MLST /").Lines, (std::vector<std::string>{"250-Begin", " type=dir; /", "250 End"}));

  FEntries = {{"a.txt", ditFile, 1234}};
  EXPECT_EQ(Run("MLST a.txt").Lines,
            (std::vector<std::string>{"250-Begin", " size=1234;type=file;modify=20190115123000; a.txt", "250 End"}));
  FContext->FMLSOpts = TIdFTPFactOutputs{Size};
  EXPECT_EQ(Run("MLST a.txt").Lines, (std::vector<std::string>{"250-Begin", " size=1234; a.txt", "250 End"}));
  FContext->FMLSOpts = TIdFTPFactOutputs{};
  EXPECT_EQ(Run("MLST a.txt").Lines, (std::vector<std::string>{"250-Begin", " a.txt", "250 End"}));
}

TEST_F(ListingCommandsTest, STATWithAPathWritesThePlainLongFormBetween213Lines) {
  FEntries = {{".", ditDirectory}, {"..", ditDirectory}, {"sub", ditDirectory}, {"a.txt", ditFile, 1234}};
  const std::vector<std::string> expected = {
      "213-File status okay; about to open data connection.",
      "total 0",
      "-rw-rw-r--   1 root     root         1234 Jan 15  2019 a.txt",
      "drw-rw-r--   1 root     root          512 Jan 15  2019 sub",
      "213 End of Status",
  };
  for (const char* line : {"STAT /A", "STAT -la /A", "STAT -T /A"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(Run(line).Lines, expected);
  }
  FEntries.clear();
  EXPECT_EQ(Run("STAT /A").Lines,
            (std::vector<std::string>{"213-File status okay; about to open data connection.", "total 0", "213 End of Status"}));
}

TEST_F(ListingCommandsTest, ANameWithALineBreakCannotForgeAReplyOnTheControlConnection) {
  FEntries = {{"x\r\n250 End\r\n213 Done\nz", ditFile, 1}};
  FContext->FMLSOpts = TIdFTPFactOutputs{};
  EXPECT_EQ(Run("MLST /A/x").Lines, (std::vector<std::string>{"250-Begin", " x??250 End??213 Done?z", "250 End"}));
  const test::TReply stat = Run("STAT /A");
  ASSERT_EQ(stat.Lines.size(), 4u);
  EXPECT_EQ(stat.Lines[2], "-rw-rw-r--   1 root     root            1 Jan 15  2019 x??250 End??213 Done?z");
  EXPECT_EQ(stat.Lines[3], "213 End of Status");
  EXPECT_TRUE(FClient.Silent(50));
}

TEST_F(ListingCommandsTest, NonASCIINamesAreQuestionMarksUnlessTheSessionAskedForUTF8) {
  const std::string korean = "\xEC\x9D\x8C\xEC\x95\x85.mp3";  // two Hangul syllables
  FEntries = {{korean, ditFile, 5}};
  for (const bool utf8 : {false, true}) {
    SCOPED_TRACE(utf8);
    FContext->FNLSTUtf8 = utf8;
    const std::string shown = utf8 ? korean : "??.mp3";
    const test::TReply stat = Run("STAT /A");
    ASSERT_EQ(stat.Lines.size(), 4u);
    EXPECT_EQ(stat.Lines[2], "-rw-rw-r--   1 root     root            5 Jan 15  2019 " + shown);

    EXPECT_EQ(RunOverPassive("NLST").Data, shown + "\r\n");
    EXPECT_EQ(RunOverPassive("MLSD").Data, "size=5;type=file;modify=20190115123000; " + shown + "\r\n");
  }
}

TEST_F(ListingCommandsTest, BuildListingChoosesTheFormAndAppliesOnlyTheListLetters) {
  FEntries = {{".", ditDirectory}, {"..", ditDirectory}, {"b", ditFile, 1}, {"A", ditFile, 2}, {"a", ditFile, 3}};
  const std::string dot = "drw-rw-r--   1 root     root          512 Jan 15  2019 .";
  const std::string dotdot = "drw-rw-r--   1 root     root          512 Jan 15  2019 ..";
  const std::string upperA = "-rw-rw-r--   1 root     root            2 Jan 15  2019 A";
  const std::string lowerB = "-rw-rw-r--   1 root     root            1 Jan 15  2019 b";
  struct Case {
    const char* Command;
    const char* Switches;
    bool LongForm;
    std::vector<std::string> Lines;
  };
  const Case cases[] = {
      {"LIST", "", true, {"total 0", upperA, lowerB}},  // "a" repeats "A" ignoring case: first wins
      {"LIST", "-l", true, {"total 0", upperA, lowerB}},
      {"LIST", "-a", true, {"total 0", dot, dotdot, upperA, lowerB}},
      {"LIST", "-Rt", true, {"total 0", upperA, lowerB}},
      {"NLST", "", false, {"A", "b"}},
      {"NLST", "-a1", false, {".", "..", "A", "b"}},
      {"NLST", "-la", false, {"total 0", dot, dotdot, upperA, lowerB}},
      {"STAT", "", true, {"total 0", upperA, lowerB}},
      {"MLSD", "-la", false,
       {"size=0;type=cdir;modify=20190115123000; .", "size=0;type=pdir;modify=20190115123000; ..",
        "size=1;type=file;modify=20190115123000; b", "size=2;type=file;modify=20190115123000; A",
        "size=3;type=file;modify=20190115123000; a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Command) + " " + c.Switches);
    FCalls.clear();
    EXPECT_EQ(BuildListing(*FContext, "/A", c.Switches, c.Command, c.LongForm), c.Lines);
    ASSERT_EQ(FCalls.size(), 1u);
    EXPECT_EQ(FCalls[0].Path, "/A/");
    EXPECT_EQ(FCalls[0].Switches, c.Switches);
  }
  const std::vector<std::string> withSeconds = BuildListing(*FContext, "/A/", "-T", "LIST", true);
  ASSERT_EQ(withSeconds.size(), 3u);
  EXPECT_NE(withSeconds[1].find(":30:00 2019 A"), std::string::npos) << withSeconds[1];
}

TEST_F(ListingCommandsTest, WithoutAListingHandlerTheListingIsEmpty) {
  FServer.OnListDirectory = nullptr;
  EXPECT_EQ(BuildListing(*FContext, "/", "", "LIST", true), std::vector<std::string>{"total 0"});
  EXPECT_EQ(Run("MLST /").Lines, (std::vector<std::string>{"250-Begin", "250 End"}));
}

}  // namespace
}  // namespace kobix::ftp
