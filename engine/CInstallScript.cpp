#include "engine/CInstallScript.h"

#include "application/VApplication.h"
#include "application/VRegistry.h"
#include "engine/BuiltinFolders.h"
#include "engine/CInstructionFactory.h"
#include "engine/IConditionalStatement.h"
#include "engine/ScriptReader.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"
#include "foundation/VStringTokenizer.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

using namespace VFoundation;

namespace {

struct BuiltinFolder {
    const char* name;
    const char* failure;
};

// The built-in folder variables in the order they are declared, each with the message its lookup throws.
constexpr BuiltinFolder kBuiltinFolders[] = {
    {"OS_FOLDER", "Failed to store windows directory during variable parsing"},
    {"TEMP_FOLDER", "Failed to get user profile directory. This is a major error and we cannot continue"},
    {"SYSTEM_FOLDER", "Failed to get the System 32 directory in either SHGetFolderPath or Windows\\Sys32"},
    {"DESKTOP_FOLDER", "Failed to get the User desktop folder"},
    {"DOCUMENTS_FOLDER", "Failed to get the User documents folder"},
    {"PROGRAMFILES_FOLDER", "Failed to get the Program files folder"},
    {"RTAS_FOLDER", "Failed to get the Program files common folder"},
    {"VST_FOLDER", nullptr},
    {"CWD_FOLDER", nullptr},
    {"STARTMENU_FOLDER", "Failed to find the Start menu programs folder"},
};

constexpr const char* kGlobalSettings[] = {"APPLICATION_NAME",    "APPLICATION_DEVELOPER",
                                           "APPLICATION_VERSION", "APPLICATION_HOMEPAGE",
                                           "APPLICATION_LOGPATH", "APPLICATION_ROLLBACK"};

// An override from the environment (KIS_<NAME>) lets tests and the demo keep every folder in a sandbox.
bool EnvironmentOverride(const char* name, std::string& value) {
    const std::string variable = std::string("KIS_") + name;
    const char* text = std::getenv(variable.c_str());
    if (!text || !*text) return false;
    value = text;
    return true;
}

std::string BuiltinValue(const BuiltinFolder& folder) {
    std::string value;
    if (EnvironmentOverride(folder.name, value)) return value;
    if (std::strcmp(folder.name, "VST_FOLDER") == 0) {
        std::string fallback;
        if (!BuiltinFolders::Lookup("VST_FOLDER_DEFAULT", fallback)) fallback = "/usr/lib/vst";
        VRef<VApplication::VRegistry> registry = MakeRef<VApplication::VRegistry>("Software\\Vst");
        VString path;
        registry->GetString("VstPluginsPath", fallback.c_str(), path);
        return path.GetText();
    }
    if (std::strcmp(folder.name, "CWD_FOLDER") == 0) {
        VString module = VApplication::GetModulePath();
        if (module.IsEmpty()) return std::filesystem::current_path().string();
        module.RemoveLastPathComponent();
        return module.GetText();
    }
    if (!BuiltinFolders::Lookup(folder.name, value)) throw VException(0, nullptr, folder.failure);
    return value;
}

void SplitAtFirstComma(const std::string& line, VString& before, VString& after) {
    const size_t comma = line.find(',');
    before.Assign(line.c_str(), static_cast<uint32_t>(comma));
    after.Assign(line.c_str() + comma + 1);
    before.Trim();
    after.Trim();
}

SectionPlatform PlatformOf(const VString& text) {
    if (text.IsEqual("WIN32")) return SectionPlatformWindows;
    if (text.IsEqual("MACOSX") || text.IsEqual("TIGER+") || text.IsEqual("TIGER-")) return SectionPlatformMac;
    return SectionPlatformNone;
}

bool IsConditional(const IInstallerInstruction* instruction) {
    return instruction->IsKindOf(IConditionalStatement::GetClassRecord());
}

} // namespace

