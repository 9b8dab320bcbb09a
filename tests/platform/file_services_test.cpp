#include "platform/diagnostics.h"
#include "platform/file_io.h"
#include "platform/perf_counter.h"
#include "platform/temp_directory.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

TEST(FileIo, ReadsByWidePathAndRefusesMissingFilesAndDirectories) {
    qtest::TempDir dir;
    std::string name = "caf\xC3\xA9.bin";
    qtest::WriteFileBytes(dir.File(name), "hello");
    platform::FileHandle f = platform::OpenExistingForRead(dir.WideFile(name));
    ASSERT_NE(f, platform::kInvalidFileHandle);
    char buf[16];
    uint32_t got = 99;
    EXPECT_TRUE(platform::ReadFromFile(f, buf, sizeof buf, &got));
    EXPECT_EQ(std::string(buf, got), "hello");
    EXPECT_TRUE(platform::ReadFromFile(f, buf, sizeof buf, &got));
    EXPECT_EQ(got, 0u);
    platform::CloseFile(f);

    EXPECT_EQ(platform::OpenExistingForRead(dir.WideFile("missing")), platform::kInvalidFileHandle);
    EXPECT_EQ(platform::OpenExistingForRead(qtest::Widen(dir.path().u8string())),
              platform::kInvalidFileHandle);
    EXPECT_EQ(platform::OpenExistingForRead(u""), platform::kInvalidFileHandle);
    EXPECT_EQ(platform::OpenStream(qtest::Widen(dir.path().u8string()), "rb"), nullptr);

    EXPECT_TRUE(platform::DeleteFileAt(dir.WideFile(name)));
    EXPECT_FALSE(platform::DeleteFileAt(dir.WideFile(name)));
}

TEST(TempDirectory, TwoCallProtocolWithTrailingSeparator) {
    uint32_t needed = platform::GetTempDirectory(0, nullptr);
    ASSERT_GT(needed, 1u);
    std::vector<char16_t> buf(needed);
    uint32_t length = platform::GetTempDirectory(needed, buf.data());
    EXPECT_EQ(length, needed - 1);
#if defined(_WIN32)
    EXPECT_EQ(buf[length - 1], u'\\');
#else
    EXPECT_EQ(buf[length - 1], u'/');
#endif
    EXPECT_EQ(buf[length], u'\0');
    EXPECT_EQ(platform::GetTempDirectory(length, buf.data()), needed);
}

TEST(PerfCounter, MovesForwardAtAPositiveFrequency) {
    EXPECT_GT(platform::PerformanceFrequency(), 0);
    int64_t a = platform::PerformanceCounter();
    EXPECT_LE(a, platform::PerformanceCounter());
}

TEST(Diagnostics, SinksCaptureAndRestore) {
    std::u16string debug;
    auto previous = platform::SetDebugOutputSink([&](std::u16string_view t) { debug += t; });
    platform::OutputDebugText(u"Total:1");
    platform::SetDebugOutputSink(previous);
    platform::OutputDebugText(u"ignored");
    EXPECT_EQ(debug, u"Total:1");

    std::string box;
    auto previousBox = platform::SetMessageBoxSink(
        [&](std::string_view c, std::string_view t) { box = std::string(c) + "|" + std::string(t); });
    platform::ShowMessageBox("Can`t open ANSI file", "in.txt");
    platform::SetMessageBoxSink(previousBox);
    EXPECT_EQ(box, "Can`t open ANSI file|in.txt");
}

}  // namespace
