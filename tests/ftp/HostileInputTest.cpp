#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "HostileInputExercise.h"
#include "ZLibStreamTestData.h"

namespace kobix::ftp {
namespace {

// Characters the parsers give meaning to, plus control bytes, high bytes and NUL.
constexpr char Alphabet[] = "0123456789012345678901234567890123456789 ;=.+-UTCutcLEVELZLIBONOFFabc\t\r\n\x7f\xff\x80";

std::string RandomText(std::mt19937& ARandom, size_t AMaxLength) {
  std::string text(ARandom() % (AMaxLength + 1), '\0');
  for (char& c : text) c = ARandom() % 50 == 0 ? '\0' : Alphabet[ARandom() % (sizeof Alphabet - 1)];
  return text;
}

// Replaces, inserts, deletes or repeats a few characters of a well-formed sample.
std::string Mutate(std::string AText, std::mt19937& ARandom) {
  const int edits = 1 + static_cast<int>(ARandom() % 4);
  for (int i = 0; i < edits; ++i) {
    const size_t at = AText.empty() ? 0 : ARandom() % AText.size();
    switch (ARandom() % 5) {
      case 0:
        if (!AText.empty()) AText[at] = Alphabet[ARandom() % (sizeof Alphabet - 1)];
        break;
      case 1:
        AText.insert(at, 1, Alphabet[ARandom() % (sizeof Alphabet - 1)]);
        break;
      case 2:
        if (!AText.empty()) AText.erase(at, 1);
        break;
      case 3:
        AText.insert(at, std::string(ARandom() % 40, '9'));  // enormous numbers
        break;
      default:
        AText.resize(at);
        break;
    }
  }
  return AText;
}

const std::vector<std::string> Samples = {
    "20190102030405",
    "20190102030405.250",
    "20190102030405+60 /Music/a.mp3",
    "Modify=20190102030405;Create=20180101000000; /a b",
    "f 20190101000000 20190202000000 20190303000000 UTC",
    "20190202030405 some file.txt",
    "LEVEL 5 ENGINE ZLIB METHOD 8 BLOCKSIZE 1024 EXTRA ON",
};

TEST(HostileInput, RandomTextNeverBreaksAParser) {
  std::mt19937 random(20261211);
  for (int i = 0; i < 20000; ++i) {
    const std::string input = RandomText(random, i % 10 == 0 ? 400 : 48);
    const std::string problem = testing::ExerciseParsers(input);
    ASSERT_EQ(problem, "") << "input: " << ::testing::PrintToString(input);
  }
}

TEST(HostileInput, MutatedWellFormedArgumentsNeverBreakAParser) {
  std::mt19937 random(7);
  for (int i = 0; i < 30000; ++i) {
    const std::string input = Mutate(Samples[i % Samples.size()], random);
    const std::string problem = testing::ExerciseParsers(input);
    ASSERT_EQ(problem, "") << "input: " << ::testing::PrintToString(input);
  }
}

// A damaged upload either fails with a zlib error or, when the damage happens to leave a valid
// stream (a byte replaced by itself), inflates to exactly the original: never to wrong bytes.
TEST(HostileInput, DamagedStreamsFailOrInflateExactly) {
  const std::string original = testing::TextLikeData(20000);
  std::string good;
  {
    TZDeflater deflater(7);
    deflater.Feed(original.data(), original.size(), SinkToString(good));
    deflater.Finish(SinkToString(good));
  }
  std::mt19937 random(99);
  for (int i = 0; i < 3000; ++i) {
    std::string stream = good;
    const size_t at = random() % stream.size();
    switch (i % 4) {
      case 0: stream[at] = static_cast<char>(stream[at] ^ (1 << (random() % 8))); break;
      case 1: stream.insert(at, 1, static_cast<char>(random())); break;
      case 2: stream.erase(at, 1 + random() % 16); break;
      default: stream = testing::RandomData(random() % 2000, static_cast<uint32_t>(i)); break;
    }
    std::string out;
    try {
      TZInflater inflater;
      for (size_t p = 0; p < stream.size(); p += 777)
        inflater.Feed(stream.data() + p, std::min<size_t>(777, stream.size() - p), SinkToString(out));
      inflater.Finish();
    } catch (const EIdException&) {
      continue;
    }
    ASSERT_TRUE(out == original) << "damaged stream " << i << " inflated to wrong data without an error";
  }
}

}  // namespace
}  // namespace kobix::ftp
