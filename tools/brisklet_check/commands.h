// The commands beside the check: --from-fortune, --preview and --to-utf8,
// their arguments read and handed to their units. Portable: no Win32.
#pragma once

#include <string>
#include <vector>

#include "tools/brisklet_check/cli.h"

// True when args name one of the commands.
bool HasCommand(const std::vector<std::string>& args);

// Runs the command args name. outIsFile is set when out holds a file's
// bytes (a list written to standard output), to be written unchanged.
int RunCommand(const std::vector<std::string>& args, const TCheckSetup& setup, std::string& out, std::string& err,
               bool& outIsFile);
