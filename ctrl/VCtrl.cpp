#include "ctrl/VCtrl.h"

#include "application/VApplication.h"
#include "ctrl/Ctrl.h"
#include "ctrl/CtrlButton.h"
#include "ctrl/CtrlButtonStyle.h"
#include "ctrl/CtrlClassView.h"
#include "ctrl/CtrlComboBox.h"
#include "ctrl/CtrlEvent.h"
#include "ctrl/CtrlImageView.h"
#include "ctrl/CtrlImageViewStyle.h"
#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlLabelStyle.h"
#include "ctrl/CtrlListBox.h"
#include "ctrl/CtrlListBoxStyle.h"
#include "ctrl/CtrlRoot.h"
#include "ctrl/CtrlSlider.h"
#include "ctrl/CtrlSliderStyle.h"
#include "ctrl/CtrlStyle.h"
#include "ctrl/CtrlTableColumn.h"
#include "ctrl/CtrlTableHeaderView.h"
#include "ctrl/CtrlTableView.h"
#include "ctrl/CtrlTableViewStyle.h"
#include "ctrl/ICtrlRoot.h"
#include "ctrl/OffscreenGraphicsContext.h"
#include "ctrl/VColour.h"
#include "ctrl/VProgressBar.h"
#include "ctrl/VWindow.h"
#include "foundation/VClass.h"
#include "foundation/VException.h"
#include "foundation/VLog.h"

#include <mutex>

namespace VCtrl {

namespace {

std::recursive_mutex g_stateMutex;
int g_initializationCount = 0;
bool g_initialized = false;

// The toolkit's classes in the order their records are made. Skins find controls and styles by these
// records' names, so every class that a skin may name must be listed here (or used before the skin is
// read).
constexpr VFoundation::VClass::RecordAccessor kToolkitClasses[] = {
    &Ctrl::GetClassRecord,
    &CtrlClassView::GetClassRecord,
    &CtrlStyle::GetClassRecord,
    &CtrlEvent::GetClassRecord,
    &CtrlValueEvent::GetClassRecord,
    &VColour::GetClassRecord,
    &GetOffscreenGraphicsContextClassRecord,
    &CtrlButtonStyle::GetClassRecord,
    &CtrlButton::GetClassRecord,
    &CtrlLabelStyle::GetClassRecord,
    &CtrlLabel::GetClassRecord,
    &CtrlImageViewStyle::GetClassRecord,
    &CtrlImageView::GetClassRecord,
    &CtrlSliderStyle::GetClassRecord,
    &CtrlSlider::GetClassRecord,
    &CtrlListBoxStyle::GetClassRecord,
    &CtrlListBox::GetClassRecord,
    &CtrlComboBox::GetClassRecord,
    &CtrlTableViewStyle::GetClassRecord,
    &CtrlTableColumn::GetClassRecord,
    &CtrlTableHeaderView::GetClassRecord,
    &CtrlTableView::GetClassRecord,
    &VProgressBar::GetClassRecord,
    &ICtrlRoot::TimerInfo::GetClassRecord,
    &CtrlRoot::GetClassRecord,
    &VWindow::GetClassRecord,
};

void InitializeToolkit() {
    ++g_initializationCount;
    if (g_initialized) return;
    int failures = 0;
    for (VFoundation::VClass::RecordAccessor accessor : kToolkitClasses)
        if (!accessor()) ++failures;
    if (failures > 0) VFoundation::LogPrintf("%i classes failed to initialize.\n", failures);
    g_initialized = true;
}

void UninitializeToolkit() {
    if (!g_initialized) return;
    if (--g_initializationCount >= 1) return;
    g_initializationCount = 0;
    CtrlStyle::ReleaseStyleList();
    CtrlEvent::ReleaseShared();
    g_initialized = false;
}

} // namespace

void InitializeLibrary() {
    std::lock_guard<std::recursive_mutex> lock(g_stateMutex);
    try {
        InitializeToolkit();
    } catch (const VFoundation::VException& exception) {
        throw VFoundation::VException(exception);
    } catch (...) {
        throw VFoundation::VException(0, nullptr, "VCtrl::InitializeLibrary");
    }
}

void UninitializeLibrary() {
    std::lock_guard<std::recursive_mutex> lock(g_stateMutex);
    try {
        UninitializeToolkit();
    } catch (const VFoundation::VException& exception) {
        throw VFoundation::VException(exception);
    } catch (...) {
        throw VFoundation::VException(0, nullptr, "VCtrl::UninitializeLibrary");
    }
}

bool IsLibraryInitialized() {
    std::lock_guard<std::recursive_mutex> lock(g_stateMutex);
    return g_initialized;
}

int GetInitializationCount() {
    std::lock_guard<std::recursive_mutex> lock(g_stateMutex);
    return g_initializationCount;
}

bool IsOnUIThread() {
    return !VApplication::IsLibraryInitialized() || VApplication::IsUIThread();
}

} // namespace VCtrl
