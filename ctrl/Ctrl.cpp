#include "ctrl/Ctrl.h"

#include "application/VApplication.h"
#include "ctrl/CtrlClassView.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlStyle.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/IGraphicsContext.h"
#include "ctrl/VCtrl.h"
#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VException.h"
#include "foundation/VFoundation.h"
#include "foundation/VLog.h"
#include "foundation/VXMLFile.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace VCtrl {

using VFoundation::VClass;
using VFoundation::VCriticalSectionLock;
using VFoundation::VException;
using VFoundation::VObject;
using VFoundation::VRef;
using VFoundation::VString;
using VFoundation::VXMLFile;

V_IMPLEMENT_CLASS(Ctrl, VFoundation::VObject)

namespace {

std::atomic<int32_t> g_nextSerial{0};

VRef<VString> PooledOrNone(const char* text) {
    if (!text || !*text) return nullptr;
    return VRef<VString>::Adopt(VString::Alloc(text));
}

const VString& TextOrEmpty(const VRef<VString>& text) {
    return text ? *text : VString::GetEmpty();
}

VRect Intersection(const VRect& a, const VRect& b) {
    const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.width, b.x + b.width),
              bottom = std::min(a.y + a.height, b.y + b.height);
    return VRect{left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// "x,y,width,height"; spaces may stand beside or instead of the commas.
bool ParseRect(const char* text, VRect& out) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%s", text);
    for (char* p = buffer; *p; ++p)
        if (*p == ',') *p = ' ';
    int values[4];
    char rest = 0;
    if (std::sscanf(buffer, "%d %d %d %d %c", &values[0], &values[1], &values[2], &values[3], &rest) != 4)
        return false;
    out = VRect{values[0], values[1], values[2], values[3]};
    return true;
}

VClass* FindRecord(const char* name) {
    if (!name || !*name) return nullptr;
    VClass* record = VClass::FindByName(name);
    return record ? record : VClass::FindAlias(name);
}

// An element that describes a rectangle object rather than a control or a style.
bool IsRectElement(const char* tag) {
    return std::strcmp(tag, "rect") == 0 || std::strcmp(tag, "VRect") == 0;
}

// Undoes what drawing one child did to the context, also when the child throws.
class ChildDrawingScope {
public:
    ChildDrawingScope(IGraphicsContext& context, const VPoint& origin)
        : m_context(context), m_origin(origin) {
        m_context.SaveState();
    }
    ~ChildDrawingScope() {
        m_context.SetOrigin(m_origin.x, m_origin.y);
        m_context.RestoreState();
    }
    ChildDrawingScope(const ChildDrawingScope&) = delete;
    ChildDrawingScope& operator=(const ChildDrawingScope&) = delete;

private:
    IGraphicsContext& m_context;
    VPoint m_origin;
};

} // namespace

Ctrl::Ctrl(CtrlStyle* style, VClass* record)
    : VObject(record ? record : GetClassRecord()), m_style(VRef<CtrlStyle>::Retained(style)),
      m_serial(++g_nextSerial) {
    VCTRL_ASSERT_UI_THREAD();
}

Ctrl::~Ctrl() {
    if (m_children) {
        VCriticalSectionLock lock(m_children->GetGuard());
        for (Ctrl* child : *m_children)
            if (child && child->m_parent == this) child->m_parent = nullptr;
    }
}

VObject* Ctrl::Copy() const {
    VFoundation::LogPrintf("Don't call Ctrl's operator=, it aint implemented!");
    return GetClass()->CreateInstance();
}

void Ctrl::SerializeAsXML(VXMLFile& xmlFile) {
    SerializeAsXML(xmlFile, true, false);
}

void Ctrl::GetDescription(VString& out) const {
    out.Format("%s (name: %s id:%i, Rect[%i,%i,%i,%i] AbsRect[%i,%i,%i,%i])", GetClassName(),
               GetName().GetText(), m_id, m_x, m_y, m_width, m_height, m_absoluteX, m_absoluteY, m_width,
               m_height);
}

