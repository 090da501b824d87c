#pragma once

#include <string>

#include "ftp/listing/Facts.h"
#include "ftp/listing/ListItem.h"
#include "ftp/listing/ListingClock.h"

namespace kobix::ftp {

/// A UTC time as the "modify" fact writes it: YYYYMMDDHHMMSS, followed by "." and three digits
/// only when the milliseconds are not zero.
std::string FormatFactTime(platform::TDateTime AUTC);
void AppendFactTime(std::string& AText, platform::TDateTime AUTC);

/// The UTC time of an entry's last change: FModifiedDateGMT when set, else FModifiedDate moved
/// back by the local offset from UTC.
platform::TDateTime FactTimeOf(const TIdFTPListOutputItem& AItem, const TListingClock& AClock);

/// One MLSD/MLST fact line: the selected facts in the order size, type, modify, each followed by
/// ";" (size only when FSizeAvail, modify only when FModifiedAvail), then one blank and FFileName
/// as it stands, for example "size=1234;type=file;modify=20260105044500; a.txt". With an empty
/// selection the line is the name alone. Facts this system cannot select never appear.
std::string FormatFactLine(const TIdFTPListOutputItem& AItem, TIdFTPFactOutputs AFacts, const TListingClock& AClock);
/// The same line appended to ALine.
void AppendFactLine(std::string& ALine, const TIdFTPListOutputItem& AItem, TIdFTPFactOutputs AFacts, const TListingClock& AClock);

}  // namespace kobix::ftp
