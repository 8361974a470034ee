#pragma once

#include "ctrl/CtrlComboBox.h"
#include "ctrl/CtrlImageView.h"
#include "ctrl/CtrlLabel.h"
#include "ctrl/CtrlLabelStyle.h"
#include "ctrl/CtrlListBox.h"
#include "ctrl/CtrlTableView.h"
#include "ctrl/ICtrlListener.h"
#include "ctrl/ICtrlTableViewDataSource.h"
#include "ctrl/ICtrlTableViewDelegate.h"
#include "engine/IZdrcaInstallHost.h"
#include "foundation/VImage.h"
#include "foundation/VObject.h"
#include "foundation/VObjectArrayTmpl.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"
#include "ui/IInstallerUIPanel.h"

#include <cstdint>
#include <mutex>
#include <vector>

// The page kind "ZDRKitPieceView": the kit pieces of a sample library in a table of check boxes, an install
// size chooser, the estimated size of each piece for the chosen install size, and the chosen total against
// the free space of the install disk. It is also the install host of the compressed-audio folder copy: the
// copy asks it which folders to install and how many files to take from each.
//
// Options, cut at ",": the name of the variable that holds the install folder; the size factor (decoded
// bytes per compressed byte); the library folder (variables expanded), whose sub-folders are categories
// whose sub-folders are the kit pieces (each with "Photo.tga" and "Info.txt"); the title; then a
// bracketed list of install sizes "[{files per folder:name:description}, ...]".
//
// A piece starts unticked when a folder "Data/<category>/<piece>" exists below the data folder that the
// settings value "DataPath" of "Software\Kestrawin\ZDR" names.
//
// Threads: everything runs on the user-interface thread except the IZdrcaInstallHost operations, which the
// installer thread calls after the user has left the page; they only read the selection, which no longer
// changes then.
class CZDRKitPieceViewPanel : public IInstallerUIPanel,
                              public VCtrl::ICtrlTableViewDataSource,
                              public VCtrl::ICtrlTableViewDelegate,
                              public VCtrl::ICtrlListener,
                              public IZdrcaInstallHost {
    V_DECLARE_CLASS(CZDRKitPieceViewPanel)
public:
    // One row of the table: a kit piece folder and its estimated size for the chosen install size.
    class CKitPieceObject : public VFoundation::VObject {
        V_DECLARE_CLASS(CKitPieceObject)
    public:
        CKitPieceObject(bool selected, const VFoundation::VString& folder,
                        const VFoundation::VString& displayName, const VFoundation::VString& sizeText,
                        int64_t size, VFoundation::VClass* record = nullptr);
        ~CKitPieceObject() override;

        bool IsSelected() const { return m_selected; }
        void SetSelected(bool selected) { m_selected = selected; }
        const VFoundation::VString& GetFolder() const { return m_folder; }
        const VFoundation::VString& GetDisplayName() const { return m_displayName; }
        const VFoundation::VString& GetSizeText() const { return m_sizeText; }
        void SetSizeText(const char* text) { m_sizeText.Assign(text); }
        // Whole megabytes.
        int64_t GetSize() const { return m_size; }
        void SetSize(int64_t size) { m_size = size; }

    private:
        bool m_selected;
        VFoundation::VString m_folder;
        VFoundation::VString m_displayName;
        VFoundation::VString m_sizeText;
        int64_t m_size;
    };

    // One choice of the size chooser: how many compressed files to take from each folder.
    class CInstallSize : public VFoundation::VObject {
        V_DECLARE_CLASS(CInstallSize)
    public:
        CInstallSize(int32_t filesPerFolder, const VFoundation::VString& name,
                     const VFoundation::VString& description, VFoundation::VClass* record = nullptr);
        ~CInstallSize() override;

        int32_t GetFilesPerFolder() const { return m_filesPerFolder; }
        const VFoundation::VString& GetName() const { return m_name; }
        const VFoundation::VString& GetDescription() const { return m_description; }

    private:
        int32_t m_filesPerFolder;
        VFoundation::VString m_name;
        VFoundation::VString m_description;
    };

    static constexpr const char* kSelectionColumn = "KitPieceSelection";
    static constexpr const char* kSizeColumn = "KitPieceSize";
    static constexpr const char* kNameColumn = "KitPieceName";
    static constexpr const char* kDataKeyPath = "Software\\Kestrawin\\ZDR";
    static constexpr const char* kTooBigAlert = "Your chosen installation is bigger than the amount of space "
                                                "available. Please reselect your chosen options.";
    static constexpr const char* kNoDescription =
        "Click on a ZDR Kit piece to see a description of it displayed here";

    // Throws VException without a script.
    CZDRKitPieceViewPanel(const VFoundation::VString& options, CInstallScript* script,
                          VFoundation::VClass* record = nullptr);
    ~CZDRKitPieceViewPanel() override;

    // Shows the first piece and measures the sizes again (throws VException when the path variable is not
    // declared).
    bool PrepareToShow() override;
    bool PanelShown() override { return true; }
    // False, after an alert, when the chosen pieces do not fit on the install disk; true without disk
    // information. Throws VException when the path variable is not declared.
    bool CanAdvance() override;
    VFoundation::VString GetStageName() override { return VFoundation::VString("ZDR Kit Pieces"); }

    int GetRowCount(VCtrl::CtrlTableView* table) override;
    VFoundation::VObject* GetCellValue(VCtrl::CtrlTableView* table, VCtrl::CtrlTableColumn* column,
                                       int row) override;
    void CellPressed(VCtrl::CtrlTableView* table, VCtrl::CtrlTableColumn* column, int row) override;
    bool CanPressCell(VCtrl::CtrlTableView* table, VCtrl::CtrlTableColumn* column, int row) override;
    void SelectionChanged(VCtrl::CtrlTableView* table) override;

    // The size chooser's choice (event 9 from id 2).
    void HandleCtrlEvent(const VCtrl::CtrlEvent& event) override;

    bool IsInstallPath(const VFoundation::VString& folder) override;
    bool IsOnInstallPath(const VFoundation::VString& folder) override;
    int32_t GetMaxFilesPerFolder() override;
    int32_t GetInstallPathCount() override;
    void BeginInstallation() override;

    const VFoundation::VString& GetPathVariableName() const { return m_pathVariableName; }
    const VFoundation::VString& GetLibraryFolder() const { return m_libraryFolder; }
    const VFoundation::VString& GetTitle() const { return m_title; }
    double GetSizeFactor() const { return m_sizeFactor; }
    // Gigabytes; 0 until measured.
    double GetFreeSpace() const { return m_freeSpace; }
    int32_t GetPieceCount() const { return m_pieceCount; }
    CKitPieceObject* GetPiece(int index) const { return m_pieces->GetObjectAtIndex(index); }
    int GetInstallSizeCount() const { return m_installSizes->GetCount(); }
    CInstallSize* GetInstallSize(int index) const { return m_installSizes->GetObjectAtIndex(index); }
    // The sum of the selected pieces' sizes, in megabytes.
    int64_t GetSelectedMegabytes() const;
    // The estimated bytes that the chosen install size takes from folder (the same pick of entries as the
    // compressed-audio copy makes), before the size factor.
    int64_t EstimateFolderBytes(const VFoundation::VString& folder) const;

    VCtrl::CtrlLabel* GetTitleLabel() const { return m_titleLabel.Get(); }
    VCtrl::CtrlListBox* GetDescriptionView() const { return m_descriptionView.Get(); }
    VCtrl::CtrlComboBox* GetSizeChooser() const { return m_sizeChooser.Get(); }
    VCtrl::CtrlLabel* GetSizeDescriptionLabel() const { return m_sizeDescriptionLabel.Get(); }
    VCtrl::CtrlLabel* GetTotalLabel() const { return m_totalLabel.Get(); }
    VCtrl::CtrlLabelStyle* GetTotalLabelStyle() const { return m_totalStyle.Get(); }
    VCtrl::CtrlImageView* GetPhotoView() const { return m_photoView.Get(); }
    VCtrl::CtrlTableView* GetPieceTable() const { return m_pieceTable.Get(); }

private:
    // What the installation installs: the selected pieces' folders and the chosen files per folder.
    struct CChoice {
        std::vector<VFoundation::VString> folders;
        int32_t filesPerFolder = 0;
    };
    // The snapshot once the installation began, else the controls' state now.
    CChoice GetChoice() const;

    void ReadOptions(const VFoundation::VString& options);
    void ReadInstallSizes(const VFoundation::VString& options);
    void LayOutControls();
    void BuildTable();
    void LoadKitPieces();
    bool IsAlreadyInstalled(const VFoundation::VString& dataPath, const VFoundation::VString& category,
                            const VFoundation::VString& piece) const;
    int64_t EstimateBytes(const VFoundation::VString& folder, int32_t filesPerFolder) const;
    double EstimateMegabytes(const VFoundation::VString& folder) const;
    // The chosen install size, or none.
    CInstallSize* GetChosenInstallSize() const;
    void ResizePieces();
    void UpdateTotal();
    void UpdateQuickTotal();
    void ShowTotal(int64_t megabytes, bool withFreeSpace);
    // The install folder: the path variable's value, expanded and made native. Throws VException when the
    // variable is not declared.
    VFoundation::VString GetInstallPath() const;
    void ShowPiece(int row);
    bool IsValidRow(int row) const { return row >= 0 && row < m_pieceCount; }

    CInstallScript* m_script;
    VFoundation::VString m_pathVariableName;
    VFoundation::VString m_libraryFolder;
    VFoundation::VString m_title;
    double m_sizeFactor = 0.0;
    double m_freeSpace = 0.0;
    // Whether m_freeSpace was ever measured; until then the total shows the free space as unknown.
    bool m_freeSpaceKnown = false;
    VFoundation::VRef<VCtrl::CtrlLabel> m_titleLabel;
    VFoundation::VRef<VCtrl::CtrlListBox> m_descriptionView;
    VFoundation::VRef<VCtrl::CtrlComboBox> m_sizeChooser;
    VFoundation::VRef<VCtrl::CtrlLabel> m_sizeDescriptionLabel;
    VFoundation::VRef<VCtrl::CtrlLabel> m_totalLabel;
    VFoundation::VRef<VCtrl::CtrlLabelStyle> m_totalStyle;
    VFoundation::VRef<VCtrl::CtrlImageView> m_photoView;
    VFoundation::VRef<VCtrl::CtrlTableView> m_pieceTable;
    VFoundation::VRef<VFoundation::VImage> m_onImage;
    VFoundation::VRef<VFoundation::VImage> m_offImage;
    VFoundation::VString m_cellText;
    int32_t m_pieceCount = 0;
    VFoundation::VRef<VFoundation::VObjectArrayTmpl<CKitPieceObject>> m_pieces;
    VFoundation::VRef<VFoundation::VObjectArrayTmpl<CInstallSize>> m_installSizes;
    mutable std::mutex m_choiceGuard;
    bool m_choiceTaken = false;
    CChoice m_choice;
};
