#pragma once

#include "foundation/VRef.h"
#include "foundation/VString.h"

class CInstallScript;
class IInstallerUIPanel;

// The table of panel kinds: which view type of a script page makes which panel.
//
// The view types are fixed, in this order: "DocumentView", "LicenceView", "InstallLocationView",
// "InstallProcessView", "ImageView", "InstallSectionView", "ZDRKitPieceView", "CompletionView". A page's
// view type is compared with each, exactly (letter case included), in that order; a view type that is
// not among them makes no panel.
//
// Each kind has a creator. The document, licence, image and completion kinds have theirs from the start;
// the others are registered with RegisterCreator (at start-up, before the main window builds its panels)
// by the code that provides them. A known kind without a creator makes no panel and writes a diagnostic
// line.
//
// Threads: the table is used on the user-interface thread; its guard only keeps a registration made on
// another thread from tearing a lookup.
class CInstallerPanelKinds {
public:
    // Makes the panel (the caller owns the reference it starts with). May throw VException when the
    // options do not suit the kind. script may be absent.
    using CreateFunction = IInstallerUIPanel* (*)(const VFoundation::VString& options,
                                                  CInstallScript* script);

    CInstallerPanelKinds() = delete;

    // The panel for a page of viewType; none for an unknown view type or a kind without a creator.
    static VFoundation::VRef<IInstallerUIPanel>
    CreatePanel(const char* viewType, const VFoundation::VString& options, CInstallScript* script);
    // Gives a kind its creator (none takes it away) and returns the one it had; previous is set to it
    // when given. False, with nothing changed, for a view type that is not in the table.
    static bool RegisterCreator(const char* viewType, CreateFunction create,
                                CreateFunction* previous = nullptr);
    static bool IsKnownViewType(const char* viewType);
    static CreateFunction GetCreator(const char* viewType);

    // A creator for a panel class constructed as Panel(options, script).
    template <typename Panel>
    static IInstallerUIPanel* CreateInstance(const VFoundation::VString& options, CInstallScript* script) {
        return new Panel(options, script);
    }
};
