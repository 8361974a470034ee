#pragma once

#include <cstdint>

namespace KisFuzz {

// Starts the foundation library once and replaces its log with one that drops every line, so that the
// readers' diagnostics do not slow the run down.
void StartQuietFoundation();

// Every pixel read goes here so that the reads are not optimised away.
extern volatile uint32_t g_sink;

} // namespace KisFuzz
