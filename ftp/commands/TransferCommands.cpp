#include "ftp/commands/TransferCommands.h"

#include "ftp/data/DataChannel.h"
#include "ftp/data/NumberText.h"
#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"
#include "ftp/server/VirtualPath.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace kobix::ftp {

namespace {

// At most this many names are tried for STOU before the last one is taken as it is.
constexpr int UniqueNameAttempts = 100000;

const std::string& CommandWord(const TIdCommand& ACommand) { return ACommand.CommandHandler->Command; }

// The parameter up to its first blank, upper-cased.
std::string FirstWordUpper(const TIdCommand& ACommand) {
  const std::string& text = ACommand.UnparsedParams;
  return UpperCaseASCII(std::string_view(text).substr(0, text.find(' ')));
}

bool RefuseWithoutDataChannel(TIdCommand& ACommand) {
  if (DataChannelUsable(FTPContext(ACommand))) return false;
  ACommand.Reply.SetReply(425, RSFTPCantOpenDataConn);
  return true;
}

// A file handler's refusal: 550 with its text, and the arranged channel is given up.
void RefuseFile(TIdCommand& ACommand, std::string_view AText) {
  FTPContext(ACommand).DropDataChannel();
  ACommand.Reply.SetReply(550, AText);
}

// Hands the stream to the data channel, sends the preliminary reply and runs the transfer.
void StartTransfer(TIdCommand& ACommand, std::unique_ptr<platform::TFileStream> AStream, TIdFTPOperation AOperation,
                   const TIdReplyFTP& APreliminary) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  TIdDataChannel& channel = *context.FDataChannel;
  channel.FStream = std::move(AStream);
  channel.FFtpOperation = AOperation;
  channel.FOKReply.SetReply(226, RSFTPDataConnClosed);
  channel.FErrorReply.SetReply(426, RSFTPDataConnClosedAbnormally);
  ACommand.Reply = APreliminary;
  ACommand.SendReply();
  RunDataOperation(ACommand, context.FSSCNOn);
}

uint32_t MillisecondTick() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string TempName(uint32_t ATick) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", ATick);
  return std::string("Temp") + digits;
}

// "Temp" and the tick in hexadecimal, counted up while a file of that name exists in the folder.
std::string UniqueFileName(TIdFTPServerContext& AContext) {
  TIdFTPServer& server = AContext.FTPServer();
  uint32_t tick = MillisecondTick();
  std::string name = TempName(tick);
  for (int attempt = 0; attempt < UniqueNameAttempts && server.OnFileExistCheck; ++attempt) {
    bool exists = false;
    server.OnFileExistCheck(AContext, ResolveVirtualPath(AContext, name), exists);
    if (!exists) break;
    name = TempName(++tick);
  }
  return name;
}

}  // namespace

void CommandTYPE(TIdCommand& ACommand) {
  const std::string letter = FirstWordUpper(ACommand);
  if (letter.size() != 1) return;
  TIdFTPServerContext& context = FTPContext(ACommand);
  if (letter == "A")
    context.FDataType = ftASCII;
  else if (letter == "I")
    context.FDataType = ftBinary;
  else
    return;
  ACommand.Reply.SetReply(200, Format(RSFTPTypeSet, letter));
}

void CommandSTRU(TIdCommand& ACommand) {
  const std::string letter = FirstWordUpper(ACommand);
  if (letter.size() != 1) return;
  TIdFTPServerContext& context = FTPContext(ACommand);
  if (letter == "F")
    context.FDataStruct = dsFile;
  else if (letter == "R")
    context.FDataStruct = dsRecord;
  else if (letter == "P")
    context.FDataStruct = dsPage;
  else
    return;
  ACommand.Reply.SetReply(200, Format(RSFTPStructureSet, letter));
}

void CommandMODE(TIdCommand& ACommand) {
  const std::string letter = FirstWordUpper(ACommand);
  if (letter.size() != 1) return;
  TIdFTPServerContext& context = FTPContext(ACommand);
  if (letter == "S") {
    context.FDataMode = dmStream;
  } else if (letter == "Z" && context.FTPServer().Compressor) {
    context.FDataMode = dmDeflate;
  } else {
    ACommand.Reply.SetReply(504, RSFTPModeNotImplemented);
    return;
  }
  ACommand.Reply.SetReply(200, Format(RSFTPModeSet, letter));
}

