#pragma once

#include "core/appdir.h"
#include "core/result.h"

#include <QString>

#include <string>
#include <vector>

namespace ks {

// settei.dat as a screen reads it: capacity lines from the application directory.
Result<std::vector<std::string>> readSettingsFile(const AppDir &dir, std::size_t capacity);

// What the player is told when settei.dat cannot be used, in one sentence
// that names the file and what is wrong with it.
QString settingsFailureText(const Error &error);

// The same when a new high score could not be stored.
QString settingsWriteFailureText(const Error &error);

} // namespace ks
