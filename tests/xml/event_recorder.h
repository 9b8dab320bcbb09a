#pragma once
// A MXMLExpat that records its events as text, for comparing event sequences:
//   "tag b text='1' at=b<a"   _HandleTag(b), its ReadValue text, GetParentTag(0)<GetParentTag(1)
//   "end b at=b<a"            _HandleEndTag(b)
// _HandleTag answers true unless the name is listed in skip (or skip is "*").
// A thrower, when set, runs after an event is recorded.

#include "tests/support/temp_dir.h"
#include "xml/xml_expat.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace xmltest {

class EventRecorder : public MXMLExpat {
public:
    std::vector<std::string> events;
    std::set<std::string> skip;
    std::function<void(const std::string& event)> thrower;

    bool HoldsParser() const { return _parser != nullptr; }
    bool HoldsFile() const { return _file != platform::kInvalidFileHandle; }
    std::size_t Depth() const { return _tagStack.size(); }

protected:
    bool _HandleTag(const std::u16string& name) override {
        std::u16string text;
        ReadValue(text);
        const std::string n = qtest::Narrow(name);
        Record("tag " + n + " text='" + qtest::Narrow(text) + "' at=" + Where());
        return skip.count("*") == 0 && skip.count(n) == 0;
    }

    void _HandleEndTag(const std::u16string& name) override {
        Record("end " + qtest::Narrow(name) + " at=" + Where());
    }

private:
    std::string Where() const {
        return qtest::Narrow(GetParentTag(0)) + "<" + qtest::Narrow(GetParentTag(1));
    }

    void Record(const std::string& event) {
        events.push_back(event);
        if (thrower) {
            thrower(event);
        }
    }
};

}  // namespace xmltest