// Walks the kept lines of one script and hands them to the model. Each kept line comes with its line
// number in the file, for the diagnostics sink and for the line of a script error.
class CInstallScript::Parser {
public:
    using LineKind = IScriptDiagnostics::LineKind;
    using DropReason = IScriptDiagnostics::DropReason;

    Parser(CInstallScript& script, const std::vector<std::string>& lines,
           const std::vector<uint32_t>& numbers)
        : m_script(script), m_lines(lines), m_numbers(numbers), m_sink(script.m_diagnostics) {}

    void Run() {
        size_t index = 0;
        while (index < m_lines.size()) {
            const std::string& line = m_lines[index];
            if (line == "{Variables}") {
                Read(index, LineKind::Tag);
                m_variables = true;
                index = ParseVariables(index + 1);
            } else if (line == "{GlobalSetup}") {
                Read(index, LineKind::Tag);
                m_globals = true;
                index = ParseGlobals(index + 1);
            } else if (line == "{Pages}") {
                Read(index, LineKind::Tag);
                if (!m_variables || !m_globals)
                    Refuse(index,
                           "Variables and Global setup must have been defined before the pages section");
                m_pages = true;
                index = ParsePages(index + 1);
            } else if (line == "{PreRun}") {
                Read(index, LineKind::Tag);
                index = ParsePreRun(index + 1);
            } else if (line == "{Exclusive}") {
                Read(index, LineKind::Tag);
                index = ParseExclusive(index + 1);
            } else if (line == "{MainInstall}") {
                Read(index, LineKind::Tag);
                if (!m_variables || !m_globals || !m_pages)
                    Refuse(index, "Variables and Pages and Globals must have been defined before the Main "
                                  "install section");
                index = ParseMainInstall(index + 1);
            } else {
                Drop(index, DropReason::OutsideTag);
                ++index;
            }
        }
    }

private:
    void Read(size_t index, LineKind kind, VObject* made = nullptr) {
        if (m_sink) m_sink->LineRead(m_numbers[index], kind, m_lines[index], made);
    }
    void Drop(size_t index, DropReason reason) {
        if (m_sink) m_sink->LineDropped(m_numbers[index], reason, m_lines[index]);
    }
    // A script error: thrown without a sink, reported to it otherwise.
    void Report(size_t index, const VException& error) {
        m_script.m_failureLine = m_numbers[index];
        if (!m_sink) throw error;
        m_sink->ScriptError(m_numbers[index], error);
    }
    void Refuse(size_t index, const char* message) { Report(index, VException(0, nullptr, message)); }
    // Makes the instruction of a line; null when it makes none or its arguments were refused.
    VRef<IInstallerInstruction> MakeInstruction(size_t index, VString& line) {
        line.Assign(m_lines[index].c_str());
        try {
            VRef<IInstallerInstruction> instruction = VRef<IInstallerInstruction>::Adopt(
                CInstructionFactory::CreateInstructionFromLine(line, &m_script));
            if (instruction)
                Read(index, LineKind::Instruction, instruction.Get());
            else
                Drop(index, DropReason::NoInstruction);
            return instruction;
        } catch (const VException& error) {
            if (!m_sink) {
                m_script.m_failureLine = m_numbers[index];
                throw;
            }
            Report(index, error);
            return VRef<IInstallerInstruction>();
        }
    }

    size_t BodyEnd(size_t index) const {
        while (index < m_lines.size() && m_lines[index][0] != '{')
            ++index;
        return index;
    }

    CInstallerVariable* LastVariable() const {
        return m_script.GetVariables().GetObjectAtIndex(m_script.GetVariables().GetCount() - 1);
    }

    size_t ParseVariables(size_t index) {
        const size_t end = BodyEnd(index);
        VString name, value;
        for (; index < end; ++index) {
            const std::string& line = m_lines[index];
            if (line.find(',') == std::string::npos) {
                name.Assign(line.c_str()).Trim();
                m_script.DeclareVariable(name.GetText(), "NULL");
            } else {
                SplitAtFirstComma(line, name, value);
                m_script.DeclareVariable(name.GetText(), value.GetText());
            }
            Read(index, LineKind::Variable, LastVariable());
        }
        return end;
    }

