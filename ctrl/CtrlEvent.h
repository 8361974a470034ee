#pragma once

#include "ctrl/VGeometry.h"
#include "foundation/VObject.h"

#include <cstdint>

namespace VCtrl {

class Ctrl;

// What a control tells its listener: the event type, the control that raised it, a data word, a point in
// the control's own coordinates and an object (not retained: valid for the duration of the call).
//
// Controls raise their events through one process-wide instance (Shared()) that is refilled for each
// event; listeners copy what they keep. The shared instance belongs to the user-interface thread.
class CtrlEvent : public VFoundation::VObject {
    V_DECLARE_CLASS(CtrlEvent)
public:
    // The event types that the toolkit's controls send.
    enum Type : int32_t {
        kMouseDown = 1,
        kMouseUp = 2,
        kMouseDoubleClicked = 3,
        kRightMouseDown = 4,
        kRightMouseUp = 5,
        kMouseEntered = 7,
        kMouseLeft = 8,
        kPressed = 9,
        kFilesDropped = 16,
    };

    explicit CtrlEvent(VFoundation::VClass* record = nullptr);
    CtrlEvent(const CtrlEvent& other);
    CtrlEvent& operator=(const CtrlEvent& other);
    ~CtrlEvent() override;

    VFoundation::VObject* Copy() const override;
    void GetDescription(VFoundation::VString& out) const override;

    // Refills the event: type, control and data; the point goes back to (0, 0) and the object to none.
    void Set(int32_t type, Ctrl* ctrl, int32_t data = 0);

    int32_t GetType() const { return m_type; }
    Ctrl* GetCtrl() const { return m_ctrl; }
    int32_t GetData() const { return m_data; }
    const VPoint& GetPoint() const { return m_point; }
    VFoundation::VObject* GetObject() const { return m_object; }
    void SetType(int32_t type) { m_type = type; }
    void SetCtrl(Ctrl* ctrl) { m_ctrl = ctrl; }
    void SetData(int32_t data) { m_data = data; }
    void SetPoint(const VPoint& point) { m_point = point; }
    void SetObject(VFoundation::VObject* object) { m_object = object; }

    // The toolkit's shared event, made on first use and released by VCtrl::UninitializeLibrary.
    static CtrlEvent& Shared();
    static void ReleaseShared();

private:
    int32_t m_type = 0;
    Ctrl* m_ctrl = nullptr;
    int32_t m_data = 0;
    VPoint m_point;
    VFoundation::VObject* m_object = nullptr;
};

// An event carrying a value for Ctrl::SetValueFromEvent: a bool, an integer or a real, told apart by kind.
class CtrlValueEvent : public CtrlEvent {
    V_DECLARE_CLASS(CtrlValueEvent)
public:
    enum Kind : int32_t { kNone = 0, kBool = 1, kInteger = 3, kReal = 4 };

    CtrlValueEvent();
    explicit CtrlValueEvent(bool value);
    explicit CtrlValueEvent(int32_t value);
    explicit CtrlValueEvent(double value);
    CtrlValueEvent(const CtrlValueEvent& other);
    ~CtrlValueEvent() override;

    VFoundation::VObject* Copy() const override;

    int32_t GetKind() const { return m_kind; }
    bool GetBool() const { return m_integer != 0; }
    int32_t GetInteger() const { return m_integer; }
    double GetReal() const { return m_real; }

private:
    int32_t m_kind = kNone;
    int32_t m_integer = 0;
    double m_real = 0.0;
};

} // namespace VCtrl
