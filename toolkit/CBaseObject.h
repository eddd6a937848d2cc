// Reference counting shared by views, bitmaps and file selectors: whoever
// keeps a pointer calls remember(), whoever lets go calls forget(), and the
// last forget() deletes the object.
#pragma once

class CBaseObject {
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    void remember() { ++references_; }
    void forget() {
        if (--references_ <= 0) delete this;
    }
    int getNbReference() const { return references_; }

protected:
    virtual ~CBaseObject() = default;

private:
    int references_ = 1;  // the creator's reference
};
