// Writing the IOF XML 3.0 messages: start list, result list, entry list and course data.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <pugixml.hpp>
#include <unordered_map>
#include <vector>

#include "core/atomic_file.h"
#include "core/calendar.h"
#include "core/cp1251.h"
#include "core/finish_results.h"
#include "core/time_text.h"
#include "exchange/iof_text.h"
#include "exchange/iof_xml.h"
#include "platform/file_messages.h"
#include "punch/check_punches.h"
#include "results/result_compute.h"

namespace skarvel {

namespace {

constexpr const char* kCreator = "Skarvel 0.1";
constexpr const char* kNamespace = "http://www.orienteering.org/datastandard/3.0";

std::string now_utc_text() {
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm = utc_calendar(t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

bool digits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// "dd.mm.yyyy" or "yyyy-mm-dd" anywhere at the start of the competition's date text.
std::string date_from_text(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    char buf[16];
    if (text.size() >= 10 && text[2] == '.' && text[5] == '.' && digits(text.substr(0, 2)) &&
        digits(text.substr(3, 2)) && digits(text.substr(6, 4))) {
        std::snprintf(buf, sizeof buf, "%.4s-%.2s-%.2s", text.data() + 6, text.data() + 3,
                      text.data());
        return buf;
    }
    if (text.size() >= 10 && text[4] == '-' && text[7] == '-' && digits(text.substr(0, 4)) &&
        digits(text.substr(5, 2)) && digits(text.substr(8, 2)))
        return std::string(text.substr(0, 10));
    return {};
}

// Seconds cut to the competition's precision.
// Worked out in 64 bits: the differences of stored times may not fit 32.
std::string seconds_text(std::int64_t centis, int precision) {
    char buf[32];
    bool neg = centis < 0;
    std::int64_t v = neg ? -centis : centis;
    if (precision >= 2)
        std::snprintf(buf, sizeof buf, "%s%lld.%02lld", neg ? "-" : "",
                      static_cast<long long>(v / 100), static_cast<long long>(v % 100));
    else if (precision == 1)
        std::snprintf(buf, sizeof buf, "%s%lld.%lld", neg ? "-" : "",
                      static_cast<long long>(v / 100), static_cast<long long>(v % 100 / 10));
    else
        std::snprintf(buf, sizeof buf, "%s%lld", neg ? "-" : "", static_cast<long long>(v / 100));
    return buf;
}

class Writer {
  public:
    Writer(Competition& c, const IofExportOptions& options) : c_(c) {
        create_time_ = options.create_time.empty() ? now_utc_text() : options.create_time;
        date_ = date_from_text(field_text(c.info.date));
        if (date_.empty()) date_ = options.event_date;
        if (date_.empty()) date_ = create_time_.substr(0, 10);
        precision_ = c.info.time_precision > 2 ? 2 : c.info.time_precision;
    }

    std::string run(IofExportKind kind, int* persons);

  private:
    pugi::xml_node root(const char* name) {
        auto decl = doc_.append_child(pugi::node_declaration);
        decl.append_attribute("version") = "1.0";
        decl.append_attribute("encoding") = "UTF-8";
        auto r = doc_.append_child(name);
        r.append_attribute("xmlns") = kNamespace;
        r.append_attribute("iofVersion") = "3.0";
        r.append_attribute("createTime") = create_time_.c_str();
        r.append_attribute("creator") = kCreator;
        return r;
    }
    void event(pugi::xml_node parent) {
        auto e = parent.append_child("Event");
        std::string name = cp1251_to_xml_utf8(field_text(c_.info.title_lines[0]));
        text(e, "Name", name.empty() ? "Skarvel" : name);
        auto st = e.append_child("StartTime");
        text(st, "Date", date_);
    }
    static pugi::xml_node text(pugi::xml_node parent, const char* name, std::string_view value) {
        auto n = parent.append_child(name);
        n.append_child(pugi::node_pcdata).set_value(std::string(value).c_str());
        return n;
    }
    static pugi::xml_node number(pugi::xml_node parent, const char* name, long long value) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%lld", value);
        return text(parent, name, buf);
    }
    static std::string utf8(std::string_view cp1251) { return cp1251_to_xml_utf8(cp1251); }
    // A record's name as the messages carry it: the full name kept beside the competition
    // while the record still shows the short form it was given.
    template <class R>
    std::string name_of(RecordType type, const R& record) const {
        std::string_view shown = field_text(record.name);
        const LongName* n = c_.long_names.find(type, record.id, shown);
        return utf8(n ? std::string_view(n->full) : shown);
    }

    std::string date_time(std::int32_t time_of_day) const {
        std::int32_t t = time_of_day % kDay;
        if (t < 0) t += kDay;
        char buf[48];
        int s = t / 100;
        std::snprintf(buf, sizeof buf, "%sT%02d:%02d:%02d", date_.c_str(), s / 3600, s / 60 % 60,
                      s % 60);
        std::string out = buf;
        if (precision_ == 1) out += "." + std::to_string(t % 100 / 10);
        if (precision_ == 2) {
            std::snprintf(buf, sizeof buf, ".%02d", t % 100);
            out += buf;
        }
        return out;
    }

    void person(pugi::xml_node parent, const Runner& r) {
        auto p = parent.append_child("Person");
        number(p, "Id", r.id);
        auto n = p.append_child("Name");
        // The split the message gave, else the name split at its first blank.
        PersonNameParts parts;
        if (const LongName* kept = c_.long_names.find(kRunners, r.id, field_text(r.name)))
            parts = {kept->full, kept->given};
        else
            parts = split_person_name(field_text(r.name));
        text(n, "Family", utf8(parts.family));
        text(n, "Given", utf8(parts.given));
    }
    void organisation(pugi::xml_node parent, const Runner& r) {
        const Club* club = index_.club_by_id(r.club_id);
        if (!club || r.club_id == 0) return;
        auto o = parent.append_child("Organisation");
        number(o, "Id", club->id);
        text(o, "Name", name_of(kClubs, *club));
    }
    void class_element(pugi::xml_node parent, const ClassRecord& cls) {
        auto k = parent.append_child("Class");
        number(k, "Id", cls.id);
        text(k, "Name", name_of(kClasses, cls));
    }
    void simple_course(pugi::xml_node parent, const Course* course) {
        if (!course) return;
        auto k = parent.append_child("Course");
        number(k, "Id", course->id);
        text(k, "Name", name_of(kCourses, *course));
        if (course->length_m > 0) number(k, "Length", course->length_m);
        if (course->climb_m > 0) number(k, "Climb", course->climb_m);
        number(k, "NumberOfControls", static_cast<long long>(controls(*course).size()));
    }
    static std::vector<std::uint8_t> controls(const Course& course) {
        std::vector<std::uint8_t> out;
        for (int k = 0; k < Course::kControlSlots && course.control_codes[k] != 0; ++k)
            out.push_back(course.control_codes[k]);
        return out;
    }
    void control_card(pugi::xml_node parent, const Runner& r) {
        if (r.card_number != 0) number(parent, "ControlCard", r.card_number);
    }

    // Runners of each class in slot order, and the classes in table order.
    void collect_classes() {
        const auto& t = c_.tables.runners;
        for (int i = 0; i < t.used_end(); ++i)
            if (Runner* r = t[i]) by_class_[r->class_id].push_back(r);
    }
    std::vector<const ClassRecord*> classes() const {
        std::vector<const ClassRecord*> out;
        const auto& t = c_.tables.classes;
        for (int i = 0; i < t.used_end(); ++i)
            if (const ClassRecord* k = t[i]) out.push_back(k);
        return out;
    }
    const std::vector<Runner*>& runners_of(const ClassRecord& cls) const {
        static const std::vector<Runner*> none;
        auto it = by_class_.find(cls.id);
        return it == by_class_.end() ? none : it->second;
    }
    // Relay teams of a class: team number -> members ordered by leg.
    std::map<int, std::vector<Runner*>> teams(const std::vector<Runner*>& runners) const {
        std::map<int, std::vector<Runner*>> out;
        for (Runner* r : runners)
            if (r->start_number > 0) out[r->start_number % 100].push_back(r);
        for (auto& [team, members] : out)
            std::stable_sort(members.begin(), members.end(), [](const Runner* a, const Runner* b) {
                return leg_of_number(a->start_number) < leg_of_number(b->start_number);
            });
        return out;
    }
    std::string team_name(const std::vector<Runner*>& members, int team) const {
        for (const Runner* r : members)
            if (const Club* club = index_.club_by_id(r->club_id); club && r->club_id != 0)
                return name_of(kClubs, *club) + " " + std::to_string(team);
        return std::to_string(team);
    }

    void start_list(pugi::xml_node rootn);
    void result_list(pugi::xml_node rootn);
    void entry_list(pugi::xml_node rootn);
    void course_data(pugi::xml_node rootn);
    void person_result(pugi::xml_node parent, const Runner& r, const PlaceCell& place,
                       std::int32_t leader);
    void race_result(pugi::xml_node res, const ResultList& list, const Runner& r);
    void splits(pugi::xml_node res, const Course* course, const Runner& r);
    void team_results(pugi::xml_node cr, const ClassRecord& cls,
                      const std::vector<Runner*>& runners);

    Competition& c_;
    pugi::xml_document doc_;
    std::string create_time_, date_;
    int precision_ = 0;
    int persons_ = 0;
    std::unordered_map<std::int32_t, std::vector<Runner*>> by_class_;
    ResultIndex index_{c_};
    ResultList list_;  // the class list being written
};

std::string Writer::run(IofExportKind kind, int* persons) {
    switch (kind) {
        case IofExportKind::kStart:
            start_list(root("StartList"));
            break;
        case IofExportKind::kResults:
            result_list(root("ResultList"));
            break;
        case IofExportKind::kEntries:
            entry_list(root("EntryList"));
            break;
        case IofExportKind::kCourses:
            course_data(root("CourseData"));
            break;
    }
    if (persons) *persons = persons_;
    struct Out : pugi::xml_writer {
        std::string s;
        void write(const void* data, std::size_t size) override {
            s.append(static_cast<const char*>(data), size);
        }
    } out;
    doc_.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
    return std::move(out.s);
}

void Writer::start_list(pugi::xml_node rootn) {
    event(rootn);
    collect_classes();
    bool relay = c_.info.relay != 0;
    for (const ClassRecord* cls : classes()) {
        std::vector<Runner*> runners = runners_of(*cls);
        if (runners.empty()) continue;
        auto cs = rootn.append_child("ClassStart");
        class_element(cs, *cls);
        simple_course(cs, index_.course_by_id(cls->course_id));
        if (relay) {
            for (auto& [team, members] : teams(runners)) {
                auto ts = cs.append_child("TeamStart");
                text(ts, "Name", team_name(members, team));
                organisation(ts, *members.front());
                number(ts, "BibNumber", team);
                for (const Runner* r : members) {
                    auto ms = ts.append_child("TeamMemberStart");
                    person(ms, *r);
                    organisation(ms, *r);
                    auto st = ms.append_child("Start");
                    number(st, "Leg", leg_of_number(r->start_number));
                    number(st, "BibNumber", r->start_number);
                    if (r->start_time != 0) text(st, "StartTime", date_time(r->start_time));
                    control_card(st, *r);
                    ++persons_;
                }
            }
            continue;
        }
        std::stable_sort(runners.begin(), runners.end(), [](const Runner* a, const Runner* b) {
            return a->start_time != b->start_time ? a->start_time < b->start_time
                                                  : a->start_number < b->start_number;
        });
        for (const Runner* r : runners) {
            auto ps = cs.append_child("PersonStart");
            person(ps, *r);
            organisation(ps, *r);
            auto st = ps.append_child("Start");
            if (r->start_number != 0) number(st, "BibNumber", r->start_number);
            if (r->start_time != 0) text(st, "StartTime", date_time(r->start_time));
            control_card(st, *r);
            ++persons_;
        }
    }
}

void Writer::entry_list(pugi::xml_node rootn) {
    event(rootn);
    collect_classes();
    bool relay = c_.info.relay != 0;
    if (relay) {
        for (const ClassRecord* cls : classes()) {
            for (auto& [team, members] : teams(runners_of(*cls))) {
                auto te = rootn.append_child("TeamEntry");
                number(te, "Id", static_cast<long long>(cls->id) * 100 + team);
                text(te, "Name", team_name(members, team));
                organisation(te, *members.front());
                for (const Runner* r : members) {
                    auto tp = te.append_child("TeamEntryPerson");
                    person(tp, *r);
                    organisation(tp, *r);
                    number(tp, "Leg", leg_of_number(r->start_number));
                    control_card(tp, *r);
                    ++persons_;
                }
                class_element(te, *cls);
            }
        }
    }
    const auto& t = c_.tables.runners;
    for (int i = 0; i < t.used_end(); ++i) {
        const Runner* r = t[i];
        if (!r) continue;
        const ClassRecord* cls = index_.class_by_id(r->class_id);
        if (relay && cls && r->start_number > 0) continue;  // written with its team
        auto pe = rootn.append_child("PersonEntry");
        number(pe, "Id", r->id);
        person(pe, *r);
        organisation(pe, *r);
        control_card(pe, *r);
        if (cls) class_element(pe, *cls);
        ++persons_;
    }
}

void Writer::course_data(pugi::xml_node rootn) {
    event(rootn);
    auto rcd = rootn.append_child("RaceCourseData");
    const auto& t = c_.tables.courses;
    for (int i = 0; i < t.used_end(); ++i) {
        const Course* course = t[i];
        if (!course) continue;
        auto k = rcd.append_child("Course");
        number(k, "Id", course->id);
        text(k, "Name", name_of(kCourses, *course));
        if (course->length_m > 0) number(k, "Length", course->length_m);
        if (course->climb_m > 0) number(k, "Climb", course->climb_m);
        auto start = k.append_child("CourseControl");
        start.append_attribute("type") = "Start";
        text(start, "Control", "S1");
        std::vector<std::uint8_t> codes = controls(*course);
        for (std::size_t q = 0; q < codes.size(); ++q) {
            auto cc = k.append_child("CourseControl");
            cc.append_attribute("type") = "Control";
            number(cc, "Control", codes[q]);
            if (course->control_values[q] != 0) number(cc, "LegLength", course->control_values[q]);
        }
        auto finish = k.append_child("CourseControl");
        finish.append_attribute("type") = "Finish";
        text(finish, "Control", "F1");
        ++persons_;
    }
    const auto& classes_t = c_.tables.classes;
    for (int i = 0; i < classes_t.used_end(); ++i) {
        const ClassRecord* cls = classes_t[i];
        if (!cls) continue;
        const Course* course = index_.course_by_id(cls->course_id);
        if (!course || cls->course_id == 0) continue;
        auto a = rcd.append_child("ClassCourseAssignment");
        number(a, "ClassId", cls->id);
        text(a, "ClassName", name_of(kClasses, *cls));
        text(a, "CourseName", name_of(kCourses, *course));
    }
}

void Writer::result_list(pugi::xml_node rootn) {
    rootn.append_attribute("status") = "Complete";
    event(rootn);
    // Results and every runner's place once; the relay legs read the stored places.
    finish_data_changed(c_);
    index_ = ResultIndex(c_);
    collect_classes();
    bool relay = c_.info.relay != 0;
    for (const ClassRecord* cls : classes()) {
        const std::vector<Runner*>& runners = runners_of(*cls);
        if (runners.empty()) continue;
        auto cr = rootn.append_child("ClassResult");
        class_element(cr, *cls);
        simple_course(cr, index_.course_by_id(cls->course_id));
        if (relay) {
            team_results(cr, *cls, runners);
            continue;
        }
        // The ranked list first, with the places the result protocol gives; then the runners
        // of the class without a result, in table order.
        list_ = build_result_list(c_, index_, *cls);
        const ResultList& list = list_;
        // Time behind is measured from the first placed runner (the list's winner time may
        // be that of a runner out of competition).
        PlaceCounter places(c_.info, list);
        std::int32_t leader = -1;
        for (const Runner* r : list.runners) {
            PlaceCell place = places.next(*r);
            if (place.kind == PlaceCell::Place && leader < 0) leader = r->result;
            person_result(cr, *r, place, leader);
        }
        for (const Runner* r : runners)
            if (r->result == 0) person_result(cr, *r, PlaceCell{}, leader);
    }
}

void Writer::person_result(pugi::xml_node parent, const Runner& r, const PlaceCell& place,
                           std::int32_t leader) {
    auto pr = parent.append_child("PersonResult");
    person(pr, r);
    organisation(pr, r);
    auto res = pr.append_child("Result");
    if (r.start_number != 0) number(res, "BibNumber", r.start_number);
    if (r.start_time != 0) text(res, "StartTime", date_time(r.start_time));
    if (r.finish_time != 0) text(res, "FinishTime", date_time(r.finish_time));
    bool finished = r.finish_time != 0 && r.result != 0;
    if (finished) {
        std::int64_t time =
            r.status == 0 ? std::int64_t(r.result) : std::int64_t(r.finish_time) - r.start_time;
        text(res, "Time", seconds_text(time, precision_));
    }
    if (place.kind == PlaceCell::Place) {
        if (leader >= 0 && r.result >= leader)
            text(res, "TimeBehind", seconds_text(std::int64_t(r.result) - leader, precision_));
        number(res, "Position", place.place);
    }
    std::string_view status = iof_result_status(r.status, r.out_of_competition != 0);
    if (r.status == 0 && !finished && !r.out_of_competition) status = "Inactive";
    text(res, "Status", status);
    race_result(res, list_, r);
    ++persons_;
}

void Writer::race_result(pugi::xml_node res, const ResultList& list, const Runner& r) {
    splits(res, split_course(c_, index_, list, r), r);
    control_card(res, r);
}

// Split times per course control from the runner's card readout: each control is searched
// from the punch after the last one matched; a control not found is written as missing, and
// punches no control took as additional, after the course's controls.
void Writer::splits(pugi::xml_node res, const Course* course, const Runner& r) {
    if (r.card_number == 0) return;
    const CardReadout* card = index_.first_readout(r.card_number);
    if (!card) return;
    int count = card->held_punches();
    std::int32_t ref = r.start_time != 0 ? r.start_time : card->start.time;
    bool used[CardReadout::kMaxPunches] = {};
    if (course) {
        int j = 0;
        for (int k = 0; k < Course::kControlSlots && course->control_codes[k] != 0; ++k) {
            int found = -1;
            for (int q = j; q < count; ++q)
                if (card->punches[q].code == course->control_codes[k]) {
                    found = q;
                    break;
                }
            auto st = res.append_child("SplitTime");
            if (found < 0) {
                st.append_attribute("status") = "Missing";
                number(st, "ControlCode", course->control_codes[k]);
                continue;
            }
            used[found] = true;
            j = found + 1;
            number(st, "ControlCode", course->control_codes[k]);
            text(st, "Time",
                 seconds_text(std::int64_t(card->punches[found].time) - ref, precision_));
        }
    }
    for (int q = 0; q < count; ++q) {
        if (used[q]) continue;
        auto st = res.append_child("SplitTime");
        st.append_attribute("status") = "Additional";
        number(st, "ControlCode", card->punches[q].code);
        text(st, "Time", seconds_text(std::int64_t(card->punches[q].time) - ref, precision_));
    }
}

// Relay: one team result per team (start number mod 100), legs in order. A leg's overall
// position is the team's place after that leg as the result computation gives it (finish
// clock order among the same leg of the class).
void Writer::team_results(pugi::xml_node cr, const ClassRecord& cls,
                          const std::vector<Runner*>& runners) {
    (void)cls;
    ResultList list;
    list.class_record = &cls;
    list.course = index_.course_by_id(cls.course_id);
    for (auto& [team, members] : teams(runners)) {
        auto tr = cr.append_child("TeamResult");
        text(tr, "Name", team_name(members, team));
        organisation(tr, *members.front());
        number(tr, "BibNumber", team);
        std::int32_t team_start = members.front()->start_time;
        bool team_ok = true;
        for (Runner* r : members) {
            auto mr = tr.append_child("TeamMemberResult");
            person(mr, *r);
            organisation(mr, *r);
            auto res = mr.append_child("Result");
            number(res, "Leg", leg_of_number(r->start_number));
            number(res, "BibNumber", r->start_number);
            if (r->start_time != 0) text(res, "StartTime", date_time(r->start_time));
            if (r->finish_time != 0) text(res, "FinishTime", date_time(r->finish_time));
            bool finished = r->finish_time != 0;
            if (finished && r->start_time != 0)
                text(res, "Time",
                     seconds_text(std::int64_t(r->finish_time) - r->start_time, precision_));
            std::string_view status = iof_result_status(r->status, r->out_of_competition != 0);
            if (r->status == 0 && !finished && !r->out_of_competition) status = "Inactive";
            text(res, "Status", status);
            team_ok = team_ok && r->status == 0 && finished && !r->out_of_competition;
            auto overall = res.append_child("OverallResult");
            if (finished && team_start != 0)
                text(overall, "Time",
                     seconds_text(std::int64_t(r->finish_time) - team_start, precision_));
            if (team_ok) number(overall, "Position", r->place);
            std::string_view overall_status = team_ok ? std::string_view("OK") : status;
            if (!team_ok && overall_status == "OK") overall_status = "Inactive";
            text(overall, "Status", overall_status);
            race_result(res, list, *r);
            ++persons_;
        }
    }
}

}  // namespace

std::string_view iof_result_status(int status, bool out_of_competition) {
    switch (status) {
        case kStatusOk:
            return out_of_competition ? "NotCompeting" : "OK";
        case kStatusWrongPunch:
            return "MissingPunch";
        case kStatusOverTime:
            return "OverTime";
        case kStatusDidNotFinish:
            return "DidNotFinish";
        case kStatusDidNotStart:
            return "DidNotStart";
        default:
            return "Disqualified";
    }
}

PersonNameParts split_person_name(std::string_view name) {
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    std::size_t blank = name.find(' ');
    if (blank == std::string_view::npos) return {std::string(name), {}};
    std::string_view given = name.substr(blank + 1);
    while (!given.empty() && given.front() == ' ') given.remove_prefix(1);
    return {std::string(name.substr(0, blank)), std::string(given)};
}

std::string iof_export_text(Competition& c, IofExportKind kind, const IofExportOptions& options,
                            int* persons) {
    Writer w(c, options);
    return w.run(kind, persons);
}

bool parse_iof_export_kind(std::string_view name, IofExportKind& kind) {
    if (name == "results")
        kind = IofExportKind::kResults;
    else if (name == "start")
        kind = IofExportKind::kStart;
    else if (name == "entries")
        kind = IofExportKind::kEntries;
    else if (name == "courses")
        kind = IofExportKind::kCourses;
    else
        return false;
    return true;
}

IofExportReport iof_export_file(Competition& c, IofExportKind kind, const std::string& path,
                                const IofExportOptions& options, const LanguageTable& lang) {
    IofExportReport report;
    std::string xml = iof_export_text(c, kind, options, &report.persons);
    int why = 0;
    if (!write_file_atomically(path, reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size(),
                               &why)) {
        report.error = file_error_message(lang, lang.text(Txt::kIofCannotWrite), path, why);
        return report;
    }
    report.ok = true;
    return report;
}

}  // namespace skarvel