// Mouse and keys

bool Ctrl::MouseDown(const VPoint&, uint32_t) {
    return false;
}

bool Ctrl::MouseUp(const VPoint&, uint32_t) {
    return false;
}

bool Ctrl::RightMouseDown(const VPoint&, uint32_t) {
    return false;
}

bool Ctrl::RightMouseUp(const VPoint&, uint32_t) {
    return false;
}

bool Ctrl::MouseMoved(const VPoint&, uint32_t) {
    return IsEnabled() && IsVisible();
}

bool Ctrl::MouseDoubleClicked(const VPoint&, uint32_t) {
    return false;
}

bool Ctrl::MouseEntered() {
    if (!IsEnabled() || !IsVisible()) return false;
    if (!m_style || !m_style->HasFlags(CtrlStyle::kFlagNoMouseOverEvent)) SendEvent(CtrlEvent::kMouseEntered);
    return true;
}

bool Ctrl::MouseLeft() {
    if (!IsEnabled() || !IsVisible()) return false;
    if (!m_style || !m_style->HasFlags(CtrlStyle::kFlagNoMouseOverEvent)) SendEvent(CtrlEvent::kMouseLeft);
    return true;
}

bool Ctrl::MouseWheel(const VPoint&, double, uint32_t) {
    return false;
}

bool Ctrl::FilesDropped(const VPoint& point, uint32_t modifiers, VFoundation::VObjectArray* names) {
    SendEvent(CtrlEvent::kFilesDropped, point, int32_t(modifiers), names);
    return true;
}

bool Ctrl::KeyDown(int32_t, uint32_t) {
    return false;
}

bool Ctrl::KeyUp(int32_t, uint32_t) {
    return false;
}

bool Ctrl::Character(uint32_t) {
    return false;
}

// Drawing

void Ctrl::DrawChildren(IGraphicsContext& context, int lowest, int highest) {
    VCTRL_ASSERT_UI_THREAD();
    if (!IsVisible() || !m_children || m_children->GetCount() == 0) return;
    // Without a clip the whole target is being drawn; with one only the children meeting it need drawing.
    VRect dirty;
    const bool testDirty = context.GetClipBox(dirty);
    if (testDirty) dirty = Intersection(dirty, VRect{0, 0, m_width, m_height});
    const VPoint origin = context.GetOrigin();
    try {
        VCriticalSectionLock lock(m_children->GetGuard());
        for (int i = 0; i < m_children->GetCount(); ++i) {
            Ctrl* child = m_children->GetObjectAtIndex(i);
            if (!child || !child->IsVisible() || child->m_zOrder < lowest || child->m_zOrder > highest)
                continue;
            const VRect frame = child->GetFrame();
            if (testDirty && !frame.Intersects(dirty)) continue;
            // One saved state per child: the clip of one child must not narrow the next one's.
            ChildDrawingScope scope(context, origin);
            context.ClipRect(0, 0, m_width, m_height);
            context.SetOrigin(origin.x + frame.x, origin.y + frame.y);
            context.ClipRect(0, 0, frame.width, frame.height);
            child->Draw(context);
        }
    } catch (...) {
        ReportDrawingException();
    }
}

void Ctrl::ReportDrawingException() {
    char text[256];
    std::snprintf(text, sizeof text, "Exception when drawing %s\n", GetClassName());
    VFoundation::LogPrintf("%s", text);
    if (!VException::WasRaised()) {
        const VString application = VApplication::GetApplicationName();
        VFoundation::Alert("%s: %s", application.GetText(), text);
    }
    VException::SetRaised(true);
}

void Ctrl::Draw(IGraphicsContext& context) {
    DrawChildren(context, kLowestZOrder, kHighestZOrder);
}

void Ctrl::Invalidate(int x, int y, int width, int height, Ctrl* origin) {
    Ctrl* parent = m_parent;
    if (!IsVisible() || !parent) return;
    parent->Invalidate(x + m_x, y + m_y, width, height, origin ? origin : this);
}

