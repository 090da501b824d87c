#include "ftp/data/Compressor.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ftp/server/Errors.h"

namespace kobix::ftp {

namespace {

[[noreturn]] void RaiseZLibError(int ACode) {
  throw EIdException("ZLib Error (" + std::to_string(ACode) + ")");
}

// Window bits 8 to 15 select the zlib format; other values would let the library write or accept
// gzip (16 and up) or headerless deflate (negative), which a MODE Z stream never is.
void CheckWindowBits(int AWindowBits) {
  if (AWindowBits < 8 || AWindowBits > 15) RaiseZLibError(Z_STREAM_ERROR);
}

Bytef* InputPointer(const char* AData) {
  // zlib never writes through next_in; its API just predates const.
  return reinterpret_cast<Bytef*>(const_cast<char*>(AData));
}

}  // namespace

// ---- Deflate -------------------------------------------------------------------------------------

struct TZDeflater::TState {
  z_stream FStream{};
  char FOutput[ZBlockSize];
  size_t FUsed = 0;  // bytes waiting in FOutput
  bool FFinished = false;
  bool FBroken = false;  // a library error or a failing sink left the stream unusable
};

TZDeflater::TZDeflater(int ALevel, int AWindowBits, int AMemLevel, int AStrategy)
    : FState(std::make_unique<TState>()) {
  CheckWindowBits(AWindowBits);
  const int rc = deflateInit2(&FState->FStream, ALevel, Z_DEFLATED, AWindowBits, AMemLevel, AStrategy);
  if (rc != Z_OK) RaiseZLibError(rc);
}

TZDeflater::~TZDeflater() { deflateEnd(&FState->FStream); }

void TZDeflater::Run(int AFlush, const TByteSink& ASink) {
  TState& s = *FState;
  for (;;) {
    s.FStream.next_out = reinterpret_cast<Bytef*>(s.FOutput + s.FUsed);
    s.FStream.avail_out = static_cast<uInt>(ZBlockSize - s.FUsed);
    const int rc = deflate(&s.FStream, AFlush);
    s.FUsed = ZBlockSize - s.FStream.avail_out;
    // Z_BUF_ERROR only says no progress was possible this round, which the loop conditions cover.
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
      s.FBroken = true;
      RaiseZLibError(rc);
    }
    if (s.FUsed == ZBlockSize) {
      s.FUsed = 0;
      ASink(s.FOutput, ZBlockSize);
      continue;
    }
    // Output space is left, so the library has taken all input (and, when finishing, has ended
    // the stream).
    if (AFlush == Z_FINISH && rc != Z_STREAM_END) {
      s.FBroken = true;
      RaiseZLibError(rc == Z_OK ? Z_BUF_ERROR : rc);
    }
    return;
  }
}

void TZDeflater::Feed(const char* AData, size_t ASize, const TByteSink& ASink) {
  TState& s = *FState;
  if (s.FFinished || s.FBroken) RaiseZLibError(Z_STREAM_ERROR);
  while (ASize > 0) {
    const size_t piece = std::min(ASize, ZBlockSize);
    s.FStream.next_in = InputPointer(AData);
    s.FStream.avail_in = static_cast<uInt>(piece);
    try {
      Run(Z_NO_FLUSH, ASink);
    } catch (...) {
      s.FBroken = true;
      throw;
    }
    AData += piece;
    ASize -= piece;
  }
}

void TZDeflater::Finish(const TByteSink& ASink) {
  TState& s = *FState;
  if (s.FFinished || s.FBroken) RaiseZLibError(Z_STREAM_ERROR);
  s.FStream.next_in = nullptr;
  s.FStream.avail_in = 0;
  try {
    Run(Z_FINISH, ASink);
    s.FFinished = true;
    if (s.FUsed > 0) {
      const size_t used = s.FUsed;
      s.FUsed = 0;
      ASink(s.FOutput, used);
    }
  } catch (...) {
    s.FBroken = true;
    throw;
  }
}

// ---- Inflate -------------------------------------------------------------------------------------

struct TZInflater::TState {
  z_stream FStream{};
  char FOutput[ZBlockSize];
  bool FEnded = false;
  int FError = Z_OK;  // the first failure; every later call raises it again
};

