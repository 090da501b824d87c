#include "ftp/server/UserManager.h"

#include "ftp/server/Command.h"

namespace kobix::ftp {

size_t TIdUserManager::AddAccount(const TIdUserAccount& AAccount) {
  std::lock_guard lock(FLock);
  FAccounts.push_back(AAccount);
  return FAccounts.size() - 1;
}

TIdUserAccount TIdUserManager::Account(size_t AIndex) const {
  std::lock_guard lock(FLock);
  return FAccounts.at(AIndex);
}

void TIdUserManager::SetAccount(size_t AIndex, const TIdUserAccount& AAccount) {
  std::lock_guard lock(FLock);
  FAccounts.at(AIndex) = AAccount;
}

bool TIdUserManager::AuthenticateUser(const std::string& AUserName, const std::string& APassword) const {
  const auto same = [](bool ACaseSensitive, const std::string& A, const std::string& B) {
    return ACaseSensitive ? A == B : SameTextASCII(A, B);
  };
  std::lock_guard lock(FLock);
  for (const auto& account : FAccounts)
    if (same(CaseSensitiveUsernames, account.UserName, AUserName))
      return same(CaseSensitivePasswords, account.Password, APassword);
  return false;
}

}  // namespace kobix::ftp
