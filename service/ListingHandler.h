#pragma once

#include <string>

#include "ftp/listing/ListOutput.h"
#include "service/FileHandlers.h"

namespace kobix::service {

/// Fills AListing for LIST, NLST, MLSD, MLST and STAT with a path. APath is the engine's resolved
/// virtual path (ending with "/"); ACommand is the command being served.
///
/// At the virtual root: MLST gets one entry "/" (a directory, dated now, with neither size nor
/// date known); every other command gets one directory per alias, in list order, with the alias
/// folder's size and last-write time, even when that folder is missing or hidden.
/// Below an alias: MLST describes the entry itself (its name as the file system spells it, its
/// size and last-write time). Those two kinds of date are UTC and are given in FModifiedDateGMT. The other commands list a folder's entries in the order the
/// file system gives them, hidden and system entries only when the settings show them, dated in
/// local time at the two-second resolution of file dates; a file is not listed.
///
/// Refuses with kobix::ftp::EIdReplyError(550, "Access denied.") for a path that does not
/// translate or a file given where a folder is listed, and "Not found." for a missing entry.
void ListDirectory(const TFileHandlerSettings& ASettings, const std::string& APath, ftp::TIdFTPListOutput& AListing,
                   const std::string& ACommand);

}  // namespace kobix::service
