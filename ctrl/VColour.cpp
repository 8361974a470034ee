#include "ctrl/VColour.h"

#include "foundation/VClass.h"
#include "foundation/VString.h"

namespace VCtrl {

V_IMPLEMENT_CLASS(VColour, VFoundation::VObject)

VColour::VColour() : VObject(GetClassRecord()) {}

VColour::VColour(int red, int green, int blue, int alpha)
    : VObject(GetClassRecord()), m_red(Clamp(red)), m_green(Clamp(green)), m_blue(Clamp(blue)),
      m_alpha(Clamp(alpha)) {}

VColour::VColour(const VColour& other)
    : VObject(other), m_red(other.m_red), m_green(other.m_green), m_blue(other.m_blue),
      m_alpha(other.m_alpha) {}

VColour& VColour::operator=(const VColour& other) {
    m_red = other.m_red;
    m_green = other.m_green;
    m_blue = other.m_blue;
    m_alpha = other.m_alpha;
    return *this;
}

VColour::~VColour() = default;

VFoundation::VObject* VColour::Copy() const {
    return new VColour(*this);
}

void VColour::GetDescription(VFoundation::VString& out) const {
    out.Format("[%s %i %i %i %i]", GetClassName(), m_red, m_green, m_blue, m_alpha);
}

uintptr_t VColour::GetHash() const {
    return GetARGB();
}

bool VColour::IsEqual(const VFoundation::VObject* other) const {
    if (!other || !other->IsKindOf(GetClassRecord())) return false;
    return *this == *static_cast<const VColour*>(other);
}

void VColour::Set(int red, int green, int blue, int alpha) {
    m_red = Clamp(red);
    m_green = Clamp(green);
    m_blue = Clamp(blue);
    m_alpha = Clamp(alpha);
}

uint32_t VColour::GetPlatformColour() const {
    return uint32_t(m_red) | uint32_t(m_green) << 8 | uint32_t(m_blue) << 16;
}

uint32_t VColour::GetARGB() const {
    return uint32_t(m_alpha) << 24 | uint32_t(m_red) << 16 | uint32_t(m_green) << 8 | uint32_t(m_blue);
}

bool VColour::operator==(const VColour& other) const {
    return m_red == other.m_red && m_green == other.m_green && m_blue == other.m_blue &&
           m_alpha == other.m_alpha;
}

} // namespace VCtrl