TZInflater::TZInflater(int AWindowBits) : FState(std::make_unique<TState>()) {
  CheckWindowBits(AWindowBits);
  const int rc = inflateInit2(&FState->FStream, AWindowBits);
  if (rc != Z_OK) RaiseZLibError(rc);
}

TZInflater::~TZInflater() { inflateEnd(&FState->FStream); }

bool TZInflater::Ended() const { return FState->FEnded; }

void TZInflater::Feed(const char* AData, size_t ASize, const TByteSink& ASink) {
  TState& s = *FState;
  if (s.FError != Z_OK) RaiseZLibError(s.FError);
  if (ASize == 0) return;
  if (s.FEnded) {
    // Bytes after the checksum: the upload is not one zlib stream.
    s.FError = Z_DATA_ERROR;
    RaiseZLibError(s.FError);
  }
  while (ASize > 0) {
    const size_t piece = std::min(ASize, ZBlockSize);
    s.FStream.next_in = InputPointer(AData);
    s.FStream.avail_in = static_cast<uInt>(piece);
    for (;;) {
      s.FStream.next_out = reinterpret_cast<Bytef*>(s.FOutput);
      s.FStream.avail_out = static_cast<uInt>(ZBlockSize);
      int rc = inflate(&s.FStream, Z_NO_FLUSH);
      const size_t produced = ZBlockSize - s.FStream.avail_out;
      // A preset dictionary is something no MODE Z peer can have agreed on: corrupt data.
      if (rc == Z_NEED_DICT) rc = Z_DATA_ERROR;
      if (rc == Z_STREAM_END) {
        s.FEnded = true;
        if (s.FStream.avail_in > 0 || ASize > piece) rc = Z_DATA_ERROR;
      }
      const bool failed = rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR;
      if (failed) s.FError = rc;
      // The sink gets what was inflated before any error is raised, so a failed upload keeps it.
      if (produced > 0) {
        try {
          ASink(s.FOutput, produced);
        } catch (...) {
          if (s.FError == Z_OK) s.FError = Z_STREAM_ERROR;
          throw;
        }
      }
      if (failed) RaiseZLibError(rc);
      if (s.FEnded) return;
      // With output space left over, the library has used up this piece of input.
      if (s.FStream.avail_out > 0) break;
    }
    AData += piece;
    ASize -= piece;
  }
}

void TZInflater::Finish() {
  TState& s = *FState;
  if (s.FError != Z_OK) RaiseZLibError(s.FError);
  if (s.FEnded) return;
  // The data stopped before the end of the stream: the upload was cut short.
  s.FError = Z_BUF_ERROR;
  RaiseZLibError(s.FError);
}

// ---- Whole-stream operations ---------------------------------------------------------------------

void TIdCompressorZLib::CompressFTPDeflate(const TByteSource& AInput, const TByteSink& AOutput, int ALevel,
                                           int AWindowBits, int AMemLevel, int AStrategy) const {
  TZDeflater deflater(ALevel, AWindowBits, AMemLevel, AStrategy);
  auto buffer = std::make_unique<char[]>(ZBlockSize);
  for (;;) {
    const size_t got = AInput(buffer.get(), ZBlockSize);
    if (got == 0) break;
    deflater.Feed(buffer.get(), std::min(got, ZBlockSize), AOutput);
  }
  deflater.Finish(AOutput);
}

void TIdCompressorZLib::DecompressFTPDeflate(const TByteSource& AInput, const TByteSink& AOutput,
                                             int AWindowBits) const {
  TZInflater inflater(AWindowBits);
  auto buffer = std::make_unique<char[]>(ZBlockSize);
  for (;;) {
    const size_t got = AInput(buffer.get(), ZBlockSize);
    if (got == 0) break;
    inflater.Feed(buffer.get(), std::min(got, ZBlockSize), AOutput);
  }
  inflater.Finish();
}

TByteSource SourceFromString(std::string_view AData) {
  return [AData, position = size_t{0}](char* AOut, size_t ASize) mutable {
    const size_t n = std::min(ASize, AData.size() - position);
    if (n > 0) std::memcpy(AOut, AData.data() + position, n);
    position += n;
    return n;
  };
}

TByteSink SinkToString(std::string& ATarget) {
  return [&ATarget](const char* AData, size_t ASize) { ATarget.append(AData, ASize); };
}

}  // namespace kobix::ftp
