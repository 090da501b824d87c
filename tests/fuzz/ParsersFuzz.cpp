// libFuzzer entry: every argument parser and the inflater on arbitrary bytes.
//   ./parsers_fuzz -max_total_time=60

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ftp/HostileInputExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
  const std::string problem =
      kobix::ftp::testing::ExerciseParsers(std::string_view(reinterpret_cast<const char*>(AData), ASize));
  if (!problem.empty()) {
    std::fprintf(stderr, "invariant broken: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
