#pragma once

#include "engine/IInstallerInstruction.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <cstdint>

// "ShowSplashScreen": shows a picture window for a time before the wizard appears. Only the pre-run list
// may use it (the installer thread refuses it); it runs on the user-interface thread and shows the
// window through the presenter that the user interface registers.
class CShowSplashScreenInstruction : public IInstallerInstruction {
    V_DECLARE_CLASS(CShowSplashScreenInstruction)
public:
    CShowSplashScreenInstruction();
    explicit CShowSplashScreenInstruction(const VFoundation::VString& arguments);
    ~CShowSplashScreenInstruction() override;

    bool Execute() override;

    const VFoundation::VString& GetImagePath() const { return m_imagePath; }
    int32_t GetTimeout() const { return m_timeout; }
    VFoundation::VObject* GetSplashScreen() const { return m_splashScreen.Get(); }

private:
    VFoundation::VRef<VFoundation::VObject> m_splashScreen;
    VFoundation::VString m_imagePath;
    int32_t m_timeout = 0;
};
