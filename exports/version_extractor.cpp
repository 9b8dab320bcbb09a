#include "exports/version_extractor.h"

#include "reader/sax_reader.h"

bool ILBVersionExtractor::HandleTag(const std::u16string& name, MSAXReader* reader) {
    struct Field {
        const char16_t* name;
        int32_t* value;
    };
    const Field fields[] = {{u"Major", &major}, {u"Minor", &minor}, {u"Fixed", &fixed}, {u"Build", &build}};
    for (const Field& field : fields) {
        if (name == field.name && reader->GetParentTag(1) == u"Version") reader->ReadValue(*field.value);
    }
    return true;
}
