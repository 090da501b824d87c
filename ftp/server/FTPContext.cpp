#include "ftp/server/FTPContext.h"

#include "ftp/data/DataChannel.h"
#include "ftp/server/FTPServer.h"

namespace kobix::ftp {

TIdFTPServerContext::TIdFTPServerContext(TIdFTPServer& AServer, platform::TSocket ASocket)
    : TIdContext(AServer, std::move(ASocket)), FServer(&AServer), FUserSecurity(AServer.FTPSecurityOptions) {}

TIdFTPServerContext::~TIdFTPServerContext() { DropDataChannel(); }

void TIdFTPServerContext::ReInitialize() {
  FUserType = utNone;
  FAuthenticated = false;
  FALLOSize = 0;
  FCurrentDir = "/";
  FHomeDir.clear();
  FHost.clear();
  FUsername.clear();
  FPassword.clear();
  FRNFR.clear();
  FRESTPos = 0;
  FNLSTUtf8 = false;
  FDataType = ftASCII;
  FDataPort = 0;
  FDataStruct = dsFile;
  FPASV = false;
  FEPSVAll = false;
  FDataProtection = ftpdpsClear;
  FDataPBSZCalled = false;
  FDataProtBufSize = 0;
}

void TIdFTPServerContext::SetDataChannel(std::unique_ptr<TIdDataChannel> AChannel) {
  DropDataChannel();
  std::lock_guard lock(FDataChannelLock);
  FDataChannel = std::move(AChannel);
}

void TIdFTPServerContext::DropDataChannel() {
  std::unique_ptr<TIdDataChannel> channel;
  {
    std::lock_guard lock(FDataChannelLock);
    channel = std::move(FDataChannel);
  }
  if (channel && !channel->Stopped()) channel->Stop();
}

void TIdFTPServerContext::StopDataChannel() {
  std::lock_guard lock(FDataChannelLock);
  if (FDataChannel && !FDataChannel->Stopped()) FDataChannel->Stop();
}

}  // namespace kobix::ftp
