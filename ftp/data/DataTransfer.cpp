#include "ftp/data/DataTransfer.h"

#include "ftp/data/Compressor.h"
#include "ftp/data/DataChannel.h"
#include "ftp/server/CmdTCPServer.h"
#include "ftp/server/Errors.h"
#include "ftp/server/FTPServer.h"

#include <algorithm>
#include <memory>

namespace kobix::ftp {

namespace {

// The most bytes sent between two looks at the control connection.
constexpr int64_t SendBlockSize = 102400;
// One receive of an upload: large reads drain the socket in fewer calls and hand the file bigger writes.
constexpr size_t ReceiveBufferSize = 1024 * 1024;
// Listing lines are written in groups of this many, with a look at the control connection between.
constexpr size_t LinesPerPoll = 10;

void CheckOpen(const TIdDataChannel& AChannel) {
  if (AChannel.Stopped()) throw EIdSocketError("Data connection closed.");
}

// Sends bytes on the data connection as a failure the runner answers with the error reply.
void SendData(const TIdDataChannel& AChannel, const char* AData, size_t ASize) {
  CheckOpen(AChannel);
  try {
    AChannel.Connection().SendAll(AData, ASize);
  } catch (const std::system_error& e) {
    throw EIdSocketError(e.what());
  }
}

std::unique_ptr<TZDeflater> NewDeflater(const TIdFTPServerContext& AContext) {
  return std::make_unique<TZDeflater>(AContext.FZLibCompressionLevel, AContext.FZLibWindowBits, AContext.FZLibMemLevel,
                                      AContext.FZLibStratagy);
}

// Stream mode: the kernel copies the file to the socket, one block between two polls.
void SendFilePlain(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue) {
  platform::TFileStream& stream = *AChannel.FStream;
  const int64_t size = stream.Size();
  int64_t position = stream.Position();
  while (position < size) {
    CheckOpen(AChannel);
    const int64_t block = std::min(size - position, SendBlockSize);
    for (int64_t done = 0; done < block;) {
      size_t sent;
      try {
        sent = AChannel.Connection().SendFile(stream.Handle(), position + done, static_cast<size_t>(block - done));
      } catch (const std::system_error& e) {
        throw EIdSocketError(e.what());
      }
      if (sent == 0) throw EIdException("The file ended before its size.");
      done += static_cast<int64_t>(sent);
    }
    position += block;
    if (position < size) PollControlChannel(AContext, AQueue);
  }
}

// MODE Z: the file is read, compressed and sent a block at a time, as one zlib stream.
void SendFileDeflated(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue) {
  platform::TFileStream& stream = *AChannel.FStream;
  auto deflater = NewDeflater(AContext);
  const TByteSink sink = [&](const char* AData, size_t ASize) {
    SendData(AChannel, AData, ASize);
    PollControlChannel(AContext, AQueue);
  };
  std::vector<char> block(ZBlockSize);
  for (;;) {
    CheckOpen(AChannel);
    const size_t count = stream.Read(block.data(), block.size());
    if (count == 0) break;
    deflater->Feed(block.data(), count, sink);
  }
  deflater->Finish([&](const char* AData, size_t ASize) { SendData(AChannel, AData, ASize); });
}

}  // namespace

void PollControlChannel(TIdFTPServerContext& AContext, TCommandQueue& AQueue, int ATimeoutMs) {
  TIdTCPConnection& connection = AContext.Connection();
  if (!connection.WaitForInput(ATimeoutMs)) return;
  std::string bytes;
  TLineResult result;
  try {
    result = ReadCommandLine(connection, bytes);
  } catch (const EIdException&) {
    result = TLineResult::Closed;  // closed in the middle of a line, or a line past the bound
  }
  if (result == TLineResult::Closed || !connection.Connected()) {
    connection.Disconnect();
    if (AContext.FDataChannel) AContext.FDataChannel->Stop();
    throw EIdConnClosedGracefully();
  }
  if (bytes.empty()) return;
  const std::string line = DecodeText(bytes, connection.Encoding());
  std::string params;
  const TIdCommandHandler* handler = AContext.FTPServer().DataChannelCommands().Find(line, params);
  if (handler)
    DoCommand(AContext, *handler, line, params);
  else
    AQueue.push_back(line);
}

void SendStream(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue) {
  if (AContext.FDataMode == dmDeflate)
    SendFileDeflated(AContext, AChannel, AQueue);
  else
    SendFilePlain(AContext, AChannel, AQueue);
}

void ReceiveStream(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue) {
  platform::TFileStream& stream = *AChannel.FStream;
  // Whatever happens, the file ends after the last byte written: a size announced with ALLO or a
  // longer file kept for a resumed upload does not leave stale bytes behind.
  struct TCutBack {
    platform::TFileStream& Stream;
    ~TCutBack() {
      try {
        Stream.SetSize(Stream.Position());
      } catch (const std::exception&) {
      }
    }
  } cutBack{stream};

  std::unique_ptr<TZInflater> inflater;
  if (AContext.FDataMode == dmDeflate) inflater = std::make_unique<TZInflater>(AContext.FZLibWindowBits);
  const TByteSink toFile = [&](const char* AData, size_t ASize) { stream.Write(AData, ASize); };
  std::unique_ptr<char[]> buffer(new char[ReceiveBufferSize]);
  for (;;) {
    size_t count;
    try {
      count = AChannel.Connection().Receive(buffer.get(), ReceiveBufferSize);
    } catch (const std::system_error& e) {
      throw EIdSocketError(e.what());
    }
    if (count == 0) break;
    if (inflater)
      inflater->Feed(buffer.get(), count, toFile);
    else
      stream.Write(buffer.get(), count);
  }
  CheckOpen(AChannel);  // a stopped channel reads as an early end, which is no success
  if (inflater) inflater->Finish();
  PollControlChannel(AContext, AQueue);
}

void SendLines(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue) {
  const std::vector<std::string>& lines = AChannel.FLines;
  if (AContext.FDataMode == dmDeflate) {
    auto deflater = NewDeflater(AContext);
    const TByteSink sink = [&](const char* AData, size_t ASize) {
      SendData(AChannel, AData, ASize);
      PollControlChannel(AContext, AQueue);
    };
    for (const std::string& line : lines) {
      CheckOpen(AChannel);
      deflater->Feed(line.data(), line.size(), sink);
      deflater->Feed("\r\n", 2, sink);
    }
    deflater->Finish([&](const char* AData, size_t ASize) { SendData(AChannel, AData, ASize); });
    return;
  }
  std::string pending;
  for (size_t i = 0; i < lines.size(); ++i) {
    CheckOpen(AChannel);
    pending += lines[i];
    pending += "\r\n";
    if (i % LinesPerPoll == 0 && i + 1 < lines.size()) {
      SendData(AChannel, pending.data(), pending.size());
      pending.clear();
      PollControlChannel(AContext, AQueue);
    }
  }
  if (!pending.empty()) SendData(AChannel, pending.data(), pending.size());
}

}  // namespace kobix::ftp
