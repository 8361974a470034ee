#pragma once

#include "ctrl/VColour.h"
#include "foundation/VObject.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <cstdint>
#include <map>
#include <string>

namespace VFoundation {
class VDictionary;
class VImage;
class VObjectArray;
class VXMLFile;
} // namespace VFoundation

namespace VCtrl {

// What several controls share: a name that skins refer to, a word of flag bits, a font and a dictionary of
// options (integers, reals, strings, colours and images under keys prefixed "opt", "col" and "im").
// Subclasses add each control kind's flags (by overriding GetFlagName) and options.
//
// Ownership: controls retain their style. The process-wide style list retains the styles put into it
// (AddStyle, or reading a skin element) until they are removed or the toolkit stops.
//
// Threads: styles are read and changed on the user-interface thread; the style list is guarded and may be
// searched from any thread.
//
// Option values: integers and reals are kept as their text in a VString, so GetIntOption reads an option
// set as a string too. An image option holds either a file name (loaded on first GetImageOption and kept
// until the option changes) or an image object.
//
// Skin form (SerializeAsXML):
//   <CtrlButtonStyle name="nav" flags="highlight|optMomentary" font="Sans 12px">
//     <option key="imUp" value="UpButton.tga"/>
//     <option key="colFillOn" colour="0,0,0,255"/>
//   </CtrlButtonStyle>
// "flags" is a list of flag names joined by "|", or a number when a set bit has no name.
class CtrlStyle : public VFoundation::VObject {
    V_DECLARE_CLASS(CtrlStyle)
public:
    enum : uint32_t {
        kFlagHighlight = 1,
        kFlagNoDefaultDrawing = 2,
        kFlagNoMouseOverEvent = 4,
    };

    explicit CtrlStyle(uint32_t flags = 0, VFoundation::VObject* font = nullptr,
                       VFoundation::VClass* record = nullptr);
    CtrlStyle(const CtrlStyle&) = delete;
    CtrlStyle& operator=(const CtrlStyle&) = delete;
    ~CtrlStyle() override;

    // A new style of the same class with the same name, flags, font and options (not in the style list).
    VFoundation::VObject* Copy() const override;
    void SerializeAsXML(VFoundation::VXMLFile& xmlFile) override;
    void GetDescription(VFoundation::VString& out) const override;

    // Exchanging the options with a dictionary: GetOptions adds every option and every named flag (as
    // "1" or "0"); SetOptions replaces them, a named flag or option missing from options going back to its
    // default (off, absent). Subclasses that keep options outside the dictionary extend both.
    virtual void GetOptions(VFoundation::VDictionary& out) const;
    virtual void SetOptions(const VFoundation::VDictionary& options);

    // The name of the flag bit (a single bit value such as 4), "" for an unnamed one.
    virtual const char* GetFlagName(uint32_t bit) const;
    virtual bool IsFlagSetAt(int index) const;
    // True when every bit of mask is set.
    virtual bool HasFlags(uint32_t mask) const;
    virtual void SetFlags(bool on, uint32_t mask);
    virtual bool HasFlagIndex(int index) const;
    virtual void SetFlagIndex(bool on, int index);

    virtual int GetIntOption(const char* key, int defaultValue) const;
    virtual VColour GetColourOption(const char* key, const VColour& defaultColour) const;
    // The image the option names; none when the option is missing, names a file that is not a Targa
    // (".tga") or JPEG (".jpeg", ".jpg") picture, or cannot be read. A relative name is looked up as
    // VImage::ResolvePath does (as given, then in the resource folder).
    virtual VFoundation::VRef<VFoundation::VImage> GetImageOption(const char* key) const;
    virtual void SetIntOption(const char* key, int value);
    virtual void SetRealOption(const char* key, double value);
    virtual void SetStringOption(const char* key, const char* value);
    virtual void SetColourOption(const char* key, const VColour& colour);

    virtual double GetRealOption(const char* key, double defaultValue) const;
    // The option's text; false (out untouched) when it is missing or not text.
    virtual bool GetStringOption(const char* key, VFoundation::VString& out) const;
    // An image object as the option; none removes the option.
    virtual void SetImageOption(const char* key, VFoundation::VImage* image);
    virtual bool RemoveOption(const char* key);

    uint32_t GetFlags() const { return m_flags; }
    void SetFlagWord(uint32_t flags) { m_flags = flags; }
    // "" when the style has no name.
    const VFoundation::VString& GetName() const;
    void SetName(const char* name);
    // None means the default user-interface font. The context takes a VString with a font description.
    VFoundation::VObject* GetFont() const { return m_font.Get(); }
    void SetFont(VFoundation::VObject* font);
    VFoundation::VDictionary* GetOptionDictionary() const { return m_options.Get(); }

    // The style list. FindStyle returns the first style named name (none for an empty name); the caller
    // does not get a reference of its own.
    static CtrlStyle* FindStyle(const char* name);
    // Puts style into the list (retaining it); a style of the same name already there is replaced, so
    // reading a skin again updates its styles. False for none or a style already listed.
    static bool AddStyle(CtrlStyle* style);
    static bool RemoveStyle(CtrlStyle* style);
    static int GetStyleCount();
    // Writes every listed style as a child element of the current element.
    static void WriteStyles(VFoundation::VXMLFile& xmlFile);
    // Empties and drops the list (the toolkit's stop).
    static void ReleaseStyleList();

private:
    VFoundation::VObject* OptionForKey(const char* key) const;
    void SetOption(const char* key, VFoundation::VObject* value);
    // The bit named name, 0 when none is.
    uint32_t FlagForName(const char* name) const;
    void WriteFlags(VFoundation::VXMLFile& xmlFile) const;
    void ReadFlags(const char* text);

    uint32_t m_flags;
    VFoundation::VRef<VFoundation::VString> m_name;
    VFoundation::VRef<VFoundation::VObject> m_font;
    VFoundation::VRef<VFoundation::VDictionary> m_options;
    // Images loaded for file-name options, by key; dropped when the option changes.
    mutable std::map<std::string, VFoundation::VRef<VFoundation::VImage>> m_loadedImages;
};

} // namespace VCtrl
