#pragma once

#include "foundation/VObject.h"

#include <cstddef>
#include <string>
#include <vector>

// An uninstall script read back: the heads that the installations appended (one per run, each with the
// application name) and their entries in file order. Entries are marked done as an uninstall removes
// them; Save writes back only what is still to do, so that a later uninstall finishes the work.
class CUninstallScript : public VFoundation::VObject {
    V_DECLARE_CLASS(CUninstallScript)
public:
    // The kind of an entry line that names none of the entry kinds or whose text cannot be unescaped.
    static constexpr int kUnreadable = -1;

    struct Entry {
        int kind = kUnreadable; // an UninstallEntryKind, or kUnreadable
        std::string text;       // the entry text, unescaped
        std::string line;       // the line as written, kept for Save
        size_t head = 0;
        bool done = false;
    };

    enum class LoadResult { Loaded, Missing, NotUninstallScript };

    CUninstallScript();
    ~CUninstallScript() override;

    // Reads the file at path (made absolute). Not an uninstall script unless its first two lines are the
    // header and the "{UninstallScript}" tag.
    LoadResult Load(const char* path);

    const std::string& GetPath() const { return m_path; }
    // The folder holding the script: the installation's log folder.
    std::string GetFolder() const;
    // The application name of the first head that names one.
    const std::string& GetProductName() const { return m_productName; }
    size_t GetHeadCount() const { return m_heads.size(); }
    std::vector<Entry>& GetEntries() { return m_entries; }
    const std::vector<Entry>& GetEntries() const { return m_entries; }
    size_t GetRemainingCount() const;

    // Writes the entries not done, under the heads they came from (a head left without entries goes),
    // through a temporary file that replaces the script only when complete. With nothing left the file
    // is removed instead. False when the file could not be written or removed.
    bool Save() const;

private:
    std::string m_path;
    std::string m_productName;
    std::vector<std::string> m_heads; // each head's application name line
    std::vector<Entry> m_entries;
};
