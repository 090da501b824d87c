#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace kobix::ftp {

/// One account of the account store.
struct TIdUserAccount {
  std::string UserName;
  std::string Password;
  std::string RealName;
  int Access = 0;
};

/// The account store used for logins. Sessions read it while the owner may rewrite the account, so
/// every access goes through its lock and a check always sees a name and password that belong
/// together.
class TIdUserManager {
 public:
  bool CaseSensitiveUsernames = false;
  bool CaseSensitivePasswords = false;

  /// Appends an account and returns its index.
  size_t AddAccount(const TIdUserAccount& AAccount);
  TIdUserAccount Account(size_t AIndex) const;
  void SetAccount(size_t AIndex, const TIdUserAccount& AAccount);

  /// True when the first account with a matching name has a matching password.
  bool AuthenticateUser(const std::string& AUserName, const std::string& APassword) const;
  /// Told that a user's session ended; nothing to do for this store.
  void UserDisconnected(const std::string&) const {}

 private:
  mutable std::mutex FLock;  // guards FAccounts
  std::vector<TIdUserAccount> FAccounts;
};

}  // namespace kobix::ftp
