#pragma once

#include "application/IApplicationBackend.h"

#include <string>

class CInstallerUI;

// Saves a picture of the wizard's window each time another page is shown, as NN-<stage>.png in a folder
// (--screenshots): NN counts the pictures from 01, the stage name has every character other than a letter
// or digit made "-", and "End" names the picture taken after the last page. Unattended runs call Check as
// they move on; a window that a user drives is watched from a timer of the message loop. On the
// user-interface thread only.
class CPageScreenshots {
public:
    // How often a watched window is looked at.
    static constexpr uint32_t kWatchPeriodMs = 100;

    CPageScreenshots(CInstallerUI& window, std::string folder);
    ~CPageScreenshots();
    CPageScreenshots(const CPageScreenshots&) = delete;
    CPageScreenshots& operator=(const CPageScreenshots&) = delete;

    // Makes the folder.
    void Prepare();
    // Saves the page now shown unless it was the last one saved.
    void Check();
    // Checks from a timer until this object goes.
    void Watch();

private:
    void Save();

    CInstallerUI& m_window;
    std::string m_folder;
    int m_shownPage = -1;
    int m_count = 0;
    VApplication::TimerId m_timer = 0;
};
