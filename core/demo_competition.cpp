#include "core/demo_competition.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1251.h"
#include "core/time_text.h"

namespace skarvel {

using namespace literals;

namespace {

// The demo's own generator (splitmix64), so making a demo never disturbs rand15.
class DemoRandom {
  public:
    explicit DemoRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in lo..hi inclusive.
    int range(int lo, int hi) { return lo + static_cast<int>(next() % std::uint64_t(hi - lo + 1)); }
    // True with a chance of `percent` in a hundred.
    bool chance(int percent) { return range(0, 99) < percent; }
    double unit() { return double(next() >> 11) / double(1ull << 53); }
    template <class T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[next() % N];
    }

  private:
    std::uint64_t state_;
};

const std::string_view kMaleSurnames[] = {
    "Иванов"_cp1251,     "Смирнов"_cp1251,   "Кузнецов"_cp1251, "Попов"_cp1251,
    "Васильев"_cp1251,   "Петров"_cp1251,    "Соколов"_cp1251,  "Михайлов"_cp1251,
    "Новиков"_cp1251,    "Фёдоров"_cp1251,   "Морозов"_cp1251,  "Волков"_cp1251,
    "Алексеев"_cp1251,   "Лебедев"_cp1251,   "Семёнов"_cp1251,  "Егоров"_cp1251,
    "Павлов"_cp1251,     "Козлов"_cp1251,    "Степанов"_cp1251, "Николаев"_cp1251,
    "Орлов"_cp1251,      "Андреев"_cp1251,   "Макаров"_cp1251,  "Никитин"_cp1251,
    "Захаров"_cp1251,    "Зайцев"_cp1251,    "Соловьёв"_cp1251, "Борисов"_cp1251,
    "Яковлев"_cp1251,    "Григорьев"_cp1251, "Романов"_cp1251,  "Воробьёв"_cp1251,
    "Сергеев"_cp1251,    "Кузьмин"_cp1251,   "Фролов"_cp1251,   "Александров"_cp1251,
    "Дмитриев"_cp1251,   "Королёв"_cp1251,   "Гусев"_cp1251,    "Киселёв"_cp1251,
    "Ильин"_cp1251,      "Максимов"_cp1251,  "Поляков"_cp1251,  "Сорокин"_cp1251,
    "Виноградов"_cp1251, "Ковалёв"_cp1251,   "Белов"_cp1251,    "Медведев"_cp1251,
    "Антонов"_cp1251,    "Тарасов"_cp1251,
};
const std::string_view kMaleNames[] = {
    "Александр"_cp1251, "Алексей"_cp1251, "Андрей"_cp1251, "Антон"_cp1251,    "Артём"_cp1251,
    "Борис"_cp1251,     "Вадим"_cp1251,   "Виктор"_cp1251, "Владимир"_cp1251, "Дмитрий"_cp1251,
    "Евгений"_cp1251,   "Егор"_cp1251,    "Иван"_cp1251,   "Игорь"_cp1251,    "Илья"_cp1251,
    "Кирилл"_cp1251,    "Максим"_cp1251,  "Михаил"_cp1251, "Никита"_cp1251,   "Николай"_cp1251,
    "Олег"_cp1251,      "Павел"_cp1251,   "Роман"_cp1251,  "Сергей"_cp1251,   "Юрий"_cp1251,
};
const std::string_view kFemaleNames[] = {
    "Анна"_cp1251,    "Алина"_cp1251,     "Валентина"_cp1251, "Вера"_cp1251,    "Дарья"_cp1251,
    "Евгения"_cp1251, "Екатерина"_cp1251, "Елена"_cp1251,     "Ирина"_cp1251,   "Ксения"_cp1251,
    "Людмила"_cp1251, "Мария"_cp1251,     "Марина"_cp1251,    "Наталья"_cp1251, "Нина"_cp1251,
    "Ольга"_cp1251,   "Полина"_cp1251,    "Светлана"_cp1251,  "София"_cp1251,   "Татьяна"_cp1251,
    "Юлия"_cp1251,    "Яна"_cp1251,       "Виктория"_cp1251,  "Алёна"_cp1251,   "Галина"_cp1251,
};
const std::string_view kInitials[] = {"А."_cp1251, "В."_cp1251, "Г."_cp1251, "Д."_cp1251,
                                      "Е."_cp1251, "И."_cp1251, "Л."_cp1251, "М."_cp1251,
                                      "Н."_cp1251, "О."_cp1251, "П."_cp1251, "С."_cp1251};
const std::string_view kClubWords[] = {
    "Азимут"_cp1251, "Бодрость"_cp1251, "Вертикаль"_cp1251, "Горизонт"_cp1251, "Дельта"_cp1251,
    "Ермак"_cp1251,  "Заря"_cp1251,     "Искра"_cp1251,     "Кедр"_cp1251,     "Лидер"_cp1251,
    "Маяк"_cp1251,   "Надежда"_cp1251,  "Олимп"_cp1251,     "Полюс"_cp1251,    "Радуга"_cp1251,
    "Сибирь"_cp1251, "Тайга"_cp1251,    "Урал"_cp1251,      "Факел"_cp1251,    "Чайка"_cp1251,
    "Штурм"_cp1251,  "Юность"_cp1251,   "Компас"_cp1251,    "Меридиан"_cp1251,
};
const std::string_view kTowns[] = {
    "Пермь"_cp1251,    "Кунгур"_cp1251, "Соликамск"_cp1251, "Березники"_cp1251, "Лысьва"_cp1251,
    "Кудымкар"_cp1251, "Оса"_cp1251,    "Чусовой"_cp1251,   "Оханск"_cp1251,    "Губаха"_cp1251,
};

struct ClassTemplate {
    std::string_view name;
    bool female;
    int age_min, age_max;  // age in the competition year
    int course;            // index among the base courses (longest first)
    int pace_cs_per_m;     // typical running pace
};
const ClassTemplate kClassTemplates[] = {
    {"М21"_cp1251, false, 21, 34, 0, 38}, {"Ж21"_cp1251, true, 21, 34, 2, 44},
    {"М20"_cp1251, false, 19, 20, 1, 40}, {"Ж20"_cp1251, true, 19, 20, 3, 46},
    {"М18"_cp1251, false, 17, 18, 2, 42}, {"Ж18"_cp1251, true, 17, 18, 4, 48},
    {"М16"_cp1251, false, 15, 16, 4, 46}, {"Ж16"_cp1251, true, 15, 16, 5, 52},
    {"М14"_cp1251, false, 13, 14, 6, 52}, {"Ж14"_cp1251, true, 13, 14, 7, 58},
    {"М12"_cp1251, false, 10, 12, 8, 60}, {"Ж12"_cp1251, true, 10, 12, 8, 66},
    {"М35"_cp1251, false, 35, 44, 1, 42}, {"Ж35"_cp1251, true, 35, 44, 4, 50},
    {"М45"_cp1251, false, 45, 54, 3, 46}, {"Ж45"_cp1251, true, 45, 54, 5, 54},
    {"М55"_cp1251, false, 55, 64, 5, 52}, {"Ж55"_cp1251, true, 55, 64, 7, 60},
    {"М65"_cp1251, false, 65, 80, 7, 60}, {"Ж65"_cp1251, true, 65, 80, 9, 68},
};
constexpr int kClassTemplateCount = sizeof kClassTemplates / sizeof kClassTemplates[0];
constexpr int kBaseCourses = 10;
constexpr int kCompetitionYear = 2024;
constexpr std::int32_t kFirstStart = 11 * kCentisPerHour;

std::string female_surname(std::string_view male) {
    std::string s(male);
    std::string_view ov = "ов"_cp1251, ev = "ев"_cp1251, in = "ин"_cp1251, yov = "ёв"_cp1251;
    auto ends = [&](std::string_view e) {
        return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
    };
    if (ends(ov) || ends(ev) || ends(in) || ends(yov)) s += "а"_cp1251;
    return s;
}

std::string numbered(std::string_view base, int n, std::string_view sep = "-") {
    std::string s(base);
    s += sep;
    s += std::to_string(n);
    return s;
}

template <class R>
R& add_record(Table<R>& t, int slot) {
    t.slot(slot) = std::make_unique<R>();
    return *t[slot];
}

struct Outcome {
    enum Kind { kOk, kMispunch, kDidNotFinish, kDidNotStart } kind = kOk;
    std::int32_t finish = 0;
    std::vector<Punch> punches;
};

void fill_info(CompetitionInfo& info, DemoRandom& rnd) {
    set_field_text(info.title_lines[0], "Первенство Пермского края"_cp1251);
    set_field_text(info.title_lines[1], "по спортивному ориентированию бегом"_cp1251);
    set_field_text(info.title_lines[2], "Кросс-классика"_cp1251);
    for (int i = 3; i < CompetitionInfo::kTitleLines; ++i) set_field_text(info.title_lines[i], "");
    set_field_text(info.place, "Пермь, Черняевский лес"_cp1251);
    set_field_text(info.chief_secretary, "Кузнецова О.В."_cp1251);
    set_field_text(info.chief_judge, "Смирнов А.П."_cp1251);
    set_field_text(info.date, "18.05.2024"_cp1251);
    info.competition_kind = kKindCourseOrder;
    info.relay = 0;
    set_field_text(info.course_setters[0], "Волков И.С."_cp1251);
    set_field_text(info.course_setters[1], "Лебедева Н.А."_cp1251);
    set_field_text(info.course_setters[2], "Орлов Д.М."_cp1251);
    set_field_text(info.course_setters[3], "");
    info.numbering_first = 1;
    info.numbering_step = 1;
    info.start_time_first = kFirstStart;
    info.start_time_step = kCentisPerMinute;
    info.competition_start = kFirstStart;
    info.time_precision = 0;
    info.penalty_per_miss = 0;
    // Race day: the finish time from the station, the punches checked against the course.
    info.start_source = 0;   // from the database
    info.finish_source = 1;  // from the finish station
    info.check_mode = 1;     // against the course
    for (int s = 0; s < kStatusCount; ++s) {
        set_field_text(info.status_short_texts[s], standard_status_short_text(s));
        set_field_text(info.status_names[s], standard_status_name(s));
    }
    (void)rnd;
}

}  // namespace

