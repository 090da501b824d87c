#pragma once

#include "common/FtpTestClient.h"
#include "ftp/server/FTPServer.h"

#include <atomic>
#include <memory>
#include <string>

namespace kobix::test {

/// An engine listening on 127.0.0.1 with a free port and one account, "user" / "secret".
class TEngineFixture {
 public:
  TEngineFixture() {
    FAccounts.AddAccount({"user", "secret", "", 0});
    FServer.UserAccounts = &FAccounts;
    FServer.Bindings().push_back({"127.0.0.1", 0, platform::TIPVersion::IPv4});
    FServer.OnConnect = [this](ftp::TIdContext&) { ++Connects; };
    FServer.OnDisconnect = [this](ftp::TIdContext&) { ++Disconnects; };
  }

  ftp::TIdFTPServer& Server() { return FServer; }
  void Start() { FServer.SetActive(true); }
  uint16_t Port() const { return FServer.BoundPort(); }

  std::unique_ptr<TFtpTestClient> Connect() {
    auto client = std::make_unique<TFtpTestClient>(Port());
    client->ReadReply();  // the greeting
    return client;
  }

  std::unique_ptr<TFtpTestClient> LoggedIn() {
    auto client = Connect();
    client->Command("USER user");
    client->Command("PASS secret");
    return client;
  }

  std::atomic<int> Connects{0}, Disconnects{0};

 private:
  ftp::TIdUserManager FAccounts;
  ftp::TIdFTPServer FServer;  // last: stopped and joined before the accounts go
};

}  // namespace kobix::test
