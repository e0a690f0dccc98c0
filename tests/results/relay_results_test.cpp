// The relay result protocol: team order by the time key, unclean and incomplete teams, the
// leg lines byte for byte, variants, both split modes, ranks and the footer.
#include "results/relay_results.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"

using namespace skarvel;

namespace {

constexpr std::int32_t hms(int h, int m, int s) {
    return ((h * 60 + m) * 60 + s) * 100;
}

std::string w(std::string_view utf8) {
    return utf8_to_cp1251(utf8);
}

struct Relay {
    Competition c;
    Relay() {
        c.info.relay = 1;
        set_field_text(c.info.date, "01.06.2026");
        for (int i = 0; i < 9; ++i)
            set_field_text(c.info.status_short_texts[i], i == 2 ? w("СНЯТ") : "");
        Course& k = *c.tables.courses[c.new_record(kCourses)];
        k.id = 1;
        set_field_text(k.name, "D1");
        k.control_codes[0] = 31;
        k.control_codes[1] = 32;
        k.control_count = 2;
        ClassRecord& cls = *c.tables.classes[c.new_record(kClasses)];
        cls.id = 1;
        cls.course_id = 1;
        set_field_text(cls.name, "M21");
    }
    Runner& leg(int number, std::string_view name, std::int32_t start, std::int32_t finish,
                int status = 0) {
        Runner& r = *c.tables.runners[c.new_record(kRunners)];
        r.id = number;
        r.class_id = 1;
        r.start_number = static_cast<std::uint16_t>(number);
        set_field_text(r.name, w(name));
        r.start_time = start;
        r.status = static_cast<std::uint8_t>(status);
        if (finish != 0) {
            FinishLine& f = *c.tables.finish_lines[c.new_record(kFinishLines)];
            f.start_number = static_cast<std::int16_t>(number);
            f.time_word = static_cast<std::uint32_t>(finish);
        }
        return r;
    }
    std::string body(const RelayPrintSettings& s) {
        std::string page = relay_protocol_html(c, s).html;
        return page.substr(page.find("</h1>\r\n") + 7);
    }
};

TEST(RelayResults, TeamOrderAndLegLines) {
    Relay r;
    // Team 3 complete; team 4 misses its last finish; team 5 has a disqualified leg; team 2
    // complete and faster.
    r.leg(103, "Антонов", hms(10, 0, 0), hms(10, 30, 0));
    r.leg(203, "Борисов", hms(10, 0, 0), hms(11, 0, 0));
    r.leg(303, "Васильев", hms(10, 0, 0), hms(11, 30, 0));
    r.leg(104, "Григорьев", hms(10, 0, 0), hms(10, 35, 0));
    r.leg(204, "Дмитриев", hms(10, 0, 0), hms(11, 5, 0));
    r.leg(304, "Егоров", hms(10, 0, 0), 0);
    r.leg(105, "Жуков", hms(10, 0, 0), hms(10, 20, 0));
    r.leg(205, "Зайцев", hms(10, 0, 0), hms(10, 50, 0), 2);
    r.leg(102, "Иванов", hms(10, 0, 0), hms(10, 25, 0));
    r.leg(202, "Козлов", hms(10, 0, 0), hms(10, 55, 0));
    r.leg(302, "Лебедев", hms(10, 0, 0), hms(11, 20, 0));
    std::string body = r.body(RelayPrintSettings{});
    auto at = [&body](std::string_view utf8) { return body.find(w(utf8)); };
    EXPECT_LT(at("Иванов"), at("Антонов"));
    EXPECT_LT(at("Антонов"), at("Григорьев"));
    EXPECT_LT(at("Григорьев"), at("Жуков"));
    // A leg line: number, name (25), club (20), qualification (4), leg time and team time (10).
    auto line = [](int number, std::string_view name, std::string leg, std::string team) {
        std::string n = w(name);
        return "\r\n    " + std::to_string(number) + " " + n + std::string(25 - n.size(), ' ') +
               " " + std::string(20, ' ') + " " + std::string(4, ' ') +
               (leg.empty() ? "" : " " + leg + " " + team);
    };
    const std::string sp40(40, ' '), sp20(20, ' ');
    EXPECT_EQ(body, w("\r\n<h2>M21, 2 КП</h2>"
                      "\r\n<pre><b>     №  Фамилия, имя              Коллектив            Квал    "
                      "Время      Время"
                      "\r\n") +
                        std::string(62, ' ') + w("на этапе   команды</b>") + "\r\n<b>1  </b>" +
                        line(102, "Иванов", "  00:25:00", "  00:25:00") +
                        line(202, "Козлов", "  00:30:00", "  00:55:00") +
                        line(302, "Лебедев", "  00:25:00", "  01:20:00") + "\r\n<b>2  </b>" +
                        line(103, "Антонов", "  00:30:00", "  00:30:00") +
                        line(203, "Борисов", "  00:30:00", "  01:00:00") +
                        line(303, "Васильев", "  00:30:00", "  01:30:00") + "\r\n<b>3  </b>" +
                        line(104, "Григорьев", "  00:35:00", "  00:35:00") +
                        line(204, "Дмитриев", "  00:30:00", "  01:05:00") +
                        line(304, "Егоров", "", "") + "\r\n<b>4  </b>" +
                        line(105, "Жуков", "  00:20:00", std::string(10, ' ')) +
                        line(205, "Зайцев", w("      СНЯТ"), std::string(10, ' ')) +
                        w("\r\n\r\nГлавный судья     ") + sp40 + " " + sp20 +
                        w("\r\nГлавный секретарь ") + sp40 + " " + sp20 + "</pre>\r\n\r\n</html>");
    RelayPrintSettings first;
    first.first_n = 2;
    EXPECT_EQ(r.body(first).find(w("Григорьев")), std::string::npos);
}

TEST(RelayResults, KeysVariantsSplitsAndRanks) {
    Relay r;
    Runner& a = r.leg(101, "Первый", hms(10, 0, 0), hms(10, 30, 0));
    Runner& b = r.leg(201, "Второй", hms(10, 0, 0), hms(11, 0, 0));
    a.card_number = 11;
    b.card_number = 12;
    // Variant courses named by the leg numbers.
    for (auto [id, name] : {std::pair{2, "101;A"}, std::pair{3, "201;B"}}) {
        Course& k = *r.c.tables.courses[r.c.new_record(kCourses)];
        k.id = id;
        set_field_text(k.name, name);
        k.control_codes[0] = 31;
        k.control_codes[1] = 32;
    }
    auto card = [&r](int number, std::initializer_list<std::pair<int, std::int32_t>> punches) {
        CardReadout& k = *r.c.tables.card_readouts[r.c.new_record(kCardReadouts)];
        k.card_number = number;
        for (auto [code, t] : punches) {
            k.punches[k.punch_count].code = static_cast<std::uint8_t>(code);
            k.punches[k.punch_count++].time = t;
        }
    };
    card(11, {{31, hms(10, 10, 0)}, {32, hms(10, 20, 0)}});
    card(12, {{31, hms(10, 40, 0)}, {32, hms(10, 50, 0)}});
    RelayPrintSettings s;
    s.print_variant = true;
    s.splits_mode = 1;
    s.print_control_codes = true;
    auto page = [](int spaces, std::string variant, std::string legs) {
        const std::string sp40(40, ' '), sp20(20, ' ');
        return w("\r\n<h2>M21, 2 КП</h2>\r\n<pre><b>     № " + variant +
                 " Фамилия, имя              Коллектив            Квал    Время      Время\r\n") +
               std::string(spaces, ' ') + w("на этапе   команды</b>") + "\r\n<b>1  </b>" + legs +
               w("\r\n\r\nГлавный судья     ") + sp40 + " " + sp20 + w("\r\nГлавный секретарь ") +
               sp40 + " " + sp20 + "</pre>\r\n\r\n</html>";
    };
    auto leg = [](int number, std::string variant, std::string_view name, std::string times) {
        std::string n = w(name);
        n.resize(25, ' ');
        return "\r\n    " + std::to_string(number) + variant + " " + n + " " +
               std::string(20, ' ') + " " + std::string(4, ' ') + times;
    };
    // The reference runs on through the team: leg 2's first split counts from leg 1's last punch.
    EXPECT_EQ(
        r.body(s),
        page(66, " ВАР",
             leg(101, " A  ", "Первый", "   00:30:00   00:30:00  10:00( 31)  10:00( 32)") +
                 leg(201, " B  ", "Второй", "   00:30:00   01:00:00  20:00( 31)  10:00( 32)")));
    // Every punch, each from the previous one (the first from the runner's own start).
    s.splits_mode = 2;
    s.print_variant = false;
    EXPECT_EQ(r.body(s),
              page(62, "",
                   leg(101, "", "Первый", "   00:30:00   00:30:00 10:00( 31)  10:00( 32) ") +
                       leg(201, "", "Второй", "   00:30:00   01:00:00 40:00( 31)  10:00( 32) ")));

    RelayTeam team;
    team.number = 7;
    team.legs = {&a, &b};
    EXPECT_EQ(team_time_key(team), hms(11, 0, 0) + 9 * 1080000);
    b.status = 3;
    EXPECT_EQ(team_time_key(team), kUncleanTeamKey + 7);

    // Ranks asked but fewer than ten clean teams.
    RelayPrintSettings ranks;
    ranks.print_ranks = true;
    r.c.tables.classes[0]->set_ranks_allowed(true);
    EXPECT_NE(r.body(ranks).find(w("\r\n\r\nРанг не определялся")), std::string::npos);
}

// Ten clean teams of two legs: the ranks are determined over them, the first six printed.
TEST(RelayResults, RanksDetermined) {
    Relay r;
    r.c.tables.classes[0]->set_ranks_allowed(true);
    // Team times; the winner's 1:00:00 and the row of level 125.0 (100%, 118%, 136%) give the
    // limits 1:00:00, 1:10:48 and 1:21:36.
    const std::int32_t times[] = {hms(1, 0, 0),   hms(1, 5, 0),   hms(1, 10, 48), hms(1, 10, 49),
                                  hms(1, 21, 36), hms(1, 21, 37), hms(1, 30, 0),  hms(1, 31, 0),
                                  hms(1, 32, 0),  hms(1, 33, 0)};
    for (int k = 1; k <= 10; ++k) {
        // First legs "I" (25 points each), second legs without rank: 250 points over 2 legs.
        r.leg(100 + k, "A" + std::to_string(k), hms(10, 0, 0), hms(10, 30, 0)).qualification = 4;
        r.leg(200 + k, "B" + std::to_string(k), hms(10, 0, 0), hms(10, 0, 0) + times[k - 1]);
    }
    RelayPrintSettings s;
    s.print_ranks = true;
    s.first_n = 6;
    auto leg = [](int number, std::string name, const char* qual, std::string leg_time,
                  std::string team_time) {
        name.resize(25, ' ');
        return "\r\n    " + std::to_string(number) + " " + name + " " + std::string(20, ' ') + " " +
               qual + "   " + leg_time + "   " + team_time;
    };
    auto team = [&](int k, std::string team_time, std::string leg2, const char* rank) {
        std::string out = "\r\n<b>" + std::to_string(k) + "  </b>";
        out += rank ? "<b> " + std::string(82, ' ') + " " + team_time + " " + rank + "</b>"
                    : std::string("     ");
        return out + leg(100 + k, "A" + std::to_string(k), "I   ", "00:30:00", "00:30:00") +
               leg(200 + k, "B" + std::to_string(k), "    ", leg2, team_time);
    };
    const std::string sp40(40, ' '), sp20(20, ' ');
    EXPECT_EQ(
        r.body(s),
        w("\r\n<h2>M21, 2 КП</h2>"
          "\r\n<pre><b>     №  Фамилия, имя              Коллектив            Квал    "
          "Время      Время\r\n") +
            std::string(62, ' ') + w("на этапе   команды</b>") +
            team(1, "01:00:00", "00:30:00", "I   ") + team(2, "01:05:00", "00:35:00", "II  ") +
            team(3, "01:10:48", "00:40:48", "II  ") + team(4, "01:10:49", "00:40:49", "III ") +
            team(5, "01:21:36", "00:51:36", "III ") + team(6, "01:21:37", "00:51:37", nullptr) +
            w("\r\n\r\nКласс дистанции   - I   \r\nКвалификационный уровень - 125.0 баллов"
              "\r\nI      - 100%  -   1:00:00\r\nII     - 118%  -   1:10:48"
              "\r\nIII    - 136%  -   1:21:36"
              "\r\n\r\nГлавный судья     ") +
            sp40 + " " + sp20 + w("\r\nГлавный секретарь ") + sp40 + " " + sp20 +
            "</pre>\r\n\r\n</html>");

    // A team whose last leg is still running (no finish, no status) has no time and no rank.
    r.leg(111, "A11", hms(10, 0, 0), hms(10, 30, 0));
    r.leg(211, "B11", hms(10, 0, 0), 0);
    s.first_n = 0;
    EXPECT_NE(r.body(s).find("\r\n<b>11 </b>\r\n    111 A11"), std::string::npos) << r.body(s);

    // Nine clean teams: not determined.
    r.c.tables.runners[19]->status = 2;
    r.c.tables.runners[20]->status = 2;
    EXPECT_NE(r.body(s).find(w("\r\n\r\nРанг не определялся")), std::string::npos);
}

TEST(RelayResults, MoreThanElevenRunnersOfOneTeamAreReported) {
    Relay r;
    for (int leg = 1; leg <= 12; ++leg)
        r.leg(leg * 100 + 9, "Этап", hms(10, 0, 0), hms(10, leg, 0));
    std::string body = r.body(RelayPrintSettings{});
    EXPECT_NE(body.find(w("не вошли в протокол: 1209")), std::string::npos);
    std::vector<RelayTeam> teams;
    std::vector<Runner*> all;
    for (int i = 0; i < 12; ++i) all.push_back(r.c.tables.runners[i]);
    teams = relay_teams(all);
    ASSERT_EQ(teams.size(), 1u);
    EXPECT_EQ(teams[0].legs.size(), 11u);
    EXPECT_EQ(teams[0].overflow.size(), 1u);
}

}  // namespace