DemoOptions DemoOptions::full_capacity(std::uint64_t seed) {
    DemoOptions o;
    o.seed = seed;
    o.runners = kRunnerCapacity;
    o.clubs = kClubCapacity;
    o.classes = kClassCapacity;
    o.courses = kCourseCapacity;
    o.finish_lines = kFinishLineCapacity;
    o.card_readouts = kCardReadoutCapacity;
    return o;
}

void make_demo_competition(Competition& c, const DemoOptions& options,
                           std::vector<CardReadout>* cards_to_read) {
    c.clear();
    DemoRandom rnd(options.seed * 0x2545F4914F6CDD1Dull + 0x1234567ull);
    fill_info(c.info, rnd);

    const int runners = std::clamp(options.runners, 0, kRunnerCapacity);
    const int classes = std::clamp(
        options.classes > 0 ? options.classes : std::clamp(runners / 10, 2, kClassTemplateCount), 1,
        kClassCapacity);
    const int courses = std::clamp(
        options.courses > 0 ? options.courses : std::min(kBaseCourses, (classes + 1) / 2), 1,
        kCourseCapacity);
    const int clubs = std::clamp(
        options.clubs > 0 ? options.clubs : std::clamp(runners / 12, 3, 200), 1, kClubCapacity);
    RecordTables& t = c.tables;

    // Courses: the base courses get longer with a lower index.
    for (int i = 0; i < courses; ++i) {
        Course& k = add_record(t.courses, i);
        k.id = i + 1;
        int base = i % kBaseCourses;
        set_field_text(k.name, numbered("Дист"_cp1251, i + 1, " "));
        int controls = std::clamp(24 - 2 * base + rnd.range(-2, 2), 5, 30);
        std::vector<int> codes(225);
        std::iota(codes.begin(), codes.end(), 31);
        for (int j = 0; j < controls; ++j) {
            int pick = rnd.range(j, int(codes.size()) - 1);
            std::swap(codes[j], codes[pick]);
            k.control_codes[j] = static_cast<std::uint8_t>(codes[j]);
        }
        k.control_count = controls;
        k.length_m = controls * rnd.range(300, 420);
        k.climb_m = k.length_m / rnd.range(35, 60) / 5 * 5;
        k.time_limit_min = base < 4 ? 180 : 120;
        k.finish_crossings = 1;
        k.course_setter = base % 3;
    }

    // Classes: the usual age classes, numbered once they repeat.
    for (int i = 0; i < classes; ++i) {
        ClassRecord& k = add_record(t.classes, i);
        const ClassTemplate& tpl = kClassTemplates[i % kClassTemplateCount];
        k.id = i + 1;
        if (i < kClassTemplateCount)
            set_field_text(k.name, tpl.name);
        else
            set_field_text(k.name, numbered(tpl.name, i / kClassTemplateCount + 1));
        int course = (i / kClassTemplateCount) * kBaseCourses + tpl.course;
        k.course_id = static_cast<std::int16_t>(course % courses + 1);
        k.set_ranks_allowed(tpl.age_min >= 13 && tpl.age_max <= 34);
        if (tpl.name == "М21"_cp1251 || tpl.name == "Ж21"_cp1251) {
            k.ms_award = 6;
            k.kms_award = 10;
        }
        k.fee_rental_normal = static_cast<std::int16_t>(tpl.age_min < 19 ? 250 : 400);
        k.fee_rental_reduced = static_cast<std::int16_t>(k.fee_rental_normal / 2);
        k.fee_own_normal = static_cast<std::int16_t>(k.fee_rental_normal - 50);
        k.fee_own_reduced = static_cast<std::int16_t>(k.fee_own_normal / 2);
    }

    for (int i = 0; i < clubs; ++i) {
        Club& k = add_record(t.clubs, i);
        k.id = i + 1;
        constexpr int words = sizeof kClubWords / sizeof kClubWords[0];
        constexpr int towns = sizeof kTowns / sizeof kTowns[0];
        std::string name(kClubWords[i % words]);
        if (i >= words) {
            name += ' ';
            name += kTowns[(i / words) % towns];
        }
        if (i >= words * (towns + 1)) name = numbered(kClubWords[i % words], i / words);
        set_field_text(k.name, name);
        std::string rep(kMaleSurnames[rnd.next() % std::size(kMaleSurnames)]);
        rep += ' ';
        rep += kInitials[rnd.next() % std::size(kInitials)];
        rep += kInitials[rnd.next() % std::size(kInitials)];
        set_field_text(k.representative, rep);
    }

    // Runners, entered class by class; numbers follow the entry order.
    std::vector<int> class_of(runners);
    for (int& k : class_of) {
        // The main classes are the biggest.
        int pick = rnd.range(0, classes - 1);
        if (classes > 2 && rnd.chance(30)) pick = rnd.range(0, 1);
        k = pick;
    }
    std::sort(class_of.begin(), class_of.end());
    std::vector<int> in_class(classes, 0);
    std::vector<Outcome> outcomes(runners);
    for (int i = 0; i < runners; ++i) {
        Runner& r = add_record(t.runners, i);
        const int klass = class_of[i];
        const ClassTemplate& tpl = kClassTemplates[klass % kClassTemplateCount];
        r.id = i + 1;
        std::string name = tpl.female ? female_surname(rnd.pick(kMaleSurnames))
                                      : std::string(rnd.pick(kMaleSurnames));
        name += ' ';
        name += tpl.female ? rnd.pick(kFemaleNames) : rnd.pick(kMaleNames);
        set_field_text(r.name, name);
        r.birth_year =
            static_cast<std::uint16_t>(kCompetitionYear - rnd.range(tpl.age_min, tpl.age_max));
        if (tpl.age_min >= 19)
            r.qualification =
                static_cast<std::uint8_t>(rnd.chance(15) ? rnd.range(7, 8) : rnd.range(0, 6));
        else if (tpl.age_min >= 13)
            r.qualification = static_cast<std::uint8_t>(rnd.range(0, 6));
        else
            r.qualification = static_cast<std::uint8_t>(rnd.chance(50) ? rnd.range(1, 3) : 0);
        r.class_id = static_cast<std::int16_t>(klass + 1);
        r.club_id = static_cast<std::int16_t>(rnd.range(1, clubs));
        r.start_number = static_cast<std::uint16_t>(i + 1 < kNumberIndexSize ? i + 1 : 0);
        // Each class starts at one-minute intervals; the classes start in staggered waves.
        int pos = in_class[klass]++;
        r.start_time = kFirstStart + (klass % 7) * kCentisPerMinute + pos * kCentisPerMinute;
        r.card_number = 2000000 + i * 37 + rnd.range(0, 36);
        r.fee_flags = static_cast<std::uint8_t>((rnd.chance(70) ? Runner::kFeeOwnCard : 0) |
                                                (rnd.chance(10) ? Runner::kFeeReduced : 0));
        r.out_of_competition = rnd.chance(2) ? 1 : 0;
        if (rnd.chance(5)) set_field_text(r.comment, "заявка на месте"_cp1251);

        // The race.
        const ClassRecord& k = *t.classes[klass];
        const Course& course = *t.courses[k.course_id - 1];
        Outcome& out = outcomes[i];
        int roll = rnd.range(0, 99);
        out.kind = roll < 3   ? Outcome::kDidNotStart
                   : roll < 5 ? Outcome::kDidNotFinish
                   : roll < 9 ? Outcome::kMispunch
                              : Outcome::kOk;
        if (out.kind == Outcome::kDidNotStart) {
            r.status = kStatusDidNotStart;
            continue;
        }
        const int n = course.control_count;
        double factor = 0.85 + 0.75 * rnd.unit() * rnd.unit();
        std::int32_t running =
            static_cast<std::int32_t>(course.length_m * tpl.pace_cs_per_m * factor);
        std::vector<double> legs(n + 1);
        double sum = 0;
        for (double& w : legs) sum += (w = 0.5 + rnd.unit());
        std::int32_t t0 = r.start_time;
        double cum = 0;
        for (int j = 0; j < n; ++j) {
            cum += legs[j];
            Punch p;
            p.code = course.control_codes[j];
            p.time = t0 + std::max<std::int32_t>(static_cast<std::int32_t>(running * cum / sum),
                                                 100 * (j + 1));
            p.time -= p.time % 100;  // stations record whole seconds
            if (!out.punches.empty() && p.time <= out.punches.back().time)
                p.time = out.punches.back().time + 100;
            out.punches.push_back(p);
        }
        out.finish = t0 + running - running % 100;
        if (!out.punches.empty() && out.finish <= out.punches.back().time)
            out.finish = out.punches.back().time + 100;
        if (out.kind == Outcome::kMispunch && n > 1) {
            int j = rnd.range(0, n - 1);
            if (rnd.chance(50)) {
                out.punches.erase(out.punches.begin() + j);  // a missed control
            } else {
                int wrong;
                do wrong = rnd.range(31, 255);
                while (std::find(course.control_codes, course.control_codes + n, wrong) !=
                       course.control_codes + n);
                out.punches[j].code = static_cast<std::uint8_t>(wrong);  // someone else's control
            }
            r.status = kStatusWrongPunch;
        } else if (out.kind == Outcome::kDidNotFinish) {
            out.punches.resize(rnd.range(0, n / 2));
            out.finish = 0;
            r.status = kStatusDidNotFinish;
        }
    }

    // The runners still out: the last starters of the first two classes who will come back
    // (one with a missed control first, then clean runs), in the order they will finish.
    std::vector<int> still_out;
    if (options.still_out > 0 && classes >= 2) {
        std::vector<int> candidates;
        for (int i = 0; i < runners; ++i)
            if (class_of[i] < 2 && t.runners[i]->start_number != 0 &&
                (outcomes[i].kind == Outcome::kOk || outcomes[i].kind == Outcome::kMispunch))
                candidates.push_back(i);
        std::sort(candidates.begin(), candidates.end(), [&](int a, int b) {
            return t.runners[a]->start_time != t.runners[b]->start_time
                       ? t.runners[a]->start_time > t.runners[b]->start_time
                       : a > b;
        });
        bool mispunch_taken = false;
        for (int i : candidates) {
            if (int(still_out.size()) >= options.still_out) break;
            bool mispunch = outcomes[i].kind == Outcome::kMispunch;
            if (mispunch && mispunch_taken) continue;
            mispunch_taken = mispunch_taken || mispunch;
            still_out.push_back(i);
        }
        std::sort(still_out.begin(), still_out.end(), [&](int a, int b) {
            bool ma = outcomes[a].kind == Outcome::kMispunch;
            bool mb = outcomes[b].kind == Outcome::kMispunch;
            if (ma != mb) return ma;
            return outcomes[a].finish != outcomes[b].finish
                       ? outcomes[a].finish < outcomes[b].finish
                       : a < b;
        });
        for (int i : still_out) t.runners[i]->status = kStatusOk;  // not read yet
    }
    auto is_still_out = [&](int i) {
        return std::find(still_out.begin(), still_out.end(), i) != still_out.end();
    };
    for (int i = 0; i < classes && i < 2; ++i) t.classes[i]->set_marked(true);

    // The finish list in the order of crossing the line, then the card readouts in the order
    // of reading (a minute or two after the finish).
    struct Event {
        std::int32_t time;
        int runner;
    };
    std::vector<Event> finishes, readouts;
    for (int i = 0; i < runners; ++i) {
        const Outcome& o = outcomes[i];
        if (o.kind == Outcome::kDidNotStart || is_still_out(i)) continue;
        if (o.finish != 0 && t.runners[i]->start_number != 0) finishes.push_back({o.finish, i});
        std::int32_t read =
            o.finish != 0 ? o.finish + rnd.range(30, 180) * 100
                          : (o.punches.empty() ? t.runners[i]->start_time : o.punches.back().time) +
                                rnd.range(600, 3600) * 100;
        readouts.push_back({read, i});
    }
    auto by_time = [](const Event& a, const Event& b) {
        return a.time != b.time ? a.time < b.time : a.runner < b.runner;
    };
    std::sort(finishes.begin(), finishes.end(), by_time);
    std::sort(readouts.begin(), readouts.end(), by_time);

    const int lines_wanted =
        std::min(options.finish_lines < 0 ? int(finishes.size()) : options.finish_lines,
                 kFinishLineCapacity);
    for (int i = 0; i < lines_wanted && !finishes.empty(); ++i) {
        // Past the natural lines: later crossings of the line by runners who came back.
        const std::size_t natural = finishes.size();
        const Event& e = finishes[std::size_t(i) % natural];
        int round = int(std::size_t(i) / natural);
        FinishLine& f = add_record(t.finish_lines, i);
        f.start_number = static_cast<std::int16_t>(t.runners[e.runner]->start_number);
        f.set_time(e.time + round * 100 * 60);
    }
    const int cards_wanted =
        std::min(options.card_readouts < 0 ? int(readouts.size()) : options.card_readouts,
                 kCardReadoutCapacity);
    for (int i = 0; i < cards_wanted && !readouts.empty(); ++i) {
        const Event& e = readouts[std::size_t(i) % readouts.size()];
        const Runner& r = *t.runners[e.runner];
        const Outcome& o = outcomes[e.runner];
        CardReadout& card = add_record(t.card_readouts, i);
        card.card_number = r.card_number;
        card.start_number = rnd.chance(20) ? r.start_number : 0;
        card.start.time = r.start_time;
        card.finish.time = o.finish;
        int count = std::min<int>(int(o.punches.size()), CardReadout::kMaxPunches);
        card.punch_count = count;
        for (int j = 0; j < count; ++j) card.punches[j] = o.punches[j];
    }

    if (cards_to_read) {
        cards_to_read->clear();
        for (int i : still_out) {
            const Runner& r = *t.runners[i];
            const Outcome& o = outcomes[i];
            CardReadout card;
            card.card_number = r.card_number;
            card.start.time = r.start_time;
            card.finish.time = o.finish;
            int count = std::min<int>(int(o.punches.size()), CardReadout::kMaxPunches);
            card.punch_count = count;
            for (int j = 0; j < count; ++j) card.punches[j] = o.punches[j];
            cards_to_read->push_back(card);
        }
    }

    c.rebuild_number_index();
    c.recompute_finish_results();
    c.recount_tables();
    c.modified = false;
}

}  // namespace skarvel
