#pragma once

#include <string>

// What the application services ask of the operating system. Each platform implements it in
// application/platform/<platform>/.
namespace VApplication::Platform {

// The full path of the running program file; empty when it cannot be found.
std::string GetExecutablePath();

// The settings store's database when neither the program nor the environment names one: the machine-wide
// file for an administrator, else one in the user's data folder. Empty when there is no home folder.
std::string GetDefaultRegistryPath();

} // namespace VApplication::Platform
