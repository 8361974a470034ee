#include "instructions/CAbortInstallationInstruction.h"

#include "foundation/VClass.h"

using namespace VFoundation;

V_IMPLEMENT_CLASS(CAbortInstallationInstruction, IInstallerInstruction)

CAbortInstallationInstruction::CAbortInstallationInstruction() : IInstallerInstruction(GetClassRecord()) {}

CAbortInstallationInstruction::CAbortInstallationInstruction(const VString& arguments)
    : IInstallerInstruction(GetClassRecord()) {
    VString text(arguments);
    m_exit = text.Trim().IsEqual("Exit");
}

CAbortInstallationInstruction::~CAbortInstallationInstruction() = default;

bool CAbortInstallationInstruction::Execute() {
    LogLine(false, "Installation Aborted!");
    return m_exit;
}
