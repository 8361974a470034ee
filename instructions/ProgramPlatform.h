#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the program, library and shortcut instructions ask of the operating system. Each platform
// implements it in instructions/platform/<platform>/. Paths are NUL-terminated 8-bit strings in the
// native form. None of these functions logs; the instructions write their own rows.
namespace ProgramPlatform {

// Starts program with arguments (each one argument of the program, passed as it is; no shell reads
// them). With wait the call blocks, without a time limit, until the program ends; its exit code is not
// looked at. True when the program started and, with wait, when the wait succeeded. A program started
// without wait runs on by itself; the platform reaps it when it ends.
bool StartProgram(const char* program, const std::vector<std::string>& arguments, bool wait);

// The URL under which the desktop opens the folder at path.
std::string FolderURL(const char* path);

// Opens target (a path or a URL) with the program the desktop associates with it. Returns the shell's
// result code: above 31 when the target was handed over, otherwise an error code of the shell (2 file not
// found, 3 path not found, 5 access denied, 8 out of memory, 31 no associated program, ...) or 0.
int OpenWithDesktop(const char* target);

// Readies the calling thread for component libraries and shell links (COM and OLE where they exist;
// nothing elsewhere). Never undone.
void InitializeComponents();
void InitializeOle();

enum class LibraryCallResult { Called, NoLibrary, NoEntryPoint };

// Loads the library at path, calls its entry point entryName (no arguments, a 32-bit status result: 0 for
// success) and unloads it.
LibraryCallResult CallLibraryEntryPoint(const char* path, const char* entryName, int32_t& result);

// The stages at which making a shortcut can fail, in the order they are passed.
enum class ShortcutResult {
    Created,
    LinkObjectFailed, // the shell link object could not be made
    NoLinkObject,     // it was made but none came back
    PersistFailed,    // the link cannot be saved as a file
    NoPersistFile,    // it can, but no file interface came back
    PathConversionFailed,
    SaveFailed
};

// Makes the shortcut file at shortcutPath (used as given: no extension is added; its folder must exist)
// that starts or opens target in workingFolder, with description as its comment. An existing file there
// is replaced.
ShortcutResult CreateShortcut(const char* shortcutPath, const char* target, const char* workingFolder,
                              const char* description);

} // namespace ProgramPlatform
