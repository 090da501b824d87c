#pragma once

namespace kobix::ftp {

/// Login and data-port security switches. The engine holds one set and every session a copy.
struct TIdFTPSecurityOptions {
  int PasswordAttempts = 3;
  int InvalidPassDelay = 3000;  // milliseconds
  bool RequirePASVFromSameIP = true;
  bool RequirePORTFromSameIP = true;
  bool NoReservedRangePORT = true;
  bool BlockAllPORTTransfers = false;
  bool DisableSTATCommand = false;
  bool DisableSYSTCommand = false;
  bool PermitCCC = false;
};

}  // namespace kobix::ftp
