#include "ftp/listing/DirEntry.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <numeric>

#include "ftp/server/Utf8.h"
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

void TFoldedNameSet::Reserve(size_t ACount) {
  size_t slots = 16;
  while (slots < 2 * ACount) slots *= 2;
  if (slots > FSlots.size()) Grow(slots);
}

void TFoldedNameSet::Grow(size_t ASlotCount) {
  std::vector<TSlot> old = std::move(FSlots);
  FSlots.assign(ASlotCount, TSlot{});
  const size_t mask = ASlotCount - 1;
  for (const TSlot& slot : old) {
    if (slot.Length == SIZE_MAX) continue;
    size_t index = slot.Hash & mask;
    while (FSlots[index].Length != SIZE_MAX) index = (index + 1) & mask;
    FSlots[index] = slot;
  }
}

bool TFoldedNameSet::Insert(std::string_view AName) {
  // ASCII names, nearly all of them, fold here; the others through the host's lower-case mapping.
  FScratch.clear();
  bool ascii = true;
  for (const char c : AName) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    FScratch += c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
  }
  if (!ascii) FScratch = FoldNameCase(std::string(AName));

  if (2 * (FCount + 1) > FSlots.size()) Grow(FSlots.empty() ? 16 : FSlots.size() * 2);
  const size_t hash = std::hash<std::string_view>{}(FScratch);
  const size_t mask = FSlots.size() - 1;
  size_t index = hash & mask;
  while (FSlots[index].Length != SIZE_MAX) {
    const TSlot& slot = FSlots[index];
    if (slot.Hash == hash && std::string_view(FText).substr(slot.Offset, slot.Length) == FScratch) return false;
    index = (index + 1) & mask;
  }
  FSlots[index] = TSlot{hash, FText.size(), FScratch.size()};
  FText += FScratch;
  ++FCount;
  return true;
}

TDirEntry::TDirEntry(std::string APathName, const TIdFTPListOutputItem* ADirListItem)
    : FPathName(std::move(APathName)), FDirListItem(ADirListItem) {}

void TDirEntry::Reserve(size_t ACount) {
  FFileList.reserve(ACount);
  FFoldedNames.Reserve(ACount);
}

bool TDirEntry::AddFileName(std::string_view AName, const TIdFTPListOutputItem& AItem) {
  if (!FFoldedNames.Insert(AName)) return false;
  FFileList.push_back(TDirEntryName{std::string(AName), &AItem});
  return true;
}

TDirEntry* TDirEntry::AddSubDir(const std::string& APathName, const TIdFTPListOutputItem& AItem) {
  if (!FFoldedSubDirs.insert(FoldNameCase(APathName)).second) return nullptr;
  FSubDirs.push_back(std::make_unique<TDirEntry>(APathName, &AItem));
  return FSubDirs.back().get();
}

void TDirEntry::SortAscendFName() {
  // Keys are computed once per name, so the sort compares bytes and never calls the collation;
  // the first eight bytes of each key, read as one big-endian number, settle most comparisons.
  // std::stable_sort keeps names with equal keys in the order they were added, as an exchange
  // sort of neighbours would.
  struct TKey {
    int Rank;
    uint64_t Prefix;
    std::string Text;
  };
  const size_t count = FFileList.size();
  std::vector<TKey> keys(count);
  for (size_t i = 0; i < count; ++i) {
    TKey& key = keys[i];
    key.Rank = DotRank(FFileList[i].FName);
    if (key.Rank < 2) continue;
    key.Text = platform::CollationKey(FFileList[i].FName);
    key.Prefix = 0;
    for (size_t k = 0; k < 8; ++k)
      key.Prefix = (key.Prefix << 8) | (k < key.Text.size() ? static_cast<unsigned char>(key.Text[k]) : 0u);
  }
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    const TKey& x = keys[a];
    const TKey& y = keys[b];
    if (x.Rank != y.Rank) return x.Rank < y.Rank;
    if (x.Prefix != y.Prefix) return x.Prefix < y.Prefix;
    return x.Text < y.Text;
  });
  std::vector<TDirEntryName> sorted;
  sorted.reserve(count);
  for (const uint32_t index : order) sorted.push_back(std::move(FFileList[index]));
  FFileList = std::move(sorted);
}

}  // namespace kobix::ftp