void Ctrl::InvalidateRect(const VRect& rect, Ctrl* origin) {
    Invalidate(rect.x, rect.y, rect.width, rect.height, origin);
}

void Ctrl::Redraw() {
    Invalidate(0, 0, m_width, m_height, this);
}

// The tree

bool Ctrl::AddChild(Ctrl* child) {
    VCTRL_ASSERT_UI_THREAD();
    if (!child || child == this || child->IsAncestorOf(this)) return false;
    // A child always knows its parent: adding a control that has another (or none) goes through SetParent,
    // which comes back here.
    if (child->m_parent != this) return child->SetParent(this);
    if (!m_children) m_children = VFoundation::MakeRef<VFoundation::VObjectArrayTmpl<Ctrl>>();
    {
        VCriticalSectionLock lock(m_children->GetGuard());
        if (m_children->ContainsObject(child)) return false;
        m_children->AddObject(child);
    }
    child->UpdateAbsolutePosition();
    return true;
}

bool Ctrl::RemoveChild(Ctrl* child) {
    VCTRL_ASSERT_UI_THREAD();
    if (!child || !m_children) return false;
    // The list may hold the last reference.
    VRef<Ctrl> hold = VRef<Ctrl>::Retained(child);
    {
        VCriticalSectionLock lock(m_children->GetGuard());
        if (!m_children->ContainsObject(child)) return false;
    }
    if (child->m_parent == this) {
        ForgetSubtree(GetTopControl(), child);
        child->m_parent = nullptr;
    }
    {
        VCriticalSectionLock lock(m_children->GetGuard());
        m_children->RemoveObject(child);
    }
    child->UpdateAbsolutePosition();
    return true;
}

bool Ctrl::SetParent(Ctrl* parent) {
    VCTRL_ASSERT_UI_THREAD();
    if (parent == this || (parent && IsAncestorOf(parent))) {
        VFoundation::LogPrintf("Ctrl::SetParent - %s cannot become a child of its own descendant\n",
                               GetClassName());
        return false;
    }
    VRef<Ctrl> hold = VRef<Ctrl>::Retained(this);
    if (m_parent && m_parent != parent) m_parent->RemoveChild(this);
    if (!parent) {
        UpdateAbsolutePosition();
        return true;
    }
    m_parent = parent;
    return parent->AddChild(this);
}

bool Ctrl::Create(int32_t id, const VRect& frame, Ctrl* parent, ICtrlListener* listener) {
    VCTRL_ASSERT_UI_THREAD();
    m_id = id;
    SetParent(parent);
    SetFrame(frame);
    m_listener = listener;
    return true;
}

void Ctrl::ForgetSubtree(Ctrl* top, Ctrl* ctrl) {
    if (ctrl->m_children) {
        VCriticalSectionLock lock(ctrl->m_children->GetGuard());
        for (int i = ctrl->m_children->GetCount() - 1; i >= 0; --i)
            if (Ctrl* child = ctrl->m_children->GetObjectAtIndex(i)) ForgetSubtree(top, child);
    }
    top->ForgetControl(ctrl);
}

void Ctrl::ForgetControl(Ctrl*) {}

Ctrl* Ctrl::GetTopControl() {
    Ctrl* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return top;
}

bool Ctrl::IsAncestorOf(const Ctrl* ctrl) const {
    for (const Ctrl* p = ctrl ? ctrl->m_parent : nullptr; p; p = p->m_parent)
        if (p == this) return true;
    return false;
}

int Ctrl::GetChildCount() const {
    return m_children ? m_children->GetCount() : 0;
}

Ctrl* Ctrl::GetChildAt(int index) const {
    return m_children ? m_children->GetObjectAtIndex(index) : nullptr;
}

Ctrl* Ctrl::FindCtrlByName(const char* name) {
    if (!name || !*name) return nullptr;
    if (GetName().IsEqual(name)) return this;
    if (!m_children) return nullptr;
    VCriticalSectionLock lock(m_children->GetGuard());
    for (Ctrl* child : *m_children)
        if (Ctrl* found = child ? child->FindCtrlByName(name) : nullptr) return found;
    return nullptr;
}

