// Reading the IOF XML 3.0 messages: entry list, course data, class list, start list and result
// list. The message is read whole into plain lists first; only when it is sound and fits the
// tables are the records changed.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <pugixml.hpp>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/atomic_file.h"
#include "core/calendar.h"
#include "core/finish_results.h"
#include "core/record_edit.h"
#include "core/text_format.h"
#include "core/time_text.h"
#include "exchange/iof_text.h"
#include "exchange/iof_xml.h"
#include "exchange/table_appender.h"
#include "results/result_compute.h"

namespace skarvel {

namespace {

std::string_view local_name(const char* name) {
    std::string_view s(name);
    std::size_t colon = s.find(':');
    return colon == std::string_view::npos ? s : s.substr(colon + 1);
}

pugi::xml_node child(pugi::xml_node parent, std::string_view name) {
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element && local_name(n.name()) == name) return n;
    return {};
}

template <class F>
void each_child(pugi::xml_node parent, std::string_view name, F&& f) {
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element && local_name(n.name()) == name) f(n);
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string_view value(pugi::xml_node n) {
    return n ? trimmed(n.child_value()) : std::string_view();
}

// A whole decimal number, or `fallback`.
long long integer(std::string_view s, long long fallback = 0) {
    s = trimmed(s);
    long long v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size() && !s.empty() ? v : fallback;
}

// A finite decimal number in the C form whatever the locale; `fallback` when there is none
// ("nan" would make every later conversion to an integer undefined).
double real(std::string_view s, double fallback = 0) {
    s = trimmed(s);
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && !s.empty() && std::isfinite(v) ? v : fallback;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long long days_from_civil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// The offset from UTC of this computer's zone at a moment (seconds since 1970, UTC), in
// minutes.
int machine_offset_at(long long utc_seconds) {
    const std::tm tm = local_calendar(static_cast<std::time_t>(utc_seconds));
    long long local = days_from_civil(tm.tm_year + 1900LL, static_cast<unsigned>(tm.tm_mon + 1),
                                      static_cast<unsigned>(tm.tm_mday)) *
                          86400 +
                      tm.tm_hour * 3600LL + tm.tm_min * 60LL + tm.tm_sec;
    return static_cast<int>((local - utc_seconds) / 60);
}

// An xs:dateTime ("2011-07-31T14:00:00.5+01:00") as written.
struct DateTime {
    int year = 0, month = 0, day = 0;  // 0: no date
    std::int32_t centis = -1;          // time of day; -1 when there is none
    bool zoned = false;
    int zone_minutes = 0;
};

DateTime parse_date_time(std::string_view s) {
    DateTime out;
    s = trimmed(s);
    std::size_t t = s.find('T');
    if (t == std::string_view::npos) return out;
    std::string_view date = s.substr(0, t);
    if (date.size() == 10 && date[4] == '-' && date[7] == '-') {
        long long y = integer(date.substr(0, 4), 0), m = integer(date.substr(5, 2), 0),
                  d = integer(date.substr(8, 2), 0);
        if (y > 0 && m >= 1 && m <= 12 && d >= 1 && d <= 31) {
            out.year = static_cast<int>(y);
            out.month = static_cast<int>(m);
            out.day = static_cast<int>(d);
        }
    }
    s = s.substr(t + 1);
    if (s.size() < 8 || s[2] != ':' || s[5] != ':') return out;
    long long h = integer(s.substr(0, 2), -1), m = integer(s.substr(3, 2), -1),
              sec = integer(s.substr(6, 2), -1);
    if (h < 0 || h > 24 || m < 0 || m > 59 || sec < 0 || sec > 60) return out;
    std::int32_t centis = static_cast<std::int32_t>((h * 3600 + m * 60 + sec) * 100);
    std::size_t i = 8;
    if (i < s.size() && s[i] == '.') {
        int scale = 10;
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            centis += (s[i] - '0') * scale;
            scale /= 10;
        }
    }
    out.centis = centis;
    std::string_view zone = s.substr(i);
    int minutes = 0;
    if (!zone.empty() && parse_utc_offset(zone, minutes)) {
        out.zoned = true;
        out.zone_minutes = minutes;
    }
    return out;
}

// A cp1251 name compared as people compare names: case, commas and runs of blanks do not
// count.
std::string name_key(std::string_view name) {
    std::string out;
    for (char ch : name) {
        auto b = static_cast<unsigned char>(ch);
        if (b == ',' || b == ' ') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 'a' + 'A');
        if (b >= 0xE0) b = static_cast<unsigned char>(b - 0x20);  // а..я
        if (b == 0xB8) b = 0xA8;                                  // ё
        out += static_cast<char>(b);
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The first `width` characters of a name, without blanks at the end.
std::string cut_name(std::string_view name, std::size_t width) {
    name = name.substr(0, width);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    return std::string(name);
}

struct PersonIn {
    std::string name;           // "family given", cut to the runner's name field
    std::string family, given;  // as the message splits them
    std::string club, class_name, team_name;
    int birth_year = 0;
    std::int32_t card = 0;
    int bib = 0;    // the start number the message gives (relay members: their own)
    int team = -1;  // index of the relay team
    int leg = 0;
    std::int32_t start = -1, finish = -1, time = -1;
    int status = -1;  // -1: not given
    bool out_of_competition = false;
    bool name_replaced = false;
    std::vector<Punch> punches;
};

struct TeamIn {
    std::string class_name;
    long long bib = 0;  // 0: none (or not a number)
};

struct CourseIn {
    std::string name;
    std::int32_t length = 0, climb = 0;
    std::vector<std::uint8_t> codes;
    std::vector<std::uint16_t> legs;
};

struct Assignment {
    std::string class_name, course_name;
};

int status_code(std::string_view s, bool& out_of_competition) {
    out_of_competition = false;
    if (s == "OK" || s == "Finished" || s == "Active" || s == "Inactive") return kStatusOk;
    if (s == "NotCompeting") {
        out_of_competition = true;
        return kStatusOk;
    }
    if (s == "MissingPunch") return kStatusWrongPunch;
    if (s == "OverTime") return kStatusOverTime;
    if (s == "DidNotFinish" || s == "SportingWithdrawal") return kStatusDidNotFinish;
    if (s == "DidNotStart" || s == "DidNotEnter" || s == "Cancelled") return kStatusDidNotStart;
    if (s == "Disqualified") return 3;
    return kStatusOk;
}

// The names of one table (classes, courses or clubs) as an import finds and makes them. A
// message's name is the record's when it is the record's full name (kept beside the
// competition) or its short form; a name longer than the field also takes a record whose short
// form is its cut form while no other full name has that record. A new record's short form is
// the cut name, with a number at its end when that is taken.
class NameTable {
  public:
    NameTable(RecordType type, std::size_t width) : type_(type), width_(width) {}

    void add_record(std::int32_t id, const std::string& shown, const LongName* long_name) {
        by_shown_.emplace(shown, id);
        if (long_name) {
            by_full_.emplace(long_name->full, id);
            claimed_.insert(shown);
        } else {
            by_full_.emplace(shown, id);
        }
    }
    // The record of a name; 0 when there is none.
    std::int32_t find(const std::string& full) {
        if (auto it = by_full_.find(full); it != by_full_.end()) return it->second;
        if (full.size() <= width_) return 0;
        std::string cut = cut_name(full, width_);
        auto it = by_shown_.find(cut);
        if (it == by_shown_.end() || claimed_.count(cut)) return 0;
        // A record cut before its full name was kept: it is this one from now on.
        claimed_.insert(cut);
        by_full_.emplace(full, it->second);
        kept.push_back({it->second, {cut, full, {}}});
        return it->second;
    }
    // The short form of a new record; `unique` is set when the cut form was taken.
    std::string new_short(const std::string& full, bool& unique) const {
        std::string cut = cut_name(full, width_);
        unique = false;
        if (!by_shown_.count(cut)) return cut;
        unique = true;
        for (int n = 2;; ++n) {
            std::string suffix = std::to_string(n);
            std::string candidate = cut_name(full, width_ - suffix.size()) + suffix;
            if (!by_shown_.count(candidate)) return candidate;
        }
    }
    void add_new(std::int32_t id, const std::string& shown, const std::string& full) {
        by_shown_.emplace(shown, id);
        by_full_.emplace(full, id);
        if (shown != full) {
            claimed_.insert(shown);
            kept.push_back({id, {shown, full, {}}});
        }
    }
    RecordType type() const { return type_; }

    // Long names this import gave records (adopted or new), to keep beside the competition.
    std::vector<std::pair<std::int32_t, LongName>> kept;

  private:
    RecordType type_;
    std::size_t width_;
    std::unordered_map<std::string, std::int32_t> by_full_, by_shown_;
    std::unordered_set<std::string> claimed_;  // short forms that stand for a longer name
};

class Reader {
  public:
    Reader(Competition& c, const LanguageTable& lang, const IofImportOptions& options)
        : c_(c), lang_(lang), options_(options) {}
    IofImportReport run(IofImportKind kind, std::string_view xml);

  private:
    bool fail(std::string message) {
        report_.ok = false;
        report_.message = std::move(message);
        return false;
    }
    // Windows-1251 form of a text of the message; `replaced` is set when a character had to
    // be replaced.
    std::string text(std::string_view utf8, bool* replaced = nullptr) {
        bool any = false;
        std::string s = utf8_to_cp1251_nearest(trimmed(utf8), &any);
        if (replaced) *replaced = *replaced || any;
        return s;
    }
    // A class, course or club name; replaced characters are counted per distinct name.
    std::string name_text(std::string_view utf8, std::unordered_set<std::string>& replaced) {
        bool any = false;
        std::string s = text(utf8, &any);
        if (any) replaced.insert(s);
        return s;
    }
    std::string missing(std::string_view element, int n, std::string_view what) {
        return strf_view(lang_.text(Txt::kIofMissing), std::string(element).c_str(), n,
                         std::string(what).c_str());
    }
    std::int32_t time_of_day(std::string_view s);
    // Person name, club and birth year of a person-like element; false on a missing name.
    bool read_person(pugi::xml_node holder, std::string_view element, int n, PersonIn& p);
    void read_card(pugi::xml_node holder, PersonIn& p) {
        each_child(holder, "ControlCard", [&](pugi::xml_node cc) {
            if (p.card == 0) p.card = static_cast<std::int32_t>(integer(value(cc)));
        });
    }
    std::string organisation(pugi::xml_node holder) {
        pugi::xml_node org = child(holder, "Organisation");
        return org ? name_text(value(child(org, "Name")), replaced_clubs_) : std::string();
    }
    bool read_entries(pugi::xml_node root);
    bool read_courses(pugi::xml_node root);
    bool read_classes(pugi::xml_node root);
    bool read_starts(pugi::xml_node root, bool results);
    void read_result(pugi::xml_node res, PersonIn& p);
    bool apply(IofImportKind kind);
    void match_runners(std::vector<Runner*>& matched);
    void number_teams(IofImportKind kind, std::vector<int>& team_numbers);
    void give_number(Runner& r, int wanted, bool free_one);
    void set_number(Runner& r, int n);
    void keep_person_name(const Runner& r, const PersonIn& p);
    bool imported_anything() const;
    std::string summary(IofImportKind kind) const;

    // Lookups and creation of classes, clubs and courses by name.
    std::int32_t record_id(NameTable& names, const std::string& name);
    std::int32_t class_id(const std::string& name) { return record_id(classes_, name); }
    std::int32_t club_id(const std::string& name) { return record_id(clubs_, name); }

    Competition& c_;
    const LanguageTable& lang_;
    const IofImportOptions& options_;
    IofImportReport report_;
    std::vector<PersonIn> persons_;
    std::vector<TeamIn> teams_;
    std::vector<CourseIn> courses_;
    std::vector<Assignment> assignments_;
    std::vector<std::string> class_names_;
    std::unordered_set<std::string> replaced_clubs_, replaced_classes_, replaced_courses_;
    // The widths the editors allow.
    NameTable classes_{kClasses, edit_limits::kClassName};
    NameTable clubs_{kClubs, edit_limits::kClubText};
    NameTable course_names_{kCourses, edit_limits::kCourseName};
    std::unordered_map<std::int32_t, int> course_slots_;  // course id -> slot
    std::int32_t next_class_id_ = 0, next_club_id_ = 0, next_course_id_ = 0;
    // Start numbers and who holds them, during the change of the tables.
    std::vector<Runner*> holders_;
    int next_free_number_ = 1;
    Appender<Runner> runners_{c_.tables.runners};
    Appender<Club> clubs_table_{c_.tables.clubs};
    Appender<ClassRecord> classes_table_{c_.tables.classes};
    Appender<Course> courses_table_{c_.tables.courses};
    Appender<FinishLine> finish_table_{c_.tables.finish_lines};
    Appender<CardReadout> cards_table_{c_.tables.card_readouts};
};

// A time of day of the message in the competition's local time: as written, or, for a time
// with a zone, converted to the competition's zone (the one given, else this computer's at
// that date). -1 when there is none.
std::int32_t Reader::time_of_day(std::string_view s) {
    DateTime t = parse_date_time(s);
    if (t.centis < 0 || !t.zoned) return t.centis;
    long long day = t.year ? days_from_civil(t.year, static_cast<unsigned>(t.month),
                                             static_cast<unsigned>(t.day))
                           : static_cast<long long>(std::time(nullptr) / 86400);
    long long utc = day * 86400 + t.centis / 100 - t.zone_minutes * 60LL;
    int offset =
        options_.utc_offset_minutes ? *options_.utc_offset_minutes : machine_offset_at(utc);
    if (report_.zoned_times++ == 0) report_.utc_offset_minutes = offset;
    long long local = (t.centis + (offset - t.zone_minutes) * 6000LL) % kDay;
    return static_cast<std::int32_t>(local < 0 ? local + kDay : local);
}

bool Reader::read_person(pugi::xml_node holder, std::string_view element, int n, PersonIn& p) {
    pugi::xml_node person = child(holder, "Person");
    if (!person) return fail(missing(element, n, "Person"));
    pugi::xml_node name = child(person, "Name");
    pugi::xml_node family = child(name, "Family");
    if (!family) return fail(missing(element, n, "Family"));
    p.family = text(value(family), &p.name_replaced);
    p.given = text(value(child(name, "Given")), &p.name_replaced);
    std::string joined = p.given.empty()    ? p.family
                         : p.family.empty() ? p.given
                                            : p.family + " " + p.given;
    p.name = cut_name(joined, edit_limits::kRunnerName);
    report_.runner_names_replaced += p.name_replaced;
    std::string_view birth = value(child(person, "BirthDate"));
    if (birth.size() >= 4) p.birth_year = static_cast<int>(integer(birth.substr(0, 4)));
    p.club = organisation(holder);
    return true;
}

bool Reader::read_entries(pugi::xml_node root) {
    int n = 0;
    bool ok = true;
    each_child(root, "TeamEntry", [&](pugi::xml_node te) {
        ++n;
        if (!ok) return;
        std::string team = text(value(child(te, "Name")));
        TeamIn t;
        t.class_name = name_text(value(child(child(te, "Class"), "Name")), replaced_classes_);
        int index = static_cast<int>(teams_.size());
        teams_.push_back(t);
        std::string team_club = organisation(te);
        int leg_seq = 0;
        each_child(te, "TeamEntryPerson", [&](pugi::xml_node tp) {
            ++leg_seq;
            if (!ok) return;
            if (!child(tp, "Person")) {
                ++report_.members_skipped;  // lineup not known yet
                return;
            }
            PersonIn p;
            if (!read_person(tp, "TeamEntry", n, p)) {
                ok = false;
                return;
            }
            if (p.club.empty()) p.club = team_club;
            read_card(tp, p);
            p.class_name = t.class_name;
            p.team_name = team.empty() ? std::to_string(n) : team;
            p.team = index;
            p.leg = static_cast<int>(integer(value(child(tp, "Leg")), leg_seq));
            persons_.push_back(std::move(p));
        });
    });
    if (!ok) return false;
    n = 0;
    each_child(root, "PersonEntry", [&](pugi::xml_node pe) {
        ++n;
        if (!ok) return;
        PersonIn p;
        if (!read_person(pe, "PersonEntry", n, p)) {
            ok = false;
            return;
        }
        read_card(pe, p);
        p.class_name = name_text(value(child(child(pe, "Class"), "Name")), replaced_classes_);
        persons_.push_back(std::move(p));
    });
    return ok;
}

bool Reader::read_courses(pugi::xml_node root) {
    bool ok = true;
    int n = 0;
    pugi::xml_node rcd = child(root, "RaceCourseData");
    if (!rcd) return fail(missing("CourseData", 1, "RaceCourseData"));
    each_child(rcd, "Course", [&](pugi::xml_node k) {
        ++n;
        if (!ok) return;
        pugi::xml_node name = child(k, "Name");
        if (!name) {
            ok = fail(missing("Course", n, "Name"));
            return;
        }
        CourseIn course;
        course.name = name_text(value(name), replaced_courses_);
        course.length =
            static_cast<std::int32_t>(std::clamp(real(value(child(k, "Length"))), 0.0, 1e9));
        course.climb =
            static_cast<std::int32_t>(std::clamp(real(value(child(k, "Climb"))), 0.0, 1e9));
        bool cut = false;
        each_child(k, "CourseControl", [&](pugi::xml_node cc) {
            if (!ok) return;
            std::string_view type = cc.attribute("type").value();
            if (type == "Start" || type == "Finish") return;
            std::string_view code = value(child(cc, "Control"));
            long long v = integer(code, -1);
            if (v < 1 || v > 255) {
                if (type.empty() && v < 0) return;  // a start or finish named without a type
                ok = fail(strf_view(lang_.text(Txt::kIofBadControl), course.name.c_str(),
                                    text(code).c_str()));
                return;
            }
            if (static_cast<int>(course.codes.size()) >= kMaxSplitControls) {
                cut = true;
                return;
            }
            course.codes.push_back(static_cast<std::uint8_t>(v));
            double leg = std::clamp(real(value(child(cc, "LegLength"))), 0.0, 65535.0);
            course.legs.push_back(static_cast<std::uint16_t>(leg));
        });
        report_.cut_controls += cut;
        courses_.push_back(std::move(course));
    });
    n = 0;
    each_child(rcd, "ClassCourseAssignment", [&](pugi::xml_node a) {
        ++n;
        if (!ok) return;
        pugi::xml_node cls = child(a, "ClassName");
        if (!cls) {
            ok = fail(missing("ClassCourseAssignment", n, "ClassName"));
            return;
        }
        assignments_.push_back({name_text(value(cls), replaced_classes_),
                                name_text(value(child(a, "CourseName")), replaced_courses_)});
    });
    return ok;
}

bool Reader::read_classes(pugi::xml_node root) {
    int n = 0;
    bool ok = true;
    each_child(root, "Class", [&](pugi::xml_node k) {
        ++n;
        if (!ok) return;
        pugi::xml_node name = child(k, "Name");
        if (!name) {
            ok = fail(missing("Class", n, "Name"));
            return;
        }
        class_names_.push_back(name_text(value(name), replaced_classes_));
    });
    return ok;
}

void Reader::read_result(pugi::xml_node res, PersonIn& p) {
    if (long long bib = integer(value(child(res, "BibNumber")), 0);
        bib > 0 && bib < kNumberIndexSize)
        p.bib = static_cast<int>(bib);
    if (pugi::xml_node st = child(res, "StartTime")) p.start = time_of_day(value(st));
    if (pugi::xml_node ft = child(res, "FinishTime")) p.finish = time_of_day(value(ft));
    if (pugi::xml_node t = child(res, "Time"))
        p.time = static_cast<std::int32_t>(std::clamp(real(value(t), -1) * 100 + 0.5, -1.0, 2e9));
    if (pugi::xml_node s = child(res, "Status"))
        p.status = status_code(value(s), p.out_of_competition);
    read_card(res, p);
    std::int32_t ref = p.start >= 0 ? p.start : 0;
    each_child(res, "SplitTime", [&](pugi::xml_node st) {
        std::string_view status = st.attribute("status").value();
        pugi::xml_node t = child(st, "Time");
        long long code = integer(value(child(st, "ControlCode")), -1);
        if (status == "Missing" || !t || code < 1 || code > 255 ||
            static_cast<int>(p.punches.size()) >= CardReadout::kMaxPunches)
            return;
        Punch punch;
        punch.code = static_cast<std::uint8_t>(code);
        punch.time =
            ref + static_cast<std::int32_t>(std::clamp(real(value(t)) * 100 + 0.5, 0.0, 1e9));
        p.punches.push_back(punch);
    });
    std::stable_sort(p.punches.begin(), p.punches.end(),
                     [](const Punch& a, const Punch& b) { return a.time < b.time; });
}

bool Reader::read_starts(pugi::xml_node root, bool results) {
    const char* class_element = results ? "ClassResult" : "ClassStart";
    const char* person_element = results ? "PersonResult" : "PersonStart";
    const char* team_element = results ? "TeamResult" : "TeamStart";
    const char* member_element = results ? "TeamMemberResult" : "TeamMemberStart";
    const char* race_element = results ? "Result" : "Start";
    bool ok = true;
    int n = 0;
    each_child(root, class_element, [&](pugi::xml_node cs) {
        if (!ok) return;
        std::string cls = name_text(value(child(child(cs, "Class"), "Name")), replaced_classes_);
        each_child(cs, person_element, [&](pugi::xml_node ps) {
            ++n;
            if (!ok) return;
            PersonIn p;
            if (!read_person(ps, person_element, n, p)) {
                ok = false;
                return;
            }
            p.class_name = cls;
            read_result(child(ps, race_element), p);
            persons_.push_back(std::move(p));
        });
        each_child(cs, team_element, [&](pugi::xml_node ts) {
            TeamIn team;
            team.class_name = cls;
            team.bib = std::max(0LL, integer(value(child(ts, "BibNumber")), 0));
            int index = static_cast<int>(teams_.size());
            teams_.push_back(team);
            std::string team_name = text(value(child(ts, "Name")));
            // The team's organisation is its members' club, unless they name their own.
            std::string team_club = organisation(ts);
            int seq = 0;
            each_child(ts, member_element, [&](pugi::xml_node ms) {
                ++n;
                ++seq;
                if (!ok) return;
                if (!child(ms, "Person")) {
                    ++report_.members_skipped;
                    return;
                }
                PersonIn p;
                if (!read_person(ms, member_element, n, p)) {
                    ok = false;
                    return;
                }
                if (p.club.empty()) p.club = team_club;
                p.class_name = cls;
                p.team_name = team_name;
                p.team = index;
                pugi::xml_node race = child(ms, race_element);
                read_result(race, p);
                p.leg = static_cast<int>(integer(value(child(race, "Leg")), seq));
                persons_.push_back(std::move(p));
            });
        });
    });
    return ok;
}

std::int32_t Reader::record_id(NameTable& names, const std::string& name) {
    if (name.empty()) return 0;
    if (std::int32_t id = names.find(name)) return id;
    bool unique = false;
    std::string shown = names.new_short(name, unique);
    std::int32_t id = 0;
    if (names.type() == kClasses) {
        ClassRecord* k = classes_table_.add();
        k->id = id = next_class_id_++;
        set_field_text(k->name, shown);
        ++report_.classes_added;
    } else {
        Club* k = clubs_table_.add();
        k->id = id = next_club_id_++;
        set_field_text(k->name, shown);
        ++report_.clubs_added;
    }
    names.add_new(id, shown, name);
    report_.names_made_unique += unique;
    return id;
}

// Runners of the competition for the persons of a start or result list, by card and name
// first, then by name in the same class, by card in the same class, and by name alone where
// the cards do not say otherwise. A runner is given to one person only: two persons who share
// a card (one borrowed it) get their own runners, never each other's times.
void Reader::match_runners(std::vector<Runner*>& matched) {
    std::unordered_map<std::int32_t, std::vector<Runner*>> by_card;
    std::unordered_map<std::string, std::vector<Runner*>> by_name;
    const auto& t = c_.tables.runners;
    for (int i = 0; i < t.used_end(); ++i)
        if (Runner* r = t[i]) {
            if (r->card_number != 0) by_card[r->card_number].push_back(r);
            by_name[name_key(field_text(r->name))].push_back(r);
        }
    std::unordered_set<const Runner*> taken;
    std::vector<std::string> keys(persons_.size());
    std::vector<std::int32_t> class_ids(persons_.size());
    for (std::size_t i = 0; i < persons_.size(); ++i) {
        keys[i] = name_key(persons_[i].name);
        class_ids[i] = persons_[i].class_name.empty() ? 0 : classes_.find(persons_[i].class_name);
    }
    auto pass = [&](auto&& pick) {
        for (std::size_t i = 0; i < persons_.size(); ++i) {
            if (matched[i]) continue;
            if (Runner* r = pick(i)) {
                matched[i] = r;
                taken.insert(r);
            }
        }
    };
    auto among = [&](const auto& index, const auto& key, auto&& fits) -> Runner* {
        auto it = index.find(key);
        if (it == index.end()) return nullptr;
        for (Runner* r : it->second)
            if (!taken.count(r) && fits(*r)) return r;
        return nullptr;
    };
    auto same_class = [&](std::size_t i, const Runner& r) {
        return class_ids[i] != 0 && r.class_id == class_ids[i];
    };
    pass([&](std::size_t i) {
        return persons_[i].card == 0 ? nullptr
                                     : among(by_card, persons_[i].card, [&](const Runner& r) {
                                           return name_key(field_text(r.name)) == keys[i];
                                       });
    });
    pass([&](std::size_t i) {
        return among(by_name, keys[i], [&](const Runner& r) { return same_class(i, r); });
    });
    pass([&](std::size_t i) {
        return persons_[i].card == 0 ? nullptr
                                     : among(by_card, persons_[i].card,
                                             [&](const Runner& r) { return same_class(i, r); });
    });
    pass([&](std::size_t i) {
        return among(by_name, keys[i], [&](const Runner& r) {
            return persons_[i].card == 0 || r.card_number == 0 || r.card_number == persons_[i].card;
        });
    });
}

// Relay team numbers per team of the message (0: none): the team's number when it is 1..99,
// else the one its members' numbers give, else numbered on after the highest team number of
// its class; a team that the form leg x 100 + team cannot hold gets 0 and is told.
void Reader::number_teams(IofImportKind kind, std::vector<int>& team_numbers) {
    team_numbers.assign(teams_.size(), 0);
    std::unordered_map<std::int32_t, int> last_team;
    const auto& t = c_.tables.runners;
    for (int i = 0; i < t.used_end(); ++i)
        if (const Runner* r = t[i]; r && r->start_number > 0)
            last_team[r->class_id] = std::max(last_team[r->class_id], r->start_number % 100);
    std::vector<std::int32_t> class_of(teams_.size());
    for (std::size_t k = 0; k < teams_.size(); ++k) {
        // A start list changes runners only: it makes no classes.
        class_of[k] = kind == IofImportKind::kStart ? classes_.find(teams_[k].class_name)
                                                    : class_id(teams_[k].class_name);
        long long bib = teams_[k].bib;
        if (bib == 0)
            for (const PersonIn& p : persons_)
                if (p.team == static_cast<int>(k) && p.bib / 100 == p.leg && p.bib % 100 > 0)
                    bib = p.bib % 100;
        if (bib > 0 && bib < 100) {
            team_numbers[k] = static_cast<int>(bib);
            last_team[class_of[k]] = std::max(last_team[class_of[k]], team_numbers[k]);
        } else if (bib >= 100) {
            team_numbers[k] = -1;
        }
    }
    for (std::size_t k = 0; k < teams_.size(); ++k) {
        if (team_numbers[k] != 0) continue;
        int next = ++last_team[class_of[k]];
        team_numbers[k] = next < 100 ? next : -1;
        if (next < 100 && kind != IofImportKind::kEntries) ++report_.teams_numbered;
    }
    for (int& number : team_numbers)
        if (number < 0) {
            number = 0;
            ++report_.teams_unnumbered;
        }
}

void Reader::set_number(Runner& r, int n) {
    if (r.start_number > 0 && r.start_number < kNumberIndexSize && holders_[r.start_number] == &r)
        holders_[r.start_number] = nullptr;
    r.start_number = static_cast<std::uint16_t>(n);
    holders_[n] = &r;
}

// The number the message gives when no other runner holds it; else the runner keeps its own,
// or (`free_one`) gets the lowest free number.
void Reader::give_number(Runner& r, int wanted, bool free_one) {
    if (wanted > 0 && wanted < kNumberIndexSize) {
        if (!holders_[wanted] || holders_[wanted] == &r) return set_number(r, wanted);
        ++report_.numbers_taken;
    }
    if (r.start_number > 0 || !free_one) return;
    while (next_free_number_ < kNumberIndexSize && holders_[next_free_number_]) ++next_free_number_;
    if (next_free_number_ >= kNumberIndexSize) return;
    if (report_.free_numbers++ == 0) report_.first_free_number = next_free_number_;
    report_.last_free_number = next_free_number_;
    set_number(r, next_free_number_);
}

// The message's family and given name, kept beside the competition when the runner's name
// would not split back into them (or did not fit).
void Reader::keep_person_name(const Runner& r, const PersonIn& p) {
    if (field_text(r.name) != p.name) return;  // the competition's own name for this runner
    PersonNameParts parts = split_person_name(p.name);
    if (parts.family == p.family && parts.given == p.given)
        c_.long_names.erase(kRunners, r.id);
    else
        c_.long_names.set(kRunners, r.id, {p.name, p.family, p.given});
}

template <class T>
int free_slots(const Table<T>& t) {
    return t.capacity() - t.occupied_count();
}

bool Reader::apply(IofImportKind kind) {
    // Names of the tables as they are now.
    const auto& tables = c_.tables;
    for (int i = 0; i < tables.classes.used_end(); ++i)
        if (const ClassRecord* k = tables.classes[i]) {
            std::string shown(field_text(k->name));
            classes_.add_record(k->id, shown, c_.long_names.find(kClasses, k->id, shown));
        }
    for (int i = 0; i < tables.clubs.used_end(); ++i)
        if (const Club* k = tables.clubs[i]) {
            std::string shown(field_text(k->name));
            clubs_.add_record(k->id, shown, c_.long_names.find(kClubs, k->id, shown));
        }
    for (int i = 0; i < tables.courses.used_end(); ++i)
        if (const Course* k = tables.courses[i]) {
            std::string shown(field_text(k->name));
            course_names_.add_record(k->id, shown, c_.long_names.find(kCourses, k->id, shown));
            course_slots_.emplace(k->id, i);
        }
    bool matching = kind == IofImportKind::kStart || kind == IofImportKind::kResults;
    std::vector<Runner*> matched(persons_.size(), nullptr);
    if (matching) match_runners(matched);

    // What the message needs, checked against the free slots before anything changes.
    int new_runners = 0, finish_lines = 0, readouts = 0;
    std::unordered_set<std::string> new_classes, new_clubs, new_courses;
    auto need_class = [&](const std::string& n) {
        if (!n.empty() && !classes_.find(n)) new_classes.insert(n);
    };
    for (std::size_t i = 0; i < persons_.size(); ++i) {
        const PersonIn& p = persons_[i];
        bool creates =
            kind == IofImportKind::kEntries || (kind == IofImportKind::kResults && !matched[i]);
        if (creates) {
            ++new_runners;
            need_class(p.class_name);
            if (!p.club.empty() && !clubs_.find(p.club)) new_clubs.insert(p.club);
        }
        if (kind == IofImportKind::kResults && (creates || matched[i])) {
            finish_lines += p.finish >= 0 || p.time >= 0;
            readouts += !p.punches.empty() && p.card != 0;
        }
    }
    if (kind != IofImportKind::kStart)
        for (const TeamIn& t : teams_) need_class(t.class_name);
    for (const std::string& n : class_names_) need_class(n);
    for (const CourseIn& k : courses_)
        if (!course_names_.find(k.name)) new_courses.insert(k.name);
    for (const Assignment& a : assignments_) need_class(a.class_name);
    struct Need {
        Txt table;
        int needed, free;
    } needs[] = {
        {Txt::kIofTableRunners, new_runners, free_slots(tables.runners)},
        {Txt::kIofTableClasses, static_cast<int>(new_classes.size()), free_slots(tables.classes)},
        {Txt::kIofTableClubs, static_cast<int>(new_clubs.size()), free_slots(tables.clubs)},
        {Txt::kIofTableCourses, static_cast<int>(new_courses.size()), free_slots(tables.courses)},
        {Txt::kIofTableFinish, finish_lines, free_slots(tables.finish_lines)},
        {Txt::kIofTableCards, readouts, free_slots(tables.card_readouts)},
    };
    for (const Need& need : needs)
        if (need.needed > need.free)
            return fail(strf_view(lang_.text(Txt::kIofTablesFull),
                                  std::string(lang_.text(need.table)).c_str(), need.needed,
                                  need.free));
    if (matching && kind == IofImportKind::kStart &&
        std::none_of(matched.begin(), matched.end(), [](Runner* r) { return r != nullptr; })) {
        report_.runners_unknown = static_cast<int>(persons_.size());
        return true;  // nothing to change; told as nothing imported
    }

    // Everything fits: change the tables.
    next_class_id_ = c_.next_record_id(kClasses);
    next_club_id_ = c_.next_record_id(kClubs);
    next_course_id_ = c_.next_record_id(kCourses);
    std::int32_t next_runner_id = new_runners ? c_.next_record_id(kRunners) : 0;
    for (const std::string& n : class_names_) class_id(n);
    for (const CourseIn& k : courses_) {
        Course* course = nullptr;
        if (std::int32_t id = course_names_.find(k.name)) {
            course = c_.tables.courses[course_slots_.at(id)];
        } else {
            int slot = 0;
            bool unique = false;
            std::string shown = course_names_.new_short(k.name, unique);
            course = courses_table_.add(&slot);
            course->id = next_course_id_++;
            set_field_text(course->name, shown);
            course_names_.add_new(course->id, shown, k.name);
            course_slots_.emplace(course->id, slot);
            report_.names_made_unique += unique;
            ++report_.courses_added;
        }
        course->length_m = k.length;
        course->climb_m = k.climb;
        std::memset(course->control_codes, 0, sizeof course->control_codes);
        std::memset(course->control_values, 0, sizeof course->control_values);
        for (std::size_t q = 0; q < k.codes.size(); ++q) {
            course->control_codes[q] = k.codes[q];
            course->control_values[q] = k.legs[q];
        }
        course->control_count = static_cast<std::int32_t>(k.codes.size());
    }
    for (const Assignment& a : assignments_) {
        std::int32_t id = class_id(a.class_name);
        std::int32_t course = course_names_.find(a.course_name);
        if (!course) continue;
        if (ClassRecord* k = c_.find_class_by_id(id)) {
            k->course_id = static_cast<std::int16_t>(course);
            ++report_.courses_assigned;
        }
    }

    holders_.assign(kNumberIndexSize, nullptr);
    for (int i = 0; i < tables.runners.used_end(); ++i)
        if (Runner* r = tables.runners[i]; r && r->start_number > 0 &&
                                           r->start_number < kNumberIndexSize &&
                                           !holders_[r->start_number])
            holders_[r->start_number] = r;
    std::vector<int> team_numbers;
    number_teams(kind, team_numbers);
    std::unordered_set<long long> legs_numbered;  // team * 1000 + leg: parallel runners

    for (std::size_t i = 0; i < persons_.size(); ++i) {
        const PersonIn& p = persons_[i];
        Runner* r = matched[i];
        if (!r && kind != IofImportKind::kEntries && kind != IofImportKind::kResults) {
            ++report_.runners_unknown;
            continue;
        }
        if (!r) {
            r = runners_.add();
            r->id = next_runner_id++;
            set_field_text(r->name, p.name);
            r->class_id = static_cast<std::int16_t>(class_id(p.class_name));
            r->club_id = static_cast<std::int16_t>(club_id(p.club));
            r->birth_year = static_cast<std::uint16_t>(std::clamp(p.birth_year, 0, 65535));
            if (!p.team_name.empty()) set_field_text(r->comment, p.team_name);
            ++report_.runners_added;
        } else {
            ++report_.runners_updated;
        }
        keep_person_name(*r, p);
        if (p.card != 0 && r->card_number != p.card) {
            r->card_number = p.card;
            ++report_.cards;
        }
        if (kind == IofImportKind::kEntries && p.team >= 0) set_field_text(r->comment, p.team_name);

        // The finish this entry brings: its finish time, else its start and running time.
        std::int32_t start = p.start, finish = -1;
        if (kind == IofImportKind::kResults) {
            if (start < 0 && p.finish >= 0 && p.time >= 0 && r->start_time == 0 &&
                p.finish >= p.time)
                start = p.finish - p.time;
            finish = p.finish >= 0 ? p.finish
                     : p.time >= 0 ? (start >= 0 ? start : r->start_time) + p.time
                                   : -1;
        }

        // The start number: a relay member's in the form leg x 100 + team (parallel runners
        // of one leg: the first), anyone else's from the message, or a free one when a time
        // needs it.
        if (p.team >= 0) {
            int team = team_numbers[p.team];
            if (kind == IofImportKind::kEntries || kind == IofImportKind::kResults || matching)
                r->heat_or_leg = p.leg;
            if (team == 0) {
                ++report_.members_unnumbered;
            } else if (p.leg < 1 || p.leg > 9) {
                ++report_.members_unnumbered;
            } else if (!legs_numbered.insert(team * 1000LL + p.leg + p.team * 100000LL).second) {
                ++report_.parallel_unnumbered;
            } else {
                give_number(*r, p.leg * 100 + team, false);
            }
        } else if (kind != IofImportKind::kEntries) {
            give_number(*r, p.bib, finish >= 0);
        }
        if (kind == IofImportKind::kEntries) continue;
        if (start >= 0) {
            r->start_time = start;
            ++report_.start_times;
        }
        if (kind != IofImportKind::kResults) continue;
        if (p.status >= 0) r->status = static_cast<std::uint8_t>(p.status);
        r->out_of_competition = p.out_of_competition;
        if (finish >= 0 && r->start_number > 0) {
            FinishLine* line = finish_table_.add();
            line->start_number = static_cast<std::int16_t>(r->start_number);
            line->set_time(finish);
            ++report_.finish_lines;
        }
        if (!p.punches.empty() && p.card != 0) {
            CardReadout* card = cards_table_.add();
            card->card_number = p.card;
            card->start_number = r->start_number;
            card->punch_count = static_cast<std::int32_t>(p.punches.size());
            card->start.time = start >= 0 ? start : 0;
            card->finish.time = finish >= 0 ? finish : 0;
            for (std::size_t q = 0; q < p.punches.size(); ++q) card->punches[q] = p.punches[q];
            ++report_.readouts;
        }
    }
    // Full names of the classes, courses and clubs cut to their fields.
    for (NameTable* names : {&classes_, &course_names_, &clubs_}) {
        for (auto& [id, name] : names->kept) c_.long_names.set(names->type(), id, name);
        int kept = static_cast<int>(names->kept.size());
        (names == &classes_ ? report_.long_class_names
         : names == &clubs_ ? report_.long_club_names
                            : report_.long_course_names) += kept;
    }
    report_.club_names_replaced = static_cast<int>(replaced_clubs_.size());
    report_.class_names_replaced = static_cast<int>(replaced_classes_.size());
    report_.course_names_replaced = static_cast<int>(replaced_courses_.size());
    finish_data_changed(c_);
    c_.recount_tables();
    c_.modified = true;
    return true;
}

bool Reader::imported_anything() const {
    const IofImportReport& r = report_;
    int records =
        r.runners_added + r.runners_updated + r.classes_added + r.clubs_added + r.courses_assigned;
    return records > 0 || !courses_.empty() || !class_names_.empty();
}

std::string Reader::summary(IofImportKind kind) const {
    const IofImportReport& r = report_;
    std::string s = strf_view(lang_.text(Txt::kIofImported), r.runners_added, r.runners_updated,
                              r.classes_added, r.clubs_added, r.courses_added, r.courses_assigned);
    auto line = [&](Txt id, auto... args) { s += "\n" + strf_view(lang_.text(id), args...); };
    if (kind == IofImportKind::kStart || kind == IofImportKind::kResults)
        line(Txt::kIofTimesAndCards, r.start_times, r.finish_lines, r.cards, r.readouts);
    if (r.free_numbers)
        line(Txt::kIofFreeNumbers, r.free_numbers, r.first_free_number, r.last_free_number);
    if (r.numbers_taken) line(Txt::kIofNumbersTaken, r.numbers_taken);
    if (r.teams_numbered) line(Txt::kIofTeamsNumbered, r.teams_numbered);
    if (r.teams_unnumbered || r.members_unnumbered)
        line(Txt::kIofTeamsUnnumbered, r.teams_unnumbered, r.members_unnumbered);
    if (r.parallel_unnumbered) line(Txt::kIofParallelUnnumbered, r.parallel_unnumbered);
    if (r.members_skipped) line(Txt::kIofMembersSkipped, r.members_skipped);
    if (r.runners_unknown) line(Txt::kIofUnknownRunners, r.runners_unknown);
    if (r.runner_names_replaced + r.club_names_replaced + r.class_names_replaced +
        r.course_names_replaced)
        line(Txt::kIofReplacedNames, r.runner_names_replaced, r.club_names_replaced,
             r.class_names_replaced, r.course_names_replaced);
    if (r.long_class_names + r.long_course_names + r.long_club_names)
        line(Txt::kIofLongNames, r.long_class_names, r.long_course_names, r.long_club_names,
             r.names_made_unique);
    if (r.zoned_times)
        line(Txt::kIofZonedTimes, r.zoned_times, utc_offset_text(r.utc_offset_minutes).c_str());
    if (!r.encoding.empty()) line(Txt::kIofEncodingRead, r.encoding.c_str());
    if (r.cut_controls) line(Txt::kIofCutControls, r.cut_controls);
    return s;
}

IofImportReport Reader::run(IofImportKind kind, std::string_view xml) {
    if (xml.size() > kIofMaxFileBytes) {
        fail(strf_view(lang_.text(Txt::kIofTooLarge), static_cast<int>(kIofMaxFileBytes >> 20)));
        return report_;
    }
    // Each tag costs a node of memory: refuse before parsing what would take gigabytes.
    if (static_cast<std::size_t>(std::count(xml.begin(), xml.end(), '<')) > kIofMaxMarkup) {
        fail(strf_view(lang_.text(Txt::kIofTooManyElements), static_cast<int>(kIofMaxMarkup)));
        return report_;
    }
    // A single-byte encoding the declaration names is read as such.
    std::string converted;
    if (!decode_declared_encoding(xml, converted, report_.encoding)) {
        fail(strf_view(lang_.text(Txt::kIofUnknownEncoding), text(report_.encoding).c_str()));
        return report_;
    }
    if (!report_.encoding.empty()) {
        report_.encoding = text(report_.encoding);
        xml = converted;
    }
    pugi::xml_document doc;
    // DOCTYPE is kept as a node so that it can be refused: entity declarations are never
    // expanded by the parser, and a message has no use for them.
    pugi::xml_parse_result parsed =
        doc.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_doctype,
                        report_.encoding.empty() ? pugi::encoding_auto : pugi::encoding_utf8);
    if (!parsed) {
        fail(strf_view(lang_.text(Txt::kIofNotXml), parsed.description(),
                       static_cast<int>(parsed.offset)));
        return report_;
    }
    static constexpr const char* kRoots[] = {"EntryList", "CourseData", "ClassList", "StartList",
                                             "ResultList"};
    std::string_view expected = kRoots[static_cast<int>(kind)];
    pugi::xml_node root = doc.document_element();
    std::string_view got = root ? local_name(root.name()) : std::string_view("-");
    // Another version of the standard says so on its root ("IOFVersion" in 2.0.3, whose files
    // also carry a DOCTYPE): tell what the file is rather than what it carries.
    std::string version(trimmed(root.attribute("iofVersion").value()));
    if (pugi::xml_node old = child(root, "IOFVersion"))
        version = trimmed(old.attribute("version").value());
    if (root && !version.empty() && version.rfind("3.", 0) != 0) {
        fail(
            strf_view(lang_.text(Txt::kIofOtherVersion), text(version).c_str(), text(got).c_str()));
        return report_;
    }
    // Depth and DOCTYPE, walked without recursion.
    struct Walker : pugi::xml_tree_walker {
        bool doctype = false;
        int deepest = 0;
        bool for_each(pugi::xml_node& node) override {
            if (node.type() == pugi::node_doctype) doctype = true;
            deepest = std::max(deepest, depth());
            return !doctype && deepest <= kIofMaxDepth;
        }
    } walker;
    doc.traverse(walker);
    if (walker.doctype) {
        fail(std::string(lang_.text(Txt::kIofDoctype)));
        return report_;
    }
    if (walker.deepest > kIofMaxDepth) {
        fail(strf_view(lang_.text(Txt::kIofTooDeep), kIofMaxDepth));
        return report_;
    }
    if (got != expected) {
        fail(strf_view(lang_.text(Txt::kIofWrongRoot), std::string(expected).c_str(),
                       text(got).c_str()));
        return report_;
    }
    bool read = false;
    switch (kind) {
        case IofImportKind::kEntries:
            read = read_entries(root);
            break;
        case IofImportKind::kCourses:
            read = read_courses(root);
            break;
        case IofImportKind::kClasses:
            read = read_classes(root);
            break;
        case IofImportKind::kStart:
            read = read_starts(root, false);
            break;
        case IofImportKind::kResults:
            read = read_starts(root, true);
            break;
    }
    bool was_modified = c_.modified;
    if (!read || !apply(kind)) return report_;
    if (!imported_anything()) {
        c_.modified = was_modified;
        fail(std::string(lang_.text(Txt::kIofNothingImported)) + "\n" + summary(kind));
        return report_;
    }
    // The event's name and date, when the competition has none yet.
    if (pugi::xml_node event = child(root, "Event")) {
        if (field_text(c_.info.title_lines[0]).empty())
            set_field_text(c_.info.title_lines[0], text(value(child(event, "Name"))));
        std::string_view date = value(child(child(event, "StartTime"), "Date"));
        if (field_text(c_.info.date).empty() && date.size() == 10 && date[4] == '-' &&
            date[7] == '-')
            set_field_text(c_.info.date, std::string(date.substr(8, 2)) + "." +
                                             std::string(date.substr(5, 2)) + "." +
                                             std::string(date.substr(0, 4)));
    }
    report_.ok = true;
    report_.message = summary(kind);
    return report_;
}

}  // namespace

