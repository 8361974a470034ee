#include "foundation/VXMLFile.h"

#include "foundation/VClass.h"
#include "foundation/VLog.h"
#include "foundation/VRef.h"
#include "foundation/VString.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <tinyxml.h>

namespace VFoundation {

V_IMPLEMENT_CLASS(VXMLFile, VObject)

struct VXMLFile::Document {
    enum class Mode { Empty, Loading, Storing };

    TiXmlDocument document;
    // Always an element of document (or null): the cursor never stands on the document node itself.
    TiXmlElement* current = nullptr;
    Mode mode = Mode::Empty;

    void Reset() {
        document.Clear();
        document.ClearError();
        current = nullptr;
        mode = Mode::Empty;
    }
};

namespace {

// Makes the documents behind XML files. Installed once at the library's start, before files are made
// from several threads; the installed factory is read under a lock.
class DocumentFactory {
public:
    virtual ~DocumentFactory() = default;
    virtual VXMLFile::Document* CreateDocument() const = 0;
};

class TinyXMLDocumentFactory final : public DocumentFactory {
public:
    TinyXMLDocumentFactory() {
        // TinyXML folds runs of white space in text by default, which would change the texts that
        // objects store; this is a process-wide setting of the parser.
        TiXmlBase::SetCondenseWhiteSpace(false);
    }
    VXMLFile::Document* CreateDocument() const override { return new VXMLFile::Document(); }
};

std::mutex g_factoryMutex;
DocumentFactory* g_factory = nullptr;

bool IsBlankText(const char* text) {
    for (; *text; ++text)
        if (!std::strchr(" \t\r\n", *text)) return false;
    return true;
}

// The name of the class that the current element describes: the attribute "class", else the tag.
void ClassNameOfElement(const VXMLFile& file, VString& out) {
    if (!file.GetAttribute("class", out)) out.Assign(file.GetElementName());
}

VClass* FindClass(const char* name) {
    VClass* record = VClass::FindByName(name);
    return record ? record : VClass::FindAlias(name);
}

} // namespace

void VXMLFile::InstallDefaultFactory() {
    auto* factory = new TinyXMLDocumentFactory();
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    delete g_factory;
    g_factory = factory;
}

void VXMLFile::RemoveFactory() {
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    delete g_factory;
    g_factory = nullptr;
}

bool VXMLFile::HasFactory() {
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    return g_factory != nullptr;
}

VXMLFile::VXMLFile() : VObject(GetClassRecord()), m_document(nullptr) {
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    if (g_factory) m_document = g_factory->CreateDocument();
}

VXMLFile::~VXMLFile() {
    delete m_document;
}

bool VXMLFile::LoadFile(const char* path) {
    if (!m_document || !path) return false;
    m_document->Reset();
    if (!m_document->document.LoadFile(path)) {
        LogPrintf("VXMLFile::LoadFile - cannot read '%s': %s\n", path, m_document->document.ErrorDesc());
        m_document->Reset();
        return false;
    }
    m_document->current = m_document->document.RootElement();
    if (!m_document->current) {
        LogPrintf("VXMLFile::LoadFile - no root element in '%s'\n", path);
        m_document->Reset();
        return false;
    }
    m_document->mode = Document::Mode::Loading;
    return true;
}

bool VXMLFile::LoadText(const char* text) {
    if (!m_document || !text) return false;
    m_document->Reset();
    m_document->document.Parse(text, nullptr, TIXML_DEFAULT_ENCODING);
    if (m_document->document.Error() || !m_document->document.RootElement()) {
        LogPrintf("VXMLFile::LoadText - cannot parse the text: %s (row %i)\n",
                  m_document->document.Error() ? m_document->document.ErrorDesc() : "no root element",
                  m_document->document.ErrorRow());
        m_document->Reset();
        return false;
    }
    m_document->current = m_document->document.RootElement();
    m_document->mode = Document::Mode::Loading;
    return true;
}

void VXMLFile::BeginDocument(const char* rootName) {
    if (!m_document) return;
    m_document->Reset();
    m_document->document.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    m_document->current = new TiXmlElement(rootName && *rootName ? rootName : "root");
    m_document->document.LinkEndChild(m_document->current);
    m_document->mode = Document::Mode::Storing;
}

bool VXMLFile::SaveFile(const char* path) const {
    if (!m_document || !path || !m_document->document.RootElement()) return false;
    if (!m_document->document.SaveFile(path)) {
        LogPrintf("VXMLFile::SaveFile - cannot write '%s'\n", path);
        return false;
    }
    return true;
}

void VXMLFile::SaveText(VString& out) const {
    out.Clear();
    if (!m_document) return;
    TiXmlPrinter printer;
    m_document->document.Accept(&printer);
    out.Assign(printer.CStr());
}

bool VXMLFile::IsLoading() const {
    return m_document && m_document->mode == Document::Mode::Loading;
}

bool VXMLFile::IsStoring() const {
    return m_document && m_document->mode == Document::Mode::Storing;
}

const char* VXMLFile::GetElementName() const {
    return m_document && m_document->current ? m_document->current->Value() : "";
}

bool VXMLFile::HasAttribute(const char* name) const {
    return m_document && m_document->current && name && m_document->current->Attribute(name);
}

bool VXMLFile::GetAttribute(const char* name, VString& out) const {
    if (!m_document || !m_document->current || !name) return false;
    const char* value = m_document->current->Attribute(name);
    if (!value) return false;
    out.Assign(value);
    return true;
}

bool VXMLFile::GetIntAttribute(const char* name, int& out) const {
    if (!m_document || !m_document->current || !name) return false;
    const char* value = m_document->current->Attribute(name);
    if (!value) return false;
    // Only a whole number is a number: "12abc" and "" are not.
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value, &end, 10);
    if (end == value || errno == ERANGE || number < INT_MIN || number > INT_MAX) return false;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    if (*end) return false;
    out = static_cast<int>(number);
    return true;
}