Ctrl* Ctrl::FindCtrlById(int32_t id) {
    if (m_id == id) return this;
    if (!m_children) return nullptr;
    VCriticalSectionLock lock(m_children->GetGuard());
    for (Ctrl* child : *m_children)
        if (Ctrl* found = child ? child->FindCtrlById(id) : nullptr) return found;
    return nullptr;
}

Ctrl* Ctrl::HitTest(const VPoint& point) {
    if (!IsVisible() || !IsEnabled()) return nullptr;
    if (point.x < 0 || point.y < 0 || point.x >= m_width || point.y >= m_height) return nullptr;
    if (m_children) {
        VCriticalSectionLock lock(m_children->GetGuard());
        Ctrl* hitChild = nullptr;
        Ctrl* hit = nullptr;
        for (Ctrl* child : *m_children) {
            if (!child || (hitChild && child->m_zOrder < hitChild->m_zOrder)) continue;
            if (Ctrl* found = child->HitTest(VPoint{point.x - child->m_x, point.y - child->m_y})) {
                hitChild = child;
                hit = found;
            }
        }
        if (hit) return hit;
    }
    return this;
}

void Ctrl::UpdateAbsolutePosition() {
    m_absoluteX = m_x + (m_parent ? m_parent->m_absoluteX : 0);
    m_absoluteY = m_y + (m_parent ? m_parent->m_absoluteY : 0);
    if (!m_children) return;
    VCriticalSectionLock lock(m_children->GetGuard());
    for (Ctrl* child : *m_children)
        if (child) child->UpdateAbsolutePosition();
}

// Properties

void Ctrl::SetFlags(bool on, uint32_t mask) {
    if (on)
        m_flags |= mask;
    else
        m_flags &= ~mask;
}

void Ctrl::SetZOrder(int zOrder) {
    m_zOrder = int16_t(std::clamp(zOrder, kLowestZOrder, kHighestZOrder));
}

void Ctrl::SetFrame(const VRect& frame) {
    m_x = frame.x;
    m_y = frame.y;
    m_width = frame.width;
    m_height = frame.height;
    UpdateAbsolutePosition();
}

void Ctrl::SetVisible(bool on) {
    if (IsVisible() == on) return;
    // Invalidation only passes for a visible control, so a control going away asks for its area first.
    if (!on) Redraw();
    SetFlags(on, kFlagVisible);
    if (on) Redraw();
}

void Ctrl::SetEnabled(bool on) {
    if (IsEnabled() == on) return;
    SetFlags(on, kFlagEnabled);
    Redraw();
}

void Ctrl::SetHighlighted(bool on) {
    if (!m_style || !m_style->HasFlags(CtrlStyle::kFlagHighlight) || IsHighlighted() == on) return;
    SetFlags(on, kFlagHighlighted);
    Redraw();
}

const VString& Ctrl::GetName() const {
    return TextOrEmpty(m_name);
}

void Ctrl::SetName(const char* name) {
    m_name = PooledOrNone(name);
}

const VString& Ctrl::GetDisplayName() const {
    return TextOrEmpty(m_displayName);
}

void Ctrl::SetDisplayName(const char* text) {
    m_displayName = PooledOrNone(text);
}

const VString& Ctrl::GetDisplayDescription() const {
    return TextOrEmpty(m_displayDescription);
}

void Ctrl::SetDisplayDescription(const char* text) {
    m_displayDescription = PooledOrNone(text);
}

const VString& Ctrl::GetText() const {
    return m_text;
}

void Ctrl::SetText(const char* text) {
    m_text.Assign(text ? text : "");
}

bool Ctrl::SetBoolValue(bool) {
    return false;
}

bool Ctrl::SetIntValue(int32_t) {
    return false;
}

bool Ctrl::SetRealValue(double) {
    return false;
}

