#pragma once

#include "foundation/VRef.h"

#include <cstdint>

namespace VFoundation {
class VImage;
class VObject;
} // namespace VFoundation

// Shows splash screens for the pre-run list. The user interface registers one; the engine has no window
// of its own. Called on the user-interface thread only.
class ISplashScreenPresenter {
public:
    virtual ~ISplashScreenPresenter() = default;
    // Hides the main window when there is one, shows image for timeoutMs (-1: until closed otherwise) and
    // returns whether the window was shown; window receives the splash screen window, which the caller
    // keeps alive.
    virtual bool ShowSplashScreen(VFoundation::VImage* image, int32_t timeoutMs,
                                  VFoundation::VRef<VFoundation::VObject>& window) = 0;

    static ISplashScreenPresenter* GetPresenter();
    static void SetPresenter(ISplashScreenPresenter* presenter);
};
