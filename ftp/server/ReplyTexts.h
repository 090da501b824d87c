#pragma once

#include <string>
#include <string_view>

namespace kobix::ftp {

// The engine's reply texts, named in one place. "%s" and "%d" are filled with Format.

// Shared by many commands
inline constexpr std::string_view RSFTPUserNotLoggedIn = "Not logged in.";
inline constexpr std::string_view RSFTPFileActionNotTaken = "Requested file action not taken.";
inline constexpr std::string_view RSFTPCmdNotImplemented = "\"%s\" Command not implemented.";
inline constexpr std::string_view RSFTPInvalidNumberArgs = "Invalid number of arguments %s";
inline constexpr std::string_view RSFTPParamError = "Error in parameters to %s";
inline constexpr std::string_view RSFTPLocalError = "Requested action aborted: local error in processing.";
inline constexpr std::string_view RSFTPCmdSuccessful = "%s Command successful.";
inline constexpr std::string_view RSFTPFileActionCompleted = "Requested file action okay, completed.";
inline constexpr std::string_view RSFTPFileActionPending = "Requested file action pending further information.";
inline constexpr std::string_view RSFTPIsWorkingDirectory = "\"%s\" is working directory.";

// Login and session
inline constexpr std::string_view RSFTPAnonymousUserOkay = "Anonymous login OK, send e-mail as password.";
inline constexpr std::string_view RSFTPNeedAccountForLogin = "Need account for login.";
inline constexpr std::string_view RSFTPUserOkay = "User name okay, need password.";
inline constexpr std::string_view RSFTPLoginWithUserFirst = "Login with USER first.";
inline constexpr std::string_view RSFTPAnonymousUserLogged = "Anonymous user logged in, proceed.";
inline constexpr std::string_view RSFTPUserLogged = "User logged in, proceed.";
inline constexpr std::string_view RSFTPServiceNotAvailable = "Service not available, closing control connection.";
inline constexpr std::string_view RSFTPServiceReady = "Service ready for new user.";
inline constexpr std::string_view RSFTPGoodbye = "Goodbye.";

// Data connections and transfers
inline constexpr std::string_view RSFTPCantOpenDataConn = "Can't open data connection.";
inline constexpr std::string_view RSFTPDataConnClosedAbnormally = "Data connection closed abnormally.";
inline constexpr std::string_view RSFTPDataConnClosed = "Closing data connection.";
inline constexpr std::string_view RSFTPFileStatusOkay = "File status okay; about to open data connection.";
inline constexpr std::string_view RSFTPDataPortSameIP = "Data port can only be used by the same IP address used by the control connection.";
inline constexpr std::string_view RSFTPCouldNotBind = "Could not bind socket. Address and port are already in use.";

// Informational commands and options
inline constexpr std::string_view RSFTPSystemType = "UNIX Type: L8";
inline constexpr std::string_view RSFTPServerStatus = "System status";
inline constexpr std::string_view RSFTPEndOfStatus = "End of Status";
inline constexpr std::string_view RSFTPOptionNotRecog = "Option not recognized.";
inline constexpr std::string_view RSFTPInvalidOps = "Invalid %s options";
inline constexpr std::string_view RSFTPMLSTOpts = "MLST OPTS %s";
inline constexpr std::string_view RSFTPHelpBegining = "The following commands are recognized (* => unimplemented, + => extension).";
inline constexpr std::string_view RSFTPSITEHelp = "The following SITE commands are supported:";
inline constexpr std::string_view RSFTPUnknownCmd = "Unknown command %s.";
inline constexpr std::string_view RSFTPSiteZonePositive = "UTC+%d";
inline constexpr std::string_view RSFTPSiteZoneNegative = "UTC%d";

// File management
inline constexpr std::string_view RSFTPDateTimeChanged = "Date/time changed okay.";
inline constexpr std::string_view RSFTPCHMODSuccessful = "CHMOD command successful.";
inline constexpr std::string_view RSFTPMFMTReply = "Modify=%s %s";
inline constexpr std::string_view RSFTPMFCTReply = "CreateTime=%s %s";
inline constexpr std::string_view RSFTPMFFModifyFact = "Modify=%s;";
inline constexpr std::string_view RSFTPMFFCreateFact = "Create=%s;";

// Listings
inline constexpr std::string_view RSFTPDataConnList = "Opening ASCII mode data connection for /bin/ls.";
inline constexpr std::string_view RSFTPDataConnNList = "Opening ASCII mode data connection for file list.";
inline constexpr std::string_view RSFTPMLSTBegin = "Begin";
inline constexpr std::string_view RSFTPMLSTEnd = "End";


// Data connection set-up
inline constexpr std::string_view RSFTPNotAllowedAfterEPSVAll = "%s not allowed after EPSV ALL";
inline constexpr std::string_view RSFTPPORTDisabled = "PORT/EPRT Command disabled.";
inline constexpr std::string_view RSFTPPORTRange = "PORT/EPRT Command disabled for reserved port range (1-1024).";
inline constexpr std::string_view RSFTPPassiveMode = "Entering Passive Mode (%s).";
inline constexpr std::string_view RSFTPExtendedPassiveMode = "Entering Extended Passive Mode (%s)";
inline constexpr std::string_view RSFTPNetProtNotSup = "Network protocol not supported, use %s";
inline constexpr std::string_view RSFTPNetProtMismatch = "Network protocol mismatch, use";
inline constexpr std::string_view RSFTPProtNotSup = "Protocol not supported, use";
inline constexpr std::string_view RSFTPInvalidPort = "Invalid port number";
inline constexpr std::string_view RSFTPInvalidIP = "Invalid IP Address";
inline constexpr std::string_view RSFTPEPSVAllEntered = " EPSV ALL sent, now only accepting EPSV connections";
inline constexpr std::string_view RSFTPInvalidPortRange = "Invalid Port Range (%d - %d)";
inline constexpr std::string_view RSFTPCannotBindRange = "Can not bind in port range (%d - %d)";
inline constexpr std::string_view RSFTPDataConnTimeout = "Timed out waiting for the data connection.";

// Transfer commands and parameters
inline constexpr std::string_view RSFTPFileUnique = "FILE: %s";
inline constexpr std::string_view RSFTPCmdNotImplementedParam = "Command not implemented for that parameter.";
inline constexpr std::string_view RSFTPTypeSet = "Type set to %s.";
inline constexpr std::string_view RSFTPStructureSet = "Structure set to %s.";
inline constexpr std::string_view RSFTPModeSet = "Mode set to %s.";
inline constexpr std::string_view RSFTPModeNotImplemented = "Unimplemented mode.";

/// Fills the first "%s" or "%d" of APattern with AValue.
std::string Format(std::string_view APattern, std::string_view AValue);
inline std::string Format(std::string_view APattern, long long AValue) { return Format(APattern, std::to_string(AValue)); }

}  // namespace kobix::ftp