bool Ctrl::SetValueFromEvent(const CtrlEvent& event) {
    if (!event.IsKindOf(CtrlValueEvent::GetClassRecord())) return false;
    const auto& value = static_cast<const CtrlValueEvent&>(event);
    switch (value.GetKind()) {
    case CtrlValueEvent::kBool:
        return SetBoolValue(value.GetBool());
    case CtrlValueEvent::kInteger:
        return SetIntValue(value.GetInteger());
    case CtrlValueEvent::kReal:
        return SetRealValue(value.GetReal());
    default:
        return false;
    }
}

void Ctrl::SetStyle(CtrlStyle* style) {
    if (style == m_style.Get()) return;
    m_style = VRef<CtrlStyle>::Retained(style);
    Redraw();
}

bool Ctrl::HandleTimer(int32_t) {
    return false;
}

bool Ctrl::AcceptsKeyboardFocus() const {
    return false;
}

const char* Ctrl::GetSkinClassName() const {
    return GetClassName();
}

// Events

bool Ctrl::SendEvent(int32_t type, int32_t data) {
    return SendSharedEvent(type, VPoint{}, data, nullptr);
}

bool Ctrl::SendEvent(int32_t type, const VPoint& point, int32_t data, VObject* object) {
    return SendSharedEvent(type, point, data, object);
}

bool Ctrl::SendSharedEvent(int32_t type, const VPoint& point, int32_t data, VObject* object) {
    VCTRL_ASSERT_UI_THREAD();
    ICtrlListener* listener = m_listener;
    if (!listener) return false;
    CtrlEvent& event = CtrlEvent::Shared();
    // A listener may send events itself; the event it is reading comes back to its content afterwards.
    const CtrlEvent previous(event);
    event.Set(type, this, data);
    event.SetPoint(point);
    event.SetObject(object);
    try {
        listener->HandleCtrlEvent(event);
    } catch (...) {
        event = previous;
        throw;
    }
    event = previous;
    return true;
}

// Skins

void Ctrl::SerializeAsXML(VXMLFile& xmlFile, bool withChildren, bool keepName) {
    VCTRL_ASSERT_UI_THREAD();
    if (xmlFile.IsStoring()) {
        WriteSkin(xmlFile, withChildren, keepName);
        return;
    }
    if (!xmlFile.IsLoading()) return;
    const VXMLFile::Cursor element = xmlFile.GetCursor();
    try {
        ReadSkin(xmlFile, withChildren, keepName);
    } catch (const VException&) {
        VFoundation::Alert("Exception detected in Ctrl::SerializeAsXML");
    } catch (...) {
        VFoundation::Alert("Exception detected in Ctrl::SerializeAsXML");
    }
    xmlFile.SetCursor(element);
}

void Ctrl::ReadSkin(VXMLFile& xmlFile, bool withChildren, bool keepName) {
    VString text;
    if (!keepName) SetName(xmlFile.GetAttribute("name", text) ? text.GetText() : nullptr);

    bool rectRead = false;
    if (xmlFile.GetAttribute("rect", text)) {
        VRect frame;
        if (ParseRect(text.GetText(), frame)) {
            SetFrame(frame);
            rectRead = true;
        } else {
            VFoundation::LogPrintf("Ctrl::SerializeAsXML - ignoring the malformed rect \"%s\" of %s\n",
                                   text.GetText(), GetClassName());
        }
    }
    int number = 0;
    if (xmlFile.GetIntAttribute("zorder", number)) SetZOrder(number);
    if (xmlFile.GetIntAttribute("id", number)) m_id = number;
    if (xmlFile.GetAttribute("overloadClass", text)) SetOverloadClass(text.GetText());

    if (xmlFile.GetAttribute("style", text) && !text.IsEmpty())
        if (CtrlStyle* style = CtrlStyle::FindStyle(text.GetText())) SetStyle(style);

    if (xmlFile.GetAttribute("displayName", text)) SetDisplayName(text.GetText());
    if (xmlFile.GetAttribute("displayDesc", text)) SetDisplayDescription(text.GetText());

    if (!withChildren) return;
    const VXMLFile::Cursor element = xmlFile.GetCursor();
    if (!xmlFile.EnterFirstChild()) return;
    do {
        const VXMLFile::Cursor child = xmlFile.GetCursor();
        const bool goOn = ReadSkinChild(xmlFile, rectRead);
        xmlFile.SetCursor(child);
        if (!goOn) break;
    } while (xmlFile.EnterNextSibling());
    xmlFile.SetCursor(element);
}

