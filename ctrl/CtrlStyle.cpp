#include "ctrl/CtrlStyle.h"

#include "foundation/VClass.h"
#include "foundation/VCriticalSection.h"
#include "foundation/VDictionary.h"
#include "foundation/VImage.h"
#include "foundation/VLog.h"
#include "foundation/VObjectArray.h"
#include "foundation/VXMLFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace VCtrl {

using VFoundation::MakeRef;
using VFoundation::VDictionary;
using VFoundation::VImage;
using VFoundation::VObject;
using VFoundation::VObjectArray;
using VFoundation::VRef;
using VFoundation::VString;
using VFoundation::VXMLFile;

V_IMPLEMENT_CLASS(CtrlStyle, VFoundation::VObject)

namespace {

constexpr const char* kOptionElement = "option";

std::recursive_mutex g_styleListMutex;
VObjectArray* g_styleList = nullptr;

VObjectArray& StyleList() {
    if (!g_styleList) g_styleList = new VObjectArray();
    return *g_styleList;
}

bool ParseColour(const char* text, VColour& out) {
    int channel[4] = {0, 0, 0, 255};
    int count = 0;
    const char* p = text;
    while (count < 4) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(p, &end, 10);
        if (end == p || errno == ERANGE) break;
        channel[count++] = int(value < 0 ? 0 : (value > 255 ? 255 : value));
        p = end;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p != ',') break;
        ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    if (count < 3 || *p) return false;
    out.Set(channel[0], channel[1], channel[2], channel[3]);
    return true;
}

} // namespace

CtrlStyle::CtrlStyle(uint32_t flags, VObject* font, VFoundation::VClass* record)
    : VObject(record ? record : GetClassRecord()), m_flags(flags), m_font(VRef<VObject>::Retained(font)),
      m_options(MakeRef<VDictionary>()) {}

CtrlStyle::~CtrlStyle() = default;

VObject* CtrlStyle::Copy() const {
    VRef<VObject> made = VRef<VObject>::Adopt(GetClass()->CreateInstance());
    if (!made || !made->IsKindOf(CtrlStyle::GetClassRecord())) return nullptr;
    auto* copy = static_cast<CtrlStyle*>(made.Get());
    copy->m_flags = m_flags;
    copy->SetName(GetName().GetText());
    copy->m_font = m_font;
    copy->m_options = VRef<VDictionary>::Adopt(static_cast<VDictionary*>(m_options->Copy()));
    return made.Leak();
}

void CtrlStyle::GetDescription(VString& out) const {
    out.Format("[%s name: %s flags: 0x%x options: %i]", GetClassName(), GetName().GetText(), m_flags,
               m_options->GetCount());
}

const VString& CtrlStyle::GetName() const {
    return m_name ? *m_name : VString::GetEmpty();
}

void CtrlStyle::SetName(const char* name) {
    if (!name || !*name)
        m_name.Reset();
    else
        m_name = VRef<VString>::Adopt(VString::Alloc(name));
}

void CtrlStyle::SetFont(VObject* font) {
    m_font = VRef<VObject>::Retained(font);
}

// Flags

const char* CtrlStyle::GetFlagName(uint32_t bit) const {
    switch (bit) {
    case kFlagHighlight:
        return "highlight";
    case kFlagNoDefaultDrawing:
        return "noDefaultDrawing";
    case kFlagNoMouseOverEvent:
        return "noMouseOverEvent";
    default:
        return "";
    }
}

bool CtrlStyle::IsFlagSetAt(int index) const {
    return HasFlagIndex(index);
}

bool CtrlStyle::HasFlags(uint32_t mask) const {
    return (m_flags & mask) == mask;
}

void CtrlStyle::SetFlags(bool on, uint32_t mask) {
    if (on)
        m_flags |= mask;
    else
        m_flags &= ~mask;
}

bool CtrlStyle::HasFlagIndex(int index) const {
    return index >= 0 && index < 32 && (m_flags & (1u << index)) != 0;
}

void CtrlStyle::SetFlagIndex(bool on, int index) {
    if (index >= 0 && index < 32) SetFlags(on, 1u << index);
}

uint32_t CtrlStyle::FlagForName(const char* name) const {
    if (!name || !*name) return 0;
    for (int i = 0; i < 32; ++i) {
        const char* flagName = GetFlagName(1u << i);
        if (flagName && std::strcmp(flagName, name) == 0) return 1u << i;
    }
    return 0;
}

