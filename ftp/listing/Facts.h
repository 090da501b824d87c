#pragma once

#include <cstdint>
#include <initializer_list>

namespace kobix::ftp {

/// The facts an MLST or MLSD line may carry; a session selects a set of them with OPTS MLST.
enum TIdFTPFactOutput : uint8_t {
  ItemType,
  Modify,
  Size,
  Perm,
  Unique,
  UnixMODE,
  UnixOwner,
  UnixGroup,
  CreateTime,
  LastAccessTime,
  WinAttribs,
};

/// A set of facts.
class TIdFTPFactOutputs {
 public:
  constexpr TIdFTPFactOutputs() = default;
  constexpr TIdFTPFactOutputs(std::initializer_list<TIdFTPFactOutput> AFacts) {
    for (auto fact : AFacts) Include(fact);
  }
  constexpr bool Contains(TIdFTPFactOutput AFact) const { return (FBits >> AFact) & 1u; }
  constexpr void Include(TIdFTPFactOutput AFact) { FBits |= 1u << AFact; }
  constexpr void Exclude(TIdFTPFactOutput AFact) { FBits &= ~(1u << AFact); }
  constexpr bool Empty() const { return FBits == 0; }
  friend constexpr bool operator==(TIdFTPFactOutputs, TIdFTPFactOutputs) = default;

 private:
  uint32_t FBits = 0;
};

}  // namespace kobix::ftp
