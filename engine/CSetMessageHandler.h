#pragma once

namespace VFoundation {
class VString;
}

// The main window's status line and restart notice, as the instructions reach them: through two
// process-wide pointers that are empty while no window exists. Both are called from the installer
// thread; an implementation that touches controls hands the work to the user-interface thread.
class CSetMessageHandler {
public:
    virtual ~CSetMessageHandler() = default;
    virtual void SetMessage(const VFoundation::VString& text) = 0;
    virtual void RebootRequired() = 0;

    static CSetMessageHandler* GetMessageHandler();
    static void SetMessageHandler(CSetMessageHandler* handler);
    static CSetMessageHandler* GetRebootHandler();
    static void SetRebootHandler(CSetMessageHandler* handler);
};
