#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace kobix::test {

/// Puts the process in a fixed time zone while it lives (set before any server thread starts).
class TTimeZone {
 public:
  explicit TTimeZone(const char* AZone) {
    if (const char* old = getenv("TZ")) FOld = old;
    setenv("TZ", AZone, 1);
    tzset();
  }
  ~TTimeZone() {
    if (FOld)
      setenv("TZ", FOld->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  TTimeZone(const TTimeZone&) = delete;
  TTimeZone& operator=(const TTimeZone&) = delete;

 private:
  std::optional<std::string> FOld;
};

}  // namespace kobix::test
