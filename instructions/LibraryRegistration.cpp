#include "instructions/LibraryRegistration.h"

#include "foundation/VFileManager.h"
#include "foundation/VString.h"
#include "instructions/ProgramPlatform.h"

#include <cstdint>

namespace LibraryRegistration {

Outcome Call(const VFoundation::VString& path, const char* entryPoint, bool initializeOle) {
    if (!VFoundation::VFileManager::Instance()->FileExistsAtPath(path.GetText())) return Outcome::Missing;
    if (initializeOle) ProgramPlatform::InitializeOle();
    int32_t result = -1;
    switch (ProgramPlatform::CallLibraryEntryPoint(path.GetText(), entryPoint, result)) {
    case ProgramPlatform::LibraryCallResult::NoLibrary:
        return Outcome::NoLibrary;
    case ProgramPlatform::LibraryCallResult::NoEntryPoint:
        return Outcome::NoEntryPoint;
    case ProgramPlatform::LibraryCallResult::Called:
        break;
    }
    return result == 0 ? Outcome::Succeeded : Outcome::Failed;
}

const char* RowFormat(Outcome outcome) {
    switch (outcome) {
    case Outcome::Missing:
        return "%s. Dll at path = %s doesnt exist";
    case Outcome::NoLibrary:
        return "%s. Failed to aquire library handle";
    // Both instructions name the register entry point here, whichever they looked for.
    case Outcome::NoEntryPoint:
        return "%s. Failed to aquire DllRegisterServer handle";
    case Outcome::Failed:
        return "%s. Failed to Registered DLL";
    case Outcome::Succeeded:
        return "%s. Registered DLL";
    }
    return "%s";
}

} // namespace LibraryRegistration
