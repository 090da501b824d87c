// Builds and formats a listing of 100,000 entries, as LIST (long form) and as MLSD, and prints the
// median time of a few runs of each, with the name sort on its own. Measures only; asserts nothing.

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ftp/listing/DirEntry.h"
#include "ftp/listing/ListOutput.h"
#include "platform/DateTime.h"

using namespace kobix;

namespace {

constexpr int EntryCount = 100000;
constexpr int Runs = 5;

// Random mixed-case names with some dot names, Korean names and case duplicates, in no order.
std::vector<std::string> MakeNames() {
  std::mt19937 random(42);
  const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-";
  std::vector<std::string> names;
  names.reserve(EntryCount);
  for (int i = 0; i < EntryCount; ++i) {
    std::string name;
    if (i % 50 == 0) name += '.';
    if (i % 7 == 0) name += "\xEC\x9D\x8C\xEC\x95\x85 ";
    const int length = 6 + static_cast<int>(random() % 20);
    for (int k = 0; k < length; ++k) name += letters[random() % letters.size()];
    name += i % 3 == 0 ? ".mp3" : ".txt";
    names.push_back(name);
  }
  for (int i = 0; i < EntryCount / 100; ++i) {  // one in a hundred repeats another in upper case
    std::string& name = names[random() % names.size()];
    std::string upper = names[random() % names.size()];
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    name = upper;
  }
  return names;
}

void Fill(ftp::TIdFTPListOutput& AOutput, const std::vector<std::string>& ANames) {
  platform::TDateTime base;
  platform::TryEncodeDateTime({2025, 1, 1, 0, 0, 0, 0}, base);
  for (size_t i = 0; i < ANames.size(); ++i) {
    ftp::TIdFTPListOutputItem& item = AOutput.Add();
    item.FileName(ANames[i]);
    item.ItemType(i % 10 == 0 ? ftp::ditDirectory : ftp::ditFile);
    item.Size(static_cast<int64_t>(i) * 37);
    item.ModifiedDate(platform::TDateTime{base.Milliseconds + static_cast<int64_t>(i) * 3600 * 1000});
  }
}

double MedianMilliseconds(const std::function<size_t()>& AWork, size_t& AResult) {
  std::vector<double> times;
  for (int run = 0; run < Runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    AResult = AWork();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  std::setlocale(LC_ALL, "");  // the user's collation, as the server uses it
  const std::vector<std::string> names = MakeNames();
  const ftp::TListingClock clock = ftp::HostListingClock();
  const ftp::TIdFTPFactOutputs facts{ftp::ItemType, ftp::Modify, ftp::Size};
  size_t lines = 0;

  const double sortOnly = MedianMilliseconds(
      [&] {
        ftp::TIdFTPListOutputItem item;
        ftp::TDirEntry directory;
        for (const std::string& name : names) directory.AddFileName(name, item);
        directory.SortAscendFName();
        return directory.FileList().size();
      },
      lines);
  std::printf("collation %s\n", std::setlocale(LC_COLLATE, nullptr));
  std::printf("add + sort of %d names: median %.1f ms (%zu names kept)\n", EntryCount, sortOnly, lines);

  // The sort alone, timed inside the run so that building the name list is left out.
  std::vector<double> sortTimes;
  for (int run = 0; run < Runs; ++run) {
    ftp::TIdFTPListOutputItem item;
    ftp::TDirEntry directory;
    for (const std::string& name : names) directory.AddFileName(name, item);
    const auto start = std::chrono::steady_clock::now();
    directory.SortAscendFName();
    sortTimes.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(sortTimes.begin(), sortTimes.end());
  std::printf("sort alone: median %.1f ms\n", sortTimes[sortTimes.size() / 2]);

  const double longForm = MedianMilliseconds(
      [&] {
        ftp::TIdFTPListOutput output;
        output.ExportTotalLine = true;
        Fill(output, names);
        return output.LISTOutputDir(clock).size();
      },
      lines);
  std::printf("LIST long form (fill + build + format): median %.1f ms, %zu lines\n", longForm, lines);

  const double mlsd = MedianMilliseconds(
      [&] {
        ftp::TIdFTPListOutput output;
        Fill(output, names);
        return output.MLISTOutputDir(facts, clock).size();
      },
      lines);
  std::printf("MLSD facts (fill + format): median %.1f ms, %zu lines\n", mlsd, lines);
  return 0;
}
