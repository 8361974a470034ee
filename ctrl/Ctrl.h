#pragma once

#include "ctrl/VGeometry.h"
#include "foundation/VObject.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <cstdint>

namespace VFoundation {
class VXMLFile;
} // namespace VFoundation

namespace VCtrl {

class CtrlEvent;
class CtrlStyle;
class ICtrlListener;
class IGraphicsContext;

// The base of every control: an id, a frame relative to the parent, flags, a z-order, names, a text, a
// shared style, a parent, children and one listener.
//
// Threads: a control belongs to the user-interface thread. Creation, the tree operations, drawing, events
// and skin reading happen there (debug builds assert it). Invalidate may be called from any thread; the
// child list's guard is what makes that and other readers of the list safe.
//
// Ownership:
// - A parent retains its children (Create and SetParent); the creator releases its own reference once the
//   control has its place. The parent pointer is not retained: a control never outlives its parent's
//   reference to it unless someone else retains it, and a destroyed parent clears its children's parent
//   pointers.
// - The style is retained. The listener is not owned: it must outlive the control or be cleared with
//   SetListener(nullptr) (see ICtrlListener).
//
// Extension points: subclasses override the virtual operations below and keep their order (new slots go
// after the last one). The mouse, key and timer operations are called by the root (CtrlRoot) on the
// user-interface thread with points in the control's own coordinates; they return whether the control
// handled the call, an unhandled press going on to the parent. Draw is called by the parent's
// DrawChildren with the context's origin on the control's top left and the clip on its frame. A subclass
// that overrides one SerializeAsXML brings the other into scope (using Ctrl::SerializeAsXML).
class Ctrl : public VFoundation::VObject {
    V_DECLARE_CLASS(Ctrl)
public:
    enum : uint32_t {
        // Used by the mouse handling of some controls.
        kFlagMouseTracking = 0x01,
        // Receives input; a control without it is passed over by the hit test (its hit-test flag).
        kFlagEnabled = 0x02,
        kFlagVisible = 0x04,
        kFlagHighlighted = 0x08,
        // Left out when the tree is written to a skin.
        kFlagNotInSkin = 0x10,
        kInitialFlags = kFlagEnabled | kFlagVisible,
    };
    static constexpr int kLowestZOrder = INT16_MIN;
    static constexpr int kHighestZOrder = INT16_MAX;

