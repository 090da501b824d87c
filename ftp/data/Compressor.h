#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kobix::ftp {

/// Receives bytes produced by a codec; called once per block of at most ZBlockSize bytes.
using TByteSink = std::function<void(const char* AData, size_t ASize)>;

/// Fills up to ASize bytes at AData and returns how many it wrote; 0 means the end of the data.
using TByteSource = std::function<size_t(char* AData, size_t ASize)>;

/// Size of the blocks the library is fed with and of the blocks handed to a sink.
constexpr size_t ZBlockSize = 64 * 1024;

/// Compresses one transfer into exactly one zlib-format stream (two-byte header, deflate data,
/// Adler-32), a piece at a time, so that a transfer of any size needs only fixed-size buffers.
/// Errors of the library raise EIdException "ZLib Error (%d)" with the library's code.
class TZDeflater {
 public:
  /// Window bits must be 8 to 15 (zlib format only); level -1 to 9 as the library defines it.
  explicit TZDeflater(int ALevel, int AWindowBits = 15, int AMemLevel = 8, int AStrategy = 0);
  ~TZDeflater();
  TZDeflater(const TZDeflater&) = delete;
  TZDeflater& operator=(const TZDeflater&) = delete;

  /// Compresses the next piece of the input; full output blocks go to ASink as they fill.
  void Feed(const char* AData, size_t ASize, const TByteSink& ASink);
  /// Ends the stream and hands the rest of the output, checksum included, to ASink.
  void Finish(const TByteSink& ASink);

 private:
  void Run(int AFlush, const TByteSink& ASink);

  struct TState;
  std::unique_ptr<TState> FState;
};

/// Inflates one zlib-format stream as its bytes arrive. Only the zlib format is accepted: a gzip
/// header, raw deflate data, corrupt data, bytes after the end of the stream and a stream cut short
/// all raise EIdException "ZLib Error (%d)". Everything inflated before a failure has already been
/// handed to the sink when the error is raised.
class TZInflater {
 public:
  /// Window bits must be 8 to 15; 15 accepts every zlib stream.
  explicit TZInflater(int AWindowBits = 15);
  ~TZInflater();
  TZInflater(const TZInflater&) = delete;
  TZInflater& operator=(const TZInflater&) = delete;

  /// Inflates the next piece of compressed data; the inflated bytes go to ASink before it returns.
  void Feed(const char* AData, size_t ASize, const TByteSink& ASink);
  /// Checks that the whole stream, checksum included, has arrived; raises when it was cut short.
  void Finish();
  /// True once the end of the stream and its checksum have been read.
  bool Ended() const;

 private:
  struct TState;
  std::unique_ptr<TState> FState;
};

/// The MODE Z compressor shared by all sessions. It holds no state: every call works on its own
/// library stream and fixed-size buffers, so sessions compress in parallel without a lock.
class TIdCompressorZLib {
 public:
  /// Compresses everything AInput delivers until its end into AOutput as one zlib stream.
  void CompressFTPDeflate(const TByteSource& AInput, const TByteSink& AOutput, int ALevel,
                          int AWindowBits, int AMemLevel, int AStrategy) const;
  /// Inflates the one zlib stream AInput delivers into AOutput; raises on corrupt, truncated or
  /// trailing data after handing over what was inflated up to that point.
  void DecompressFTPDeflate(const TByteSource& AInput, const TByteSink& AOutput, int AWindowBits) const;
};

/// A source that reads a string from its start; the string must outlive the source.
TByteSource SourceFromString(std::string_view AData);
/// A sink that appends to a string.
TByteSink SinkToString(std::string& ATarget);

}  // namespace kobix::ftp
