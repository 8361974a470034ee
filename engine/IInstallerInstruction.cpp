#include "engine/IInstallerInstruction.h"

#include "engine/CInstallScript.h"
#include "foundation/VClass.h"
#include "foundation/VFileManager.h"
#include "foundation/VString.h"

#include <cstdarg>

using namespace VFoundation;

V_IMPLEMENT_ABSTRACT_CLASS(IInstallerInstruction, VObject)

IInstallerInstruction::IInstallerInstruction(VClass* record) : VObject(record ? record : GetClassRecord()) {}

IInstallerInstruction::~IInstallerInstruction() = default;

void IInstallerInstruction::ExpandText(VString& text) const {
    if (m_script) m_script->ExpandVariables(text);
}

void IInstallerInstruction::ExpandPath(VString& text) const {
    ExpandText(text);
    VFileManager::MakeNativePath(text);
}

bool IInstallerInstruction::ExpandPathArgument(VString& text, const char* who) const {
    ExpandPath(text);
    VString name;
    if (!CInstallScript::FindUnexpandedVariable(text, name)) return true;
    LogLine(false, "%s. Variable $%s$ could not be expanded in path %s", who, name.GetText(), text.GetText());
    return false;
}

void IInstallerInstruction::LogLine(bool succeeded, const char* format, ...) const {
    if (!m_log) return;
    va_list arguments;
    va_start(arguments, format);
    m_log->AddLine(FormatRow(format, arguments), succeeded);
    va_end(arguments);
}

void IInstallerInstruction::LogException(const char* format, ...) const {
    if (!m_log) return;
    va_list arguments;
    va_start(arguments, format);
    m_log->AddException(FormatRow(format, arguments));
    va_end(arguments);
}

VString IInstallerInstruction::FormatRow(const char* format, va_list arguments) {
    char buffer[VString::kFormatLimit + 1];
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    return VString(buffer);
}

void IInstallerInstruction::LogUninstallEntry(const VString& text, UninstallEntryKind kind) const {
    if (m_log) m_log->AddUninstallEntry(text, kind);
}
