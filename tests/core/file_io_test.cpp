#include "core/file_io.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

namespace skarvel {
namespace {

struct TempFolder {
    std::filesystem::path dir;
    TempFolder() {
        dir = std::filesystem::temp_directory_path() /
              ("skarvel_file_io_" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    ~TempFolder() { std::filesystem::remove_all(dir); }
    std::string file(const std::string& utf8_name) const {
        return (dir / utf8_path(utf8_name)).string();
    }
};

void put(const std::string& path, const std::string& bytes) {
    FileHandle f = open_file(path, "wb");
    ASSERT_TRUE(f);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f.get()), bytes.size());
}

TEST(FileIo, OpensFilesInCyrillicFolders) {
    TempFolder t;
    std::string folder = t.file("Старт");
    std::filesystem::create_directory(utf8_path(folder));
    std::string path = folder + "/финиш.txt";
    put(path, "abc");
    std::string text;
    ASSERT_TRUE(read_text_lines(path, 99, 10, text));
    EXPECT_EQ(text, "abc");
    int error = 0;
    EXPECT_FALSE(open_file(folder + "/нет/x.txt", "rb", &error));
    EXPECT_EQ(error, ENOENT);
}

TEST(FileIo, LinesAreBoundedCutAndCounted) {
    TempFolder t;
    struct Case {
        const char* name;
        std::string file;
        std::size_t max_chars, max_lines;
        std::string expected;
    } cases[] = {
        {"short lines keep their ends", "1 a\r\n2 b\n3", 99, 10, "1 a\r\n2 b\n3"},
        // The rest of a long line is dropped, not read as a line of its own.
        {"long line is cut", std::string(250, 'x') + "\r\n7\r\n", 99, 10,
         std::string(99, 'x') + "\n7\r\n"},
        {"line at the limit", "12345\n", 5, 10, "12345\n"},
        {"last line cut", "1234567", 5, 10, "12345\n"},
        {"line limit", "1\n2\n3\n4\n", 99, 2, "1\n2\n"},
        {"cut lines count", "aaaaaaa\nbbbbbbb\nc\n", 3, 2, "aaa\nbbb\n"},
        {"empty file", "", 99, 10, ""},
    };
    for (const Case& c : cases) {
        std::string path = t.file("in.txt");
        put(path, c.file);
        std::string text = "stale";
        ASSERT_TRUE(read_text_lines(path, c.max_chars, c.max_lines, text)) << c.name;
        EXPECT_EQ(text, c.expected) << c.name;
    }
    std::string text;
    EXPECT_FALSE(read_text_lines(t.file("missing.txt"), 99, 10, text));
}

TEST(FileIo, AFileWithoutLineEndsIsNotReadToItsEnd) {
    // An endless "line": the first 99 characters, then reading stops.
    std::string text;
    ASSERT_TRUE(read_text_lines("/dev/zero", 99, 20000, text));
    EXPECT_EQ(text, std::string(99, '\0') + "\n");
}

}  // namespace
}  // namespace skarvel
