#include "ui/CPageScreenshots.h"

#include "application/VApplication.h"
#include "foundation/VFileManager.h"
#include "foundation/VLog.h"
#include "ui/CInstallerUI.h"

#include <cctype>
#include <cstdio>

using namespace VFoundation;

CPageScreenshots::CPageScreenshots(CInstallerUI& window, std::string folder)
    : m_window(window), m_folder(std::move(folder)) {}

CPageScreenshots::~CPageScreenshots() {
    if (m_timer) VApplication::StopTimer(m_timer);
}

void CPageScreenshots::Prepare() {
    VFileManager::Instance()->CreateFoldersAtPath(m_folder.c_str(), 0777);
}

void CPageScreenshots::Check() {
    const int page = m_window.GetCurrentPageIndex();
    if (page == m_shownPage) return;
    m_shownPage = page;
    Save();
}

void CPageScreenshots::Watch() {
    if (m_timer) return;
    m_timer = VApplication::StartTimer(kWatchPeriodMs, [this] {
        // A closed window has no picture left to take.
        if (m_window.IsCreated()) Check();
        return true;
    });
}

void CPageScreenshots::Save() {
    IInstallerUIPanel* panel = m_window.GetCurrentPanel();
    std::string stage = panel ? panel->GetStageName().GetText() : "End";
    for (char& c : stage)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
    char name[32];
    std::snprintf(name, sizeof name, "%02d-", ++m_count);
    const std::string path = m_folder + "/" + name + stage + ".png";
    m_window.Update();
    if (!m_window.SaveAsPNG(path.c_str())) LogPrintf("Could not save the page picture %s\n", path.c_str());
}
