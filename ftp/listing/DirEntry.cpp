#include "ftp/listing/DirEntry.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <numeric>

#include "ftp/listing/Utf8Reader.h"
#include "platform/Collation.h"

namespace kobix::ftp {

namespace {

// Where a name goes before any collation is consulted.
int DotRank(const std::string& AName) {
  if (AName == ".") return 0;
  if (AName == "..") return 1;
  if (!AName.empty() && AName.front() == '.') return 2;
  return 3;
}

}  // namespace

std::string FoldNameCase(const std::string& AName) {
  std::string folded;
  folded.reserve(AName.size());
  size_t pos = 0;
  while (pos < AName.size()) {
    const size_t start = pos;
    char32_t character = 0;
    if (!ReadUtf8Character(AName, pos, character)) {
      folded += AName[start];
    } else if (character < 0x80) {
      folded += static_cast<char>(character >= 'A' && character <= 'Z' ? character + ('a' - 'A') : character);
    } else {
      const auto lower = static_cast<char32_t>(std::towlower(static_cast<wint_t>(character)));
      AppendUtf8Character(folded, lower);
    }
  }
  return folded;
}

TDirEntry::TDirEntry(std::string APathName, const TIdFTPListOutputItem* ADirListItem)
    : FPathName(std::move(APathName)), FDirListItem(ADirListItem) {}

bool TDirEntry::AddFileName(const std::string& AName, const TIdFTPListOutputItem& AItem) {
  if (!FFoldedNames.insert(FoldNameCase(AName)).second) return false;
  FFileList.push_back(TDirEntryName{AName, &AItem});
  return true;
}

TDirEntry* TDirEntry::AddSubDir(const std::string& APathName, const TIdFTPListOutputItem& AItem) {
  if (!FFoldedSubDirs.insert(FoldNameCase(APathName)).second) return nullptr;
  FSubDirs.push_back(std::make_unique<TDirEntry>(APathName, &AItem));
  return FSubDirs.back().get();
}

void TDirEntry::SortAscendFName() {
  // Keys are computed once per name, so the sort compares bytes and never calls the collation;
  // std::stable_sort keeps names with equal keys in the order they were added, as an exchange
  // sort of neighbours would.
  const size_t count = FFileList.size();
  std::vector<int> ranks(count);
  std::vector<std::string> keys(count);
  for (size_t i = 0; i < count; ++i) {
    ranks[i] = DotRank(FFileList[i].FName);
    if (ranks[i] >= 2) keys[i] = platform::CollationKey(FFileList[i].FName);
  }
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    if (ranks[a] != ranks[b]) return ranks[a] < ranks[b];
    return keys[a] < keys[b];
  });
  std::vector<TDirEntryName> sorted;
  sorted.reserve(count);
  for (const uint32_t index : order) sorted.push_back(std::move(FFileList[index]));
  FFileList = std::move(sorted);
}

}  // namespace kobix::ftp
