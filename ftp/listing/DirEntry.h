#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "ftp/listing/ListItem.h"

namespace kobix::ftp {

/// One name of a directory's listing with the entry that describes it (not owned).
struct TDirEntryName {
  std::string FName;
  const TIdFTPListOutputItem* FItem = nullptr;
};

/// A set of names compared ignoring case (in the form FoldNameCase gives them). The folded texts
/// are kept back to back in one buffer with an open-addressing index over them, so that a folder
/// of many thousands of names costs no allocation per name.
class TFoldedNameSet {
 public:
  void Reserve(size_t ACount);
  /// Adds AName; false when a name equal to it ignoring case is present already.
  bool Insert(std::string_view AName);
  size_t Count() const { return FCount; }

 private:
  struct TSlot {
    size_t Hash = 0;
    size_t Offset = 0;
    size_t Length = SIZE_MAX;  // SIZE_MAX: free
  };
  void Grow(size_t ASlotCount);

  std::string FText;            // every folded name, back to back
  std::vector<TSlot> FSlots;    // a power of two in size, at most half full
  size_t FCount = 0;
  std::string FScratch;         // the folded form of the name being added
};

/// One directory of a listing: the names to show, files and directories in one list, each name
/// at most once ignoring letter case, and the sort that puts them in listing order.
class TDirEntry {
 public:
  /// APathName is empty for the listed directory itself; ADirListItem describes it (not owned).
  explicit TDirEntry(std::string APathName = {}, const TIdFTPListOutputItem* ADirListItem = nullptr);
  TDirEntry(const TDirEntry&) = delete;
  TDirEntry& operator=(const TDirEntry&) = delete;

  /// Adds a name with its entry. A name already present, compared ignoring case, is not added
  /// again: the first one wins and the result is false. Costs a hash lookup, not a scan.
  bool AddFileName(std::string_view AName, const TIdFTPListOutputItem& AItem);
  /// Makes room for ACount names.
  void Reserve(size_t ACount);

  /// Adds a subdirectory for a recursive listing; nullptr when one of that name (ignoring case)
  /// exists already. Listings in this system are never recursive, so this stays unused by them.
  TDirEntry* AddSubDir(const std::string& APathName, const TIdFTPListOutputItem& AItem);

  /// Sorts the names ascending, stable for equal keys: names that begin with "." first, "."
  /// before "..", both before the other dot names; otherwise (and among the other dot names) the
  /// process's collation, case-sensitive (byte order in the "C" locale).
  void SortAscendFName();

  const std::string& PathName() const { return FPathName; }
  const TIdFTPListOutputItem* DirListItem() const { return FDirListItem; }
  const std::vector<TDirEntryName>& FileList() const { return FFileList; }
  const std::vector<std::unique_ptr<TDirEntry>>& SubDirs() const { return FSubDirs; }

 private:
  std::string FPathName;
  const TIdFTPListOutputItem* FDirListItem;
  std::vector<std::unique_ptr<TDirEntry>> FSubDirs;
  std::vector<TDirEntryName> FFileList;
  TFoldedNameSet FFoldedNames;                      // case-folded names of FFileList
  std::unordered_set<std::string> FFoldedSubDirs;   // case-folded names of FSubDirs
};

/// The case-folded form under which two names count as the same name ignoring case: ASCII letters
/// and, for other characters, the host's lower-case mapping. Malformed UTF-8 bytes stay as they are.
std::string FoldNameCase(const std::string& AName);

}  // namespace kobix::ftp