    size_t ParseGlobals(size_t index) {
        const size_t end = BodyEnd(index);
        VString name, value;
        for (; index < end; ++index) {
            const std::string& line = m_lines[index];
            if (line.find(',') == std::string::npos) {
                VString message;
                message.Format("Parsing global variable %s is missing the defined value", line.c_str());
                Refuse(index, message.GetText());
                continue;
            }
            SplitAtFirstComma(line, name, value);
            if (name.IsEqual("APPLICATION_REGISTRY")) {
                const int comma = value.Find(',');
                if (comma >= 0) value.Assign(value.GetText(), static_cast<uint32_t>(comma)).Trim();
                m_script.DeclareVariable(name.GetText(), value.GetText());
                Read(index, LineKind::Variable, LastVariable());
                continue;
            }
            CInstallerVariable* declared = nullptr;
            for (const char* setting : kGlobalSettings)
                if (name.IsEqual(setting)) {
                    m_script.DeclareVariable(name.GetText(), value.GetText());
                    declared = LastVariable();
                    break;
                }
            Read(index, LineKind::Variable, declared);
        }
        return end;
    }

    size_t ParsePages(size_t index) {
        const size_t end = BodyEnd(index);
        bool inBlock = false;
        SectionPlatform blockPlatform = SectionPlatformNone;
        VString type, argument;
        for (; index < end; ++index) {
            const std::string& line = m_lines[index];
            LogPrintf("Page str  = %s\n", line.c_str());
            if (line[0] == '!') {
                LogPrintf("Opened proc\n");
                Read(index, LineKind::BlockLine);
                if (line == "!end") {
                    inBlock = false;
                } else {
                    inBlock = true;
                    if (line == "!WIN32")
                        blockPlatform = SectionPlatformWindows;
                    else if (line == "!MACOSX")
                        blockPlatform = SectionPlatformMac;
                    else
                        Drop(index, DropReason::UnknownBlock);
                }
                continue;
            }
            if (inBlock) {
                LogPrintf("Inside proc\n");
                if (blockPlatform != SectionPlatformWindows) {
                    LogPrintf("Non matching proc\n");
                    continue;
                }
            }
            if (line.find(',') == std::string::npos) {
                Drop(index, DropReason::PageWithoutComma);
                continue;
            }
            SplitAtFirstComma(line, type, argument);
            VRef<CInstallerPage> page = MakeRef<CInstallerPage>(type.GetText(), argument.GetText());
            m_script.GetPages().AddObject(page.Get());
            Read(index, LineKind::Page, page.Get());
        }
        return end;
    }

    size_t ParsePreRun(size_t index) {
        const size_t end = BodyEnd(index);
        VString line;
        for (; index < end; ++index) {
            VRef<IInstallerInstruction> instruction = MakeInstruction(index, line);
            if (instruction) m_script.GetPreRunInstructions().AddObject(instruction.Get());
        }
        return end;
    }

    size_t ParseExclusive(size_t index) {
        const size_t end = BodyEnd(index);
        for (; index < end; ++index) {
            VRef<VString> name = VRef<VString>::Adopt(VString::Alloc(m_lines[index].c_str()));
            m_script.GetExclusiveNames().AddObject(name.Get());
            Read(index, LineKind::Exclusive, name.Get());
        }
        return end;
    }

