#include "ftp/commands/ChecksumCommands.h"
#include "ftp/commands/FileCommands.h"
#include "ftp/commands/InformationCommands.h"
#include "ftp/commands/ListingCommands.h"
#include "ftp/commands/LoginCommands.h"
#include "ftp/commands/ModeZCommands.h"
#include "ftp/commands/NavigationCommands.h"
#include "ftp/commands/TransferCommands.h"
#include "ftp/data/DataPortCommands.h"
#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"

// The command tables: the one place where each command's fixed properties live — its handler, normal
// reply, exception reply code, login rule, help text and help flags. Lines are matched in this order.

namespace kobix::ftp {

namespace {

using enum TLoginRule;

struct TEntry {
  const char* Command;
  TIdCommandEvent Handler;
  TLoginRule Login;
  int ExceptionCode;
  std::vector<std::string> Help;
};

TIdCommandHandler Entry(const TEntry& AEntry) {
  TIdCommandHandler handler;
  handler.Command = AEntry.Command;
  handler.OnCommand = AEntry.Handler;
  handler.Login = AEntry.Login;
  handler.ExceptionCode = AEntry.ExceptionCode;
  handler.Description = AEntry.Help;
  return handler;
}

TIdCommandHandler WithReply(TIdCommandHandler AHandler, int ACode, std::string AText = {}) {
  AHandler.NormalCode = ACode;
  AHandler.NormalText = std::move(AText);
  return AHandler;
}

// An entry without a handler that answers every call, logged in or not, with 502 "not implemented".
TIdCommandHandler Unimplemented(const char* ACommand, const char* AMeaning) {
  std::string word = ACommand;
  TIdCommandHandler handler = Entry({ACommand, nullptr, None, 0, {word + std::string(12 - word.size(), ' ') + AMeaning + "; unimplemented."}});
  handler.HelpSuperScript = "*";
  return WithReply(std::move(handler), 502, Format(RSFTPCmdNotImplemented, word));
}

TIdCommandHandler Superscripted(TIdCommandHandler AHandler) {
  AHandler.HelpSuperScript = "*";
  return AHandler;
}

TIdCommandHandler Hidden(TIdCommandHandler AHandler) {
  AHandler.HelpVisible = false;
  return AHandler;
}

TIdCommandHandler Formatted(TIdCommandHandler AHandler, TIdReplyRFCFormat AFormat) {
  AHandler.NormalFormat = AFormat;
  return AHandler;
}

TIdCommandHandler Disconnecting(TIdCommandHandler AHandler) {
  AHandler.Disconnect = true;
  return AHandler;
}

std::vector<TIdCommandHandler> MainTable() {
  return {
      Entry({"USER", CommandUSER, None, 0, {"Syntax: USER <sp> username"}}),
      Entry({"PASS", CommandPASS, None, 0, {"Syntax: PASS <sp> password"}}),
      Unimplemented("ACCT", "(specify account)"),
      Entry({"CWD", CommandCWD, Required, 550, {"Syntax: CWD [ <sp> directory-name ]"}}),
      Entry({"CDUP", CommandCDUP, Required, 550, {"Syntax: CDUP (change to parent directory)"}}),
      Unimplemented("SMNT", "(structure mount)"),
      Disconnecting(WithReply(Entry({"QUIT", nullptr, None, 0, {"Syntax: QUIT (terminate service)"}}), 221, std::string(RSFTPGoodbye))),
      Entry({"REIN", CommandREIN, Required, 0, {"Syntax: REIN (reinitialize server state)"}}),
      Entry({"PORT", CommandPORT, Required, 0, {"Syntax: PORT <sp> b0, b1, b2, b3, b4"}}),
      Entry({"PASV", CommandPASV, Required, 0, {"Syntax: PASV (set server in passive mode)"}}),
      Hidden(Entry({"P@SW", CommandPASV, Required, 0, {}})),
      Entry({"TYPE", CommandTYPE, Required, 0, {"Syntax: TYPE <sp> [ A | E | I | L ]"}}),
      Entry({"STRU", CommandSTRU, Required, 0, {"Syntax: STRU (specify file structure)"}}),
      Entry({"MODE", CommandMODE, Required, 501, {"Syntax: MODE (specify transfer mode)"}}),
      Entry({"RETR", CommandRETR, Required, 550, {"Syntax: RETR <sp> file-name"}}),
      Entry({"STOR", CommandSTOR, Required, 551, {"Syntax: STOR <sp> file-name"}}),
      Entry({"STOU", CommandSTOR, Required, 551, {"Syntax: STOU <sp> file-name"}}),
      Entry({"APPE", CommandSTOR, Required, 550, {"Syntax: APPE <sp> file-name"}}),
      Entry({"ALLO", CommandALLO, Required, 550, {"Syntax: ALLO allocate storage (vacuously)"}}),
      Entry({"REST", CommandREST, Required, 550, {"Syntax: REST (restart command)"}}),
      Entry({"RNFR", CommandRNFR, Required, 550, {"Syntax: RNFR <sp> file-name"}}),
      Entry({"RNTO", CommandRNTO, Required, 550, {"Syntax: RNTO <sp> file-name"}}),
      Entry({"ABOR", CommandABOR, Required, 550, {"Syntax: ABOR (abort operation)"}}),
      Entry({"DELE", CommandDELE, FileAction, 550, {"Syntax: DELE <sp> file-name"}}),
      Entry({"RMD", CommandRMD, Required, 550, {"Syntax: RMD <sp> path-name"}}),
      Entry({"MKD", CommandMKD, Required, 550, {"Syntax: MKD <sp> path-name"}}),
      Entry({"PWD", CommandPWD, Required, 550, {"Syntax: PWD (return current directory)"}}),
      Entry({"LIST", CommandLIST, Required, 450, {"Syntax: LIST [ <sp> path-name ]"}}),
      Entry({"NLST", CommandLIST, Required, 450, {"Syntax: NLST [ <sp> path-name ]"}}),
      Entry({"SITE", CommandSITE, None, 501, {"Syntax: SITE (site-specific commands)"}}),
      Entry({"SYST", CommandSYST, None, 501, {"Syntax: SYST (get type of operating system)"}}),
      Entry({"STAT", CommandSTAT, None, 450, {"Syntax: STAT [ <sp> path-name ]"}}),
      WithReply(Entry({"NOOP", nullptr, None, 550, {"Syntax: NOOP"}}), 200, Format(RSFTPCmdSuccessful, "NOOP")),
      Entry({"XMKD", CommandMKD, Required, 551, {"Syntax: XMKD <sp> path-name"}}),
      Entry({"XCWD", CommandCWD, Required, 550, {"Syntax: XCWD [ <sp> directory-name ]"}}),
      Entry({"XRMD", CommandRMD, Required, 551, {"Syntax: XRMD <sp> path-name"}}),
      Entry({"XPWD", CommandPWD, Required, 502, {"Syntax: PWD (return current directory)"}}),
      Entry({"XCUP", CommandCDUP, Required, 551, {"Syntax: XCUP (change to parent directory)"}}),
      Formatted(Entry({"FEAT", CommandFEAT, None, 501, {"Syntax: FEAT (returns feature list)"}}), rfIndentMidLines),
      Entry({"OPTS", CommandOPTS, None, 501, {"Syntax: OPTS <sp> command [<sp> options]"}}),
      Entry({"SIZE", CommandSIZE, Required, 550, {"Syntax: SIZE <sp> path-name"}}),
      Entry({"EPSV", CommandEPSV, Required, 501, {"Syntax: EPSV (returns port |||port|)"}}),
      Entry({"EPRT", CommandEPRT, Required, 501, {"Syntax: EPRT <sp> |proto|addr|port|"}}),
      Entry({"MDTM", CommandMDTM, Required, 550, {"Syntax: MDTM <sp> path-name"}}),
      Entry({"AUTH", CommandSecurityNotUnderstood, None, 501, {"Syntax: AUTH <sp> mechanism-name"}}),
      Entry({"PBSZ", CommandSecurityNotUnderstood, None, 501, {"Syntax: PBSZ <sp> protection buffer size"}}),
      Entry({"PROT", CommandPROT, None, 501, {"Syntax: PROT <sp> protection code"}}),
      Entry({"CCC", CommandSecurityNotUnderstood, None, 0, {"Syntax: CCC (clear command channel)"}}),
      Superscripted(Entry({"MIC", CommandSecurityNotUnderstood, None, 0, {"MIC         (integrity protected command); unimplemented."}})),
      Superscripted(Entry({"CONF", CommandSecurityNotUnderstood, None, 0, {"CONF        (confidentiality protected command); unimplemented."}})),
      Superscripted(Entry({"ENC", CommandSecurityNotUnderstood, None, 0, {"ENC         (privacy protected command); unimplemented."}})),
      Entry({"MLSD", CommandMLSD, Required, 550, {"Syntax: MLSD [ <sp> path-name ]"}}),
      Formatted(Entry({"MLST", CommandMLST, Required, 550, {"Syntax: MLST [ <sp> path-name ]"}}), rfIndentMidLines),
      Entry({"MFMT", CommandMFMT, Required, 550, {"Syntax: MFMT [ATime] [Path-name]<CRLF>"}}),
      Entry({"MFCT", CommandMFCT, Required, 550, {"Syntax: MFCT [ATime] [Path-name]"}}),
      Entry({"MFF", CommandMFF, None, 550, {"Syntax: MFF [ mff-facts ] SP path-name"}}),
      Entry({"MD5", CommandMD5, Required, 504, {"Syntax: MD5 [Pathname]"}}),
      Entry({"MMD5", CommandMD5, Required, 504, {"Syntax: MMD5 [Filepath1], [Filepath2] [...]"}}),
      Entry({"XCRC", CommandXCRC, None, 550, {"Syntax: XCRC \"[file-name]\" [start] [finish]"}}),
      Entry({"COMB", CommandCOMB, None, 550, {"Syntax: COMB \"[file-name]\" [start] [finish]"}}),
      WithReply(Entry({"SSCN", CommandSSCN, None, 550, {"Syntax: SSCN [ON|OFF]"}}), 200),
      Entry({"CPSV", CommandCPSV, None, 0, {"Syntax: CPSV (set server in passive mode with SSL Connect)"}}),
      Entry({"XMD5", CommandXCRC, None, 550, {"Syntax: XMD5 \"[filename]\" [start] [finish]"}}),
      Entry({"XSHA1", CommandXCRC, None, 550, {"Syntax: XSHA1 \"[filename]\" [start] [finish]"}}),
      Entry({"AVBL", CommandAVBL, FileAction, 500,
             {"Syntax: AVBL [<sp> dirpath] (returns the number of bytes available for uploading in the directory or current working directory)"}}),
      Entry({"DSIZ", CommandDSIZ, FileAction, 500,
             {"DSIZ [<sp> dirpath] (returns the number of bytes in the directory or current working directory, including sub directories)"}}),
      Entry({"RMDA", CommandRMDA, FileAction, 550, {"RMDA <sp> pathname (deletes (removes) the specified directory and it s contents)"}}),
      WithReply(Entry({"CLNT", nullptr, None, 550, {"Syntax: CLNT<space><clientname>"}}), 200, "Noted."),
      Entry({"SPSV", CommandSPSV, Required, 0, {"Syntax: SPSV (set server in passive mode)"}}),
      Entry({"HOST", CommandHOST, None, 504, {"Syntax: HOST <sp> domain (select a domain prior to logging in)"}}),
      Unimplemented("MLFL", "(mail file)"),
      Unimplemented("MAIL", "(mail to user)"),
      Unimplemented("MSND", "(mail send to terminal)"),
      Unimplemented("MSOM", "(mail send to terminal or mailbox)"),
      Unimplemented("MSAM", "(mail send to terminal and mailbox)"),
      Unimplemented("MRSQ", "(mail recipient scheme question)"),
      Unimplemented("MRCP", "(mail recipient)"),
      WithReply(Entry({"HELP", CommandHELP, None, 0, {"Syntax: HELP [ <sp> <string> ]"}}), 214),
  };
}

std::vector<TIdCommandHandler> SITETable() {
  return {
      Entry({"HELP", CommandSiteHELP, Required, 501, {"Syntax: SITE HELP [ <sp> <string> ]"}}),
      Entry({"ATTRIB", CommandSiteATTRIB, Required, 501, {"Syntax: SITE ATTRIB<SP>Attribs<SP>Filename"}}),
      Entry({"UMASK", CommandSiteUMASK, Required, 501, {"Syntax: SITE UMASK"}}),
      Entry({"CHMOD", CommandSiteCHMOD, Required, 501, {"Syntax: SITE CHMOD<SP>Permission numbers<SP>Filename"}}),
      Entry({"CHOWN", CommandSiteCHOWN, Required, 501, {"Syntax: SITE CHOWN<SP>Owner[:Group]<SP>Filename<CRLF>"}}),
      Entry({"CHGRP", CommandSiteCHGRP, Required, 501, {"Syntax: SITE CHGRP<SP>Group<SP>Filename<CRLF>"}}),
      Entry({"DIRSTYLE", CommandSiteDIRSTYLE, None, 501, {"Syntax: SITE DIRSTYLE (toggle directory format)"}}),
      Entry({"ZONE", CommandSiteZONE, None, 530, {"Syntax: SITE ZONE (returns the server offset from GMT)"}}),
      WithReply(Entry({"UTIME",
                       CommandSiteUTIME,
                       Required,
                       530,
                       {"Syntax:  SITE UTIME <file> <access-time> <modification-time> <creation time>",
                        "         Each timestamp must be in the format YYYYMMDDhhmmss"}}),
                200, "Date/time changed okay."),
  };
}

std::vector<TIdCommandHandler> OPTSTable() {
  return {
      Entry({"MLST", CommandOptsMLST, None, 501, {}}),
      Entry({"MODE Z", CommandOptsModeZ, None, 501, {}}),
      WithReply(Entry({"UTF-8", CommandOptsUTF8, None, 501, {}}), 200),
      WithReply(Entry({"UTF8", CommandOptsUTF8, None, 501, {}}), 200),
  };
}

std::vector<TIdCommandHandler> DataChannelTable() {
  return {
      Entry({"ABOR", CommandABOR, Required, 550, {}}),
      Entry({"STAT", CommandSTAT, None, 450, {}}),
  };
}

}  // namespace

TIdFTPCommandTables BuildCommandTables() {
  return {TIdCommandHandlers(MainTable()), TIdCommandHandlers(SITETable()), TIdCommandHandlers(OPTSTable()),
          TIdCommandHandlers(DataChannelTable())};
}

}  // namespace kobix::ftp
