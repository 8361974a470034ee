#pragma once

#include "foundation/VObjectContainer.h"

namespace VFoundation {

// The container used throughout: adds copying, comparison by value, a description and XML serialisation.
class VObjectArray : public VObjectContainer {
    V_DECLARE_CLASS(VObjectArray)
public:
    explicit VObjectArray(int initialCapacity = 0, VClass* record = nullptr);
    ~VObjectArray() override;

    VObject* Copy() const override;
    void SerializeAsXML(VXMLFile& xmlFile) override;
    void GetDescription(VString& out) const override;

    // A new array (the caller releases it) holding copies of the entries.
    virtual VObjectArray* CopyArray() const;
    virtual void SetObjects(const VObjectContainer* other);
    virtual void SetObjectsCopying(const VObjectContainer* other);
    virtual int IndexOfEqualObject(const VObject* object) const;
};

} // namespace VFoundation
