// LoadDecryptor over real containers: every shape of "blob_0000" (missing,
// short, long, unknown levels, unreadable) and the deciphering of a whole
// "header.xml" afterwards through the same archive.

#include "archive/zip_archive.h"
#include "crypt/decryptor_factory.h"
#include "crypt/word_cipher.h"
#include "errors/sax_error.h"
#include "errors/zip_archive_error.h"
#include "tests/support/temp_dir.h"
#include "tools/writer/encipher.h"
#include "tools/writer/project_writer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

std::string Word(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

const std::string kPlainHeader = [] {
    std::string s = "<kor:ProjectFile>";
    while (s.size() < 9000) s += "<Obj><id>7</id><Name>x</Name></Obj>";
    return s + "</kor:ProjectFile>";
}();

// A container with an optional descriptor (written first) and "header.xml"
// enciphered with cipherKey when given, in 4096-byte chunks as the writer does.
void WriteContainer(const std::u16string& path, const std::optional<std::string>& descriptor,
                    std::optional<uint32_t> cipherKey = std::nullopt,
                    ESAXCompressionLevel descriptorLevel = eSAXCompressionNone) {
    MZipArchive archive;
    ASSERT_TRUE(archive.Create(path));
    if (descriptor) {
        MZipFile f = archive.OpenNewFile("blob_0000", descriptorLevel);
        if (!descriptor->empty()) archive.WriteFile(f, descriptor->data(), static_cast<uint32_t>(descriptor->size()));
        archive.CloseNewFile(f);
    }
    std::string header = kPlainHeader;
    if (cipherKey) {
        for (size_t at = 0; at < header.size(); at += 4096) {
            qwriter::EncipherBuffer(reinterpret_cast<uint8_t*>(&header[at]), std::min<size_t>(4096, header.size() - at),
                                    *cipherKey);
        }
    }
    MZipFile h = archive.OpenNewFile("header.xml", eSAXCompressionDefault);
    archive.WriteFile(h, header.data(), static_cast<uint32_t>(header.size()));
    archive.CloseNewFile(h);
    ASSERT_TRUE(archive.Close());
}

// "header.xml" read in 4096-byte chunks through the decryptor, as a reader does.
std::string ReadHeader(MZipArchive& archive, const ISAXDecryptor& decryptor) {
    MZipFile f = archive.OpenFile("header.xml");
    std::string out;
    std::vector<char> chunk(4096);
    for (;;) {
        const int n = archive.ReadFile(f, chunk.data(), 4096);
        decryptor.Decrypt(chunk.data(), static_cast<uint32_t>(n));
        out.append(chunk.data(), static_cast<size_t>(n));
        if (n < 4096) break;
    }
    return out;
}

uint32_t KeyOf(const ISAXDecryptor& d) { return dynamic_cast<const MSAXDecryptorKor32&>(d).GetKey(); }

TEST(LoadDecryptor, DescriptorShapes) {
    const uint32_t k = 0xA5A5F00Du;
    std::string longDescriptor = Word(1) + Word(k);
    longDescriptor += std::string(1500, '\x02');  // past the 1024 bytes ever read
    struct Case {
        const char* name;
        std::optional<std::string> descriptor;
        ESAXCompressionLevel descriptorLevel;
        ESAXEncryptionLevel level;
        std::optional<uint32_t> key;  // key the header is enciphered with (and the decryptor holds)
    };
    const Case cases[] = {
        {"no descriptor", std::nullopt, eSAXCompressionNone, eSAXEncryptionNone, std::nullopt},
        {"level word 0 only", Word(0), eSAXCompressionNone, eSAXEncryptionNone, std::nullopt},
        {"level 0 with trailing bytes", Word(0) + Word(77), eSAXCompressionNone, eSAXEncryptionNone, std::nullopt},
        {"level 1 and key", Word(1) + Word(k), eSAXCompressionNone, eSAXEncryptionKor32, k},
        {"level 1 and key, deflated", Word(1) + Word(k), eSAXCompressionDefault, eSAXEncryptionKor32, k},
        {"level 1 even key", Word(1) + Word(0x100u), eSAXCompressionNone, eSAXEncryptionKor32, 0x100u},
        {"level 2, key word ignored", Word(2) + Word(k), eSAXCompressionNone, eSAXEncryptionKor32Fixed, kFixedKey},
        {"level 2, no key word", Word(2), eSAXCompressionNone, eSAXEncryptionKor32Fixed, kFixedKey},
        {"over 1024 bytes, first 8 count", longDescriptor, eSAXCompressionDefault, eSAXEncryptionKor32, k},
        // Short entries: the bytes they lack read as zero.
        {"empty entry", std::string(), eSAXCompressionNone, eSAXEncryptionNone, std::nullopt},
        {"two-byte level 1, no key", std::string("\x01\x00", 2), eSAXCompressionNone, eSAXEncryptionKor32, 0u},
        {"level 1, half a key", Word(1) + "\xAA\xBB", eSAXCompressionNone, eSAXEncryptionKor32, 0xBBAAu},
        {"one-byte level 2", std::string("\x02", 1), eSAXCompressionNone, eSAXEncryptionKor32Fixed, kFixedKey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qtest::TempDir dir;
        const std::u16string path = dir.WideFile("p.kor");
        WriteContainer(path, c.descriptor, c.key, c.descriptorLevel);
        MZipArchive archive;
        ASSERT_TRUE(archive.Open(path));
        const auto decryptor = LoadDecryptor(archive);
        ASSERT_NE(decryptor, nullptr);
        EXPECT_EQ(decryptor->GetEncryptionLevel(), c.level);
        if (c.level == eSAXEncryptionNone) {
            EXPECT_NE(dynamic_cast<const MSAXDecryptorDummy*>(decryptor.get()), nullptr);
        } else {
            EXPECT_EQ(KeyOf(*decryptor), *c.key);
        }
        // The descriptor entry left open does not stand in the way of the document.
        EXPECT_EQ(ReadHeader(archive, *decryptor), kPlainHeader);
    }
}

TEST(LoadDecryptor, UnknownLevelsThrowAndLeaveTheArchiveUsable) {
    struct Case {
        const char* name;
        std::string descriptor;
    };
    const Case cases[] = {
        {"level 3", Word(3) + Word(1)},
        {"level -1", Word(0xFFFFFFFFu) + Word(1)},
        {"level 0x100 (a 1 in the second byte)", Word(0x100u)},
        {"one byte 3", std::string("\x03", 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qtest::TempDir dir;
        const std::u16string path = dir.WideFile("p.kor");
        WriteContainer(path, c.descriptor);
        MZipArchive archive;
        ASSERT_TRUE(archive.Open(path));
        EXPECT_THROW(LoadDecryptor(archive), MSAXError::MDecryptUnknownLevel);
        MSAXDecryptorDummy plain;
        EXPECT_EQ(ReadHeader(archive, plain), kPlainHeader);
    }
}

// A descriptor whose deflated data is broken: the read error reaches the caller unchanged.
TEST(LoadDecryptor, UnreadableDescriptorPassesTheReadError) {
    qtest::TempDir dir;
    const std::string file = dir.File("p.kor");
    WriteContainer(dir.WideFile("p.kor"), Word(1) + Word(5) + std::string(200, 'z'), std::nullopt,
                   eSAXCompressionDefault);
    std::string bytes = qtest::ReadFileBytes(file);
    // The descriptor is the first entry: its data follows the local header,
    // its name and its extra field. 0x07 starts a final block of the invalid type 3.
    const size_t nameLength = uint8_t(bytes[26]) | uint8_t(bytes[27]) << 8;
    const size_t extraLength = uint8_t(bytes[28]) | uint8_t(bytes[29]) << 8;
    ASSERT_EQ(bytes.compare(30, nameLength, "blob_0000"), 0);
    bytes[30 + nameLength + extraLength] = '\x07';
    qtest::WriteFileBytes(file, bytes);

    MZipArchive archive;
    ASSERT_TRUE(archive.Open(dir.WideFile("p.kor")));
    EXPECT_THROW(LoadDecryptor(archive), MZipArchiveError::MDeflate);
}

static_assert(qwriter::kFixedKey == kFixedKey, "writer and library must agree on the level-2 key");

// Files from the project writer decipher back to the document they were made
// from, chunk by chunk, for every level; the document length is not a multiple of 4.
TEST(LoadDecryptor, ProjectWriterFilesRoundTrip) {
    const std::string document = kPlainHeader + std::string(3, ' ');
    ASSERT_NE(document.size() % 4, 0u);
    struct Case {
        const char* name;
        int level;
        uint32_t key;
        bool alternativeSignatures;
        ESAXEncryptionLevel expected;
    };
    const Case cases[] = {
        {"level 0", 0, 0, false, eSAXEncryptionNone},
        {"level 1", 1, 0xDEADBEEFu, false, eSAXEncryptionKor32},
        {"level 1, key 0", 1, 0u, true, eSAXEncryptionKor32},
        {"level 2", 2, 0, false, eSAXEncryptionKor32Fixed},
        {"level 2, alternative signatures", 2, 0, true, eSAXEncryptionKor32Fixed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qtest::TempDir dir;
        qwriter::ProjectFileOptions options;
        options.level = c.level;
        options.key = c.key;
        options.alternativeSignatures = c.alternativeSignatures;
        qwriter::WriteProjectFile(dir.WideFile("p.kor"), document, options);
        MZipArchive archive;
        ASSERT_TRUE(archive.Open(dir.WideFile("p.kor")));
        const auto decryptor = LoadDecryptor(archive);
        EXPECT_EQ(decryptor->GetEncryptionLevel(), c.expected);
        EXPECT_EQ(ReadHeader(archive, *decryptor), document);
    }
}

}  // namespace
