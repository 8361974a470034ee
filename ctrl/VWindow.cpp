#include "ctrl/VWindow.h"

#include "application/VApplication.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/IWindowBackend.h"
#include "ctrl/VCtrl.h"
#include "ctrl/VWindowDelegate.h"
#include "ctrl/WindowMessages.h"
#include "foundation/VClass.h"
#include "foundation/VLog.h"

namespace VCtrl {

using VFoundation::VRef;
using VFoundation::VString;

V_IMPLEMENT_CLASS(VWindow, VFoundation::VObject)

VWindow::VWindow(VFoundation::VClass* record) : VObject(record ? record : GetClassRecord()) {}

VWindow::~VWindow() {
    // The delegate is often the subclass being destroyed: it is not told.
    Destroy(false);
}

bool VWindow::WindowCreated() {
    return true;
}

bool VWindow::CreateWindow(const CWindowAttributes& attributes) {
    VCTRL_ASSERT_UI_THREAD();
    if (m_platform) {
        VFoundation::LogPrintf("VWindow::CreateWindow - the window \"%s\" exists already\n",
                               m_attributes.title.GetText());
        return false;
    }
    std::shared_ptr<IWindowBackend> backend = GetWindowBackend();
    m_attributes = attributes;
    const VString application = VApplication::GetApplicationName();
    m_windowClassName.Format("com.kestrawin.%s.%s", application.GetText(), attributes.title.GetText());

    const int width = attributes.width > 0 ? attributes.width : 0;
    const int height = attributes.height > 0 ? attributes.height : 0;
    const VSize screen = backend->GetScreenSize();
    const VRect frame{(screen.width - width) / 2, (screen.height - height) / 2, width, height};
    m_platform = backend->CreatePlatformWindow(*this, attributes, frame, m_windowClassName.GetText());
    if (!m_platform) {
        VFoundation::LogPrintf("VWindow::CreateWindow - the %s backend could not make the window \"%s\"\n",
                               backend->GetName(), attributes.title.GetText());
        return false;
    }

    m_size = VSize{width, height};
    m_position = VPoint{frame.x, frame.y};
    m_created = true;
    if (!m_root) m_root = VFoundation::MakeRef<CtrlRoot>();
    m_root->AttachWindow(this, width, height);
    const bool created = WindowCreated();
    if (created && m_root) m_root->Redraw();
    if (m_platform && attributes.HasStyle(CWindowAttributes::kStyleVisible)) Show();
    return created;
}

void VWindow::DestroyWindow() {
    VCTRL_ASSERT_UI_THREAD();
    Destroy(true);
}

void VWindow::Destroy(bool notify) {
    if (!m_platform && !m_root) return;
    // Kept alive for the delegate's notice, unless the window is already going (a subclass's destructor
    // asking for it): a reference taken then would destroy it a second time.
    VRef<VWindow> hold = notify && GetRetainCount() > 0 ? VRef<VWindow>::Retained(this) : VRef<VWindow>();
    // The platform window goes first, so no message reaches a root that is half gone.
    std::unique_ptr<IPlatformWindow> platform = std::move(m_platform);
    platform.reset();
    VRef<CtrlRoot> root = std::move(m_root);
    if (root) root->DetachWindow();
    m_size = VSize{};
    m_position = VPoint{};
    m_created = false;
    m_visible = false;
    root = nullptr;
    if (notify && m_delegate) m_delegate->WindowDestroyed(this);
}

intptr_t VWindow::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    VCTRL_ASSERT_UI_THREAD();
    VRef<VWindow> hold = VRef<VWindow>::Retained(this);
    switch (message) {
    case WindowMessage::kSize: {
        const int width = int(uint32_t(lParam) & 0xFFFF);
        const int height = int((uint32_t(lParam) >> 16) & 0xFFFF);
        m_size = VSize{width, height < 0 ? 0 : height};
        if (m_delegate) m_delegate->WindowResized(m_size, this);
        if (m_root) {
            m_root->SetFrame(VRect{0, 0, m_size.width, m_size.height});
            m_root->Redraw();
        }
        if (m_platform) m_platform->Invalidate(VRect{0, 0, m_size.width, m_size.height});
        return 0;
    }
    case WindowMessage::kMove:
        m_position = VPoint{PointParamX(lParam), PointParamY(lParam)};
        if (m_delegate) m_delegate->WindowMoved(m_position, this);
        return 0;
    case WindowMessage::kSetFocus:
    case WindowMessage::kKillFocus:
        if (m_delegate) {
            if (message == WindowMessage::kSetFocus)
                m_delegate->WindowGotFocus(this);
            else
                m_delegate->WindowLostFocus(this);
        }
        // The root keeps its own focus state (key states, buttons, drags).
        if (m_root) m_root->HandleWindowMessage(message, wParam, lParam);
        return 0;
    case WindowMessage::kClose:
        if (m_delegate && !m_delegate->WindowShouldClose(this)) return -1;
        Destroy(true);
        return 0;
    case WindowMessage::kDestroy:
        // The platform window is going whatever anyone says: end the window with it.
        Destroy(true);
        return 0;
    default:
        if (VRef<CtrlRoot> root = VRef<CtrlRoot>::Retained(m_root.Get()))
            root->HandleWindowMessage(message, wParam, lParam);
        return 0;
    }
}

void VWindow::Show() {
    VCTRL_ASSERT_UI_THREAD();
    if (!m_platform) return;
    m_platform->Show(true);
    m_visible = true;
}

void VWindow::Hide() {
    VCTRL_ASSERT_UI_THREAD();
    if (!m_platform) return;
    m_platform->Show(false);
    m_visible = false;
}

void VWindow::SetTitle(const char* title) {
    VCTRL_ASSERT_UI_THREAD();
    m_attributes.title.Assign(title ? title : "");
    if (m_platform) m_platform->SetTitle(m_attributes.title.GetText());
}

void VWindow::Update() {
    VCTRL_ASSERT_UI_THREAD();
    if (m_platform) m_platform->Update();
}

bool VWindow::SaveAsPNG(const char* path) {
    VCTRL_ASSERT_UI_THREAD();
    return m_root && m_root->SaveOffscreenAsPNG(path);
}

VApplication::NativeWindow VWindow::GetNativeWindow() const {
    return m_platform ? m_platform->GetNativeWindow() : nullptr;
}

} // namespace VCtrl
