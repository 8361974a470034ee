#pragma once

#include <cstdint>

namespace VFoundation {

class VObjectArray;

// Starts the library: enables logging, makes the class records in a fixed order, installs the XML
// document factory and reads the processor features and logical drives. Counted: only the first call
// acts.
void InitializeLibrary();
// Stops the library in stages; only the call that brings the count below 1 acts. With full set it also
// tears the class registry down and shuts the string pool down.
void UninitilizeLibrary(bool full);
bool IsLibraryInitialized();
int GetInitializationCount();

// Writes the class table (and the pool table when a listed class has a pool) through LogPrintf.
void PrintMemoryReport(bool onlyExisting);

// Shows a formatted text (at most 1023 characters) in a modal alert with an OK button. The foundation has
// no window of its own: it calls the alert handler that the application services install, and writes to
// the standard error stream until one is installed. Returns the handler's result (1 for OK).
int Alert(const char* format, ...) __attribute__((format(printf, 1, 2)));
using AlertHandler = int (*)(const char* text);
// Installs handler (nullptr restores the standard error stream) and returns the previous one.
AlertHandler SetAlertHandler(AlertHandler handler);

// Processor features recorded at start (CPUID leaf 1).
enum class CpuFeature { FPU, MMX, SSE, SSE2, HTT, SSE3, TM2 };
bool HasCpuFeature(CpuFeature feature);

// The machine's logical drive roots as found at start: strings in an array the library keeps.
VObjectArray* GetLogicalDrives();

} // namespace VFoundation
