#pragma once

#include "foundation/VObject.h"
#include "foundation/VString.h"

#include <cstdint>

namespace VFoundation {

// The one exception type: thrown by value, caught by reference. Catch sites take VException first and
// anything else second, each with its own message; VException itself never logs.
class VException : public VObject {
    V_DECLARE_CLASS(VException)
public:
    VException();
    VException(int32_t id, const VObject* source, const char* description);
    VException(const VException& other);
    ~VException() override;

    void GetDescription(VString& out) const override;

    int32_t GetId() const { return m_id; }
    // Not owned, and possibly destroyed since the throw: compare it, do not use it.
    const VObject* GetSource() const { return m_source; }
    const VString& GetDescriptionText() const { return m_description; }

    // Set by every VException made (and by the control toolkit once it has shown a drawing alert).
    static bool WasRaised();
    static void SetRaised(bool raised);

private:
    int32_t m_id = 0;
    const VObject* m_source = nullptr;
    // The source's class record, taken when the exception is made: a constructor that throws passes
    // itself as the source, and that object is gone by the time the exception is described.
    const VClass* m_sourceClass = nullptr;
    VString m_description;
};

} // namespace VFoundation
