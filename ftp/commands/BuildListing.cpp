#include "ftp/commands/BuildListing.h"

#include "ftp/listing/ListOutput.h"
#include "ftp/listing/ListSwitches.h"
#include "ftp/server/FTPServer.h"

namespace kobix::ftp {

std::vector<std::string> BuildListing(TIdFTPServerContext& AContext, std::string APath, const std::string& AClientSwitches,
                                      const std::string& ACommandName, bool ALongForm) {
  TIdFTPListOutput listing;
  listing.DirFormat = doUnix;
  listing.Switches = NormaliseListSwitches(AClientSwitches);
  listing.ExportTotalLine = true;
  if (APath.empty() || APath.back() != '/') APath += '/';
  const auto& handler = AContext.FTPServer().OnListDirectory;
  if (handler) handler(AContext, APath, listing, ACommandName, AClientSwitches);

  const TListingClock clock = HostListingClock();
  if (SameTextASCII(ACommandName, "MLSD") || SameTextASCII(ACommandName, "MLST"))
    return listing.MLISTOutputDir(AContext.FMLSOpts, clock);
  if (ALongForm) return listing.LISTOutputDir(clock);
  return listing.NLISTOutputDir(clock);
}

}  // namespace kobix::ftp
