#include "ui/CInstallerPanelKinds.h"

#include "foundation/VLog.h"
#include "ui/CCompletionViewPanel.h"
#include "ui/CDocumentViewPanel.h"
#include "ui/CImageViewPanel.h"
#include "ui/CInstallLocationPanel.h"
#include "ui/CInstallProcessPanel.h"
#include "ui/CInstallSectionPanel.h"
#include "ui/CLicenceViewPanel.h"
#include "ui/CZDRKitPieceViewPanel.h"
#include "ui/IInstallerUIPanel.h"

#include <cstring>
#include <mutex>

namespace {

struct PanelKind {
    const char* viewType;
    CInstallerPanelKinds::CreateFunction create;
};

// In the order in which view types are matched.
PanelKind g_kinds[] = {
    {"DocumentView", &CInstallerPanelKinds::CreateInstance<CDocumentViewPanel>},
    {"LicenceView", &CInstallerPanelKinds::CreateInstance<CLicenceViewPanel>},
    {"InstallLocationView", &CInstallerPanelKinds::CreateInstance<CInstallLocationPanel>},
    {"InstallProcessView", &CInstallerPanelKinds::CreateInstance<CInstallProcessPanel>},
    {"ImageView", &CInstallerPanelKinds::CreateInstance<CImageViewPanel>},
    {"InstallSectionView", &CInstallerPanelKinds::CreateInstance<CInstallSectionPanel>},
    {"ZDRKitPieceView", &CInstallerPanelKinds::CreateInstance<CZDRKitPieceViewPanel>},
    {"CompletionView", &CInstallerPanelKinds::CreateInstance<CCompletionViewPanel>},
};

std::mutex g_guard;

PanelKind* FindKind(const char* viewType) {
    if (!viewType) return nullptr;
    for (PanelKind& kind : g_kinds)
        if (std::strcmp(kind.viewType, viewType) == 0) return &kind;
    return nullptr;
}

} // namespace

VFoundation::VRef<IInstallerUIPanel> CInstallerPanelKinds::CreatePanel(const char* viewType,
                                                                       const VFoundation::VString& options,
                                                                       CInstallScript* script) {
    const CreateFunction create = GetCreator(viewType);
    if (!create) {
        if (IsKnownViewType(viewType))
            VFoundation::LogPrintf("No panel is registered for the view type %s\n", viewType);
        return nullptr;
    }
    return VFoundation::VRef<IInstallerUIPanel>::Adopt(create(options, script));
}

bool CInstallerPanelKinds::RegisterCreator(const char* viewType, CreateFunction create,
                                           CreateFunction* previous) {
    std::lock_guard<std::mutex> lock(g_guard);
    PanelKind* kind = FindKind(viewType);
    if (!kind) return false;
    if (previous) *previous = kind->create;
    kind->create = create;
    return true;
}

bool CInstallerPanelKinds::IsKnownViewType(const char* viewType) {
    return FindKind(viewType) != nullptr;
}

CInstallerPanelKinds::CreateFunction CInstallerPanelKinds::GetCreator(const char* viewType) {
    std::lock_guard<std::mutex> lock(g_guard);
    const PanelKind* kind = FindKind(viewType);
    return kind ? kind->create : nullptr;
}
