#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ftp/listing/Facts.h"
#include "ftp/listing/ListItem.h"
#include "ftp/listing/ListItemStore.h"
#include "ftp/listing/ListingClock.h"

namespace kobix::ftp {

/// The listing styles the builder knows. Only the Unix style is produced; the others are accepted
/// and formatted as Unix too, since no part of this system selects them.
enum TIdDirOutputFormat : uint8_t { doUnix, doWin32, doEPLF };

/// The listing of one directory for one command: the listing handler adds the entries, then the
/// engine asks for the lines of the form the command needs. Lines are UTF-8 text without CR LF;
/// EncodeListingLine turns them into the bytes that go out.
class TIdFTPListOutput {
 public:
  /// Appends a new entry with every field at its default and returns it. References to entries
  /// stay valid while more entries are added.
  TIdFTPListOutputItem& Add();

  size_t Count() const { return FItems.size(); }
  TIdFTPListOutputItem& operator[](size_t AIndex) { return FItems[AIndex]; }
  const TIdFTPListOutputItem& operator[](size_t AIndex) const { return FItems[AIndex]; }
  TListItemStore::const_iterator begin() const { return FItems.begin(); }
  TListItemStore::const_iterator end() const { return FItems.end(); }

  /// LIST and STAT: the long form, preceded by "total %d" when ExportTotalLine is set.
  std::vector<std::string> LISTOutputDir(const TListingClock& AClock) const;
  /// NLST: the names form, or the long form when Switches holds "l".
  std::vector<std::string> NLISTOutputDir(const TListingClock& AClock) const;
  /// MLSD and MLST: one fact line per entry, in the order the entries were added, "." and ".."
  /// and names that differ only in case included.
  std::vector<std::string> MLISTOutputDir(TIdFTPFactOutputs AFacts, const TListingClock& AClock) const;

  std::string Switches;  // listing letters in force: some of "l", "a", "T" in that order
  std::string Output;    // unused here
  TIdDirOutputFormat DirFormat = doUnix;
  bool ExportTotalLine = false;  // the engine sets it for every listing

 private:
  std::vector<std::string> DirectoryLines(bool ALongForm, const TListingClock& AClock) const;

  TListItemStore FItems;
};

}  // namespace kobix::ftp
