#include "ftp/data/DataPortCommands.h"

#include "ftp/data/DataChannel.h"
#include "ftp/data/NumberText.h"
#include "ftp/server/Errors.h"
#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"

#include <algorithm>

namespace kobix::ftp {

namespace {

using platform::TIPVersion;

constexpr int64_t HighestPort = 65535;

const std::string& CommandWord(const TIdCommand& ACommand) { return ACommand.CommandHandler->Command; }

// Every data-port command but EPSV is refused once the client has sent EPSV ALL.
bool RefusedAfterEPSVAll(TIdCommand& ACommand) {
  if (!FTPContext(ACommand).FEPSVAll) return false;
  ACommand.Reply.SetReply(501, Format(RSFTPNotAllowedAfterEPSVAll, CommandWord(ACommand)));
  return true;
}

// Records a refused data port: every transfer answers 425 until a new one is accepted.
void DenyDataPort(TIdCommand& ACommand, int ACode, std::string_view AText, bool AForgetPort = true) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  if (AForgetPort) context.FDataPort = 0;
  context.FDataPortDenied = true;
  ACommand.Reply.SetReply(ACode, AText);
}

bool ReservedPort(int64_t APort) { return APort >= 1 && APort <= 1024; }

// Arms an active channel towards the client's address.
void ArmActiveChannel(TIdCommand& ACommand, const std::string& AAddress, uint16_t APort, TIPVersion AVersion) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  TIdDataChannel& channel = NewDataChannel(context, false);
  channel.FRemote = {AAddress, APort, AVersion};
  context.FDataPort = APort;
  context.FDataPortDenied = false;
  ACommand.Reply.SetReply(200, Format(RSFTPCmdSuccessful, CommandWord(ACommand)));
}

// Opens a passive listener on the control connection's local address; gives the address and port
// clients are to connect to.
void PreparePassiveListener(TIdCommand& ACommand, TIPVersion AVersion, std::string& AIP, uint16_t& APort) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  TIdFTPServer& server = context.FTPServer();
  AIP = context.Connection().LocalAddress().IP;
  uint16_t low = server.DefaultDataPort, high = server.DefaultDataPort;
  if (server.PASVBoundPortMin != 0 && server.PASVBoundPortMax != 0) {
    low = server.PASVBoundPortMin;
    high = server.PASVBoundPortMax;
  }
  if (server.OnPASVBeforeBind) server.OnPASVBeforeBind(context, AIP, low, high, AVersion);
  TIdDataChannel& channel = NewDataChannel(context, true);
  TIdSimpleServer& listener = *channel.FListener;
  listener.BoundIP = AIP;
  listener.IPVersion = AVersion;
  if (low == high) {
    listener.BoundPort = low;
  } else {
    listener.BoundPortMin = low;
    listener.BoundPortMax = high;
  }
  try {
    listener.BeginListen();
  } catch (...) {
    context.DropDataChannel();
    throw;
  }
  AIP = listener.LocalAddress().IP;
  APort = listener.LocalAddress().Port;
  context.FPASV = true;
  context.FDataPortDenied = false;
}

std::string VersionHint(TIPVersion AVersion) { return AVersion == TIPVersion::IPv6 ? " (2)" : " (1)"; }

// Cuts the text before the next delimiter off AText (all of it when there is none).
std::string Fetch(std::string& AText, char ADelimiter) {
  const size_t at = AText.find(ADelimiter);
  std::string piece = AText.substr(0, at);
  AText.erase(0, at == std::string::npos ? AText.size() : at + 1);
  return piece;
}

}  // namespace

void CommandPORT(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  if (RefusedAfterEPSVAll(ACommand)) return;
  const TIdFTPSecurityOptions& security = context.FUserSecurity;
  if (security.BlockAllPORTTransfers) return DenyDataPort(ACommand, 502, RSFTPPORTDisabled);
  context.FPASV = false;

  std::string rest = ACommand.UnparsedParams;
  std::string fields[6];
  for (std::string& field : fields) field = Fetch(rest, ',');
  const std::string address = fields[0] + "." + fields[1] + "." + fields[2] + "." + fields[3];
  const int64_t port = int64_t{StrToInt(fields[4])} * 256 + StrToInt(fields[5]);

  if (port < 0 || port > HighestPort) return DenyDataPort(ACommand, 501, Format(RSFTPParamError, CommandWord(ACommand)));
  if (security.NoReservedRangePORT && ReservedPort(port)) return DenyDataPort(ACommand, 504, RSFTPPORTRange);
  if (security.RequirePORTFromSameIP && address != context.Connection().PeerAddress().IP)
    return DenyDataPort(ACommand, 504, RSFTPDataPortSameIP);
  ArmActiveChannel(ACommand, address, static_cast<uint16_t>(port), TIPVersion::IPv4);
}

