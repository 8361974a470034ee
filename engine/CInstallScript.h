#pragma once

#include "engine/CInstallerPage.h"
#include "engine/CInstallerSection.h"
#include "engine/CInstallerVariable.h"
#include "engine/IInstallerInstruction.h"
#include "engine/IScriptDiagnostics.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VString.h"

#include <string>
#include <vector>

// The in-memory install script. It is itself the variable list and holds the pages, the sections, the
// pre-run instructions and the exclusive names, all in script order. The entry creates it, parses the
// script file into it on the user-interface thread and destroys it after the message loop. While the
// installer thread runs, nothing changes the lists; the thread only reads them and expands variables.
class CInstallScript : public VFoundation::VObjectArrayTmpl<CInstallerVariable> {
public:
    static constexpr uint32_t kMaxLineLength = 2047;
    // Expansion stops after this many rounds, leaving the rest unexpanded (a value that refers to
    // itself would otherwise expand for ever).
    static constexpr int kMaxExpansionRounds = 1000;
    // Nor may a text grow past this length (a value holding two references to itself doubles it).
    static constexpr size_t kMaxExpandedLength = 65536;

    // Declares the built-in folder variables (which may throw VException) and, when a user name is
    // given, UNAME.
    explicit CInstallScript(const char* userName = nullptr);
    ~CInstallScript() override;

    bool Parse(const char* path);
    // With a sink, Parse reports what it reads, drops and refuses, and goes on after a script error
    // (see IScriptDiagnostics). The sink is not owned and must outlive every Parse.
    void SetDiagnostics(IScriptDiagnostics* diagnostics) { m_diagnostics = diagnostics; }
    // The file line (from 1) of the script error or refused header that the last Parse met; 0 when it
    // met none.
    uint32_t GetFailureLine() const { return m_failureLine; }
    CInstallerVariable* FindVariable(const char* name) const;
    void ExpandVariables(VFoundation::VString& text) const;
    // True when text still holds a variable reference ($NAME$: a name without '$' or a path separator
    // between two '$') after expansion, as an undeclared or self-referring variable leaves it; name is
    // that name.
    static bool FindUnexpandedVariable(const VFoundation::VString& text, VFoundation::VString& name);
    void RunPreRun();

    // Appends a variable (the first declaration of a name wins in lookups).
    void DeclareVariable(const char* name, const char* value);
    // Sets a variable's value, declaring it when it does not exist.
    void SetVariable(const char* name, const char* value);

    VFoundation::VObjectArrayTmpl<CInstallerVariable>& GetVariables() { return *this; }
    const VFoundation::VObjectArrayTmpl<CInstallerVariable>& GetVariables() const { return *this; }
    VFoundation::VObjectArrayTmpl<CInstallerPage>& GetPages() { return *m_pages; }
    const VFoundation::VObjectArrayTmpl<CInstallerPage>& GetPages() const { return *m_pages; }
    VFoundation::VObjectArrayTmpl<CInstallerSection>& GetSections() { return *m_sections; }
    const VFoundation::VObjectArrayTmpl<CInstallerSection>& GetSections() const { return *m_sections; }
    VFoundation::VObjectArrayTmpl<IInstallerInstruction>& GetPreRunInstructions() { return *m_preRun; }
    VFoundation::VObjectArrayTmpl<VFoundation::VString>& GetExclusiveNames() { return *m_exclusive; }
    const VFoundation::VObjectArrayTmpl<VFoundation::VString>& GetExclusiveNames() const {
        return *m_exclusive;
    }

    // The value of the built-in folder variable name as a new script would declare it (environment
    // overrides included); false when the lookup fails or name is none of them.
    static bool GetBuiltinFolder(const char* name, std::string& value);
    static std::vector<std::string> GetBuiltinFolderNames();

    // The step a runner takes after instruction ran: a conditional statement's count (a count below 1
    // moves on by 1, with a diagnostic line), else 1.
    static int32_t NextStep(IInstallerInstruction* instruction);

private:
    class Parser;
    void ReleaseLists();

    VFoundation::VObjectArrayTmpl<CInstallerPage>* m_pages;
    VFoundation::VObjectArrayTmpl<CInstallerSection>* m_sections;
    VFoundation::VObjectArrayTmpl<IInstallerInstruction>* m_preRun;
    VFoundation::VObjectArrayTmpl<VFoundation::VString>* m_exclusive;
    IScriptDiagnostics* m_diagnostics = nullptr;
    uint32_t m_failureLine = 0;
};
