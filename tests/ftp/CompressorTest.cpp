#include "ftp/data/Compressor.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "ftp/server/Errors.h"
#include "ZLibStreamTestData.h"

namespace kobix::ftp {
namespace {

using testing::LibraryDeflate;
using testing::RandomData;
using testing::TextLikeData;

// Collects a codec's output and remembers the largest block it was handed.
struct TRecordingSink {
  std::string Data;
  size_t LargestBlock = 0;
  size_t Blocks = 0;
  TByteSink Sink() {
    return [this](const char* AData, size_t ASize) {
      Data.append(AData, ASize);
      LargestBlock = std::max(LargestBlock, ASize);
      ++Blocks;
    };
  }
};

std::string DeflateInPieces(const std::string& AData, int ALevel, size_t APiece, TRecordingSink& ASink) {
  TZDeflater deflater(ALevel);
  for (size_t at = 0; at < AData.size(); at += APiece)
    deflater.Feed(AData.data() + at, std::min(APiece, AData.size() - at), ASink.Sink());
  deflater.Finish(ASink.Sink());
  return ASink.Data;
}

std::string InflateInPieces(const std::string& AStream, size_t APiece, TRecordingSink& ASink) {
  TZInflater inflater;
  for (size_t at = 0; at < AStream.size(); at += APiece)
    inflater.Feed(AStream.data() + at, std::min(APiece, AStream.size() - at), ASink.Sink());
  inflater.Finish();
  return ASink.Data;
}

// The library's own one-shot inflate: proves our stream is plain zlib format any peer can read.
std::string LibraryInflate(const std::string& AStream, size_t AExpectedSize) {
  std::string out(AExpectedSize + 1, '\0');
  uLongf length = static_cast<uLongf>(out.size());
  const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                            reinterpret_cast<const Bytef*>(AStream.data()), static_cast<uLong>(AStream.size()));
  EXPECT_EQ(rc, Z_OK);
  out.resize(length);
  return out;
}

// ---- Round trips ---------------------------------------------------------------------------------

struct TRoundTripCase {
  int Level;
  size_t FeedPiece;     // how the plain data is handed to the deflater
  size_t InflatePiece;  // how the compressed data is handed to the inflater
};

void PrintTo(const TRoundTripCase& ACase, std::ostream* AOut) {
  *AOut << "level " << ACase.Level << ", pieces " << ACase.FeedPiece << "/" << ACase.InflatePiece;
}

class ZLibRoundTrip : public ::testing::TestWithParam<TRoundTripCase> {};

TEST_P(ZLibRoundTrip, TextRandomAndEmptyDataComeBackExactly) {
  const TRoundTripCase c = GetParam();
  const std::string inputs[] = {TextLikeData(300000), RandomData(150000), std::string(), std::string(1, 'x')};
  for (const std::string& input : inputs) {
    TRecordingSink compressed;
    DeflateInPieces(input, c.Level, c.FeedPiece, compressed);
    EXPECT_LE(compressed.LargestBlock, ZBlockSize);
    EXPECT_EQ(LibraryInflate(compressed.Data, input.size()), input);

    TRecordingSink inflated;
    InflateInPieces(compressed.Data, c.InflatePiece, inflated);
    EXPECT_EQ(inflated.Data.size(), input.size());
    EXPECT_TRUE(inflated.Data == input) << "level " << c.Level << ", pieces " << c.FeedPiece;
    EXPECT_LE(inflated.LargestBlock, ZBlockSize);
  }
}

INSTANTIATE_TEST_SUITE_P(LevelsAndPieces, ZLibRoundTrip,
                         ::testing::Values(TRoundTripCase{0, 1, 7}, TRoundTripCase{0, 65537, 1},
                                           TRoundTripCase{1, 7, 4093}, TRoundTripCase{1, 200000, 65536},
                                           TRoundTripCase{7, 4093, 1}, TRoundTripCase{7, 65535, 131073},
                                           TRoundTripCase{7, 1000000, 3}));

TEST(ZLibInflater, ReadsStreamsWrittenByTheLibraryWithAnyWindow) {
  const std::string input = TextLikeData(100000);
  for (int windowBits : {9, 12, 15}) {
    TRecordingSink inflated;
    InflateInPieces(LibraryDeflate(input, windowBits), 333, inflated);
    EXPECT_TRUE(inflated.Data == input) << "window bits " << windowBits;
  }
}

// A highly compressible upload must come out in bounded blocks, never as one huge piece: a zip
// bomb of zeros fed in a single call still reaches the sink 64 KiB at a time.
TEST(ZLibInflater, HandsOutBoundedBlocksForHugelyExpandingInput) {
  const std::string zeros(1 << 20, '\0');
  std::string stream;
  {
    TZDeflater deflater(9);
    for (int i = 0; i < 32; ++i) deflater.Feed(zeros.data(), zeros.size(), SinkToString(stream));
    deflater.Finish(SinkToString(stream));
  }
  ASSERT_LT(stream.size(), 64u * 1024);
  size_t total = 0, largest = 0;
  bool allZero = true;
  TZInflater inflater;
  inflater.Feed(stream.data(), stream.size(), [&](const char* AData, size_t ASize) {
    total += ASize;
    largest = std::max(largest, ASize);
    allZero = allZero && std::all_of(AData, AData + ASize, [](char c) { return c == 0; });
  });
  inflater.Finish();
  EXPECT_EQ(total, 32u << 20);
  EXPECT_LE(largest, ZBlockSize);
  EXPECT_TRUE(allZero);
}

// ---- Stream format -------------------------------------------------------------------------------

struct THeaderCase {
  int Level;
  unsigned char Flags;  // the second header byte the library writes for that level
};

void PrintTo(const THeaderCase& ACase, std::ostream* AOut) { *AOut << "level " << ACase.Level; }

class ZLibHeader : public ::testing::TestWithParam<THeaderCase> {};

TEST_P(ZLibHeader, StreamStartsWithAValidZlibHeader) {
  std::string stream;
  TZDeflater deflater(GetParam().Level);
  const std::string text = TextLikeData(5000);
  deflater.Feed(text.data(), text.size(), SinkToString(stream));
  deflater.Finish(SinkToString(stream));
  ASSERT_GE(stream.size(), 6u);
  const auto cmf = static_cast<unsigned char>(stream[0]);
  const auto flg = static_cast<unsigned char>(stream[1]);
  EXPECT_EQ(cmf, 0x78);  // deflate with a 32 KiB window
  EXPECT_EQ((cmf * 256 + flg) % 31, 0) << "FCHECK";
  EXPECT_EQ(flg & 0x20, 0) << "no preset dictionary";
  EXPECT_EQ(flg, GetParam().Flags);
}

INSTANTIATE_TEST_SUITE_P(Levels, ZLibHeader,
                         ::testing::Values(THeaderCase{0, 0x01}, THeaderCase{1, 0x01}, THeaderCase{5, 0x5E},
                                           THeaderCase{7, 0xDA}));

TEST(ZLibDeflater, LevelZeroWritesStoredBlocksInsideAZlibStream) {
  const std::string text = TextLikeData(200000);
  TRecordingSink compressed;
  DeflateInPieces(text, 0, 10000, compressed);
  EXPECT_GT(compressed.Data.size(), text.size());
  EXPECT_EQ(static_cast<unsigned char>(compressed.Data[2]) & 0x06, 0) << "first block type is stored";
  EXPECT_NE(compressed.Data.find(text.substr(0, 1000)), std::string::npos) << "plain bytes visible";
}

TEST(ZLibDeflater, EmptyTransferIsStillOneCompleteStream) {
  std::string stream;
  TZDeflater deflater(7);
  deflater.Finish(SinkToString(stream));
  TZInflater inflater;
  std::string out;
  inflater.Feed(stream.data(), stream.size(), SinkToString(out));
  EXPECT_TRUE(inflater.Ended());
  EXPECT_NO_THROW(inflater.Finish());
  EXPECT_TRUE(out.empty());
}

TEST(ZLibDeflater, RefusesSettingsThatWouldLeaveTheZlibFormat) {
  EXPECT_THROW(TZDeflater(7, 31), EIdException);   // gzip
  EXPECT_THROW(TZDeflater(7, -15), EIdException);  // raw deflate
  EXPECT_THROW(TZDeflater(10), EIdException);
  EXPECT_THROW(TZInflater(47), EIdException);  // gzip or zlib, detected
  EXPECT_THROW(TZInflater(-15), EIdException);
  try {
    TZDeflater deflater(10);
  } catch (const EIdException& e) {
    EXPECT_STREQ(e.what(), "ZLib Error (-2)");
  }
}

TEST(ZLibDeflater, CannotBeUsedAfterTheStreamEnded) {
  std::string stream;
  TZDeflater deflater(7);
  deflater.Finish(SinkToString(stream));
  const std::string before = stream;
  EXPECT_THROW(deflater.Feed("x", 1, SinkToString(stream)), EIdException);
  EXPECT_THROW(deflater.Finish(SinkToString(stream)), EIdException);
  EXPECT_EQ(stream, before) << "nothing written after the end";
}

// ---- Inflater refusals ---------------------------------------------------------------------------

struct TBadStreamCase {
  const char* Name;
  std::string Stream;
  int Code;
  std::string ExpectedBeforeError;  // what the sink must already hold when the error is raised
  bool ExactPrefix;                 // false: only "a prefix of the original" can be promised
};

std::vector<TBadStreamCase> BadStreams() {
  const std::string original = TextLikeData(400000);
  std::string good;
  {
    TZDeflater deflater(7);
    deflater.Feed(original.data(), original.size(), SinkToString(good));
    deflater.Finish(SinkToString(good));
  }
  std::string badChecksum = good;
  badChecksum.back() = static_cast<char>(badChecksum.back() ^ 0x55);
  std::string withDictionary = good.substr(0, 2);
  withDictionary[1] = static_cast<char>(0xF9);  // 0x78F9: FDICT set, FCHECK valid
  withDictionary += std::string("\0\0\0\1", 4) + good.substr(2);
  return {
      {"gzip", LibraryDeflate(original, 31), Z_DATA_ERROR, "", true},
      {"raw deflate", LibraryDeflate(original, -15), Z_DATA_ERROR, "", true},
      {"garbage", "this is not compressed at all", Z_DATA_ERROR, "", true},
      {"empty upload", "", Z_BUF_ERROR, "", true},
      {"header only", good.substr(0, 2), Z_BUF_ERROR, "", true},
      {"cut in the middle", good.substr(0, good.size() / 2), Z_BUF_ERROR, original, false},
      {"checksum missing", good.substr(0, good.size() - 4), Z_BUF_ERROR, original, true},
      {"checksum wrong", badChecksum, Z_DATA_ERROR, original, true},
      {"trailing byte", good + "x", Z_DATA_ERROR, original, true},
      {"second stream appended", good + good, Z_DATA_ERROR, original, true},
      {"preset dictionary", withDictionary, Z_DATA_ERROR, "", true},
  };
}

TEST(ZLibInflater, RefusesEverythingButOneCompleteZlibStream) {
  for (const TBadStreamCase& c : BadStreams()) {
    for (size_t piece : {size_t{1000}, size_t{1} << 20}) {
      SCOPED_TRACE(std::string(c.Name) + ", pieces of " + std::to_string(piece));
      std::string out;
      std::string message;
      TZInflater inflater;
      try {
        for (size_t at = 0; at < c.Stream.size(); at += piece)
          inflater.Feed(c.Stream.data() + at, std::min(piece, c.Stream.size() - at), SinkToString(out));
        inflater.Finish();
      } catch (const EIdException& e) {
        message = e.what();
      }
      EXPECT_EQ(message, "ZLib Error (" + std::to_string(c.Code) + ")");
      if (c.ExactPrefix) {
        EXPECT_TRUE(out == c.ExpectedBeforeError) << out.size() << " bytes kept";
      } else {
        EXPECT_GT(out.size(), c.ExpectedBeforeError.size() / 4) << "inflated part kept";
        EXPECT_TRUE(c.ExpectedBeforeError.compare(0, out.size(), out) == 0) << "kept part is a prefix";
      }
      EXPECT_THROW(inflater.Feed("x", 1, SinkToString(out)), EIdException) << "failure is final";
    }
  }
}

TEST(ZLibInflater, TrailingDataInALaterPieceIsRefused) {
  std::string good;
  TZDeflater deflater(1);
  deflater.Feed("hello", 5, SinkToString(good));
  deflater.Finish(SinkToString(good));
  std::string out;
  TZInflater inflater;
  inflater.Feed(good.data(), good.size(), SinkToString(out));
  EXPECT_TRUE(inflater.Ended());
  inflater.Feed("", 0, SinkToString(out));  // nothing is not extra data
  EXPECT_THROW(inflater.Feed("\0", 1, SinkToString(out)), EIdException);
  EXPECT_THROW(inflater.Finish(), EIdException);
  EXPECT_EQ(out, "hello");
}

// ---- Whole-stream operations ---------------------------------------------------------------------

// A source that hands out a string in small uneven reads, like a socket does.
TByteSource TricklingSource(const std::string& AData) {
  return [&AData, at = size_t{0}, turn = size_t{0}](char* AOut, size_t ASize) mutable {
    const size_t n = std::min({ASize, AData.size() - at, size_t{1} + (turn++ * 7919) % 5000});
    std::copy_n(AData.data() + at, n, AOut);
    at += n;
    return n;
  };
}

TEST(ZLibCompressor, WholeStreamOperationsRoundTripFromTricklingSources) {
  const TIdCompressorZLib compressor;
  const std::string original = TextLikeData(700000) + RandomData(70000);
  std::string compressed;
  compressor.CompressFTPDeflate(TricklingSource(original), SinkToString(compressed), 7, 15, 8, 0);
  EXPECT_EQ(static_cast<unsigned char>(compressed[1]), 0xDA);
  std::string inflated;
  compressor.DecompressFTPDeflate(TricklingSource(compressed), SinkToString(inflated), 15);
  EXPECT_TRUE(inflated == original);
}

TEST(ZLibCompressor, FailedDecompressionKeepsWhatWasInflated) {
  const TIdCompressorZLib compressor;
  const std::string original = TextLikeData(300000);
  std::string compressed;
  compressor.CompressFTPDeflate(SourceFromString(original), SinkToString(compressed), 0, 15, 8, 0);
  compressed.resize(compressed.size() - 1000);  // the client vanished before the end
  std::string inflated;
  EXPECT_THROW(compressor.DecompressFTPDeflate(SourceFromString(compressed), SinkToString(inflated), 15),
               EIdException);
  EXPECT_GT(inflated.size(), original.size() - 2000);
  EXPECT_TRUE(original.compare(0, inflated.size(), inflated) == 0);
}

TEST(ZLibCompressor, SinkFailureStopsTheTransfer) {
  const TIdCompressorZLib compressor;
  const std::string original = RandomData(300000);
  size_t calls = 0;
  const TByteSink failingSink = [&](const char*, size_t) {
    if (++calls == 2) throw EIdException("Connection reset");
  };
  EXPECT_THROW(compressor.CompressFTPDeflate(SourceFromString(original), failingSink, 1, 15, 8, 0), EIdException);
  EXPECT_EQ(calls, 2u);
}

}  // namespace
}  // namespace kobix::ftp
