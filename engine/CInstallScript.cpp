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

// Walks the kept lines of one script and hands them to the model.
class CInstallScript::Parser {
public:
    Parser(CInstallScript& script, const std::vector<std::string>& lines)
        : m_script(script), m_lines(lines) {}

    void Run() {
        size_t index = 0;
        while (index < m_lines.size()) {
            const std::string& line = m_lines[index];
            if (line == "{Variables}") {
                m_variables = true;
                index = ParseVariables(index + 1);
            } else if (line == "{GlobalSetup}") {
                m_globals = true;
                index = ParseGlobals(index + 1);
            } else if (line == "{Pages}") {
                if (!m_variables || !m_globals)
                    throw VException(
                        0, nullptr,
                        "Variables and Global setup must have been defined before the pages section");
                m_pages = true;
                index = ParsePages(index + 1);
            } else if (line == "{PreRun}") {
                index = ParsePreRun(index + 1);
            } else if (line == "{Exclusive}") {
                index = ParseExclusive(index + 1);
            } else if (line == "{MainInstall}") {
                if (!m_variables || !m_globals || !m_pages)
                    throw VException(0, nullptr,
                                     "Variables and Pages and Globals must have been defined before the Main "
                                     "install section");
                index = ParseMainInstall(index + 1);
            } else {
                ++index;
            }
        }
    }

private:
    size_t BodyEnd(size_t index) const {
        while (index < m_lines.size() && m_lines[index][0] != '{')
            ++index;
        return index;
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
                throw VException(0, nullptr, message.GetText());
            }
            SplitAtFirstComma(line, name, value);
            if (name.IsEqual("APPLICATION_REGISTRY")) {
                const int comma = value.Find(',');
                if (comma >= 0) value.Assign(value.GetText(), static_cast<uint32_t>(comma)).Trim();
                m_script.DeclareVariable(name.GetText(), value.GetText());
                continue;
            }
            for (const char* setting : kGlobalSettings)
                if (name.IsEqual(setting)) {
                    m_script.DeclareVariable(name.GetText(), value.GetText());
                    break;
                }
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
                if (line == "!end") {
                    inBlock = false;
                } else {
                    inBlock = true;
                    if (line == "!WIN32")
                        blockPlatform = SectionPlatformWindows;
                    else if (line == "!MACOSX")
                        blockPlatform = SectionPlatformMac;
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
            if (line.find(',') == std::string::npos) continue;
            SplitAtFirstComma(line, type, argument);
            m_script.GetPages().AddObject(MakeRef<CInstallerPage>(type.GetText(), argument.GetText()).Get());
        }
        return end;
    }

    size_t ParsePreRun(size_t index) {
        const size_t end = BodyEnd(index);
        VString line;
        for (; index < end; ++index) {
            line.Assign(m_lines[index].c_str());
            VRef<IInstallerInstruction> instruction = VRef<IInstallerInstruction>::Adopt(
                CInstructionFactory::CreateInstructionFromLine(line, &m_script));
            if (instruction) m_script.GetPreRunInstructions().AddObject(instruction.Get());
        }
        return end;
    }

    size_t ParseExclusive(size_t index) {
        const size_t end = BodyEnd(index);
        for (; index < end; ++index)
            m_script.GetExclusiveNames().AddObject(
                VRef<VString>::Adopt(VString::Alloc(m_lines[index].c_str())).Get());
        return end;
    }

    size_t ParseMainInstall(size_t index) {
        VString line, field, name, description, flag, platformText;
        while (index < m_lines.size() && m_lines[index].find("{Section}") != std::string::npos) {
            line.Assign(m_lines[index].c_str());
            VStringTokenizer fields(line, ',');
            const uint32_t count = fields.CountTokens();
            if (count < 4)
                throw VException(0, nullptr, "The section doesnt have the full 3 arguments required!");
            if (count < 5) throw VException(0, nullptr, "Failed to aquire all the arguments");
            fields.NextToken(field);
            fields.NextToken(field);
            const int64_t size = IConditionalStatement::ParseCount(field);
            fields.NextToken(name);
            fields.NextToken(description);
            fields.NextToken(flag);
            platformText.Assign("");
            fields.NextToken(platformText);
            const SectionPlatform platform = PlatformOf(platformText.Trim());
            VRef<CInstallerSection> section =
                MakeRef<CInstallerSection>(name.Trim().GetText(), description.Trim().GetText(),
                                           flag.Trim().IsEqual("Optional"), platform);

            for (++index; index < m_lines.size() && m_lines[index].find("{Section}") == std::string::npos;
                 ++index) {
                line.Assign(m_lines[index].c_str());
                VRef<IInstallerInstruction> instruction = VRef<IInstallerInstruction>::Adopt(
                    CInstructionFactory::CreateInstructionFromLine(line, &m_script));
                if (instruction) section->AddInstruction(instruction.Get());
            }
            if (platform != SectionPlatformMac) {
                section->SetSize(size);
                m_script.GetSections().AddObject(section.Get());
            }
        }
        return index;
    }

    CInstallScript& m_script;
    const std::vector<std::string>& m_lines;
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
    VFileManager* files = VFileManager::Instance();
    if (!path || !files->FileExistsAtPath(path)) return false;
    if (!VString(path).HasExtension("kis", false)) return false;
    ScriptReader reader;
    if (!reader.Open(path)) return false;
    std::string header;
    if (!reader.ReadLine(header)) return false;
    VString trimmed(header.c_str());
    if (!trimmed.Trim().IsEqual("{KestrawinInstallSystem}")) return false;

    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line)) {
        size_t start = 0;
        while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
            ++start;
        if (start == line.size() || line[start] == '#') continue;
        lines.emplace_back(line, start);
    }
    Parser(*this, lines).Run();
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
