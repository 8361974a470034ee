#pragma once

#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlListBox.h"
#include "ctrl/CtrlTableView.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/ICtrlTableViewDataSource.h"
#include "ctrl/ICtrlTableViewDelegate.h"
#include "engine/CInstallerSection.h"
#include "foundation/VImage.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/IInstallerUIPanel.h"

#include <cstdint>

// The page kind "InstallSectionView": the user chooses which optional install sections to install.
//
// Every optional section of the script is a row of the table, with a check box and its name; mandatory
// sections are not listed and always install. The panel changes the sections' selected flags in the
// script directly and keeps no copy of them, so the choice survives Back and Next and the installer
// thread later runs only the selected sections.
//
// Sections named in the script's exclusive list exclude one another: ticking one clears the others
// (unticking it leaves them cleared). When the panel is built, only the first listed exclusive section
// stays selected.
//
// Clicking a name shows the section's description beside the table; the size label shows the total size
// of the selected and the mandatory sections.
//
// Options: the first piece, trimmed and with the script's variables expanded, replaces the title.
//
// The script is not owned and must outlive the panel.
class CInstallSectionPanel : public IInstallerUIPanel,
                             public VCtrl::ICtrlTableViewDataSource,
                             public VCtrl::ICtrlTableViewDelegate,
                             public VCtrl::ICtrlListener {
    V_DECLARE_CLASS(CInstallSectionPanel)
public:
    enum : int32_t { kTitleLabelId = 0, kSectionTableId = 1, kDescriptionViewId = 2, kSizeLabelId = 3 };

    static constexpr const char* kCheckColumn = "CheckBox";
    static constexpr const char* kNameColumn = "SectionName";
    static constexpr const char* kDefaultTitle = "Please select the components you would like to install";
    static constexpr const char* kDescriptionHint =
        "Click on a component name to see a description of it displayed here";
    static constexpr const char* kNoScriptError = "Script parser is NULL inside Install Section Panel";
    // The size text switches from megabytes to gigabytes above this many megabytes.
    static constexpr double kGigabyteThreshold = 1000.0;

    // Throws VException (kNoScriptError) when script is absent.
    CInstallSectionPanel(const VFoundation::VString& options, CInstallScript* script,
                         VFoundation::VClass* record = nullptr);
    ~CInstallSectionPanel() override;

    bool PrepareToShow() override { return true; }
    bool PanelShown() override { return true; }
    bool CanAdvance() override { return true; }
    VFoundation::VString GetStageName() override { return VFoundation::VString("Install Options"); }

    // Data source.
    int GetRowCount(VCtrl::CtrlTableView* table) override;
    VFoundation::VObject* GetCellValue(VCtrl::CtrlTableView* table, VCtrl::CtrlTableColumn* column,
                                       int row) override;
    void CellPressed(VCtrl::CtrlTableView* table, VCtrl::CtrlTableColumn* column, int row) override;
    // Delegate.
    bool CanPressCell(VCtrl::CtrlTableView* table, VCtrl::CtrlTableColumn* column, int row) override;
    void SelectionChanged(VCtrl::CtrlTableView* table) override;

    // None of the panel's children reports to it; any event is reported as not handled.
    void HandleCtrlEvent(const VCtrl::CtrlEvent& event) override;

    // "Components Size: %liMB" (megabytes rounded up) up to 1000 megabytes, else
    // "Components Size: %0.02fGB" (megabytes / 1024).
    static VFoundation::VString FormatSizeText(int64_t bytes);
    // The bytes of every section of the script that is selected or mandatory.
    int64_t GetTotalSize() const;
    void UpdateSizeText();

    int GetSectionCount() const { return m_rowCount; }
    // None outside 0 .. count - 1.
    CInstallerSection* GetSectionAtRow(int row) const;

    VCtrl::CtrlTableView* GetSectionTable() const { return m_sectionTable.Get(); }
    VCtrl::CtrlLabel* GetTitleLabel() const { return m_titleLabel.Get(); }
    VCtrl::CtrlListBox* GetDescriptionView() const { return m_descriptionView.Get(); }
    VCtrl::CtrlLabel* GetSizeLabel() const { return m_sizeLabel.Get(); }
    VFoundation::VImage* GetOnImage() const { return m_onImage.Get(); }
    VFoundation::VImage* GetOffImage() const { return m_offImage.Get(); }

private:
    bool IsValidRow(int row) const { return row >= 0 && row < m_rowCount; }
    bool IsExclusiveName(const VFoundation::VString& name) const;
    // Clears every optional section named in the exclusive list other than name, then redraws the table.
    void ApplyExclusiveRule(const VFoundation::VString& name);
    void BuildTable();
    void LoadCheckImages();

    CInstallScript* m_script = nullptr;
    VFoundation::VRef<VCtrl::CtrlTableView> m_sectionTable;
    VFoundation::VRef<VCtrl::CtrlLabel> m_titleLabel;
    VFoundation::VRef<VCtrl::CtrlListBox> m_descriptionView;
    int32_t m_rowCount = 0;
    VFoundation::VString m_nameBuffer;
    VFoundation::VObjectArrayTmpl<CInstallerSection> m_sections;
    VFoundation::VRef<VFoundation::VImage> m_onImage;
    VFoundation::VRef<VFoundation::VImage> m_offImage;
    VFoundation::VRef<VCtrl::CtrlLabel> m_sizeLabel;
};