    explicit Ctrl(CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    Ctrl(const Ctrl&) = delete;
    Ctrl& operator=(const Ctrl&) = delete;
    ~Ctrl() override;

    // Controls are not copied: logs that and returns a blank control of the same class.
    VFoundation::VObject* Copy() const override;
    // SerializeAsXML(xmlFile, true, false).
    void SerializeAsXML(VFoundation::VXMLFile& xmlFile) override;
    void GetDescription(VFoundation::VString& out) const override;

    // Mouse and keys, from the root. The defaults handle nothing, except as noted.
    virtual bool MouseDown(const VPoint& point, uint32_t modifiers);
    virtual bool MouseUp(const VPoint& point, uint32_t modifiers);
    virtual bool RightMouseDown(const VPoint& point, uint32_t modifiers);
    virtual bool RightMouseUp(const VPoint& point, uint32_t modifiers);
    // False unless enabled and visible, else true.
    virtual bool MouseMoved(const VPoint& point, uint32_t modifiers);
    virtual bool MouseDoubleClicked(const VPoint& point, uint32_t modifiers);
    // False unless enabled and visible; sends event 7 (8 for MouseLeft) unless the style has
    // "noMouseOverEvent"; true.
    virtual bool MouseEntered();
    virtual bool MouseLeft();
    virtual bool MouseWheel(const VPoint& point, double steps, uint32_t modifiers);
    // Sends event 16 with the point and names (an array of VString, valid for the call); true.
    virtual bool FilesDropped(const VPoint& point, uint32_t modifiers, VFoundation::VObjectArray* names);
    virtual bool KeyDown(int32_t key, uint32_t modifiers);
    virtual bool KeyUp(int32_t key, uint32_t modifiers);
    virtual bool Character(uint32_t code);

    // Drawing. DrawChildren draws the visible children whose z-order lies in lowest..highest, in list
    // order, each clipped to this control's bounds and its own frame, leaving out those outside the
    // context's clip (the dirty area) when it has one. An exception from a child's Draw ends the pass over
    // the children; it is logged and, the first time in the process, shown in an alert.
    virtual void DrawChildren(IGraphicsContext& context, int lowest, int highest);
    // The control's own drawing (subclasses) and then its children; the base draws the children.
    virtual void Draw(IGraphicsContext& context);
    // Passes the rectangle (in this control's coordinates) up to the root, which repaints it, when the
    // control is visible and has a parent. origin is the control that asked (this one when none).
    virtual void Invalidate(int x, int y, int width, int height, Ctrl* origin = nullptr);
    virtual void InvalidateRect(const VRect& rect, Ctrl* origin = nullptr);
    virtual void Redraw();

    // The tree. AddChild and RemoveChild keep the child list (under its guard) and the child's parent;
    // SetParent moves the control (retained meanwhile) to another parent, or with none detaches it and its
    // subtree from the tree's root. A control cannot become its own descendant.
    virtual bool AddChild(Ctrl* child);
    virtual bool RemoveChild(Ctrl* child);
    virtual bool SetParent(Ctrl* parent);
    // Sets the id, SetParent(parent), sets the frame and stores the listener; true.
    virtual bool Create(int32_t id, const VRect& frame, Ctrl* parent, ICtrlListener* listener);

    // Changes the visible flag and redraws when it changed.
    virtual void SetVisible(bool on);
    virtual const VFoundation::VString& GetName() const;
    virtual void SetName(const char* name);
    virtual const VFoundation::VString& GetDisplayName() const;
    virtual void SetDisplayName(const char* text);
    virtual const VFoundation::VString& GetDisplayDescription() const;
    virtual void SetDisplayDescription(const char* text);
    virtual const VFoundation::VString& GetText() const;
    virtual void SetText(const char* text);
    // Only when the style allows "highlight": changes the highlighted flag and redraws.
    virtual void SetHighlighted(bool on);
    // The value setters of the value controls; the base takes no value (false).
    virtual bool SetBoolValue(bool value);
    virtual bool SetIntValue(int32_t value);
    virtual bool SetRealValue(double value);
    // A CtrlValueEvent of kind 1, 3 or 4 goes to the matching setter; false for anything else.
    virtual bool SetValueFromEvent(const CtrlEvent& event);
    virtual void SetStyle(CtrlStyle* style);
    // One of the control's timers (started through the root) fired; false stops it. The base stops it.
    virtual bool HandleTimer(int32_t timerId);
    // The skin reader (the file is loading; its cursor on this control's element) and writer (storing;
    // the cursor on the element made for this control). keepName keeps the current name: it is neither
    // read nor written. Children are read and written only with withChildren.
    virtual void SerializeAsXML(VFoundation::VXMLFile& xmlFile, bool withChildren, bool keepName);

    // Changes the enabled flag and redraws when it changed.
    virtual void SetEnabled(bool on);
    virtual void SetFrame(const VRect& frame);
    // The deepest visible, enabled control under point (in this control's coordinates): this one or a
    // descendant, the later of overlapping siblings with the higher z-order first; none when the point is
    // outside or this control is hidden or disabled.
    virtual Ctrl* HitTest(const VPoint& point);
    // Called on the top control of a tree for each control leaving it (children before their parent, the
    // last child first): the root drops every pointer it keeps to ctrl (pressed, focus, under the mouse,
    // timers). The base keeps none.
    virtual void ForgetControl(Ctrl* ctrl);
    // The element name the control is written under; its class name unless it stands for another class.
    virtual const char* GetSkinClassName() const;
    // Whether Tab may move the keyboard focus onto this control (buttons, lists, tables, combo boxes do);
    // the root also asks that the control be visible and enabled, its parents too.
    virtual bool AcceptsKeyboardFocus() const;

    // Sends an event to the listener through the shared event (see ICtrlListener); false without listener.
    bool SendEvent(int32_t type, int32_t data = 0);
    bool SendEvent(int32_t type, const VPoint& point, int32_t data = 0,
                   VFoundation::VObject* object = nullptr);

    int32_t GetId() const { return m_id; }
    void SetId(int32_t id) { m_id = id; }
    VRect GetFrame() const { return VRect{m_x, m_y, m_width, m_height}; }
    int32_t GetX() const { return m_x; }
    int32_t GetY() const { return m_y; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    int32_t GetAbsoluteX() const { return m_absoluteX; }
    int32_t GetAbsoluteY() const { return m_absoluteY; }
    VRect GetAbsoluteFrame() const { return VRect{m_absoluteX, m_absoluteY, m_width, m_height}; }
    uint32_t GetFlags() const { return m_flags; }
    // Sets or clears the bits of mask without redrawing.
    void SetFlags(bool on, uint32_t mask);
    bool IsVisible() const { return (m_flags & kFlagVisible) != 0; }
    bool IsEnabled() const { return (m_flags & kFlagEnabled) != 0; }
    bool IsHighlighted() const { return (m_flags & kFlagHighlighted) != 0; }
    int GetZOrder() const { return m_zOrder; }
    void SetZOrder(int zOrder);
    CtrlStyle* GetStyle() const { return m_style.Get(); }
    Ctrl* GetParent() const { return m_parent; }
    // The top of the tree the control is in (itself without parent).
    Ctrl* GetTopControl();
    bool IsAncestorOf(const Ctrl* ctrl) const;
    int GetChildCount() const;
    // None outside 0 .. count - 1; the list keeps its reference.
    Ctrl* GetChildAt(int index) const;
    // None until the first child is added.
    VFoundation::VObjectArrayTmpl<Ctrl>* GetChildren() const { return m_children.Get(); }
    // The first control of the subtree (this one included, depth first) with that name or id.
    Ctrl* FindCtrlByName(const char* name);
    Ctrl* FindCtrlById(int32_t id);
    ICtrlListener* GetListener() const { return m_listener; }
    void SetListener(ICtrlListener* listener) { m_listener = listener; }
    const VFoundation::VString& GetOverloadClass() const { return m_overloadClass; }
    void SetOverloadClass(const char* name) { m_overloadClass.Assign(name ? name : ""); }
    int32_t GetSerial() const { return m_serial; }

private:
    void UpdateAbsolutePosition();
    void ForgetSubtree(Ctrl* top, Ctrl* ctrl);
    bool SendSharedEvent(int32_t type, const VPoint& point, int32_t data, VFoundation::VObject* object);
    void ReadSkin(VFoundation::VXMLFile& xmlFile, bool withChildren, bool keepName);
    // False when the reading of this level stops.
    bool ReadSkinChild(VFoundation::VXMLFile& xmlFile, bool rectRead);
    void WriteSkin(VFoundation::VXMLFile& xmlFile, bool withChildren, bool keepName);
    void ReportDrawingException();

    uint32_t m_flags = kInitialFlags;
    VFoundation::VRef<CtrlStyle> m_style;
    int32_t m_id = 0;
    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_absoluteX = 0;
    int32_t m_absoluteY = 0;
    Ctrl* m_parent = nullptr;
    VFoundation::VRef<VFoundation::VObjectArrayTmpl<Ctrl>> m_children;
    ICtrlListener* m_listener = nullptr;
    VFoundation::VString m_overloadClass;
    VFoundation::VRef<VFoundation::VString> m_name;
    VFoundation::VRef<VFoundation::VString> m_displayName;
    VFoundation::VRef<VFoundation::VString> m_displayDescription;
    int32_t m_serial;
    int16_t m_zOrder = 1;
    VFoundation::VString m_text;
};

} // namespace VCtrl
