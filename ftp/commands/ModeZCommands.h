#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Compressed transfer mode options.
void CommandOptsModeZ(TIdCommand& ACommand);

}  // namespace kobix::ftp
