#include "ctrl/CtrlEvent.h"

#include "foundation/VClass.h"
#include "foundation/VString.h"

#include <cstdint>

namespace VCtrl {

V_IMPLEMENT_CLASS(CtrlEvent, VFoundation::VObject)
V_IMPLEMENT_CLASS(CtrlValueEvent, CtrlEvent)

namespace {

CtrlEvent* g_sharedEvent = nullptr;

int32_t ToInteger(double value) {
    if (!(value == value)) return 0;
    if (value <= double(INT32_MIN)) return INT32_MIN;
    if (value >= double(INT32_MAX)) return INT32_MAX;
    return int32_t(value);
}

} // namespace

CtrlEvent::CtrlEvent(VFoundation::VClass* record) : VObject(record ? record : GetClassRecord()) {}

CtrlEvent::CtrlEvent(const CtrlEvent& other)
    : VObject(other), m_type(other.m_type), m_ctrl(other.m_ctrl), m_data(other.m_data),
      m_point(other.m_point), m_object(other.m_object) {}

CtrlEvent& CtrlEvent::operator=(const CtrlEvent& other) {
    m_type = other.m_type;
    m_ctrl = other.m_ctrl;
    m_data = other.m_data;
    m_point = other.m_point;
    m_object = other.m_object;
    return *this;
}

CtrlEvent::~CtrlEvent() = default;

VFoundation::VObject* CtrlEvent::Copy() const {
    return new CtrlEvent(*this);
}

void CtrlEvent::GetDescription(VFoundation::VString& out) const {
    out.Format("[%s type: %i data: %i point: %i,%i]", GetClassName(), m_type, m_data, m_point.x, m_point.y);
}

void CtrlEvent::Set(int32_t type, Ctrl* ctrl, int32_t data) {
    m_type = type;
    m_ctrl = ctrl;
    m_data = data;
    m_point = VPoint{};
    m_object = nullptr;
}

CtrlEvent& CtrlEvent::Shared() {
    if (!g_sharedEvent) g_sharedEvent = new CtrlEvent();
    return *g_sharedEvent;
}

void CtrlEvent::ReleaseShared() {
    if (CtrlEvent* event = g_sharedEvent) {
        g_sharedEvent = nullptr;
        event->Release();
    }
}

CtrlValueEvent::CtrlValueEvent() : CtrlEvent(GetClassRecord()) {}

CtrlValueEvent::CtrlValueEvent(bool value)
    : CtrlEvent(GetClassRecord()), m_kind(kBool), m_integer(value ? 1 : 0), m_real(value ? 1.0 : 0.0) {}

CtrlValueEvent::CtrlValueEvent(int32_t value)
    : CtrlEvent(GetClassRecord()), m_kind(kInteger), m_integer(value), m_real(value) {}

CtrlValueEvent::CtrlValueEvent(double value)
    : CtrlEvent(GetClassRecord()), m_kind(kReal), m_integer(ToInteger(value)), m_real(value) {}

CtrlValueEvent::CtrlValueEvent(const CtrlValueEvent& other)
    : CtrlEvent(other), m_kind(other.m_kind), m_integer(other.m_integer), m_real(other.m_real) {}

CtrlValueEvent::~CtrlValueEvent() = default;

VFoundation::VObject* CtrlValueEvent::Copy() const {
    return new CtrlValueEvent(*this);
}

} // namespace VCtrl
