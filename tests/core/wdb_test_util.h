// Helpers for the competition file tests: byte building, temporary folders, old-format files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/competition.h"

namespace skarvel::test {

using Bytes = std::vector<std::uint8_t>;

inline void put_le(Bytes& b, std::size_t at, std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void append_le(Bytes& b, std::uint64_t v, int width) {
    b.resize(b.size() + width);
    put_le(b, b.size() - width, v, width);
}
inline std::int64_t get_le(const Bytes& b, std::size_t at, int width) {
    std::uint64_t v = 0;
    for (int i = 0; i < width; ++i) v |= std::uint64_t(b[at + i]) << (8 * i);
    if (width < 8 && (v >> (8 * width - 1)) & 1) v |= ~std::uint64_t(0) << (8 * width);
    return static_cast<std::int64_t>(v);
}

// A fresh folder under the system's temporary folder, removed at the end of the test.
class TempDir {
  public:
    TempDir() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("skarvel_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void write_bytes(const std::string& path, const Bytes& b) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}
inline Bytes read_bytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Sizes of the old (version 11) records.
constexpr int kOldRunner = 140, kOldClub = 220, kOldClass = 56, kOldCourse = 320, kOldHeader = 632,
              kOldLine = 16, kOldCard = 312, kOldStatus = 220;

// An old-format file: each section holds whole records given as byte blocks.
struct OldFile {
    std::vector<Bytes> runners, clubs, classes, courses, lines, cards;
    Bytes header = Bytes(kOldHeader, 0);
    bool with_status = true;
    Bytes status = Bytes(kOldStatus, 0);

    Bytes build() const {
        Bytes b;
        append_le(b, 11, 4);
        auto section = [&b](const std::vector<Bytes>& recs) {
            append_le(b, recs.size(), 4);
            for (const Bytes& r : recs) b.insert(b.end(), r.begin(), r.end());
        };
        section(runners);
        section(clubs);
        section(classes);
        section(courses);
        b.insert(b.end(), header.begin(), header.end());
        section(lines);
        section(cards);
        if (with_status) b.insert(b.end(), status.begin(), status.end());
        return b;
    }
};

inline void put_text(Bytes& b, std::size_t at, const std::string& s) {
    std::memcpy(b.data() + at, s.data(), s.size());
}

}  // namespace skarvel::test
