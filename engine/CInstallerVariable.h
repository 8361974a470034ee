#pragma once

#include "foundation/VObject.h"
#include "foundation/VString.h"

// A script variable: a name compared exactly and a value, "NULL" when declared without one.
class CInstallerVariable : public VFoundation::VObject {
    V_DECLARE_CLASS(CInstallerVariable)
public:
    CInstallerVariable();
    CInstallerVariable(const char* name, const char* value);
    ~CInstallerVariable() override;

    VFoundation::VObject* Copy() const override;

    const VFoundation::VString& GetName() const { return m_name; }
    const VFoundation::VString& GetValue() const { return m_value; }
    // Written by the user-interface thread while no installer thread runs.
    void SetValue(const char* value) { m_value.Assign(value); }

private:
    VFoundation::VString m_name;
    VFoundation::VString m_value;
};
