#include "engine/CInstallerVariable.h"

#include "foundation/VClass.h"

using namespace VFoundation;

V_IMPLEMENT_CLASS(CInstallerVariable, VObject)

CInstallerVariable::CInstallerVariable() : CInstallerVariable("Unknown", "NULL") {}

CInstallerVariable::CInstallerVariable(const char* name, const char* value)
    : VObject(GetClassRecord()), m_name(name), m_value(value) {}

CInstallerVariable::~CInstallerVariable() = default;

VObject* CInstallerVariable::Copy() const {
    return new CInstallerVariable(m_name.GetText(), m_value.GetText());
}
