#include "ftp/listing/ListOutput.h"

#include "ftp/listing/DirEntry.h"
#include "ftp/listing/FactListFormat.h"
#include "ftp/listing/LongListFormat.h"

namespace kobix::ftp {

TIdFTPListOutputItem& TIdFTPListOutput::Add() { return FItems.Add(); }

std::vector<std::string> TIdFTPListOutput::LISTOutputDir(const TListingClock& AClock) const {
  return DirectoryLines(true, AClock);
}

std::vector<std::string> TIdFTPListOutput::NLISTOutputDir(const TListingClock& AClock) const {
  return DirectoryLines(Switches.find('l') != std::string::npos, AClock);
}

std::vector<std::string> TIdFTPListOutput::MLISTOutputDir(TIdFTPFactOutputs AFacts, const TListingClock& AClock) const {
  std::vector<std::string> lines;
  lines.reserve(FItems.size());
  for (const TIdFTPListOutputItem& item : FItems) {
    std::string& line = lines.emplace_back();
    line.reserve(48 + item.FFileName.size());
    AppendFactLine(line, item, AFacts, AClock);
  }
  return lines;
}

std::vector<std::string> TIdFTPListOutput::DirectoryLines(bool ALongForm, const TListingClock& AClock) const {
  // Directories first, then files, each group in the order the handler added them; the first of
  // several names that differ only in case wins. "." and ".." only with the "a" switch. Other
  // kinds of entry (devices, pipes, sockets) are never listed.
  const bool showDotEntries = Switches.find('a') != std::string::npos;
  TDirEntry directory;
  directory.Reserve(FItems.size());
  const auto addGroup = [&](bool (*AInGroup)(TIdDirItemType)) {
    for (const TIdFTPListOutputItem& item : FItems) {
      if (!AInGroup(item.FItemType)) continue;
      const std::string_view name = ShownNameView(item.FFileName);
      if ((name == "." || name == "..") && !showDotEntries) continue;
      directory.AddFileName(name, item);
    }
  };
  addGroup([](TIdDirItemType AType) { return IsDirectoryItem(AType); });
  addGroup([](TIdDirItemType AType) { return IsFileItem(AType); });
  directory.SortAscendFName();

  std::vector<std::string> lines;
  lines.reserve(directory.FileList().size() + 1);
  if (!ALongForm) {
    for (const TDirEntryName& entry : directory.FileList()) lines.push_back(entry.FName);
    return lines;
  }
  if (ExportTotalLine) {
    int64_t blocks = 0;
    for (const TDirEntryName& entry : directory.FileList()) blocks += entry.FItem->FNumberBlocks;
    lines.push_back("total " + std::to_string(blocks));
  }
  const TLongListFormatter formatter(AClock, Switches.find('T') != std::string::npos);
  for (const TDirEntryName& entry : directory.FileList()) {
    std::string& line = lines.emplace_back();
    line.reserve(64 + entry.FName.size());  // the columns before the name take 56 with the plain date
    formatter.AppendLine(line, *entry.FItem, entry.FName);
  }
  return lines;
}

}  // namespace kobix::ftp
