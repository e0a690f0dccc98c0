// Reading the IOF XML 3.0 messages: entry list, course data, class list, start list and result
// list. The message is read whole into plain lists first; only when it is sound and fits the
// tables are the records changed.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <unordered_map>
#include <vector>

#include "core/atomic_file.h"
#include "core/finish_results.h"
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

// The time of day of an xs:dateTime ("2011-07-31T14:00:00.5+01:00") in centiseconds, as
// written (the zone is not applied); -1 when there is none.
std::int32_t time_of_day(std::string_view s) {
    s = trimmed(s);
    std::size_t t = s.find('T');
    if (t == std::string_view::npos) return -1;
    s = s.substr(t + 1);
    if (s.size() < 8 || s[2] != ':' || s[5] != ':') return -1;
    long long h = integer(s.substr(0, 2), -1), m = integer(s.substr(3, 2), -1),
              sec = integer(s.substr(6, 2), -1);
    if (h < 0 || h > 24 || m < 0 || m > 59 || sec < 0 || sec > 60) return -1;
    std::int32_t centis = static_cast<std::int32_t>((h * 3600 + m * 60 + sec) * 100);
    if (s.size() > 9 && s[8] == '.') {
        int scale = 10;
        for (std::size_t i = 9; i < s.size() && s[i] >= '0' && s[i] <= '9' && scale > 0; ++i) {
            centis += (s[i] - '0') * scale;
            scale /= 10;
        }
    }
    return centis;
}

struct PersonIn {
    std::string name, club, class_name, team_name;
    int birth_year = 0;
    std::int32_t card = 0;
    int bib = 0;
    std::int32_t start = -1, finish = -1, time = -1;
    int status = -1;  // -1: not given
    bool out_of_competition = false;
    std::vector<Punch> punches;
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

class Reader {
  public:
    Reader(Competition& c, const LanguageTable& lang) : c_(c), lang_(lang) {}
    IofImportReport run(IofImportKind kind, std::string_view xml);

  private:
    bool fail(std::string message) {
        report_.ok = false;
        report_.message = std::move(message);
        return false;
    }
    std::string text(std::string_view utf8) {
        bool replaced = false;
        std::string s = utf8_to_cp1251_nearest(trimmed(utf8), &replaced);
        replaced_ = replaced_ || replaced;
        return s;
    }
    std::string missing(std::string_view element, int n, std::string_view what) {
        return strf_view(lang_.text(Txt::kIofMissing), std::string(element).c_str(), n,
                         std::string(what).c_str());
    }
    // Person name, club and control card of a person-like element; false on a missing name.
    bool read_person(pugi::xml_node holder, std::string_view element, int n, PersonIn& p);
    void read_card(pugi::xml_node holder, PersonIn& p) {
        each_child(holder, "ControlCard", [&](pugi::xml_node cc) {
            if (p.card == 0) p.card = static_cast<std::int32_t>(integer(value(cc)));
        });
    }
    bool read_entries(pugi::xml_node root);
    bool read_courses(pugi::xml_node root);
    bool read_classes(pugi::xml_node root);
    bool read_starts(pugi::xml_node root, bool results);
    void read_result(pugi::xml_node res, PersonIn& p);
    bool apply(IofImportKind kind);
    std::string summary() const;

    // Lookups and creation of classes, clubs and courses by name.
    std::int32_t class_id(const std::string& name);
    std::int32_t club_id(const std::string& name);
    Runner* find_runner(const PersonIn& p);

