#pragma once

#include "application/IApplicationBackend.h"
#include "ctrl/CWindowAttributes.h"
#include "ctrl/VGeometry.h"
#include "foundation/VObject.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <cstdint>
#include <memory>

namespace VCtrl {

class CtrlRoot;
class IPlatformWindow;
class VWindowDelegate;

// A top-level window: one platform window (made by the selected window backend, IWindowBackend.h) and the
// CtrlRoot at the top of its control tree. The window turns focus, size, move and close messages into calls
// on its delegate and passes everything else to the root.
//
// Lifecycle: made without a platform window; CreateWindow makes the platform window and the root (which
// lives as long as the platform window), DestroyWindow ends both, and so does a close that the delegate
// allows. A refused close leaves the window open.
//
// Threads: a window belongs to the user-interface thread (debug builds assert it).
class VWindow : public VFoundation::VObject {
    V_DECLARE_CLASS(VWindow)
public:
    explicit VWindow(VFoundation::VClass* record = nullptr);
    ~VWindow() override;
    VWindow(const VWindow&) = delete;
    VWindow& operator=(const VWindow&) = delete;

    // Called by CreateWindow once the platform window and the root exist, for subclasses to make their
    // controls. The default does nothing and returns true; on true the root is redrawn and CreateWindow
    // succeeds.
    virtual bool WindowCreated();

    // Makes the platform window, centred on the screen whatever the attributes' x and y say, with the client
    // size they ask for, and the root. The window is shown at once only when the style has the visible bit
    // (kind 3); else Show does it. False when the platform window cannot be made (nothing is shown), when
    // the window already exists, or when WindowCreated returned false (the window then stays made).
    virtual bool CreateWindow(const CWindowAttributes& attributes);
    // Destroys the platform window, clears size and position, stops the root's timers and releases the
    // root; the delegate hears WindowDestroyed. Nothing when the window does not exist.
    virtual void DestroyWindow();

    // The window procedure: backends send every platform event here as a window message
    // (WindowMessages.h). Returns -1 for a refused close, else 0.
    virtual intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    void SetDelegate(VWindowDelegate* delegate) { m_delegate = delegate; }
    VWindowDelegate* GetDelegate() const { return m_delegate; }

    void Show();
    void Hide();
    bool IsVisible() const { return m_visible; }
    bool IsCreated() const { return m_created; }
    void SetTitle(const char* title);

    // Paints what is waiting to be painted now, without waiting for the message loop.
    void Update();
    // Draws the whole control tree into the off-screen surface and writes it as a PNG file.
    bool SaveAsPNG(const char* path);

    CtrlRoot* GetRoot() const { return m_root.Get(); }
    IPlatformWindow* GetPlatformWindow() const { return m_platform.get(); }
    VApplication::NativeWindow GetNativeWindow() const;
    VSize GetClientSize() const { return m_size; }
    // The client area's top left on the screen.
    VPoint GetPosition() const { return m_position; }
    const CWindowAttributes& GetAttributes() const { return m_attributes; }
    // "com.kestrawin." + the application name + "." + the title.
    const VFoundation::VString& GetWindowClassName() const { return m_windowClassName; }

private:
    void Destroy(bool notify);

    VWindowDelegate* m_delegate = nullptr;
    VSize m_size;
    VPoint m_position;
    bool m_created = false;
    bool m_visible = false;
    VFoundation::VRef<CtrlRoot> m_root;
    std::unique_ptr<IPlatformWindow> m_platform;
    CWindowAttributes m_attributes;
    VFoundation::VString m_windowClassName;
};

} // namespace VCtrl
