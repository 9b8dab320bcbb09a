// Every truncation and every single-byte change of a small valid project file
// (enciphered, deflated header, descriptor, a blob entry the document reads)
// goes through MSAXReader::Parse and ends in completion or in one of the
// reader's typed errors.

#include "tests/hostile/hostile_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>

namespace {

const std::string kDocument =
    "<?xml version=\"1.0\"?><kor:ProjectFile><version><major>2</major></version>"
    "<item><id>7</id><blobData>0 12 data_1</blobData></item></kor:ProjectFile>";

std::string ValidProject() {
    return hostile::WriteProject(kDocument, 1, {{"data_1", hostile::Pattern(24)}});
}

const std::set<std::string> kTypedOutcomes = {
    "completed",  "MFileOpenRead",        "MNotAKorProjectFile", "MParse",
    "MDeflate",   "MDecryptUnknownLevel", "zip MFileNotFound",   "zip MDeflate",
};

class ProjectMutation : public ::testing::Test {
protected:
    hostile::ParseResult Parse(const std::string& bytes) {
        qtest::WriteFileBytes(dir_.File("m.kor"), bytes);
        return hostile::ParseProject(dir_.WideFile("m.kor"));
    }

    qtest::TempDir dir_;
};

TEST_F(ProjectMutation, ValidFileReadsWhole) {
    const hostile::ParseResult result = Parse(ValidProject());
    ASSERT_EQ(result.outcome, "completed");
    ASSERT_EQ(result.blobs.size(), 1u);
    EXPECT_EQ(result.blobs[0].bytes.substr(0, 12), hostile::Pattern(24).substr(0, 12));
}

// Without the whole end record no prefix is a container.
TEST_F(ProjectMutation, EveryTruncationFailsToOpen) {
    const std::string valid = ValidProject();
    for (size_t length = 0; length < valid.size(); ++length) {
        EXPECT_EQ(Parse(valid.substr(0, length)).outcome, "MFileOpenRead") << "length " << length;
    }
}

TEST_F(ProjectMutation, EverySingleByteChangeEndsTyped) {
    const std::string valid = ValidProject();
    std::map<std::string, size_t> outcomes;
    for (size_t offset = 0; offset < valid.size(); ++offset) {
        for (uint8_t change : {uint8_t(0xFF), uint8_t(0x01), uint8_t(0x80)}) {
            std::string bytes = valid;
            bytes[offset] = char(uint8_t(bytes[offset]) ^ change);
            const std::string outcome = Parse(bytes).outcome;
            EXPECT_TRUE(kTypedOutcomes.count(outcome)) << outcome << " at " << offset;
            ++outcomes[outcome];
        }
    }
    for (const auto& [outcome, count] : outcomes) std::cout << outcome << ": " << count << "\n";
}

}  // namespace
