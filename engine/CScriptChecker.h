#pragma once

#include "engine/IScriptDiagnostics.h"
#include "foundation/VRef.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

class CInstallScript;

// Checks an install script without running it: the parser reads it with a diagnostics sink, so the
// checker sees exactly what a start of the installer would make of each line, and then the model is
// checked as a whole (pages, sections, variables, the medium's files). Nothing is executed, shown or
// written. Every problem is kept with the file line it belongs to.
class CScriptChecker : private IScriptDiagnostics {
public:
    enum class Severity { Warning, Error };
    struct Diagnostic {
        uint32_t line;
        Severity severity;
        std::string text;
    };

    // mediumFolder is the folder that $CWD_FOLDER$ names while the script is checked.
    CScriptChecker(std::string scriptPath, std::string mediumFolder);
    ~CScriptChecker() override;

    // Reads and checks the script. False when it cannot be read at all (missing, unreadable, or the
    // built-in folders cannot be had); a script that is read but refused is checked, with an error.
    bool Check();
    // The problems found, in line order (problems of one line in the order they were found).
    const std::vector<Diagnostic>& GetDiagnostics() const { return m_diagnostics; }
    // Writes one "PATH:LINE: error|warning: TEXT" line per problem and the summary line. Returns the
    // exit code: 1 when there is an error (or, with warningsAsErrors, a warning), else 0.
    int Print(std::FILE* out, bool warningsAsErrors) const;

    // The medium of a script file given by name: the folder above its "Installer" folder, else its own.
    static std::string MediumOf(const std::string& scriptPath);
    // The whole check mode: checks the script, prints to out, returns 0, 1, or 255 when the script
    // cannot be read.
    static int Run(const std::string& scriptPath, const std::string& mediumFolder, bool warningsAsErrors,
                   std::FILE* out);

private:
    struct InstructionLine {
        uint32_t line;
        std::string text;
    };
    // The pre-run list or one section block, as read.
    struct Block {
        uint32_t line = 0; // 0 for the pre-run list
        bool runs = true;  // false for a Mac section and a refused header
        std::vector<InstructionLine> instructions;
        // Conditional statements: index in the block, line, largest step.
        struct Jump {
            size_t index;
            uint32_t line;
            int32_t steps;
        };
        std::vector<Jump> jumps;
    };
    struct PageLine {
        uint32_t line;
        std::string type;
        std::string argument;
    };
    struct NamedLine {
        uint32_t line;
        std::string name;
    };

    void LineRead(uint32_t line, LineKind kind, const std::string& text, VFoundation::VObject* made) override;
    void LineDropped(uint32_t line, DropReason reason, const std::string& text) override;
    void ScriptError(uint32_t line, const VFoundation::VException& error) override;
    void ScriptRefused(uint32_t line, const char* reason) override;

    void Add(uint32_t line, Severity severity, std::string text);
    void ReadInstruction(uint32_t line, const std::string& text, VFoundation::VObject* made);
    void DropInstruction(uint32_t line, const std::string& text);
    void CheckGlobals();
    void CheckPages();
    void CheckBlocks();
    void CheckSections();
    void CheckVariables();
    enum class PathKind { File, Folder, Either };
    // A path argument: expanded as at run time; a missing file or folder is reported when the path lies
    // in the medium (or, with always set, wherever an absolute path points).
    void CheckMediumPath(uint32_t line, const std::string& argument, const char* what, PathKind kind,
                         bool always = false);
    bool IsDeclared(const std::string& name) const;
    // The line of the first such tag, else 1.
    uint32_t TagLine(const char* tag) const;

    std::string m_scriptPath;
    std::string m_mediumFolder;
    VFoundation::VRef<CInstallScript> m_scriptHolder;
    CInstallScript* m_script = nullptr;
    std::vector<Diagnostic> m_diagnostics;

    std::string m_tag;
    std::map<std::string, uint32_t> m_tagLines; // the first line of each tag
    std::vector<Block> m_blocks;
    int m_block = -1;       // the block that instructions go to, -1 for none
    int m_preRunBlock = -1; // the one pre-run list, however many tags add to it
    std::vector<PageLine> m_pages;
    std::vector<NamedLine> m_sections; // the sections that run, in order
    std::vector<NamedLine> m_exclusive;
    std::map<std::string, uint32_t> m_declared; // script variables and their first line
    std::vector<NamedLine> m_scriptVariables;   // "{Variables}" declarations, for the unused check
    std::vector<std::pair<uint32_t, std::string>> m_expandedTexts; // texts whose $NAME$ are expanded
    std::set<std::string> m_namedVariables; // variables named without "$" (install location, registry reads)
};