IofImportReport iof_import_text(Competition& c, IofImportKind kind, std::string_view xml,
                                const LanguageTable& lang, const IofImportOptions& options) {
    Reader reader(c, lang, options);
    return reader.run(kind, xml);
}

IofImportReport iof_import_file(Competition& c, IofImportKind kind, const std::string& path,
                                const LanguageTable& lang, const IofImportOptions& options) {
    std::string bytes;
    if (!read_file_bytes(path, kIofMaxFileBytes + 1, bytes)) {
        IofImportReport report;
        report.message = std::string(lang.text(Txt::kIofCannotRead));
        return report;
    }
    return iof_import_text(c, kind, bytes, lang, options);
}

bool iof_has_zoned_times(std::string_view xml) {
    // "hh:mm:ss" followed by an optional fraction and "Z" or "+hh:mm" / "-hh:mm".
    for (std::size_t at = xml.find('T'); at != std::string_view::npos; at = xml.find('T', at + 1)) {
        std::string_view s = xml.substr(at + 1, 32);
        if (s.size() < 9 || s[2] != ':' || s[5] != ':') continue;
        std::size_t i = 8;
        if (s[i] == '.')
            for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9';) ++i;
        if (i < s.size() && (s[i] == 'Z' || s[i] == '+' || s[i] == '-')) return true;
    }
    return false;
}