void CommandEPRT(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  if (RefusedAfterEPSVAll(ACommand)) return;
  const TIPVersion controlVersion = context.Connection().PeerAddress().Version;
  context.FPASV = false;
  std::string rest = ACommand.UnparsedParams;
  if (rest.empty()) return DenyDataPort(ACommand, 501, Format(RSFTPInvalidNumberArgs, CommandWord(ACommand)), false);
  const TIdFTPSecurityOptions& security = context.FTPServer().FTPSecurityOptions;
  if (security.BlockAllPORTTransfers) return DenyDataPort(ACommand, 502, RSFTPPORTDisabled, false);

  const char delimiter = rest[0];
  Fetch(rest, delimiter);
  const int64_t protocol = IntOrDefault(Fetch(rest, delimiter), -1);
  const std::string address = Fetch(rest, delimiter);
  const int64_t port = IntOrDefault(Fetch(rest, delimiter), 0);

  TIPVersion requested = TIPVersion::IPv4;
  if (protocol == 2) {
    if (!platform::IPv6Supported()) return DenyDataPort(ACommand, 522, Format(RSFTPNetProtNotSup, "(1)"));
    requested = TIPVersion::IPv6;
  }
  if ((protocol != 1 && protocol != 2) || requested != controlVersion)
    return DenyDataPort(ACommand, 522, std::string(RSFTPNetProtMismatch) + VersionHint(controlVersion));
  if (port < 0 || port > HighestPort) return DenyDataPort(ACommand, 501, Format(RSFTPParamError, CommandWord(ACommand)));
  if (port == 0) return DenyDataPort(ACommand, 500, RSFTPInvalidPort, false);
  if (security.NoReservedRangePORT && ReservedPort(port)) return DenyDataPort(ACommand, 504, RSFTPPORTRange);
  if (address.empty()) return DenyDataPort(ACommand, 500, RSFTPInvalidIP);
  if (security.RequirePORTFromSameIP && address != context.Connection().PeerAddress().IP)
    return DenyDataPort(ACommand, 504, RSFTPDataPortSameIP);
  ArmActiveChannel(ACommand, address, static_cast<uint16_t>(port), controlVersion);
}

void CommandPASV(TIdCommand& ACommand) {
  if (RefusedAfterEPSVAll(ACommand)) return;
  std::string ip;
  uint16_t port = 0;
  PreparePassiveListener(ACommand, FTPContext(ACommand).Connection().LocalAddress().Version, ip, port);
  std::replace(ip.begin(), ip.end(), '.', ',');
  ip += "," + std::to_string(port / 256) + "," + std::to_string(port % 256);
  ACommand.Reply.SetReply(227, Format(RSFTPPassiveMode, ip));
}

void CommandSPSV(TIdCommand& ACommand) {
  if (RefusedAfterEPSVAll(ACommand)) return;
  std::string ip;
  uint16_t port = 0;
  PreparePassiveListener(ACommand, FTPContext(ACommand).Connection().LocalAddress().Version, ip, port);
  ACommand.Reply.SetReply(227, std::to_string(port));
}

void CommandEPSV(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  const TIPVersion controlVersion = context.Connection().LocalAddress().Version;
  TIPVersion requested = controlVersion;
  const std::string& parameter = ACommand.UnparsedParams;
  if (!parameter.empty()) {
    const int64_t protocol = IntOrDefault(parameter, -1);
    if (protocol == -1) {
      if (SameTextASCII(TrimBlanks(parameter), "ALL")) {
        context.FEPSVAll = true;
        ACommand.Reply.SetReply(200, RSFTPEPSVAllEntered);
      } else {
        ACommand.Reply.SetReply(522, Format(RSFTPNetProtNotSup, platform::IPv6Supported() ? "(1,2)" : "(1)"));
      }
      return;
    }
    if (protocol == 1) {
      requested = TIPVersion::IPv4;
    } else if (protocol == 2) {
      if (!platform::IPv6Supported()) return ACommand.Reply.SetReply(522, Format(RSFTPNetProtNotSup, "(1)"));
      requested = TIPVersion::IPv6;
    } else {
      return ACommand.Reply.SetReply(522, std::string(RSFTPProtNotSup) + VersionHint(controlVersion));
    }
  }
  if (requested != controlVersion)
    return ACommand.Reply.SetReply(522, std::string(RSFTPNetProtMismatch) + VersionHint(controlVersion));
  std::string ip;
  uint16_t port = 0;
  PreparePassiveListener(ACommand, requested, ip, port);
  ACommand.Reply.SetReply(229, Format(RSFTPExtendedPassiveMode, "|||" + std::to_string(port) + "|"));
}

void CommandCPSV(TIdCommand& ACommand) { CommandNotUnderstood(ACommand); }

void CommandSSCN(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
