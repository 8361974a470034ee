#pragma once

#include "foundation/VObject.h"

namespace VFoundation {

class VString;

// The XML file interface that object serialisation and skins use. It holds one document and a cursor
// on its current element; a file is either loading (read from a file or text) or storing (built from
// BeginDocument and written with SaveFile or SaveText). The document itself comes from the installed
// document factory, which the library's start installs (the one built on TinyXML).
class VXMLFile : public VObject {
    V_DECLARE_CLASS(VXMLFile)
public:
    VXMLFile();
    VXMLFile(const VXMLFile&) = delete;
    VXMLFile& operator=(const VXMLFile&) = delete;
    ~VXMLFile() override;

    bool LoadFile(const char* path);
    bool LoadText(const char* text);
    void BeginDocument(const char* rootName);
    bool SaveFile(const char* path) const;
    void SaveText(VString& out) const;
    bool IsLoading() const;
    bool IsStoring() const;

    // The current element.
    const char* GetElementName() const;
    bool HasAttribute(const char* name) const;
    bool GetAttribute(const char* name, VString& out) const;
    bool GetIntAttribute(const char* name, int& out) const;
    void SetAttribute(const char* name, const char* value);
    void SetIntAttribute(const char* name, int value);
    // The element's text content; false (out untouched) when it has none.
    bool GetElementText(VString& out) const;
    void SetElementText(const char* text);

    // Moving the cursor. Enter... returns false and leaves the cursor where it was when there is no such
    // element; LeaveElement goes back to the parent.
    int CountChildElements() const;
    bool EnterFirstChild();
    bool EnterNextSibling();
    bool EnterChildNamed(const char* name);
    void LeaveElement();
    // Storing: appends a child element to the current one and makes it current; EndChild goes back.
    void BeginChild(const char* name);
    void EndChild();
    // An opaque mark of the current element, valid while the document is unchanged; readers that hand
    // the cursor to other objects use it to come back to their own element whatever those did.
    using Cursor = const void*;
    Cursor GetCursor() const;
    void SetCursor(Cursor cursor);

    // Writes object as a child element named elementName (its class name when null; with another name the
    // attribute "class" carries the class name). The cursor comes back to the current element.
    void WriteObject(VObject* object, const char* elementName = nullptr);
    // Creates the object that the current element describes (class from the attribute "class", else the
    // tag name) and lets it read the element. A new reference, or none when no class can make it. The
    // cursor stays on the element.
    VObject* ReadObject();
    // VObject's default serialisation: storing writes the class name as the attribute "class".
    void SerializeObject(VObject& object);

    // Installs the document factory built on TinyXML (deleting one installed before). Call it before
    // files are made from several threads; a file made with no factory installed has no document and
    // every load, save or edit of it fails.
    static void InstallDefaultFactory();
    static void RemoveFactory();
    static bool HasFactory();

    // The document behind a file; defined with the factory that makes it.
    struct Document;

private:
    Document* m_document;
};

} // namespace VFoundation