bool parse_utc_offset(std::string_view text, int& minutes) {
    text = trimmed(text);
    if (text == "Z") {
        minutes = 0;
        return true;
    }
    if (text.size() < 2 || (text[0] != '+' && text[0] != '-')) return false;
    int sign = text[0] == '-' ? -1 : 1;
    std::string_view rest = text.substr(1);
    std::string_view hh = rest.substr(0, rest.find(':'));
    std::string_view mm =
        rest.find(':') == std::string_view::npos ? std::string_view() : rest.substr(hh.size() + 1);
    auto all_digits = [](std::string_view s) {
        return !s.empty() && s.size() <= 2 &&
               std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    };
    if (!all_digits(hh) || (!mm.empty() && !all_digits(mm)) ||
        (rest.find(':') != std::string_view::npos && mm.size() != 2))
        return false;
    long long h = integer(hh, -1), m = mm.empty() ? 0 : integer(mm, -1);
    if (h > 14 || m > 59) return false;
    minutes = sign * static_cast<int>(h * 60 + m);
    return true;
}

std::string utc_offset_text(int minutes) {
    char buf[16];
    int v = minutes < 0 ? -minutes : minutes;
    std::snprintf(buf, sizeof buf, "%c%02d:%02d", minutes < 0 ? '-' : '+', v / 60 % 100, v % 60);
    return buf;
}

int machine_utc_offset_minutes() {
    return machine_offset_at(static_cast<long long>(std::time(nullptr)));
}

bool parse_iof_import_kind(std::string_view name, IofImportKind& kind) {
    if (name == "entries")
        kind = IofImportKind::kEntries;
    else if (name == "courses")
        kind = IofImportKind::kCourses;
    else if (name == "classes")
        kind = IofImportKind::kClasses;
    else if (name == "start")
        kind = IofImportKind::kStart;
    else if (name == "results")
        kind = IofImportKind::kResults;
    else
        return false;
    return true;
}

}  // namespace skarvel
