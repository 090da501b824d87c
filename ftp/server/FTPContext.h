#pragma once

#include "ftp/listing/Facts.h"
#include "ftp/server/CustomTCPServer.h"
#include "ftp/server/SecurityOptions.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace kobix::ftp {

class TIdFTPServer;
class TIdDataChannel;

enum TIdFTPUserType { utNone, utAnonymousUser, utNormalUser };
enum TIdFTPTransferType { ftASCII, ftBinary };
enum TIdFTPTransferMode { dmStream, dmDeflate };
enum TIdFTPDataStructure { dsFile, dsRecord, dsPage };
enum TIdFTPDataPortSecurity { ftpdpsClear, ftpdpsPrivate };

/// The FTP session record of one control connection. Only its own session thread reads and writes
/// it; the engine's stop reaches the data channel through FDataChannelLock.
class TIdFTPServerContext : public TIdContext {
 public:
  TIdFTPServerContext(TIdFTPServer& AServer, platform::TSocket ASocket);
  ~TIdFTPServerContext() override;

  TIdFTPServer& FTPServer() { return *FServer; }

  /// Resets the session as REIN does.
  void ReInitialize();

  /// Replaces the data channel (the old one, if any, is stopped and destroyed first).
  void SetDataChannel(std::unique_ptr<TIdDataChannel> AChannel);
  /// Stops and destroys the data channel, if any.
  void DropDataChannel();
  /// Stops the data channel without destroying it; safe from the engine's stopping thread.
  void StopDataChannel();

  TIdFTPUserType FUserType = utNone;
  bool FAuthenticated = false;
  int32_t FALLOSize = 0;
  std::string FCurrentDir = "/";
  std::string FHomeDir;
  std::string FHost;
  std::string FUsername;
  std::string FPassword;
  int64_t FRESTPos = 0;  // 64 bits: files beyond 2 GiB resume at their true offset
  std::string FRNFR;
  bool FNLSTUtf8 = false;
  std::unique_ptr<TIdDataChannel> FDataChannel;
  std::string FAuthMechanism;
  bool FCCC = false;
  TIdFTPTransferType FDataType = ftASCII;
  TIdFTPTransferMode FDataMode = dmStream;
  uint16_t FDataPort = 0;
  uint32_t FDataProtBufSize = 0;
  TIdFTPDataStructure FDataStruct = dsFile;
  int FPasswordAttempts = 0;
  bool FPASV = false;
  bool FEPSVAll = false;
  bool FDataPortDenied = false;
  TIdFTPDataPortSecurity FDataProtection = ftpdpsClear;
  bool FDataPBSZCalled = false;
  TIdFTPFactOutputs FMLSOpts{ItemType, Modify, Size};
  bool FSSCNOn = false;
  TIdFTPServer* FServer;
  TIdFTPSecurityOptions FUserSecurity;
  int FUMask = 22;
  bool FMSDOSMode = false;
  int FZLibCompressionLevel = 7;
  int FZLibWindowBits = 15;
  int FZLibMemLevel = 8;
  int FZLibStratagy = 0;

 private:
  std::mutex FDataChannelLock;  // guards FDataChannel against the engine's stop
};

}  // namespace kobix::ftp
