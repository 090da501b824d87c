#pragma once

#include <string>
#include <vector>

namespace kobix::platform {

/// The machine's own IPv4 addresses in dotted form, loopback excluded.
std::vector<std::string> LocalIPv4Addresses();

}  // namespace kobix::platform