void VXMLFile::SetAttribute(const char* name, const char* value) {
    if (!m_document || !m_document->current || !name) return;
    m_document->current->SetAttribute(name, value ? value : "");
}

void VXMLFile::SetIntAttribute(const char* name, int value) {
    if (!m_document || !m_document->current || !name) return;
    m_document->current->SetAttribute(name, value);
}

bool VXMLFile::GetElementText(VString& out) const {
    if (!m_document || !m_document->current) return false;
    const char* text = m_document->current->GetText();
    if (!text) return false;
    out.Assign(text);
    return true;
}

void VXMLFile::SetElementText(const char* text) {
    if (!m_document || !m_document->current) return;
    TiXmlElement* element = m_document->current;
    for (TiXmlNode* child = element->FirstChild(); child;) {
        TiXmlNode* next = child->NextSibling();
        if (child->ToText()) element->RemoveChild(child);
        child = next;
    }
    if (!text || !*text) return;
    TiXmlText node(text);
    // The parser drops text that is only white space, and TinyXML writes "&#x" as it stands, so that it
    // would be read back as a character reference; such texts go into a CDATA section, which keeps them.
    if ((IsBlankText(text) || std::strstr(text, "&#x")) && !std::strstr(text, "]]>")) node.SetCDATA(true);
    // GetText reads the first child only, so the text goes before any child elements.
    if (element->FirstChild())
        element->InsertBeforeChild(element->FirstChild(), node);
    else
        element->InsertEndChild(node);
}

int VXMLFile::CountChildElements() const {
    if (!m_document || !m_document->current) return 0;
    int count = 0;
    for (const TiXmlElement* child = m_document->current->FirstChildElement(); child;
         child = child->NextSiblingElement())
        ++count;
    return count;
}

bool VXMLFile::EnterFirstChild() {
    if (!m_document || !m_document->current) return false;
    TiXmlElement* child = m_document->current->FirstChildElement();
    if (!child) return false;
    m_document->current = child;
    return true;
}

bool VXMLFile::EnterNextSibling() {
    if (!m_document || !m_document->current) return false;
    TiXmlElement* sibling = m_document->current->NextSiblingElement();
    if (!sibling) return false;
    m_document->current = sibling;
    return true;
}

bool VXMLFile::EnterChildNamed(const char* name) {
    if (!m_document || !m_document->current || !name) return false;
    TiXmlElement* child = m_document->current->FirstChildElement(name);
    if (!child) return false;
    m_document->current = child;
    return true;
}

void VXMLFile::LeaveElement() {
    if (!m_document || !m_document->current) return;
    TiXmlNode* parent = m_document->current->Parent();
    if (parent && parent->ToElement()) m_document->current = parent->ToElement();
}

void VXMLFile::BeginChild(const char* name) {
    if (!m_document) return;
    auto* element = new TiXmlElement(name && *name ? name : "object");
    if (m_document->current) {
        m_document->current->LinkEndChild(element);
    } else if (!m_document->document.RootElement()) {
        // Storing without BeginDocument: the first child becomes the root.
        m_document->document.LinkEndChild(element);
        if (m_document->mode == Document::Mode::Empty) m_document->mode = Document::Mode::Storing;
    } else {
        m_document->document.RootElement()->LinkEndChild(element);
    }
    m_document->current = element;
}

void VXMLFile::EndChild() {
    LeaveElement();
}

VXMLFile::Cursor VXMLFile::GetCursor() const {
    return m_document ? m_document->current : nullptr;
}

void VXMLFile::SetCursor(Cursor cursor) {
    if (m_document && cursor) m_document->current = static_cast<TiXmlElement*>(const_cast<void*>(cursor));
}

void VXMLFile::WriteObject(VObject* object, const char* elementName) {
    if (!m_document || !object) return;
    const Cursor parent = GetCursor();
    const char* className = object->GetClassName();
    const bool named = elementName && *elementName;
    BeginChild(named ? elementName : className);
    if (named && std::strcmp(elementName, className) != 0) SetAttribute("class", className);
    object->SerializeAsXML(*this);
    if (parent)
        SetCursor(parent);
    else
        EndChild();
}

VObject* VXMLFile::ReadObject() {
    if (!m_document || !m_document->current) return nullptr;
    VString className;
    ClassNameOfElement(*this, className);
    VClass* record = FindClass(className.GetText());
    if (!record) {
        LogPrintf("VXMLFile::ReadObject - No class for className '%s'\n", className.GetText());
        return nullptr;
    }
    VObject* object = record->CreateInstance();
    if (!object) {
        LogPrintf("VXMLFile::ReadObject - Error allocating new object of class: %s\n", className.GetText());
        return nullptr;
    }
    const Cursor element = GetCursor();
    object->SerializeAsXML(*this);
    SetCursor(element);
    return object;
}

void VXMLFile::SerializeObject(VObject& object) {
    if (IsStoring()) SetAttribute("class", object.GetClassName());
}

} // namespace VFoundation