void CtrlStyle::WriteFlags(VXMLFile& xmlFile) const {
    if (m_flags == 0) return;
    VString names;
    for (int i = 0; i < 32; ++i) {
        const uint32_t bit = 1u << i;
        if (!(m_flags & bit)) continue;
        const char* name = GetFlagName(bit);
        if (!name || !*name) {
            // An unnamed bit cannot be written by name: the whole word goes as a number.
            VString number;
            number.Format("0x%x", m_flags);
            xmlFile.SetAttribute("flags", number.GetText());
            return;
        }
        if (!names.IsEmpty()) names.Append('|');
        names.Append(name);
    }
    xmlFile.SetAttribute("flags", names.GetText());
}

void CtrlStyle::ReadFlags(const char* text) {
    while (*text == ' ')
        ++text;
    if (*text >= '0' && *text <= '9') {
        char* end = nullptr;
        m_flags = uint32_t(std::strtoul(text, &end, 0));
        return;
    }
    uint32_t flags = 0;
    VString rest(text);
    while (!rest.IsEmpty()) {
        const int bar = rest.Find('|');
        VString name;
        if (bar < 0) {
            name = rest;
            rest.Clear();
        } else {
            rest.Left(uint32_t(bar), name);
            VString tail;
            rest.Right(rest.GetLength() - uint32_t(bar) - 1, tail);
            rest = tail;
        }
        name.Trim();
        if (name.IsEmpty()) continue;
        const uint32_t bit = FlagForName(name.GetText());
        if (bit)
            flags |= bit;
        else
            VFoundation::LogPrintf("CtrlStyle::SerializeAsXML - unknown flag '%s' in style %s\n",
                                   name.GetText(), GetName().GetText());
    }
    m_flags = flags;
}

// Options

VObject* CtrlStyle::OptionForKey(const char* key) const {
    return key ? m_options->ObjectForKey(key) : nullptr;
}

void CtrlStyle::SetOption(const char* key, VObject* value) {
    if (!key || !*key) return;
    m_loadedImages.erase(key);
    if (value)
        m_options->SetObjectForKey(value, key);
    else
        m_options->RemoveObjectForKey(VRef<VString>::Adopt(VString::Alloc(key)).Get());
}

bool CtrlStyle::RemoveOption(const char* key) {
    if (!key || !OptionForKey(key)) return false;
    SetOption(key, nullptr);
    return true;
}

int CtrlStyle::GetIntOption(const char* key, int defaultValue) const {
    VObject* value = OptionForKey(key);
    if (!value || !value->IsKindOf(VString::GetClassRecord())) return defaultValue;
    return static_cast<VString*>(value)->ToInteger();
}

double CtrlStyle::GetRealOption(const char* key, double defaultValue) const {
    VObject* value = OptionForKey(key);
    if (!value || !value->IsKindOf(VString::GetClassRecord())) return defaultValue;
    return static_cast<VString*>(value)->ToReal();
}

bool CtrlStyle::GetStringOption(const char* key, VString& out) const {
    VObject* value = OptionForKey(key);
    if (!value || !value->IsKindOf(VString::GetClassRecord())) return false;
    out.Assign(*static_cast<VString*>(value));
    return true;
}

VColour CtrlStyle::GetColourOption(const char* key, const VColour& defaultColour) const {
    VObject* value = OptionForKey(key);
    if (!value || !value->IsKindOf(VColour::GetClassRecord())) return defaultColour;
    return *static_cast<VColour*>(value);
}

VRef<VImage> CtrlStyle::GetImageOption(const char* key) const {
    VObject* value = OptionForKey(key);
    if (!value) return nullptr;
    if (value->IsKindOf(VImage::GetClassRecord())) return VRef<VImage>::Retained(static_cast<VImage*>(value));
    if (!value->IsKindOf(VString::GetClassRecord())) return nullptr;
    auto found = m_loadedImages.find(key);
    if (found != m_loadedImages.end()) return found->second;
    const VString& fileName = *static_cast<VString*>(value);
    VString path;
    VImage::ResolvePath(fileName.GetText(), path);
    VRef<VImage> image = VRef<VImage>::Adopt(VImage::LoadFromFile(path.GetText()));
    // A failed load is remembered too, so a missing picture is not looked for at every drawing.
    m_loadedImages[key] = image;
    return image;
}

