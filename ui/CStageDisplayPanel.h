#pragma once

#include "ctrl/Ctrl.h"
#include "foundation/VImage.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <cstdint>

// The column on the left of the main window that lists every page's stage name and marks the stages
// done, the current one and those still to come. The main window adds one stage per panel, in page order,
// and moves the current stage with Next and Back; the current stage stays within 0 .. stages - 1.
//
// Look: with the marks "StageDone.tga", "StageNotDone.tga" and "StageCurrent.tga" loaded (LoadMarks),
// each row is a mark and the name beside it (red for the current stage, black done, grey to come); without
// them each row is a small square (red current, blue done, grey to come) and the name (black up to the
// current stage, grey after it). Marks that do not all share one width are not used.
class CStageDisplayPanel : public VCtrl::Ctrl {
    V_DECLARE_CLASS(CStageDisplayPanel)
public:
    explicit CStageDisplayPanel(VCtrl::CtrlStyle* style = nullptr, VFoundation::VClass* record = nullptr);
    ~CStageDisplayPanel() override;

    void AddStage(const char* name);
    void NextStage();
    void PreviousStage();
    // Drops any marks, then loads them from baseFolder/Installer/Resources. When all three load but differ
    // in width, all three are dropped again.
    void LoadMarks(const char* baseFolder);

    void Draw(VCtrl::IGraphicsContext& context) override;

    int GetStageCount() const { return m_stages->GetCount(); }
    // "" outside the stages.
    const VFoundation::VString& GetStageName(int index) const;
    int32_t GetCurrentStage() const { return m_currentStage; }
    VFoundation::VImage* GetDoneMark() const { return m_doneMark.Get(); }
    VFoundation::VImage* GetNotDoneMark() const { return m_notDoneMark.Get(); }
    VFoundation::VImage* GetCurrentMark() const { return m_currentMark.Get(); }

private:
    void DrawWithMarks(VCtrl::IGraphicsContext& context);
    void DrawPlain(VCtrl::IGraphicsContext& context);

    VFoundation::VRef<VFoundation::VObjectArrayTmpl<VFoundation::VString>> m_stages;
    VFoundation::VRef<VFoundation::VImage> m_doneMark;
    VFoundation::VRef<VFoundation::VImage> m_notDoneMark;
    VFoundation::VRef<VFoundation::VImage> m_currentMark;
    int32_t m_currentStage = 0;
};
