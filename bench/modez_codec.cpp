// MODE Z codec throughput: streams N MiB (default 256) of text-like and of random data through the
// deflater and straight into the inflater, at levels 0, 1 and 7, and prints the speed of each side
// with the process's peak resident size. Nothing is kept: if memory grew with the transfer, the
// peak would grow with N.
//   modez_codec [MiB]

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

#include "ftp/data/Compressor.h"

using kobix::ftp::TZDeflater;
using kobix::ftp::TZInflater;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t PatternSize = 4 << 20;  // fed again and again up to the requested size

std::string TextPattern() {
  static const char* const Words[] = {"drwxr-xr-x", "-rw-r--r--", "ftp", "Music", "a.mp3", "Jan",
                                      "report.txt", "1024", "\r\n", "KOBIX", "folder", "2019"};
  std::mt19937 random(1);
  std::string text;
  while (text.size() < PatternSize) {
    text += Words[random() % 12];
    text += ' ';
    if (random() % 5 == 0) text += std::to_string(random() % 100000);
  }
  text.resize(PatternSize);
  return text;
}

std::string RandomPattern() {
  std::mt19937 random(2);
  std::string data(PatternSize, '\0');
  for (char& c : data) c = static_cast<char>(random() & 0xFF);
  return data;
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double Seconds(Clock::duration ADuration) { return std::chrono::duration<double>(ADuration).count(); }

void Run(const char* AKind, const std::string& APattern, int ALevel, size_t ATotal) {
  TZDeflater deflater(ALevel);
  TZInflater inflater;
  size_t compressed = 0, inflated = 0;
  Clock::duration inflateTime{};
  // The deflater's output goes straight into the inflater, as if the data connection were a pipe.
  const kobix::ftp::TByteSink toInflater = [&](const char* AData, size_t ASize) {
    compressed += ASize;
    const auto start = Clock::now();
    inflater.Feed(AData, ASize, [&inflated](const char*, size_t AOut) { inflated += AOut; });
    inflateTime += Clock::now() - start;
  };
  const auto start = Clock::now();
  for (size_t sent = 0; sent < ATotal; sent += APattern.size()) {
    constexpr size_t Piece = 102400;  // the size the send loop reads a file in
    for (size_t at = 0; at < APattern.size(); at += Piece)
      deflater.Feed(APattern.data() + at, std::min(Piece, APattern.size() - at), toInflater);
  }
  deflater.Finish(toInflater);
  inflater.Finish();
  const double total = Seconds(Clock::now() - start);
  const double inflateSeconds = Seconds(inflateTime);
  const double deflateSeconds = total - inflateSeconds;
  if (inflated != ATotal) throw std::runtime_error("inflated size differs from the input");
  const double mib = static_cast<double>(ATotal) / (1 << 20);
  std::printf("%-8s %5d %10.1f %9.3f %12.1f %12.1f %10ld\n", AKind, ALevel, mib,
              static_cast<double>(compressed) / static_cast<double>(ATotal), mib / deflateSeconds,
              mib / inflateSeconds, PeakRssKiB() / 1024);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
  const size_t total = (mib == 0 ? 1 : (mib + 3) / 4 * 4) << 20;  // whole patterns
  const std::string text = TextPattern();
  const std::string random = RandomPattern();
  std::printf("peak RSS before the runs: %ld MiB (two %zu MiB patterns)\n", PeakRssKiB() / 1024,
              PatternSize >> 20);
  std::printf("%-8s %5s %10s %9s %12s %12s %10s\n", "data", "level", "MiB", "ratio", "deflate MiB/s",
              "inflate MiB/s", "peak MiB");
  for (int level : {0, 1, 7}) Run("text", text, level, total);
  for (int level : {0, 1, 7}) Run("random", random, level, total);
  return 0;
}
