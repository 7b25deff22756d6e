// The user's Documents folder and the application's resources folder.
#pragma once

#include <quarro/files/filepath.h>

namespace quarro {

/// The user's Documents folder: XDG_DOCUMENTS_DIR from user-dirs.dirs in $XDG_CONFIG_HOME
/// (or ~/.config), else ~/Documents, with the home folder from $HOME or, when that is unset,
/// the password database. Created (with its parents) when missing: a fresh account often has
/// none. Throws err::runtime_error "get_user_documents_path() cannot get the documents path!"
/// when there is no home folder or the folder can't be made. Any thread.
files::filepath get_user_documents_path();

} // namespace quarro

namespace files {

/// The application's resources: ../share/pellaro beside the executable's folder when it is
/// installed, else the folder resources beside the executable (a build tree); the empty
/// filepath when neither exists. Never throws; any thread.
filepath get_resources_path() noexcept;

} // namespace files
