// MODE Z through kobix-serverd with a small client of our own that compresses and inflates with
// zlib itself: downloads from the start and from a restart offset, stored blocks at level 0,
// listings, uploads and appends, uploads that are not one sound zlib stream, and the way back to
// plain bytes.

#include "common/DataConnection.h"
#include "common/FtpTestClient.h"
#include "common/ServerdProcess.h"
#include "common/TempTree.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <csignal>
#include <cstdint>
#include <regex>
#include <stdexcept>
#include <string>

namespace kobix::test {
namespace {

// Window bits for the three formats zlib writes: the zlib stream, gzip and headerless deflate.
constexpr int ZlibFormat = 15;
constexpr int GzipFormat = 31;
constexpr int RawFormat = -15;

/// Lines of words from a fixed pseudo-random sequence: compressible, but not trivially so.
std::string TextLike(size_t ASize, uint32_t ASeed = 1) {
  static const char* const Words[] = {"kobix", "folder", "transfer", "stream", "alpha", "window",
                                      "deflate", "reply", "session", "42", "zeta", "omega"};
  std::string text;
  uint32_t state = ASeed;
  size_t line = 0;
  while (text.size() < ASize) {
    text += "line " + std::to_string(line++) + ":";
    for (int word = 0; word < 8; ++word) {
      state = state * 1664525u + 1013904223u;
      text += ' ';
      text += Words[(state >> 16) % 12];
    }
    text += "\r\n";
  }
  text.resize(ASize);
  return text;
}

std::string Compress(const std::string& AData, int ALevel = 6, int AWindowBits = ZlibFormat) {
  z_stream stream{};
  if (deflateInit2(&stream, ALevel, Z_DEFLATED, AWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&stream, AData.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(AData.data()));
  stream.avail_in = static_cast<uInt>(AData.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate");
  return out;
}

/// Inflates exactly one zlib stream; fails the test when the data is not one whole stream.
std::string Inflate(const std::string& ACompressed) {
  z_stream stream{};
  if (inflateInit2(&stream, ZlibFormat) != Z_OK) throw std::runtime_error("inflateInit2");
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(ACompressed.data()));
  stream.avail_in = static_cast<uInt>(ACompressed.size());
  std::string out;
  char chunk[65536];
  int rc;
  do {
    stream.next_out = reinterpret_cast<Bytef*>(chunk);
    stream.avail_out = sizeof chunk;
    rc = inflate(&stream, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - stream.avail_out);
  } while (rc == Z_OK);
  const uInt left = stream.avail_in;
  inflateEnd(&stream);
  EXPECT_EQ(rc, Z_STREAM_END) << "not one whole zlib stream";
  EXPECT_EQ(left, 0u) << "bytes after the end of the stream";
  return out;
}

class ServerdModeZ : public ::testing::Test {
 protected:
  ServerdModeZ() {
    std::signal(SIGPIPE, SIG_IGN);  // the server may close an upload's connection while we write
    FTree.MakeFolder("shared");
  }

  void Start() {
    FServer = std::make_unique<TServerdProcess>(
        std::vector<std::string>{"--folder", "A=" + FTree.Path("shared"), "--read-write", "--user", "u", "--password-env", "PW",
                                 "--quiet"},
        std::vector<std::string>{"PW=secret"});
    FClient = std::make_unique<TFtpTestClient>(FServer->Port());
    FClient->ReadReply();
    FClient->Command("USER u");
    ASSERT_EQ(FClient->Command("PASS secret").Code, 230);
  }

  platform::TSocket Passive() { return ConnectPassive(*FClient); }

  /// The bytes the data connection carries for a RETR or a listing command; expects a preliminary
  /// reply (150, or 125 for listings over a connection that is already open) and 226.
  std::string Fetch(const std::string& ALine) {
    platform::TSocket data = Passive();
    EXPECT_EQ(FClient->Command(ALine).Code / 100, 1) << ALine;
    std::string bytes = ReadAll(data);
    EXPECT_EQ(FClient->ReadReply().Lines.at(0), "226 Closing data connection.") << ALine;
    return bytes;
  }

  /// Sends an upload's bytes and returns the final reply line. A server that gives up early may
  /// close the connection while we still write; that is part of what is tested, not a failure.
  std::string Send(const std::string& ALine, const std::string& ABytes) {
    platform::TSocket data = Passive();
    const TReply first = FClient->Command(ALine);
    EXPECT_EQ(first.Code, 150) << ALine;
    if (first.Code != 150) return first.Lines.at(0);
    try {
      data.SendAll(ABytes.data(), ABytes.size());
    } catch (const std::exception&) {
    }
    data.Close();
    return FClient->ReadReply().Lines.at(0);
  }

  void Mode(const std::string& ALetter) { ASSERT_EQ(FClient->Command("MODE " + ALetter).Lines.at(0), "200 Mode set to " + ALetter + "."); }

  kobix::testing::TTempTree FTree;
  std::unique_ptr<TServerdProcess> FServer;
  std::unique_ptr<TFtpTestClient> FClient;
};

TEST_F(ServerdModeZ, DownloadsAreOneZlibStreamAtTheSessionLevelFromTheRestartOffset) {
  const std::string text = TextLike(700000);
  FTree.WriteFile("shared/text.txt", text);
  Start();
  Mode("Z");
  const std::string sent = Fetch("RETR /A/text.txt");
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(sent[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(sent[1]), 0xDA);  // the header of level 7
  EXPECT_LT(sent.size(), text.size() / 2);
  EXPECT_EQ(Inflate(sent), text);

  // Each restart offset starts a fresh stream at that offset, including one past the end.
  for (const size_t offset : {size_t{1}, size_t{65536}, size_t{333333}, text.size() - 1, text.size(), text.size() + 10}) {
    EXPECT_EQ(FClient->Command("REST " + std::to_string(offset)).Code, 350);
    EXPECT_EQ(Inflate(Fetch("RETR /A/text.txt")), offset < text.size() ? text.substr(offset) : "") << offset;
  }
  // The offset was used up: the whole file again.
  EXPECT_EQ(Inflate(Fetch("RETR /A/text.txt")), text);

  // Level 0: stored blocks inside a zlib stream, so the data is the file plus framing.
  ASSERT_EQ(FClient->Command("OPTS MODE Z LEVEL 0").Lines.at(1), "200-MODE Z LEVEL set to 0.");
  const std::string stored = Fetch("RETR /A/text.txt");
  ASSERT_GE(stored.size(), 3u);
  EXPECT_EQ(static_cast<unsigned char>(stored[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(stored[1]), 0x01);
  EXPECT_EQ(static_cast<unsigned char>(stored[2]) & 0x06, 0);  // block type 00: stored
  EXPECT_GT(stored.size(), text.size());
  EXPECT_NE(stored.find(text.substr(0, 1000)), std::string::npos);
  EXPECT_EQ(Inflate(stored), text);

  // MODE S sends the plain bytes; the level stays for the next MODE Z.
  Mode("S");
  EXPECT_EQ(Fetch("RETR /A/text.txt"), text);
  Mode("Z");
  const std::string again = Fetch("RETR /A/text.txt");
  ASSERT_GE(again.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(again[1]), 0x01);
  EXPECT_EQ(Inflate(again), text);
}

TEST_F(ServerdModeZ, ListingsInflateToTheLinesOfStreamMode) {
  for (int i = 0; i < 40; ++i) FTree.WriteFile("shared/dir/file" + std::to_string(i) + ".txt", std::string(static_cast<size_t>(i * 10), 'x'));
  FTree.MakeFolder("shared/dir/sub");
  FTree.MakeFolder("shared/empty");
  Start();
  for (const std::string line : {"LIST /A/dir", "LIST -la /A/dir", "NLST /A/dir", "MLSD /A/dir", "LIST /A/empty", "MLSD /A/empty"}) {
    Mode("S");
    const std::string plain = Fetch(line);
    Mode("Z");
    const std::string compressed = Fetch(line);
    ASSERT_GE(compressed.size(), 2u) << line;  // even an empty listing is a whole stream
    EXPECT_EQ(static_cast<unsigned char>(compressed[0]), 0x78) << line;
    EXPECT_EQ(Inflate(compressed), plain) << line;
    if (line.find("empty") == std::string::npos) {
      EXPECT_NE(plain.find("file39.txt\r\n"), std::string::npos) << line;
    }
  }
}

TEST_F(ServerdModeZ, UploadsAreInflatedIntoTheFile) {
  FTree.WriteFile("shared/kept.txt", "start;");
  Start();
  Mode("Z");
  const std::string text = TextLike(3000000, 7);
  EXPECT_EQ(Send("STOR /A/up.txt", Compress(text, 7)), "226 Closing data connection.");
  EXPECT_EQ(FTree.ReadFile("shared/up.txt"), text);

  // Any level and block layout of a sound zlib stream is accepted.
  EXPECT_EQ(Send("STOR /A/stored.txt", Compress(text, 0)), "226 Closing data connection.");
  EXPECT_EQ(FTree.ReadFile("shared/stored.txt"), text);

  EXPECT_EQ(Send("APPE /A/kept.txt", Compress("appended", 9)), "226 Closing data connection.");
  EXPECT_EQ(FTree.ReadFile("shared/kept.txt"), "start;appended");

  EXPECT_EQ(Send("STOR /A/empty.txt", Compress("")), "226 Closing data connection.");
  EXPECT_TRUE(FTree.Exists("shared/empty.txt"));
  EXPECT_EQ(FTree.ReadFile("shared/empty.txt"), "");

  ASSERT_EQ(FClient->Command("CWD /A").Code, 250);
  platform::TSocket data = Passive();
  const TReply unique = FClient->Command("STOU");
  ASSERT_EQ(unique.Code, 150);
  ASSERT_EQ(unique.Text().rfind("FILE: Temp", 0), 0u) << unique.Text();
  const std::string payload = Compress(text.substr(0, 5000), 1);
  data.SendAll(payload.data(), payload.size());
  data.Close();
  EXPECT_EQ(FClient->ReadReply().Lines.at(0), "226 Closing data connection.");
  EXPECT_EQ(FTree.ReadFile("shared/" + unique.Text().substr(6)), text.substr(0, 5000));

  // Back in MODE S the same bytes are stored as they come.
  Mode("S");
  const std::string raw = Compress("plain?");
  EXPECT_EQ(Send("STOR /A/raw.bin", raw), "226 Closing data connection.");
  EXPECT_EQ(FTree.ReadFile("shared/raw.bin"), raw);
}

struct TBadUpload {
  const char* Name;
  std::string Bytes;
  std::string Kept;  // what the file must hold afterwards
  bool KeptIsPrefix;  // true: a non-empty prefix of Kept, wherever the fault was found
};

void PrintTo(const TBadUpload& ACase, std::ostream* AOut) { *AOut << ACase.Name; }

std::vector<TBadUpload> BadUploads() {
  const std::string text = TextLike(1500000, 3);
  const std::string good = Compress(text, 1);
  std::string garbage(70000, '\0');
  uint32_t state = 9;
  for (char& c : garbage) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  std::string badChecksum = good;
  badChecksum.back() = static_cast<char>(badChecksum.back() ^ 0x5A);
  return {
      {"Gzip", Compress(text.substr(0, 200000), 6, GzipFormat), "", false},
      {"RawDeflate", Compress(text.substr(0, 200000), 6, RawFormat), "", false},
      {"Garbage", garbage, "", false},
      {"HeaderOnly", good.substr(0, 2), "", false},
      {"Truncated", good.substr(0, good.size() / 2), text, true},
      {"ChecksumCut", good.substr(0, good.size() - 2), text, false},
      {"BadChecksum", badChecksum, text, false},
      {"TrailingBytes", good + "extra bytes", text, false},
      {"TwoStreams", good + Compress("second"), text, false},
  };
}

class ServerdBadUpload : public ServerdModeZ, public ::testing::WithParamInterface<TBadUpload> {};

TEST_P(ServerdBadUpload, EndsWith426KeepsWhatWasInflatedAndTheSessionGoesOn) {
  const TBadUpload& upload = GetParam();
  Start();
  Mode("Z");
  EXPECT_EQ(Send("STOR /A/bad.txt", upload.Bytes), "426 Data connection closed abnormally.");
  EXPECT_EQ(FClient->Command("NOOP").Code, 200);
  const std::string kept = FTree.ReadFile("shared/bad.txt");
  if (upload.KeptIsPrefix) {
    EXPECT_GT(kept.size(), 0u);
    EXPECT_LT(kept.size(), upload.Kept.size());
    EXPECT_EQ(kept, upload.Kept.substr(0, kept.size()));
  } else {
    EXPECT_EQ(kept.size(), upload.Kept.size());
    EXPECT_TRUE(kept == upload.Kept);
  }
  // The next upload of the session is a fresh stream, and MODE S is plain again.
  EXPECT_EQ(Send("STOR /A/next.txt", Compress("fine")), "226 Closing data connection.");
  EXPECT_EQ(FTree.ReadFile("shared/next.txt"), "fine");
  Mode("S");
  EXPECT_EQ(Send("STOR /A/plain.txt", "plain"), "226 Closing data connection.");
  EXPECT_EQ(Fetch("RETR /A/plain.txt"), "plain");
}

INSTANTIATE_TEST_SUITE_P(Table, ServerdBadUpload, ::testing::ValuesIn(BadUploads()),
                         [](const ::testing::TestParamInfo<TBadUpload>& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
}  // namespace kobix::test
