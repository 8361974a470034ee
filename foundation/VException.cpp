#include "foundation/VException.h"

#include "foundation/VClass.h"

#include <atomic>

namespace VFoundation {

V_IMPLEMENT_CLASS(VException, VObject)

namespace {
std::atomic<bool> g_raised{false};
}

VException::VException() : VObject(GetClassRecord()) {
    g_raised.store(true);
}

VException::VException(int32_t id, const VObject* source, const char* description)
    : VObject(GetClassRecord()), m_id(id), m_source(source),
      m_sourceClass(source ? source->GetClass() : nullptr), m_description(description) {
    g_raised.store(true);
}

VException::VException(const VException& other)
    : VObject(other), m_id(other.m_id), m_source(other.m_source), m_sourceClass(other.m_sourceClass),
      m_description(other.m_description) {
    g_raised.store(true);
}

VException::~VException() = default;

void VException::GetDescription(VString& out) const {
    out.Format("Exception id: %i src: %s descr: %s", m_id,
               m_sourceClass ? m_sourceClass->GetName() : "Unknown", m_description.GetText());
}

bool VException::WasRaised() {
    return g_raised.load();
}

void VException::SetRaised(bool raised) {
    g_raised.store(raised);
}

} // namespace VFoundation