    Competition& c_;
    const LanguageTable& lang_;
    IofImportReport report_;
    bool replaced_ = false;
    std::vector<PersonIn> persons_;
    std::vector<CourseIn> courses_;
    std::vector<Assignment> assignments_;
    std::vector<std::string> class_names_;
    std::unordered_map<std::string, std::int32_t> classes_, clubs_, courses_by_name_;
    std::int32_t next_class_id_ = 0, next_club_id_ = 0;
    std::unordered_map<std::int32_t, Runner*> by_card_;
    Appender<Runner> runners_{c_.tables.runners};
    Appender<Club> clubs_table_{c_.tables.clubs};
    Appender<ClassRecord> classes_table_{c_.tables.classes};
    Appender<Course> courses_table_{c_.tables.courses};
    Appender<FinishLine> finish_table_{c_.tables.finish_lines};
    Appender<CardReadout> cards_table_{c_.tables.card_readouts};
    std::unordered_map<std::string, std::vector<Runner*>> by_name_;
};

bool Reader::read_person(pugi::xml_node holder, std::string_view element, int n, PersonIn& p) {
    pugi::xml_node person = child(holder, "Person");
    if (!person) return fail(missing(element, n, "Person"));
    pugi::xml_node name = child(person, "Name");
    pugi::xml_node family = child(name, "Family");
    if (!family) return fail(missing(element, n, "Family"));
    replaced_ = false;
    std::string f = text(value(family));
    std::string g = text(value(child(name, "Given")));
    std::string joined = g.empty() ? f : f.empty() ? g : f + " " + g;
    Runner probe;
    set_field_text(probe.name, joined);
    p.name = std::string(field_text(probe.name));
    std::string_view birth = value(child(person, "BirthDate"));
    if (birth.size() >= 4) p.birth_year = static_cast<int>(integer(birth.substr(0, 4)));
    if (pugi::xml_node org = child(holder, "Organisation")) {
        Club probe_club;
        set_field_text(probe_club.name, text(value(child(org, "Name"))));
        p.club = std::string(field_text(probe_club.name));
    }
    report_.names_replaced += replaced_;
    return true;
}

bool Reader::read_entries(pugi::xml_node root) {
    int n = 0;
    bool ok = true;
    each_child(root, "TeamEntry", [&](pugi::xml_node te) {
        ++n;
        if (!ok) return;
        std::string team = text(value(child(te, "Name")));
        std::string cls = text(value(child(child(te, "Class"), "Name")));
        std::string team_club;
        if (pugi::xml_node org = child(te, "Organisation")) {
            Club probe;
            set_field_text(probe.name, text(value(child(org, "Name"))));
            team_club = std::string(field_text(probe.name));
        }
        int leg_seq = 0;
        each_child(te, "TeamEntryPerson", [&](pugi::xml_node tp) {
            ++leg_seq;
            if (!ok || !child(tp, "Person")) return;  // lineup not known yet
            PersonIn p;
            if (!read_person(tp, "TeamEntry", n, p)) {
                ok = false;
                return;
            }
            if (p.club.empty()) p.club = team_club;
            read_card(tp, p);
            p.class_name = cls;
            p.team_name = team.empty() ? std::to_string(n) : team;
            long long leg = integer(value(child(tp, "Leg")), leg_seq);
            p.bib = static_cast<int>(leg);  // the leg; the team number is given on apply
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
        p.class_name = text(value(child(child(pe, "Class"), "Name")));
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
        Course probe;
        set_field_text(probe.name, text(value(name)));
        course.name = std::string(field_text(probe.name));
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
        ClassRecord probe;
        set_field_text(probe.name, text(value(cls)));
        Course probe_course;
        set_field_text(probe_course.name, text(value(child(a, "CourseName"))));
        assignments_.push_back(
            {std::string(field_text(probe.name)), std::string(field_text(probe_course.name))});
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
        ClassRecord probe;
        set_field_text(probe.name, text(value(name)));
        class_names_.emplace_back(field_text(probe.name));
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
        ClassRecord probe;
        set_field_text(probe.name, text(value(child(child(cs, "Class"), "Name"))));
        std::string cls(field_text(probe.name));
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
            long long team = integer(value(child(ts, "BibNumber")), 0);
            std::vector<long long> legs_numbered;  // parallel runners: the first takes the number
            each_child(ts, member_element, [&](pugi::xml_node ms) {
                ++n;
                if (!ok || !child(ms, "Person")) return;
                PersonIn p;
                if (!read_person(ms, member_element, n, p)) {
                    ok = false;
                    return;
                }
                p.class_name = cls;
                pugi::xml_node race = child(ms, race_element);
                read_result(race, p);
                long long leg = integer(value(child(race, "Leg")), 0);
                bool numbered = std::find(legs_numbered.begin(), legs_numbered.end(), leg) !=
                                legs_numbered.end();
                if (p.bib == 0 && team > 0 && team < 100 && leg > 0 && leg < 10 && !numbered) {
                    p.bib = static_cast<int>(leg * 100 + team);
                    legs_numbered.push_back(leg);
                }
                persons_.push_back(std::move(p));
            });
        });
    });
    return ok;
}

std::int32_t Reader::class_id(const std::string& name) {
    if (name.empty()) return 0;
    auto it = classes_.find(name);
    if (it != classes_.end()) return it->second;
    ClassRecord* k = classes_table_.add();
    k->id = next_class_id_++;
    set_field_text(k->name, name);
    ++report_.classes_added;
    classes_.emplace(name, k->id);
    return k->id;
}

std::int32_t Reader::club_id(const std::string& name) {
    if (name.empty()) return 0;
    auto it = clubs_.find(name);
    if (it != clubs_.end()) return it->second;
    Club* k = clubs_table_.add();
    k->id = next_club_id_++;
    set_field_text(k->name, name);
    ++report_.clubs_added;
    clubs_.emplace(name, k->id);
    return k->id;
}

// A runner of the competition: by control card, else by name (one in the same class first).
Runner* Reader::find_runner(const PersonIn& p) {
    if (p.card != 0)
        if (auto it = by_card_.find(p.card); it != by_card_.end()) return it->second;
    auto it = by_name_.find(p.name);
    if (it == by_name_.end()) return nullptr;
    auto k = classes_.find(p.class_name);
    if (k != classes_.end())
        for (Runner* r : it->second)
            if (r->class_id == k->second) return r;
    return it->second.front();
}

template <class T>
int free_slots(const Table<T>& t) {
    return t.capacity() - t.occupied_count();
}

bool Reader::apply(IofImportKind kind) {
    // Names of the tables as they are now.
    const auto& tables = c_.tables;
    for (int i = tables.classes.used_end() - 1; i >= 0; --i)
        if (const ClassRecord* k = tables.classes[i])
            classes_[std::string(field_text(k->name))] = k->id;
    for (int i = tables.clubs.used_end() - 1; i >= 0; --i)
        if (const Club* k = tables.clubs[i]) clubs_[std::string(field_text(k->name))] = k->id;
    for (int i = tables.courses.used_end() - 1; i >= 0; --i)
        if (const Course* k = tables.courses[i])
            courses_by_name_[std::string(field_text(k->name))] = i;
    bool matching = kind == IofImportKind::kStart || kind == IofImportKind::kResults;
    if (matching)
        for (int i = 0; i < tables.runners.used_end(); ++i)
            if (Runner* r = tables.runners[i]) {
                if (r->card_number != 0) by_card_.emplace(r->card_number, r);
                by_name_[std::string(field_text(r->name))].push_back(r);
            }

    // What the message needs, checked against the free slots before anything changes.
    std::vector<Runner*> matched(persons_.size(), nullptr);
    int new_runners = 0, finish_lines = 0, readouts = 0;
    std::unordered_map<std::string, bool> new_classes, new_clubs, new_courses;
    auto need_class = [&](const std::string& n) {
        if (!n.empty() && !classes_.count(n)) new_classes[n] = true;
    };
    for (std::size_t i = 0; i < persons_.size(); ++i) {
        const PersonIn& p = persons_[i];
        if (matching) matched[i] = find_runner(p);
        bool creates =
            kind == IofImportKind::kEntries || (kind == IofImportKind::kResults && !matched[i]);
        if (creates) {
            ++new_runners;
            need_class(p.class_name);
            if (!p.club.empty() && !clubs_.count(p.club)) new_clubs[p.club] = true;
        }
        if (kind == IofImportKind::kResults && (creates || matched[i])) {
            finish_lines += p.finish >= 0 || (p.start >= 0 && p.time >= 0);
            readouts += !p.punches.empty() && p.card != 0;
        }
    }
    for (const std::string& n : class_names_) need_class(n);
    for (const CourseIn& k : courses_)
        if (!courses_by_name_.count(k.name)) new_courses[k.name] = true;
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

    // Everything fits: change the tables.
    next_class_id_ = c_.next_record_id(kClasses);
    next_club_id_ = c_.next_record_id(kClubs);
    std::int32_t next_runner_id = new_runners ? c_.next_record_id(kRunners) : 0;
    std::int32_t next_course_id = courses_.empty() ? 0 : c_.next_record_id(kCourses);
    for (const std::string& n : class_names_) class_id(n);
    for (const CourseIn& k : courses_) {
        Course* course = nullptr;
        if (auto it = courses_by_name_.find(k.name); it != courses_by_name_.end()) {
            course = c_.tables.courses[it->second];
        } else {
            int slot = 0;
            course = courses_table_.add(&slot);
            course->id = next_course_id++;
            set_field_text(course->name, k.name);
            courses_by_name_.emplace(k.name, slot);
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
        auto it = courses_by_name_.find(a.course_name);
        if (it == courses_by_name_.end()) continue;
        if (ClassRecord* k = c_.find_class_by_id(id)) {
            k->course_id = static_cast<std::int16_t>(c_.tables.courses[it->second]->id);
            ++report_.courses_assigned;
        }
    }

    // Relay teams of an entry list: numbered on from the highest team number of their class.
    std::unordered_map<std::int32_t, int> last_team;
    std::unordered_map<std::string, int> team_numbers;
    std::vector<bool> number_taken(kNumberIndexSize, false);
    if (kind == IofImportKind::kEntries)
        for (int i = 0; i < tables.runners.used_end(); ++i)
            if (const Runner* r = tables.runners[i]; r && r->start_number > 0) {
                last_team[r->class_id] = std::max(last_team[r->class_id], r->start_number % 100);
                if (r->start_number < kNumberIndexSize) number_taken[r->start_number] = true;
            }

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
            ++report_.runners_added;
        } else {
            ++report_.runners_updated;
        }
        if (p.card != 0) r->card_number = p.card;
        if (kind == IofImportKind::kEntries && !p.team_name.empty()) {
            set_field_text(r->comment, p.team_name);
            std::string key = std::to_string(r->class_id) + "\n" + p.team_name;
            auto [it, fresh] = team_numbers.emplace(key, 0);
            if (fresh) it->second = ++last_team[r->class_id];
            int team = it->second, leg = p.bib;
            // Parallel runners of one leg share its number: the first one takes it.
            if (team < 100 && leg > 0 && leg < 10 && !number_taken[leg * 100 + team]) {
                r->start_number = static_cast<std::uint16_t>(leg * 100 + team);
                number_taken[r->start_number] = true;
            }
            r->heat_or_leg = leg;
            continue;
        }
        if (kind == IofImportKind::kEntries) continue;
        if (p.bib > 0) r->start_number = static_cast<std::uint16_t>(p.bib);
        if (p.start >= 0) r->start_time = p.start;
        if (kind != IofImportKind::kResults) continue;
        if (p.status >= 0) r->status = static_cast<std::uint8_t>(p.status);
        r->out_of_competition = p.out_of_competition;
        std::int32_t finish = p.finish >= 0                 ? p.finish
                              : p.start >= 0 && p.time >= 0 ? p.start + p.time
                                                            : -1;
        if (finish >= 0 && r->start_number > 0) {
            FinishLine* line = finish_table_.add();
            line->start_number = static_cast<std::int16_t>(r->start_number);
            line->set_time(finish);
        }
        if (!p.punches.empty() && p.card != 0) {
            CardReadout* card = cards_table_.add();
            card->card_number = p.card;
            card->start_number = r->start_number;
            card->punch_count = static_cast<std::int32_t>(p.punches.size());
            card->start.time = p.start >= 0 ? p.start : 0;
            card->finish.time = finish >= 0 ? finish : 0;
            for (std::size_t q = 0; q < p.punches.size(); ++q) card->punches[q] = p.punches[q];
        }
    }
    finish_data_changed(c_);
    c_.recount_tables();
    c_.modified = true;
    return true;
}