void CtrlStyle::SetIntOption(const char* key, int value) {
    VRef<VString> text = VRef<VString>::Adopt(VString::Alloc());
    text->SetInteger(value);
    SetOption(key, text.Get());
}

void CtrlStyle::SetRealOption(const char* key, double value) {
    VRef<VString> text = VRef<VString>::Adopt(VString::Alloc());
    text->SetReal(value);
    SetOption(key, text.Get());
}

void CtrlStyle::SetStringOption(const char* key, const char* value) {
    SetOption(key, VRef<VString>::Adopt(VString::Alloc(value ? value : "")).Get());
}

void CtrlStyle::SetColourOption(const char* key, const VColour& colour) {
    SetOption(key, VFoundation::MakeRef<VColour>(colour).Get());
}

void CtrlStyle::SetImageOption(const char* key, VImage* image) {
    SetOption(key, image);
}

void CtrlStyle::GetOptions(VDictionary& out) const {
    VObjectArray* keys = m_options->GetKeys();
    for (int i = 0; i < keys->GetCount(); ++i) {
        const VObject* key = keys->GetObjectAtIndex(i);
        VObject* value = m_options->GetValues()->GetObjectAtIndex(i);
        if (!key || !value) continue;
        // Images are shared as they are; other values are copied so that the dictionary owns them.
        if (value->IsKindOf(VImage::GetClassRecord())) {
            out.SetObjectForKey(value, key);
        } else {
            VRef<VObject> copy = VRef<VObject>::Adopt(value->Copy());
            out.SetObjectForKey(copy ? copy.Get() : value, key);
        }
    }
    for (int i = 0; i < 32; ++i) {
        const char* name = GetFlagName(1u << i);
        if (!name || !*name) continue;
        out.SetObjectForKey(VRef<VString>::Adopt(VString::Alloc(HasFlagIndex(i) ? "1" : "0")).Get(), name);
    }
}

void CtrlStyle::SetOptions(const VDictionary& options) {
    for (int i = 0; i < 32; ++i) {
        const char* name = GetFlagName(1u << i);
        if (name && *name) SetFlagIndex(false, i);
    }
    m_options = MakeRef<VDictionary>();
    m_loadedImages.clear();
    VObjectArray* keys = options.GetKeys();
    for (int i = 0; i < keys->GetCount(); ++i) {
        const VObject* key = keys->GetObjectAtIndex(i);
        VObject* value = options.GetValues()->GetObjectAtIndex(i);
        if (!key || !value || !key->IsKindOf(VString::GetClassRecord())) continue;
        const char* keyText = static_cast<const VString*>(key)->GetText();
        if (const uint32_t bit = FlagForName(keyText)) {
            bool on = false;
            if (value->IsKindOf(VString::GetClassRecord()))
                on = static_cast<VString*>(value)->ToInteger() != 0;
            SetFlags(on, bit);
            continue;
        }
        if (value->IsKindOf(VImage::GetClassRecord())) {
            SetOption(keyText, value);
        } else {
            VRef<VObject> copy = VRef<VObject>::Adopt(value->Copy());
            SetOption(keyText, copy ? copy.Get() : value);
        }
    }
}

// Skins

