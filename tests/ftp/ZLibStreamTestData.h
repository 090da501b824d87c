#pragma once

#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>

namespace kobix::ftp::testing {

/// Text that compresses the way listings and source files do: repeated words, varying numbers.
inline std::string TextLikeData(size_t ASize, uint32_t ASeed = 1) {
  static const char* const Words[] = {"drwxr-xr-x", "-rw-r--r--", "ftp", "Music", "a.mp3", "Jan",
                                      "report.txt", "1024", "\r\n", "KOBIX", "folder", "2019"};
  std::mt19937 random(ASeed);
  std::string text;
  text.reserve(ASize + 32);
  while (text.size() < ASize) {
    text += Words[random() % (sizeof Words / sizeof Words[0])];
    text += ' ';
    if (random() % 5 == 0) text += std::to_string(random() % 100000);
  }
  text.resize(ASize);
  return text;
}

/// Bytes deflate cannot shrink.
inline std::string RandomData(size_t ASize, uint32_t ASeed = 2) {
  std::mt19937 random(ASeed);
  std::string data(ASize, '\0');
  for (char& c : data) c = static_cast<char>(random() & 0xFF);
  return data;
}

/// Compresses with the library directly, for streams our own deflater never writes (gzip, raw).
inline std::string LibraryDeflate(const std::string& AData, int AWindowBits, int ALevel = 6) {
  z_stream stream{};
  deflateInit2(&stream, ALevel, Z_DEFLATED, AWindowBits, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(AData.size())) + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(AData.data()));
  stream.avail_in = static_cast<uInt>(AData.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace kobix::ftp::testing
