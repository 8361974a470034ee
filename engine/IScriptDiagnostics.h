#pragma once

#include <cstdint>
#include <string>

namespace VFoundation {
class VException;
class VObject;
} // namespace VFoundation

// Told by CInstallScript::Parse what it makes of each line of a script file. Every line number is the
// physical line of the file, counted from 1 (blank and comment lines count). With a sink set, Parse
// accepts exactly what it accepts without one, but a script error no longer ends it: the error is
// reported and the parse goes on as if the offending line were absent (a tag out of order is read as if
// the order were right), so that one parse finds every error. Calls come on the thread that parses, in
// line order, except that the cut lines are all reported first, while the file is read.
class IScriptDiagnostics {
public:
    // What a line made, or what body it belongs to.
    enum class LineKind {
        Tag,         // one of the tag lines; text is the tag
        Variable,    // a "{Variables}" or "{GlobalSetup}" line; made is the declared CInstallerVariable or
                     // null for a global setting the parser ignores
        Page,        // made is the CInstallerPage
        BlockLine,   // a "!" line of the page body
        Section,     // a section header; made is the CInstallerSection, null when the header was refused
        Instruction, // made is the IInstallerInstruction of the pre-run list or the last section read
        Exclusive,   // made is the VString appended to the exclusive list
    };
    // Why the parser dropped a line without a word.
    enum class DropReason {
        OutsideTag,       // a kept line that belongs to no body
        PageWithoutComma, // a page line without a comma
        UnknownBlock,     // a "!" line other than !WIN32, !MACOSX and !end (it still opens a block)
        NoInstruction,    // a section or pre-run line that made no instruction
        CutLine,          // the line was longer than the line limit; the rest was dropped (the line itself
                          // is read and reported again as whatever it makes)
    };

    virtual ~IScriptDiagnostics() = default;

    virtual void LineRead(uint32_t line, LineKind kind, const std::string& text,
                          VFoundation::VObject* made) = 0;
    virtual void LineDropped(uint32_t line, DropReason reason, const std::string& text) = 0;
    // An exception the parse would have ended with.
    virtual void ScriptError(uint32_t line, const VFoundation::VException& error) = 0;
    // Parse returns false: the file is no install script (a missing or wrong header, for instance).
    virtual void ScriptRefused(uint32_t line, const char* reason) = 0;
};