void CtrlStyle::SerializeAsXML(VXMLFile& xmlFile) {
    if (xmlFile.IsStoring()) {
        if (!GetName().IsEmpty()) xmlFile.SetAttribute("name", GetName().GetText());
        WriteFlags(xmlFile);
        if (m_font && m_font->IsKindOf(VString::GetClassRecord()))
            xmlFile.SetAttribute("font", static_cast<VString*>(m_font.Get())->GetText());
        const VXMLFile::Cursor element = xmlFile.GetCursor();
        VObjectArray* keys = m_options->GetKeys();
        for (int i = 0; i < keys->GetCount(); ++i) {
            const VObject* key = keys->GetObjectAtIndex(i);
            const VObject* value = m_options->GetValues()->GetObjectAtIndex(i);
            if (!key || !value || !key->IsKindOf(VString::GetClassRecord())) continue;
            const char* keyText = static_cast<const VString*>(key)->GetText();
            VString text;
            const char* attribute = "value";
            if (value->IsKindOf(VColour::GetClassRecord())) {
                const auto* colour = static_cast<const VColour*>(value);
                text.Format("%i,%i,%i,%i", colour->GetRed(), colour->GetGreen(), colour->GetBlue(),
                            colour->GetAlpha());
                attribute = "colour";
            } else if (value->IsKindOf(VString::GetClassRecord())) {
                text = *static_cast<const VString*>(value);
            } else if (value->IsKindOf(VImage::GetClassRecord())) {
                text = static_cast<const VImage*>(value)->GetName();
                if (text.IsEmpty()) {
                    VFoundation::LogPrintf(
                        "CtrlStyle::SerializeAsXML - the image option '%s' of style %s has no "
                        "file name and is not written\n",
                        keyText, GetName().GetText());
                    continue;
                }
            } else {
                continue;
            }
            xmlFile.BeginChild(kOptionElement);
            xmlFile.SetAttribute("key", keyText);
            xmlFile.SetAttribute(attribute, text.GetText());
            xmlFile.SetCursor(element);
        }
        return;
    }
    if (!xmlFile.IsLoading()) return;

    VString text;
    SetName(xmlFile.GetAttribute("name", text) ? text.GetText() : nullptr);
    if (xmlFile.GetAttribute("flags", text)) ReadFlags(text.GetText());
    if (xmlFile.GetAttribute("font", text))
        SetFont(VRef<VString>::Adopt(VString::Alloc(text.GetText())).Get());
    m_options = MakeRef<VDictionary>();
    m_loadedImages.clear();
    const VXMLFile::Cursor element = xmlFile.GetCursor();
    if (xmlFile.EnterFirstChild()) {
        do {
            VString key;
            if (std::strcmp(xmlFile.GetElementName(), kOptionElement) != 0 ||
                !xmlFile.GetAttribute("key", key) || key.IsEmpty())
                continue;
            if (xmlFile.GetAttribute("colour", text)) {
                VColour colour;
                if (ParseColour(text.GetText(), colour))
                    SetColourOption(key.GetText(), colour);
                else
                    VFoundation::LogPrintf("CtrlStyle::SerializeAsXML - bad colour '%s' for option '%s'\n",
                                           text.GetText(), key.GetText());
            } else if (xmlFile.GetAttribute("value", text)) {
                SetStringOption(key.GetText(), text.GetText());
            }
        } while (xmlFile.EnterNextSibling());
        xmlFile.SetCursor(element);
    }
    AddStyle(this);
}

// The style list

CtrlStyle* CtrlStyle::FindStyle(const char* name) {
    if (!name || !*name) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(g_styleListMutex);
    if (!g_styleList) return nullptr;
    for (int i = 0; i < g_styleList->GetCount(); ++i) {
        auto* style = static_cast<CtrlStyle*>(g_styleList->GetObjectAtIndex(i));
        if (style && style->GetName().IsEqual(name)) return style;
    }
    return nullptr;
}

bool CtrlStyle::AddStyle(CtrlStyle* style) {
    if (!style) return false;
    std::lock_guard<std::recursive_mutex> lock(g_styleListMutex);
    VObjectArray& list = StyleList();
    if (list.ContainsObject(style)) return false;
    if (CtrlStyle* sameName = FindStyle(style->GetName().GetText()))
        return list.ReplaceObjectAtIndex(style, list.IndexOfObject(sameName));
    return list.AddObject(style);
}

bool CtrlStyle::RemoveStyle(CtrlStyle* style) {
    std::lock_guard<std::recursive_mutex> lock(g_styleListMutex);
    return style && g_styleList && g_styleList->RemoveObject(style);
}

int CtrlStyle::GetStyleCount() {
    std::lock_guard<std::recursive_mutex> lock(g_styleListMutex);
    return g_styleList ? g_styleList->GetCount() : 0;
}

void CtrlStyle::WriteStyles(VXMLFile& xmlFile) {
    std::lock_guard<std::recursive_mutex> lock(g_styleListMutex);
    if (!g_styleList) return;
    for (int i = 0; i < g_styleList->GetCount(); ++i)
        xmlFile.WriteObject(g_styleList->GetObjectAtIndex(i));
}

void CtrlStyle::ReleaseStyleList() {
    VObjectArray* list = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(g_styleListMutex);
        list = std::exchange(g_styleList, nullptr);
    }
    // Released outside the lock: a style's destructor may run here.
    if (list) list->Release();
}

} // namespace VCtrl
