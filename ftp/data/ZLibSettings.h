#pragma once

namespace kobix::ftp {

/// A session's MODE Z parameters. A client can change only the level; the other three always keep
/// the values that make deflate produce one zlib-format stream with the library's usual tuning.
struct TZLibSettings {
  int Level = 7;
  int WindowBits = 15;
  int MemLevel = 8;
  int Strategy = 0;

  friend bool operator==(const TZLibSettings&, const TZLibSettings&) = default;
};

}  // namespace kobix::ftp
