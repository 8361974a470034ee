#include "engine/CInstructionFactory.h"

#include "engine/IInstallerInstruction.h"
#include "foundation/VString.h"
#include "instructions/CAbortInstallationInstruction.h"
#include "instructions/CChangeOwnerInstruction.h"
#include "instructions/CChangePermissionsInstruction.h"
#include "instructions/CCopyDirectoryInstruction.h"
#include "instructions/CCopyFileInstruction.h"
#include "instructions/CCreateDirectoryInstruction.h"
#include "instructions/CCreateShortcutInstruction.h"
#include "instructions/CDeleteDirectoryInstruction.h"
#include "instructions/CDeleteFileInstruction.h"
#include "instructions/CDeleteRegistryInstruction.h"
#include "instructions/CExecuteApplicationInstruction.h"
#include "instructions/CExecuteApplicationSyncInstruction.h"
#include "instructions/CExecuteFileInstruction.h"
#include "instructions/CExitSectionInstruction.h"
#include "instructions/CFileExistsConditionalStatement.h"
#include "instructions/CFolderExistsConditionalStatement.h"
#include "instructions/CNoOpInstruction.h"
#include "instructions/CNotifyUserInstruction.h"
#include "instructions/CReadRegistryInstruction.h"
#include "instructions/CRebootInstruction.h"
#include "instructions/CRegisterDLLInstruction.h"
#include "instructions/CScriptJumpConditionalStatement.h"
#include "instructions/CSetMessageInstruction.h"
#include "instructions/CShowSplashScreenInstruction.h"
#include "instructions/CUnRegisterDLLInstruction.h"
#include "instructions/CUserPromptConditionalStatement.h"
#include "instructions/CWriteRegistryInstruction.h"
#include "instructions/CZdrcaCopyDirectoryInstruction.h"

#include <cstring>
#include <string>

using namespace VFoundation;

namespace {

using Maker = IInstallerInstruction* (*)(const VString& arguments);

template <typename T> IInstallerInstruction* WithArguments(const VString& arguments) {
    return new T(arguments);
}
template <typename T> IInstallerInstruction* WithoutArguments(const VString&) {
    return new T();
}

struct Keyword {
    const char* keyword;
    Maker make;
};

// The keywords in the order they are compared.
constexpr Keyword kKeywords[] = {
    {"NoOp", &WithoutArguments<CNoOpInstruction>},
    {"ExitSection", &WithoutArguments<CExitSectionInstruction>},
    {"ExecuteApplication", &WithArguments<CExecuteApplicationInstruction>},
    {"ExecuteApplicationSync", &WithArguments<CExecuteApplicationSyncInstruction>},
    {"ExecuteFile", &WithArguments<CExecuteFileInstruction>},
    {"CopyFile", &WithArguments<CCopyFileInstruction>},
    {"CopyDirectory", &WithArguments<CCopyDirectoryInstruction>},
    {"CreateDirectory", &WithArguments<CCreateDirectoryInstruction>},
    {"ChangePermissions", &WithArguments<CChangePermissionsInstruction>},
    {"DeleteFile", &WithArguments<CDeleteFileInstruction>},
    {"DeleteDirectory", &WithArguments<CDeleteDirectoryInstruction>},
    {"NotifyUser", &WithArguments<CNotifyUserInstruction>},
    {"ReadRegistryEntry", &WithArguments<CReadRegistryInstruction>},
    {"WriteRegistryEntry", &WithArguments<CWriteRegistryInstruction>},
    {"DeleteRegistryEntry", &WithArguments<CDeleteRegistryInstruction>},
    {"AbortInstallation", &WithArguments<CAbortInstallationInstruction>},
    {"ZdrcaCopyDirectory", &WithArguments<CZdrcaCopyDirectoryInstruction>},
    {"ShowSplashScreen", &WithArguments<CShowSplashScreenInstruction>},
    {"CreateShortcut", &WithArguments<CCreateShortcutInstruction>},
    {"RegisterDLL", &WithArguments<CRegisterDLLInstruction>},
    {"UnRegisterDLL", &WithArguments<CUnRegisterDLLInstruction>},
    {"ChangeOwner", &WithArguments<CChangeOwnerInstruction>},
    {"SetMessage", &WithArguments<CSetMessageInstruction>},
    {"RebootRequired", &WithoutArguments<CRebootInstruction>},
    {"FolderExists", &WithArguments<CFolderExistsConditionalStatement>},
    {"FileExists", &WithArguments<CFileExistsConditionalStatement>},
    {"PromptUser", &WithArguments<CUserPromptConditionalStatement>},
    {"SkipInstructions", &WithArguments<CScriptJumpConditionalStatement>},
};

// Accepted, but they make nothing.
constexpr const char* kInertKeywords[] = {"AddQuickLaunchShortCut", "CreateShortCut"};

const Keyword* FindKeyword(const char* keyword) {
    for (const Keyword& entry : kKeywords)
        if (std::strcmp(entry.keyword, keyword) == 0) return &entry;
    return nullptr;
}

} // namespace

namespace CInstructionFactory {

IInstallerInstruction* CreateInstructionFromLine(const VString& line, CInstallScript* script) {
    const char* text = line.GetText();
    if (std::strncmp(text, "If ", 3) == 0) text += 3;
    const char* comma = std::strchr(text, ',');
    const std::string keyword =
        comma ? std::string(text, static_cast<size_t>(comma - text)) : std::string(text);
    if (!FindKeyword(keyword.c_str())) return nullptr;
    IInstallerInstruction* instruction =
        CreateInstruction(VString(keyword.c_str()), VString(comma ? comma + 1 : ""));
    if (instruction) instruction->SetScript(script);
    return instruction;
}

IInstallerInstruction* CreateInstruction(const VString& keyword, const VString& arguments) {
    for (const char* inert : kInertKeywords)
        if (keyword.IsEqual(inert)) return nullptr;
    const Keyword* entry = FindKeyword(keyword.GetText());
    return entry ? entry->make(arguments) : nullptr;
}

std::vector<const char*> InstructionKeywords() {
    std::vector<const char*> keywords;
    for (const Keyword& entry : kKeywords)
        keywords.push_back(entry.keyword);
    return keywords;
}

bool IsInertKeyword(const char* keyword) {
    for (const char* inert : kInertKeywords)
        if (std::strcmp(inert, keyword) == 0) return true;
    return false;
}

} // namespace CInstructionFactory
