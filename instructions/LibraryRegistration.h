#pragma once

namespace VFoundation {
class VString;
}

// What RegisterDLL and UnRegisterDLL share: loading a component library and calling one of its entry
// points, and the log row that tells how it went.
namespace LibraryRegistration {

enum class Outcome { Missing, NoLibrary, NoEntryPoint, Failed, Succeeded };

// Calls entryPoint of the library at path (an existing file); only a result of 0 succeeds.
Outcome Call(const VFoundation::VString& path, const char* entryPoint, bool initializeOle);
// The row of an outcome; its arguments are the instruction's class name and the library path.
const char* RowFormat(Outcome outcome);

} // namespace LibraryRegistration
