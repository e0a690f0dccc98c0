// skarvel-cli personalise --port DEVICE --form FORM.json [--fast]
// Writes the personal data of a form into the card in the station, reads it back and says
// whether the card holds it. FORM.json holds the form's fields (UTF-8); a missing key keeps the
// form's sample value.
#include <cstdio>
#include <string>
#include <vector>

#include "punch/extended_link.h"
#include "punch/personal_data.h"
#include "tools/cli/cli.h"
#include "tools/cli/serial_session.h"

#ifdef SKARVEL_CLI_HAS_QT
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#endif

namespace skarvel::cli {
namespace {

constexpr const char* kUsage = "personalise --port DEVICE --form FORM.json [--fast]";

#ifdef SKARVEL_CLI_HAS_QT

// Reads the form's fields from the JSON object; false and `why` on a wrong value.
bool form_from_json(const QJsonObject& o, PersonalForm& f, std::string& why) {
    auto text = [&](const char* key, std::string& out, int max) {
        if (!o.contains(QLatin1String(key))) return true;
        QJsonValue v = o.value(QLatin1String(key));
        if (!v.isString()) {
            why = std::string(key) + " is not a text";
            return false;
        }
        QString s = v.toString();
        std::string utf8 = s.toStdString();
        std::string cp = utf8_to_cp1251(utf8);
        if (cp1251_to_utf8(cp) != utf8) {
            why = std::string(key) + " holds characters outside Windows-1251";
            return false;
        }
        if (s.size() > max) {
            why = std::string(key) + " is longer than " + std::to_string(max) + " characters";
            return false;
        }
        out = cp;
        return true;
    };
    auto number = [&](const QJsonObject& in, const char* key, int& out, int lo, int hi,
                      const std::string& where) {
        if (!in.contains(QLatin1String(key))) return true;
        QJsonValue v = in.value(QLatin1String(key));
        double d = v.toDouble(-1e18);
        if (!v.isDouble() || d != static_cast<double>(static_cast<long long>(d)) || d < lo ||
            d > hi) {
            why = where + key + " is not a number in " + std::to_string(lo) + ".." +
                  std::to_string(hi);
            return false;
        }
        out = static_cast<int>(d);
        return true;
    };
    auto date = [&](const char* key, CardDate& out) {
        if (!o.contains(QLatin1String(key))) return true;
        if (!o.value(QLatin1String(key)).isObject()) {
            why = std::string(key) + " is not {\"day\", \"month\", \"year\"}";
            return false;
        }
        QJsonObject d = o.value(QLatin1String(key)).toObject();
        std::string where = std::string(key) + ".";
        return number(d, "day", out.day, 1, 31, where) &&
               number(d, "month", out.month, 1, 12, where) &&
               number(d, "year", out.year, 1, 9999, where);
    };
    if (!text("russian_surname", f.russian_surname, kPersonalNameMax) ||
        !text("russian_first_name", f.russian_first_name, kPersonalNameMax) ||
        !text("russian_patronymic", f.russian_patronymic, kPersonalNameMax) ||
        !text("latin_surname", f.latin_surname, kPersonalNameMax) ||
        !text("latin_first_name", f.latin_first_name, kPersonalNameMax) ||
        !text("country", f.country, kPersonalCountryMax) ||
        !text("city", f.city, kPersonalCityMax) || !text("club", f.club, kPersonalClubMax) ||
        !text("phone", f.phone, 20) || !number(o, "region", f.region, 0, kPersonalRegionMax, "") ||
        !number(o, "second_card_number", f.second_card_number, 0, kSecondCardMax, "") ||
        !date("date_of_birth", f.date_of_birth) || !date("insurance_end", f.insurance_end))
        return false;
    if (o.contains(QLatin1String("sex"))) {
        QString sex = o.value(QLatin1String("sex")).toString();
        if (sex != QLatin1String("M") && sex != QLatin1String("F")) {
            why = "sex is \"M\" or \"F\"";
            return false;
        }
        f.female = sex == QLatin1String("F");
    }
    return true;
}

#endif

}  // namespace
}  // namespace skarvel::cli

int cmd_personalise(const std::vector<std::string>& args) {
    using namespace skarvel;
    using namespace skarvel::cli;
    CommandArgs a;
    if (int rc = parse_command_args(args, kUsage, {"--fast"}, {"--port", "--form"}, a, 0);
        rc != kExitOk)
        return rc;
    if (!a.value("--port") || !a.value("--form")) {
        error(std::string("usage: skarvel-cli ") + kUsage);
        return kExitUsage;
    }
    const std::string device = *a.value("--port");
    const std::string form_path = *a.value("--form");
    const bool fast = a.has("--fast");
#ifndef SKARVEL_CLI_HAS_QT
    (void)fast;
    return no_serial_support("personalise");
#else
    QFile file(QString::fromStdString(form_path));
    if (!file.open(QIODevice::ReadOnly)) {
        error("personalise: cannot read " + form_path);
        return kExitInput;
    }
    QJsonParseError parse_error;
    QJsonDocument doc = QJsonDocument::fromJson(file.read(1 << 16), &parse_error);
    if (doc.isNull() || !doc.isObject()) {
        error("personalise: " + form_path +
              " is not a JSON object: " + parse_error.errorString().toStdString());
        return kExitInput;
    }
    PersonalForm form;
    std::string why;
    if (!form_from_json(doc.object(), form, why)) {
        error("personalise: " + form_path + ": " + why);
        return kExitInput;
    }

    SerialSession session;
    if (!session.open("personalise", device, fast ? 38400 : 4800)) return kExitInput;
    StationLinkTiming timing;
    timing.byte_timeout_ms = kPersonaliseByteTimeoutMs;
    StationLink link(session.port(), timing);
    session.stop_on_interrupt(link);
    // The extended protocol has no card writes: such a station is left as it is.
    PersonaliseResult r;
    if (start_station(link, fast ? 38400 : 4800).extended())
        r.kind = PersonaliseResult::Kind::kExtendedProtocol;
    else
        r = write_personal_data(link, build_personal_block(form));
    session.end();
    if (r.kind == PersonaliseResult::Kind::kStopped) {
        error("personalise: interrupted; the card may hold part of the data");
        return kExitInput;
    }
    const LanguageTable& english = english_texts();
    error_cp1251(personalise_message(r, english));
    return r.kind == PersonaliseResult::Kind::kDone ? kExitOk : kExitInput;
#endif
}