void CommandRETR(TIdCommand& ACommand) {
  if (RefuseWithoutDataChannel(ACommand)) return;
  TIdFTPServerContext& context = FTPContext(ACommand);
  TIdFTPServer& server = context.FTPServer();
  if (!server.OnRetrieveFile) return ReplyNotImplemented(ACommand);
  std::unique_ptr<platform::TFileStream> stream;
  try {
    server.OnRetrieveFile(context, ResolveVirtualPath(context, ACommand.UnparsedParams), stream);
  } catch (const std::exception& e) {
    return RefuseFile(ACommand, e.what());
  }
  if (!stream) return RefuseFile(ACommand, RSFTPLocalError);
  const int64_t offset = std::max<int64_t>(context.FRESTPos, 0);
  context.FRESTPos = 0;
  try {
    stream->Seek(offset);
  } catch (const std::exception& e) {
    return RefuseFile(ACommand, e.what());
  }
  StartTransfer(ACommand, std::move(stream), ftpRetr, TIdReplyFTP(150, RSFTPFileStatusOkay));
}

// STOR, STOU and APPE.
void CommandSTOR(TIdCommand& ACommand) {
  if (RefuseWithoutDataChannel(ACommand)) return;
  TIdFTPServerContext& context = FTPContext(ACommand);
  TIdFTPServer& server = context.FTPServer();
  if (!server.OnStoreFile) return ReplyNotImplemented(ACommand);
  const bool append = SameTextASCII(CommandWord(ACommand), "APPE");
  const bool unique = SameTextASCII(CommandWord(ACommand), "STOU");

  std::string name = ACommand.UnparsedParams;
  TIdReplyFTP preliminary(150, RSFTPFileStatusOkay);
  if (unique) {
    name = UniqueFileName(context);
    preliminary.SetReply(150, Format(RSFTPFileUnique, name));
  }
  // A restart offset resumes an upload: the bytes before it are kept.
  const bool resume = !append && context.FRESTPos > 0;
  std::unique_ptr<platform::TFileStream> stream;
  try {
    server.OnStoreFile(context, ResolveVirtualPath(context, name), append, resume, stream);
  } catch (const std::exception& e) {
    return RefuseFile(ACommand, e.what());
  }
  if (!stream) return RefuseFile(ACommand, RSFTPLocalError);
  try {
    if (append) {
      stream->Seek(stream->Size());
    } else {
      // An announced size only ever extends the file; the transfer cuts it back to what arrived.
      if (context.FALLOSize > 0 && stream->Size() < context.FALLOSize) stream->SetSize(context.FALLOSize);
      stream->Seek(std::max<int64_t>(context.FRESTPos, 0));
      context.FRESTPos = 0;
    }
  } catch (const std::exception& e) {
    return RefuseFile(ACommand, e.what());
  }
  StartTransfer(ACommand, std::move(stream), ftpStor, preliminary);
}

void CommandALLO(TIdCommand& ACommand) {
  std::string text = ACommand.UnparsedParams;
  if (text.size() >= 2 && (text[0] == 'R' || text[0] == 'r') && text[1] == ' ') text.erase(0, 2);
  text.erase(0, text.find_first_not_of(' ') == std::string::npos ? text.size() : text.find_first_not_of(' '));
  text = text.substr(0, text.find(' '));
  if (text.empty()) return ACommand.Reply.SetReply(504, RSFTPCmdNotImplementedParam);
  FTPContext(ACommand).FALLOSize = static_cast<int32_t>(IntOrDefault(text, 0));
  ACommand.Reply.SetReply(200, Format(RSFTPCmdSuccessful, "ALLO"));
}

void CommandREST(TIdCommand& ACommand) {
  FTPContext(ACommand).FRESTPos = static_cast<int32_t>(IntOrDefault(ACommand.UnparsedParams, 0));
  ACommand.Reply.SetReply(350, RSFTPFileActionPending);
}

void CommandABOR(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  TIdDataChannel* channel = context.FDataChannel.get();
  if (!channel || channel->Stopped()) return ACommand.Reply.SetReply(226, Format(RSFTPCmdSuccessful, "ABOR"));
  channel->FOKReply.SetReply(426, RSFTPDataConnClosedAbnormally);
  channel->FErrorReply.SetReply(426, RSFTPDataConnClosedAbnormally);
  channel->Stop();
  ACommand.Reply.SetReply(226, RSFTPDataConnClosed);
  // A running transfer notices the closed connection and gives the channel up itself.
  if (!channel->FOperationRunning) context.DropDataChannel();
}

}  // namespace kobix::ftp