std::string Reader::summary() const {
    std::string s = strf_view(lang_.text(Txt::kIofImported), report_.runners_added,
                              report_.runners_updated, report_.classes_added, report_.clubs_added,
                              report_.courses_added, report_.courses_assigned);
    if (report_.runners_unknown)
        s += "\n" + strf_view(lang_.text(Txt::kIofUnknownRunners), report_.runners_unknown);
    if (report_.names_replaced)
        s += "\n" + strf_view(lang_.text(Txt::kIofReplacedNames), report_.names_replaced);
    if (report_.cut_controls)
        s += "\n" + strf_view(lang_.text(Txt::kIofCutControls), report_.cut_controls);
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
    pugi::xml_document doc;
    // DOCTYPE is kept as a node so that it can be refused: entity declarations are never
    // expanded by the parser, and a message has no use for them.
    pugi::xml_parse_result parsed = doc.load_buffer(
        xml.data(), xml.size(), pugi::parse_default | pugi::parse_doctype, pugi::encoding_auto);
    if (!parsed) {
        fail(strf_view(lang_.text(Txt::kIofNotXml), parsed.description(),
                       static_cast<int>(parsed.offset)));
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
    static constexpr const char* kRoots[] = {"EntryList", "CourseData", "ClassList", "StartList",
                                             "ResultList"};
    std::string_view expected = kRoots[static_cast<int>(kind)];
    pugi::xml_node root = doc.document_element();
    std::string_view got = root ? local_name(root.name()) : std::string_view("-");
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
    if (!read || !apply(kind)) return report_;
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
    report_.message = summary();
    return report_;
}

}  // namespace

IofImportReport iof_import_text(Competition& c, IofImportKind kind, std::string_view xml,
                                const LanguageTable& lang) {
    Reader reader(c, lang);
    return reader.run(kind, xml);
}

IofImportReport iof_import_file(Competition& c, IofImportKind kind, const std::string& path,
                                const LanguageTable& lang) {
    std::string bytes;
    if (!read_file_bytes(path, kIofMaxFileBytes + 1, bytes)) {
        IofImportReport report;
        report.message = std::string(lang.text(Txt::kIofCannotRead));
        return report;
    }
    return iof_import_text(c, kind, bytes, lang);
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
