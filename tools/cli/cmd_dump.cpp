// skarvel-cli dump FILE.wdb: the whole competition as one JSON object (UTF-8), tables in slot
// order, each record keyed by its field names. Reserved bytes are left out.
#include <algorithm>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "core/cp1251.h"
#include "core/wdb_file.h"
#include "tools/cli/cli.h"

using namespace skarvel;

namespace {

struct FieldName {
    int offset;
    const char* name;
};

// Field names by offset. Record fields not listed are reserved bytes and are left out.
// Generated from the header's field list (see tools/CMakeLists.txt).
constexpr FieldName kInfoNames[] = {
#include "info_field_names.inc"
};

constexpr FieldName kRunnerNames[] = {
    {0, "name"},          {26, "comment"},
    {48, "birth_year"},   {50, "qualification"},
    {52, "class_id"},     {54, "club_id"},
    {58, "start_number"}, {60, "start_time"},
    {64, "finish_time"},  {68, "result"},
    {80, "penalty"},      {82, "place"},
    {88, "card_number"},  {92, "id"},
    {96, "marked"},       {97, "out_of_competition"},
    {98, "individual"},   {100, "fee_flags"},
    {104, "draw_key"},    {108, "status"},
    {112, "day_results"}, {152, "multiday_total"},
    {156, "heat_or_leg"},
};
constexpr FieldName kClubNames[] = {
    {0, "id"},
    {4, "name"},
    {25, "representative"},
    {46, "runner_count"},
    {48, "finish_line_count"},
    {50, "marked_count"},
    {52, "marked"},
};
constexpr FieldName kClassNames[] = {
    {0, "id"},
    {4, "name"},
    {13, "ms_award"},
    {14, "kms_award"},
    {16, "course_id"},
    {18, "runner_count"},
    {20, "finish_line_count"},
    {22, "marked_count"},
    {24, "flags"},
    {26, "fee_rental_normal"},
    {28, "fee_rental_reduced"},
    {30, "fee_own_normal"},
    {32, "fee_own_reduced"},
};
constexpr FieldName kCourseNames[] = {
    {0, "id"},
    {4, "name"},
    {16, "control_codes"},
    {116, "control_values"},
    {316, "length_m"},
    {320, "start_corridor"},
    {324, "control_count"},
    {328, "climb_m"},
    {332, "time_limit_min"},
    {336, "finish_crossings"},
    {340, "course_setter"},
    {344, "runner_count"},
    {346, "finish_line_count"},
    {348, "marked_count"},
    {350, "marked"},
};

template <std::size_t N>
const char* name_at(const FieldName (&names)[N], std::size_t offset) {
    for (const FieldName& f : names)
        if (std::size_t(f.offset) == offset) return f.name;
    return nullptr;
}

// Writes JSON to a buffer, which goes to stdout in one piece at the end.
class Json {
  public:
    std::string out;

    void key(std::string_view k) {
        comma();
        string(k, false);
        out += ':';
        fresh_ = true;
    }
    void begin(char bracket) {
        comma();
        out += bracket;
        fresh_ = true;
    }
    void end(char bracket) {
        out += bracket;
        fresh_ = false;
    }
    void number(long long v) {
        comma();
        out += std::to_string(v);
    }
    // A Windows-1251 text up to its NUL.
    void text(std::string_view cp1251) {
        comma();
        string(cp1251_to_utf8(cp1251), true);
    }
    void newline() { out += '\n'; }

  private:
    bool fresh_ = true;
    void comma() {
        if (!fresh_) out += ',';
        fresh_ = false;
    }
    void string(std::string_view utf8, bool) {
        out += '"';
        for (char ch : utf8) {
            auto u = static_cast<unsigned char>(ch);
            if (ch == '"' || ch == '\\') {
                out += '\\';
                out += ch;
            } else if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                out += buf;
            } else {
                out += ch;
            }
        }
        out += '"';
    }
};