    size_t ParseMainInstall(size_t index) {
        VString line, field, name, description, flag, platformText;
        while (index < m_lines.size() && m_lines[index].find("{Section}") != std::string::npos) {
            line.Assign(m_lines[index].c_str());
            VStringTokenizer fields(line, ',');
            const uint32_t count = fields.CountTokens();
            // A refused header leaves section null: its lines are still read (for their own errors)
            // but kept nowhere.
            VRef<CInstallerSection> section;
            int64_t size = 0;
            SectionPlatform platform = SectionPlatformNone;
            if (count < 4) {
                Refuse(index, "The section doesnt have the full 3 arguments required!");
            } else if (count < 5) {
                Refuse(index, "Failed to aquire all the arguments");
            } else {
                fields.NextToken(field);
                fields.NextToken(field);
                size = IConditionalStatement::ParseCount(field);
                fields.NextToken(name);
                fields.NextToken(description);
                fields.NextToken(flag);
                platformText.Assign("");
                fields.NextToken(platformText);
                platform = PlatformOf(platformText.Trim());
                section = MakeRef<CInstallerSection>(name.Trim().GetText(), description.Trim().GetText(),
                                                     flag.Trim().IsEqual("Optional"), platform);
            }
            Read(index, LineKind::Section, section.Get());

            for (++index; index < m_lines.size() && m_lines[index].find("{Section}") == std::string::npos;
                 ++index) {
                VRef<IInstallerInstruction> instruction = MakeInstruction(index, line);
                if (instruction && section) section->AddInstruction(instruction.Get());
            }
            if (section && platform != SectionPlatformMac) {
                section->SetSize(size);
                m_script.GetSections().AddObject(section.Get());
            }
        }
        return index;
    }

    CInstallScript& m_script;
    const std::vector<std::string>& m_lines;
    const std::vector<uint32_t>& m_numbers;
    IScriptDiagnostics* m_sink;
    bool m_variables = false;
    bool m_globals = false;
    bool m_pages = false;
};

bool CInstallScript::GetBuiltinFolder(const char* name, std::string& value) {
    for (const BuiltinFolder& folder : kBuiltinFolders) {
        if (std::strcmp(folder.name, name) != 0) continue;
        try {
            value = BuiltinValue(folder);
            return true;
        } catch (const VException&) {
            return false;
        }
    }
    return false;
}

std::vector<std::string> CInstallScript::GetBuiltinFolderNames() {
    std::vector<std::string> names;
    for (const BuiltinFolder& folder : kBuiltinFolders)
        names.emplace_back(folder.name);
    return names;
}

CInstallScript::CInstallScript(const char* userName)
    : m_pages(new VObjectArrayTmpl<CInstallerPage>()), m_sections(new VObjectArrayTmpl<CInstallerSection>()),
      m_preRun(new VObjectArrayTmpl<IInstallerInstruction>()), m_exclusive(new VObjectArrayTmpl<VString>()) {
    try {
        for (const BuiltinFolder& folder : kBuiltinFolders)
            DeclareVariable(folder.name, BuiltinValue(folder).c_str());
    } catch (...) {
        ReleaseLists();
        throw;
    }
    if (userName) DeclareVariable("UNAME", userName);
}

CInstallScript::~CInstallScript() {
    ReleaseLists();
}

void CInstallScript::ReleaseLists() {
    auto release = [](auto*& list) {
        if (list) list->Release();
        list = nullptr;
    };
    release(m_exclusive);
    release(m_preRun);
    release(m_sections);
    release(m_pages);
    RemoveAllObjects();
}

bool CInstallScript::Parse(const char* path) {
    m_failureLine = 0;
    VFileManager* files = VFileManager::Instance();
    if (!path || !files->FileExistsAtPath(path)) return false;
    if (!VString(path).HasExtension("kis", false)) return false;
    ScriptReader reader;
    if (!reader.Open(path)) return false;
    auto refuse = [this](uint32_t line, const char* reason) {
        m_failureLine = line;
        if (m_diagnostics) m_diagnostics->ScriptRefused(line, reason);
        return false;
    };
    std::string header;
    if (!reader.ReadLine(header))
        return refuse(1, "the file is empty; its first line must be {KestrawinInstallSystem}");
    VString trimmed(header.c_str());
    if (!trimmed.Trim().IsEqual("{KestrawinInstallSystem}"))
        return refuse(1, "the first line is not the header {KestrawinInstallSystem}");
    // Bytes that are no text cannot come from a script's author; read on, they would end up in names.
    if (uint32_t badLine = 0; !reader.HoldsOnlyTextAfterFirstLine(badLine)) {
        LogPrintf("Script line %u holds a control character: %s is not a text file\n", badLine, path);
        return refuse(badLine, "the line holds a control character: this is not a text file");
    }

    std::vector<std::string> lines;
    std::vector<uint32_t> numbers;
    std::string line;
    while (reader.ReadLine(line)) {
        if (reader.WasLineCut() && m_diagnostics)
            m_diagnostics->LineDropped(reader.GetLineNumber(), IScriptDiagnostics::DropReason::CutLine, line);
        size_t start = 0;
        while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
            ++start;
        if (start == line.size() || line[start] == '#') continue;
        lines.emplace_back(line, start);
        numbers.push_back(reader.GetLineNumber());
    }
    Parser(*this, lines, numbers).Run();
    return true;
}

