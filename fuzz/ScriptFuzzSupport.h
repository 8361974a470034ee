#pragma once

#include <filesystem>

namespace KisFuzz {

// Starts the foundation (quietly) and the application services, points every built-in folder that
// could reach the settings store at a fixed path, and returns the folder for the run's scratch files
// (/dev/shm where there is one: scripts are written once per input).
std::filesystem::path StartScriptFuzzing();

} // namespace KisFuzz
