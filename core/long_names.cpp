#include "core/long_names.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/atomic_file.h"
#include "core/competition.h"
#include "core/cp1251.h"
#include "core/file_io.h"

namespace skarvel {

namespace {

constexpr std::string_view kHeader = "Skarvel long names 1";
// More than every table at capacity with names at full length.
constexpr std::size_t kMaxFileBytes = 64u << 20;

struct Kind {
    RecordType type;
    std::string_view word;
};
constexpr Kind kKinds[] = {
    {kRunners, "runner"}, {kClubs, "club"}, {kClasses, "class"}, {kCourses, "course"}};

std::string_view word_of(int type) {
    for (const Kind& k : kKinds)
        if (k.type == type) return k.word;
    return {};
}

// The name field of the live record with that id; nullopt when there is none.
std::optional<std::string_view> shown_name(const Competition& c, int type, std::int32_t id) {
    switch (type) {
        case kRunners:
            if (const Runner* r = c.find_runner_by_id(id)) return field_text(r->name);
            break;
        case kClubs:
            if (const Club* k = c.find_club_by_id(id)) return field_text(k->name);
            break;
        case kClasses:
            if (const ClassRecord* k = c.find_class_by_id(id)) return field_text(k->name);
            break;
        case kCourses:
            if (const Course* k = c.find_course_by_id(id)) return field_text(k->name);
            break;
        default:
            break;
    }
    return std::nullopt;
}

// Tabs and line ends would break the line: the names come from files, so make sure.
std::string clean_utf8(std::string_view cp1251) {
    std::string s(cp1251);
    for (char& ch : s)
        if (ch == '\t' || ch == '\r' || ch == '\n') ch = ' ';
    return cp1251_to_utf8(s);
}

std::vector<std::string_view> split(std::string_view line, char sep) {
    std::vector<std::string_view> out;
    for (;;) {
        std::size_t at = line.find(sep);
        out.push_back(line.substr(0, at));
        if (at == std::string_view::npos) return out;
        line.remove_prefix(at + 1);
    }
}

}  // namespace

std::string encode_long_names(const Competition& c) {
    std::string out;
    for (const auto& [key, name] : c.long_names.entries()) {
        if (shown_name(c, key.first, key.second) != name.shown) continue;
        if (out.empty()) out = std::string(kHeader) + "\r\n";
        out += word_of(key.first);
        out += '\t' + std::to_string(key.second) + '\t' + clean_utf8(name.shown) + '\t' +
               clean_utf8(name.full);
        if (key.first == kRunners) out += '\t' + clean_utf8(name.given);
        out += "\r\n";
    }
    return out;
}

bool decode_long_names(std::string_view text, LongNames& names) {
    names.clear();
    std::vector<std::string_view> lines = split(text, '\n');
    for (std::string_view& line : lines)
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lines.empty() || lines[0] != kHeader) return false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string_view> f = split(lines[i], '\t');
        const Kind* kind = nullptr;
        for (const Kind& k : kKinds)
            if (f[0] == k.word) kind = &k;
        if (!kind || f.size() != (kind->type == kRunners ? 5u : 4u)) continue;
        std::int32_t id = 0;
        auto [end, ec] = std::from_chars(f[1].data(), f[1].data() + f[1].size(), id);
        if (ec != std::errc() || end != f[1].data() + f[1].size() || f[2].empty()) continue;
        LongName name{utf8_to_cp1251(f[2]), utf8_to_cp1251(f[3]),
                      kind->type == kRunners ? utf8_to_cp1251(f[4]) : std::string()};
        names.set(kind->type, id, std::move(name));
    }
    return true;
}

std::string long_names_path_for(const std::string& competition_path) {
    return competition_path + ".names";
}

bool write_long_names(const std::string& competition_path, const std::string& encoded, int* error) {
    std::string path = long_names_path_for(competition_path);
    if (!encoded.empty())
        return write_file_atomically(path, reinterpret_cast<const std::uint8_t*>(encoded.data()),
                                     encoded.size(), error);
    // Nothing to keep: a file left from before (or from another competition saved under this
    // name) must not lend its names to these records.
    std::error_code ec;
    std::filesystem::remove(utf8_path(path), ec);
    if (ec && error) *error = ec.value();
    return !ec;
}

void read_long_names(Competition& c, const std::string& competition_path) {
    c.long_names.clear();
    std::string bytes;
    if (!read_file_bytes(long_names_path_for(competition_path), kMaxFileBytes, bytes)) return;
    decode_long_names(bytes, c.long_names);
}

}  // namespace skarvel
