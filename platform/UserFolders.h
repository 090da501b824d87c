#pragma once

#include <string>

namespace kobix::platform {

/// The user's documents folder: $XDG_DOCUMENTS_DIR when set, else $HOME/Documents.
std::string DocumentsFolder();

/// Creates a folder and every missing parent; an existing folder counts as success.
bool ForceDirectories(const std::string& APath);

/// Whether a local folder exists.
bool FolderExists(const std::string& APath);

}  // namespace kobix::platform
