// The server's whole listing path for one folder of 100,000 files, without the network: the
// facade's folder listing (enumeration and entries), the long form or the fact lines, and the
// encoding of the lines for the data connection. Prints the median wall and CPU time of each step
// over a few runs. Measures only; asserts nothing.
//
//   listing_folder [count] [folder]   (a temporary folder of empty files unless one is given)

#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ftp/listing/ListEncoding.h"
#include "ftp/listing/ListOutput.h"
#include "service/ListingHandler.h"

using namespace kobix;

namespace {

constexpr int Runs = 7;

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct TTimes {
  std::vector<double> Wall, Cpu;
  void Add(double AWall, double ACpu) {
    Wall.push_back(AWall);
    Cpu.push_back(ACpu);
  }
  static double Median(std::vector<double> AValues) {
    std::sort(AValues.begin(), AValues.end());
    return AValues[AValues.size() / 2];
  }
  void Print(const char* AName) const {
    std::printf("  %-34s median %7.1f ms wall, %7.1f ms CPU\n", AName, Median(Wall) * 1e3, Median(Cpu) * 1e3);
  }
};

// One timed step.
template <typename F>
auto Timed(TTimes& ATimes, F&& AWork) {
  const double wall = WallSeconds(), cpu = CpuSeconds();
  auto result = AWork();
  ATimes.Add(WallSeconds() - wall, CpuSeconds() - cpu);
  return result;
}

// As the listing commands do it: in place, for a session without UTF-8.
std::vector<std::string> Encode(std::vector<std::string> ALines) {
  ftp::EncodeListingLines(ALines, false);
  return ALines;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::string folder = argc > 2 ? argv[2] : std::string();
  const bool temporary = folder.empty();
  if (temporary) {
    folder = (std::filesystem::temp_directory_path() / "kobix-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) return 1;
    char name[32];
    for (int i = 0; i < count; ++i) {
      std::snprintf(name, sizeof name, "/f%06d.dat", i);
      const int handle = open((folder + name).c_str(), O_CREAT | O_WRONLY, 0644);
      if (handle >= 0) close(handle);
    }
  }
  service::TFileHandlerSettings settings;
  settings.Aliases = {{"bench", folder}};
  const ftp::TIdFTPFactOutputs facts{ftp::ItemType, ftp::Modify, ftp::Size};

  TTimes listTimes, longTimes, encodeTimes, listTotal, mlsdList, factTimes, mlsdEncode, mlsdTotal;
  size_t lines = 0, bytes = 0;
  for (int run = 0; run < Runs; ++run) {
    {
      const double wall = WallSeconds(), cpu = CpuSeconds();
      ftp::TIdFTPListOutput listing;
      listing.ExportTotalLine = true;
      Timed(listTimes, [&] {
        service::ListDirectory(settings, "/bench/", listing, "LIST");
        return 0;
      });
      const ftp::TListingClock clock = ftp::HostListingClock();
      auto text = Timed(longTimes, [&] { return listing.LISTOutputDir(clock); });
      const auto encoded = Timed(encodeTimes, [&] { return Encode(std::move(text)); });
      listTotal.Add(WallSeconds() - wall, CpuSeconds() - cpu);
      lines = encoded.size();
      bytes = 0;
      for (const std::string& line : encoded) bytes += line.size() + 2;
    }
    {
      const double wall = WallSeconds(), cpu = CpuSeconds();
      ftp::TIdFTPListOutput listing;
      Timed(mlsdList, [&] {
        service::ListDirectory(settings, "/bench/", listing, "MLSD");
        return 0;
      });
      const ftp::TListingClock clock = ftp::HostListingClock();
      auto text = Timed(factTimes, [&] { return listing.MLISTOutputDir(facts, clock); });
      const auto encoded = Timed(mlsdEncode, [&] { return Encode(std::move(text)); });
      mlsdTotal.Add(WallSeconds() - wall, CpuSeconds() - cpu);
    }
  }
  std::printf("folder of %d files: LIST gives %zu lines, %zu bytes; %d runs\n", count, lines, bytes, Runs);
  std::printf("LIST\n");
  listTimes.Print("folder listing (handler)");
  longTimes.Print("long form (group, sort, format)");
  encodeTimes.Print("encoding");
  listTotal.Print("whole, with freeing");
  std::printf("MLSD\n");
  mlsdList.Print("folder listing (handler)");
  factTimes.Print("fact lines");
  mlsdEncode.Print("encoding");
  mlsdTotal.Print("whole, with freeing");
  if (temporary) std::filesystem::remove_all(folder);
  return 0;
}