template <class T>
void value(Json& j, const T& v) {
    if constexpr (std::is_array_v<T> && std::is_same_v<std::remove_extent_t<T>, char>) {
        j.text(field_text(v));
    } else if constexpr (std::is_array_v<T>) {
        j.begin('[');
        for (const auto& e : v) value(j, e);
        j.end(']');
    } else {
        static_assert(std::is_integral_v<T>);
        j.number(static_cast<long long>(v));
    }
}

template <class R, std::size_t N>
void record(Json& j, const R& r, const FieldName (&names)[N]) {
    j.begin('{');
    R::visit_fields(r, [&](std::size_t offset, const auto& field) {
        if (const char* name = name_at(names, offset)) {
            j.key(name);
            value(j, field);
        }
    });
    j.end('}');
}

void punch(Json& j, const Punch& p) {
    j.begin('{');
    j.key("code");
    j.number(p.code);
    j.key("time");
    j.number(p.time);
    j.end('}');
}

template <class R, class Emit>
void table(Json& j, const char* name, const Table<R>& t, Emit&& emit) {
    j.key(name);
    j.begin('[');
    for (int i = 0; i < t.capacity(); ++i)
        if (const R* r = t[i]) {
            j.newline();
            emit(*r);
        }
    j.end(']');
    j.newline();
}

}  // namespace

int cmd_dump(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        cli::error("usage: skarvel-cli dump FILE.wdb");
        return cli::kExitUsage;
    }
    auto c = std::make_unique<Competition>();
    int version = 0;
    if (int rc = cli::load_competition(*c, args[0], &version); rc != cli::kExitOk) return rc;

    Json j;
    j.begin('{');
    j.key("version");
    j.number(version);
    j.newline();
    j.key("info");
    j.begin('{');
    CompetitionInfo::visit_fields(c->info, [&](std::size_t offset, const auto& field) {
        const char* name = name_at(kInfoNames, offset);
        j.key(name ? std::string(name) : "field_" + std::to_string(offset));
        value(j, field);
    });
    j.end('}');
    j.newline();
    table(j, "runners", c->tables.runners, [&](const Runner& r) { record(j, r, kRunnerNames); });
    table(j, "clubs", c->tables.clubs, [&](const Club& r) { record(j, r, kClubNames); });
    table(j, "classes", c->tables.classes,
          [&](const ClassRecord& r) { record(j, r, kClassNames); });
    table(j, "courses", c->tables.courses, [&](const Course& r) { record(j, r, kCourseNames); });
    table(j, "finish_lines", c->tables.finish_lines, [&](const FinishLine& f) {
        j.begin('{');
        j.key("start_number");
        j.number(f.start_number);
        j.key("time");
        j.number(f.time());
        j.key("counter");
        j.number(f.counter());
        j.key("flags");
        j.number(f.flags);
        j.end('}');
    });
    table(j, "card_readouts", c->tables.card_readouts, [&](const CardReadout& r) {
        j.begin('{');
        j.key("card_number");
        j.number(r.card_number);
        j.key("start_number");
        j.number(r.start_number);
        j.key("punch_count");
        j.number(r.punch_count);
        j.key("start");
        punch(j, r.start);
        j.key("finish");
        punch(j, r.finish);
        j.key("station_punches");
        j.begin('[');
        for (const Punch& p : r.station_punches) punch(j, p);
        j.end(']');
        j.key("punches");
        j.begin('[');
        int n = r.held_punches();
        for (int k = 0; k < n; ++k) punch(j, r.punches[k]);
        j.end(']');
        j.end('}');
    });
    j.end('}');
    j.newline();
    if (std::fwrite(j.out.data(), 1, j.out.size(), stdout) != j.out.size() ||
        std::fflush(stdout) != 0) {
        cli::error("cannot write the output");
        return cli::kExitOutput;
    }
    return cli::kExitOk;
}
