#pragma once

// Told by a splash screen when it has closed (its time-out ran out). Called on the user-interface thread.
class CInstallerSplashScreenDelegate {
public:
    virtual ~CInstallerSplashScreenDelegate() = default;
    virtual void SplashScreenClosed() = 0;
};