CInstallerVariable* CInstallScript::FindVariable(const char* name) const {
    if (!name) return nullptr;
    for (CInstallerVariable* variable : GetVariables())
        if (variable->GetName().IsEqual(name)) return variable;
    return nullptr;
}

void CInstallScript::ExpandVariables(VString& text) const {
    VString name;
    for (int round = 0; round < kMaxExpansionRounds; ++round) {
        const int first = text.Find('$');
        if (first < 0) return;
        const int second = text.Find('$', static_cast<uint32_t>(first) + 1);
        if (second < 0) return;
        text.Between(static_cast<uint32_t>(first), static_cast<uint32_t>(second), name);
        const char* replacement;
        if (name.IsEqual("***")) {
            replacement = ",";
        } else {
            const CInstallerVariable* variable = FindVariable(name.GetText());
            if (!variable) return;
            replacement = variable->GetValue().GetText();
        }
        std::string expanded(text.GetText(), static_cast<size_t>(first));
        expanded += replacement;
        expanded += text.GetText() + second + 1;
        if (expanded.size() > kMaxExpandedLength) {
            LogPrintf("Variable expansion stopped at %zu characters: %.200s\n", kMaxExpandedLength,
                      text.GetText());
            return;
        }
        text.Assign(expanded.c_str());
        VFileManager::MakeNativePath(text);
    }
    LogPrintf("Variable expansion stopped after %i rounds: %s\n", kMaxExpansionRounds, text.GetText());
}

bool CInstallScript::FindUnexpandedVariable(const VString& text, VString& name) {
    const char* const start = text.GetText();
    for (const char* open = std::strchr(start, '$'); open; open = std::strchr(open + 1, '$')) {
        const char* close = std::strchr(open + 1, '$');
        if (!close) return false;
        const size_t length = static_cast<size_t>(close - open - 1);
        const std::string candidate(open + 1, length);
        if (length > 0 && candidate.find_first_of("/\\") == std::string::npos && candidate != "***") {
            name.Assign(candidate.c_str());
            return true;
        }
    }
    return false;
}

int32_t CInstallScript::NextStep(IInstallerInstruction* instruction) {
    if (!IsConditional(instruction)) return 1;
    const int32_t step = static_cast<IConditionalStatement*>(instruction)->GetNextStep();
    if (step >= 1) return step;
    // A count below 1 would repeat the statement (or walk backwards) without end.
    LogPrintf("Step count %i of %s is below 1; going on with the next instruction\n", step,
              instruction->GetClassName());
    return 1;
}

void CInstallScript::RunPreRun() {
    const int count = m_preRun->GetCount();
    for (int64_t index = 0; index < count;) {
        IInstallerInstruction* instruction = m_preRun->GetObjectAtIndex(static_cast<int>(index));
        const bool succeeded = instruction->Execute();
        if (!succeeded && std::strcmp(instruction->GetClassName(), "CAbortInstallationInstruction") == 0)
            return;
        index += NextStep(instruction);
    }
}

void CInstallScript::DeclareVariable(const char* name, const char* value) {
    AddObject(MakeRef<CInstallerVariable>(name, value).Get());
}

void CInstallScript::SetVariable(const char* name, const char* value) {
    if (CInstallerVariable* variable = FindVariable(name))
        variable->SetValue(value);
    else
        DeclareVariable(name, value);
}
