// The defaults of the tag handler interfaces.

#include "reader/sax_persist.h"

#include <gtest/gtest.h>

namespace {

class IOtherPersist : public ISAXPersist {};

// Implements two interfaces derived from ISAXPersist: two ISAXPersist parts,
// one ISAXReference identity.
class TwoInterfaces : public ISAXPersistHelper, public IOtherPersist {
public:
    explicit TwoInterfaces(bool* destroyed) : _destroyed(destroyed) {}
    ~TwoInterfaces() override { *_destroyed = true; }

private:
    bool* _destroyed;
};

TEST(SaxPersistDefaults, OneIdentityThroughEveryInterface) {
    bool destroyed = false;
    auto* object = new TwoInterfaces(&destroyed);
    ISAXPersist* viaHelper = static_cast<ISAXPersistHelper*>(object);
    ISAXPersist* viaOther = static_cast<IOtherPersist*>(object);
    ASSERT_NE(static_cast<void*>(viaHelper), static_cast<void*>(viaOther));
    ISAXReference* identity = object;
    EXPECT_EQ(viaHelper->GetReference(), identity);
    EXPECT_EQ(viaOther->GetReference(), identity);

    // A helper pointer stands for an ISAXPersist pointer without adjustment.
    ISAXPersistHelper* helper = object;
    EXPECT_EQ(static_cast<void*>(static_cast<ISAXPersist*>(helper)), static_cast<void*>(helper));

    delete identity;  // through the identity's virtual destructor
    EXPECT_TRUE(destroyed);
}

TEST(SaxPersistDefaults, Answers) {
    ISAXPersist handler;
    EXPECT_FALSE(handler.HandleTag(u"a", nullptr));
    EXPECT_TRUE(handler.Confirm(nullptr));
    EXPECT_EQ(handler.GetReference(), static_cast<ISAXReference*>(&handler));
    // The rest do nothing and must be callable without a reader.
    handler.OnPush();
    handler.HandleEndTag(u"a");
    handler.ResolveReferences(nullptr);
    handler.InitAfterLoading();
    handler.SetId(7);
}

}  // namespace