bool Ctrl::ReadSkinChild(VXMLFile& xmlFile, bool rectRead) {
    const char* tag = xmlFile.GetElementName();
    if (IsRectElement(tag)) {
        int x = 0, y = 0;
        if (!rectRead && xmlFile.GetIntAttribute("x", x) && xmlFile.GetIntAttribute("y", y))
            SetFrame(VRect{x, y, m_width, m_height});
        return true;
    }

    VString className;
    if (!xmlFile.GetAttribute("class", className)) className.Assign(tag);
    VClass* record = FindRecord(className.GetText());
    VString overload;
    if (xmlFile.GetAttribute("overloadClass", overload))
        if (VClass* overloadRecord = FindRecord(overload.GetText())) record = overloadRecord;
    if (!record) record = VClass::FindByName("CtrlClassView");
    if (!record) return true;

    if (record->IsKindOf(CtrlStyle::GetClassRecord())) {
        // Reading puts the style into the style list, which keeps it.
        VRef<VObject> style = VRef<VObject>::Adopt(record->CreateInstance());
        if (style) style->SerializeAsXML(xmlFile);
        return true;
    }
    if (!record->IsKindOf(Ctrl::GetClassRecord())) {
        VFoundation::LogPrintf("Ctrl::SerializeAsXML - skipping <%s>: %s is neither a control nor a style\n",
                               tag, record->GetName());
        return true;
    }

    VRef<VObject> made = VRef<VObject>::Adopt(record->CreateInstance());
    if (!made) {
        VFoundation::Alert("Error creating a ctrl of class %s from XML skin definition", record->GetName());
        return false;
    }
    auto* child = static_cast<Ctrl*>(made.Get());
    if (child->IsKindOf(CtrlClassView::GetClassRecord()))
        static_cast<CtrlClassView*>(child)->SetRepresentedClassName(className.GetText());
    child->SerializeAsXML(xmlFile, true, false);
    child->Create(child->m_id, child->GetFrame(), this, m_listener);
    return true;
}

void Ctrl::WriteSkin(VXMLFile& xmlFile, bool withChildren, bool keepName) {
    if (!keepName && !GetName().IsEmpty()) xmlFile.SetAttribute("name", GetName().GetText());
    if (!m_overloadClass.IsEmpty()) xmlFile.SetAttribute("overloadClass", m_overloadClass.GetText());
    if (m_style && !m_style->GetName().IsEmpty()) xmlFile.SetAttribute("style", m_style->GetName().GetText());
    VString rect;
    rect.Format("%i,%i,%i,%i", m_x, m_y, m_width, m_height);
    xmlFile.SetAttribute("rect", rect.GetText());
    xmlFile.SetIntAttribute("id", m_id);
    if (!GetDisplayName().IsEmpty()) xmlFile.SetAttribute("displayName", GetDisplayName().GetText());
    if (!GetDisplayDescription().IsEmpty())
        xmlFile.SetAttribute("displayDesc", GetDisplayDescription().GetText());
    if (m_zOrder != 1) xmlFile.SetIntAttribute("zorder", m_zOrder);

    if (!withChildren || !m_children) return;
    const VXMLFile::Cursor element = xmlFile.GetCursor();
    VCriticalSectionLock lock(m_children->GetGuard());
    for (Ctrl* child : *m_children) {
        if (!child || (child->m_flags & kFlagNotInSkin)) continue;
        xmlFile.BeginChild(child->GetSkinClassName());
        child->SerializeAsXML(xmlFile, true, false);
        xmlFile.SetCursor(element);
    }
}

} // namespace VCtrl
