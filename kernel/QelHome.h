// The home directory of the system: $QEL_HOME when set, else the current
// directory. Configuration and indexes are found below it.
#pragma once

#include <string>

// Absolute or relative path of the home directory, without a trailing slash.
std::string qelHomeDirectory();
// Path of `name` inside the home directory.
std::string qelHomePath(const std::string& name);
// Folder that holds the running program.
std::string qelProgramDirectory();
