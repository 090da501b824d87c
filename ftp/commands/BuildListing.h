#pragma once

#include <string>
#include <vector>

namespace kobix::ftp {

class TIdFTPServerContext;

/// The listing lines (UTF-8, no CR LF) of one directory for one command. APath is the processed
/// virtual path ("/" is appended unless it ends with one); AClientSwitches is the switches word
/// the client sent ("-la"), of which only l, a and T count; ACommandName is LIST, NLST, MLSD,
/// MLST or STAT. MLSD and MLST give fact lines of the session's fact selection; otherwise
/// ALongForm selects the long form (LIST, STAT) and its absence the names form (NLST, which
/// still gives the long form with "l"). The facade's listing handler fills the entries; its
/// refusal leaves this function as it was raised. Without a handler the listing is empty.
std::vector<std::string> BuildListing(TIdFTPServerContext& AContext, std::string APath, const std::string& AClientSwitches,
                                      const std::string& ACommandName, bool ALongForm);

}  // namespace kobix::ftp
