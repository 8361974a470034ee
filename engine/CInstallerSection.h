#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VObject.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VString.h"

#include <cstdint>

enum SectionPlatform : int32_t {
    SectionPlatformNone = 0,
    SectionPlatformWindows = 1,
    SectionPlatformMac = 2,
};

// An install section: a named list of instructions that runs when the section is selected.
class CInstallerSection : public VFoundation::VObject {
    V_DECLARE_CLASS(CInstallerSection)
public:
    CInstallerSection();
    CInstallerSection(const char* name, const char* description, bool optional, SectionPlatform platform);
    ~CInstallerSection() override;

    int64_t GetSize() const { return m_size; }
    void SetSize(int64_t size) { m_size = size; }
    bool IsOptional() const { return m_optional; }
    bool IsSelected() const { return m_selected; }
    void SetSelected(bool selected) { m_selected = selected; }
    SectionPlatform GetPlatform() const { return m_platform; }
    const VFoundation::VString& GetName() const { return m_name; }
    // The section's description text; the object description stays VObject's.
    const VFoundation::VString& GetDescription() const { return m_description; }
    using VFoundation::VObject::GetDescription;

    int GetInstructionCount() const { return m_instructions.GetCount(); }
    IInstallerInstruction* GetInstructionAtIndex(int index) const {
        return m_instructions.GetObjectAtIndex(index);
    }
    void AddInstruction(IInstallerInstruction* instruction) { m_instructions.AddObject(instruction); }
    const VFoundation::VObjectArrayTmpl<IInstallerInstruction>& GetInstructions() const {
        return m_instructions;
    }

private:
    int64_t m_size = 0;
    bool m_optional;
    bool m_selected = true;
    SectionPlatform m_platform;
    VFoundation::VString m_name;
    VFoundation::VString m_description;
    VFoundation::VObjectArrayTmpl<IInstallerInstruction> m_instructions;
};
