#include "punch/transponder_files.h"

#include <optional>

#include "core/file_io.h"
#include "core/finish_results.h"
#include "core/text_format.h"
#include "core/text_lines.h"
#include "core/time_text.h"

namespace skarvel {

namespace {

bool is_space(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\v' || ch == '\f';
}

bool is_blank(std::string_view line) {
    for (char ch : line)
        if (!is_space(ch)) return false;
    return true;
}

// Each line's first kTransponderFileLineChars characters (read_text_lines cuts files so; a
// text given directly is cut the same way).
template <class F>
void for_each_bounded_line(std::string_view text, F&& f) {
    std::size_t lines = 0;
    for_each_line(text, [&](std::string_view line) {
        if (lines++ >= kTransponderFileLines) return;
        f(line.substr(0, kTransponderFileLineChars));
    });
}

void tell_unknown(Prompts& prompts, const TransponderImportCounts& n, Txt one, bool number) {
    const LanguageTable& lang = prompts.lang();
    int shown = 0;
    for (const std::string& key : n.unknown_keys) {
        if (shown++ == kTransponderMessagesShown) {
            prompts.message(strf_view(lang.text(Txt::kAmbMoreNotAssigned),
                                      int(n.unknown_keys.size()) - kTransponderMessagesShown));
            break;
        }
        if (number)
            prompts.message(strf_view(lang.text(one), std::stoi(key)));
        else
            prompts.message(strf_view(lang.text(one), key.c_str()));
    }
}

std::optional<std::string> choose_file(Prompts& prompts) {
    return prompts.choose_open_file_named(prompts.text(Txt::kAmbFileFilter), "", "txt",
                                          prompts.text(Txt::kCmdAmbImportNumbers));
}

}  // namespace

TransponderImportCounts import_transponder_codes(Competition& c, std::string_view text) {
    c.rebuild_number_index();
    TransponderImportCounts n;
    for_each_bounded_line(text, [&](std::string_view line) {
        std::size_t i = 0;
        while (i < line.size() && is_space(line[i])) ++i;
        bool negative = false;
        if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
        long long number = 0;
        std::size_t digits = i;
        for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
            if (number < 1'000'000) number = number * 10 + (line[i] - '0');
        digits = i - digits;
        while (i < line.size() && is_space(line[i])) ++i;
        std::size_t j = i;
        while (j < line.size() && !is_space(line[j])) ++j;
        if (digits == 0 || j == i) {
            if (!is_blank(line)) ++n.unreadable;
            return;
        }
        if (negative) number = -number;
        if (number < 1 || number >= kNumberIndexSize) {
            ++n.bad_number;
            return;
        }
        Runner* r = c.runner_by_number(static_cast<int>(number));
        if (!r) {
            ++n.unknown;
            n.unknown_keys.push_back(std::to_string(number));
            return;
        }
        set_field_text(r->comment, line.substr(i, j - i));
        ++n.taken;
    });
    return n;
}

TransponderImportCounts import_decoder_times(Competition& c, std::string_view text,
                                             DecoderFileKind kind) {
    TransponderImportCounts n;
    auto& runners = c.tables.runners;
    if (kind == DecoderFileKind::kFinish)
        for (int i = 0; i < runners.used_end(); ++i)
            if (Runner* r = runners[i]) r->finish_time = 0;
    for_each_bounded_line(text, [&](std::string_view line) {
        // The code, one character, then the time.
        constexpr std::size_t kTimeAt = 8;
        std::string_view time_text =
            line.size() > kTimeAt ? line.substr(kTimeAt) : std::string_view();
        bool has_digit = false;
        for (char ch : time_text) has_digit = has_digit || (ch >= '0' && ch <= '9');
        const std::int64_t time = has_digit ? parse_time_text_wide(time_text) : -1;
        if (time < 0 || time >= kDay) {
            if (!is_blank(line)) ++n.unreadable;
            return;
        }
        const std::string_view code = line.substr(0, 7);
        Runner* owner = nullptr;
        for (int i = 0; i < runners.used_end() && !owner; ++i)
            if (Runner* r = runners[i]; r && field_text(r->comment) == code) owner = r;
        if (owner) {
            ++n.taken;
        } else {
            ++n.unknown;
            n.unknown_keys.emplace_back(code);
        }
        if (kind == DecoderFileKind::kStart) {
            if (owner) owner->start_time = static_cast<std::int32_t>(time);
            return;
        }
        if (owner) owner->finish_time = static_cast<std::int32_t>(time);
        const int slot = c.new_record(kFinishLines);
        if (slot == kNoSlot) {
            ++n.lines_full;
            return;
        }
        FinishLine& fl = *c.tables.finish_lines[slot];
        fl.start_number = static_cast<std::int16_t>(owner ? owner->start_number : 0);
        fl.time_word = static_cast<std::uint32_t>(time);
    });
    finish_data_changed(c);
    return n;
}

int clear_transponder_codes(Competition& c) {
    int cleared = 0;
    auto& runners = c.tables.runners;
    for (int i = 0; i < runners.used_end(); ++i) {
        Runner* r = runners[i];
        if (!r) continue;
        if (r->comment[0] != 0) ++cleared;
        set_field_text(r->comment, "");
    }
    return cleared;
}

bool import_transponder_codes_file(Competition& c, const std::string& path,
                                   TransponderImportCounts& counts, int* error) {
    std::string text;
    if (!read_text_lines(path, kTransponderFileLineChars, kTransponderFileLines, text, error))
        return false;
    counts = import_transponder_codes(c, text);
    return true;
}

bool import_decoder_times_file(Competition& c, const std::string& path, DecoderFileKind kind,
                               TransponderImportCounts& counts, int* error) {
    std::string text;
    if (!read_text_lines(path, kTransponderFileLineChars, kTransponderFileLines, text, error))
        return false;
    counts = import_decoder_times(c, text, kind);
    return true;
}

std::string transponder_codes_summary(const LanguageTable& lang, const TransponderImportCounts& n) {
    return strf_view(lang.text(Txt::kAmbCodesImported), n.taken, n.unknown, n.bad_number,
                     n.unreadable);
}

std::string decoder_times_summary(const LanguageTable& lang, const TransponderImportCounts& n) {
    std::string s = strf_view(lang.text(Txt::kAmbTimesImported), n.taken, n.unknown, n.unreadable);
    return s;
}

bool run_import_transponder_codes(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no(prompts.text(Txt::kAmbImportAsk))) return false;
    std::optional<std::string> path = choose_file(prompts);
    if (!path) return false;
    TransponderImportCounts n;
    if (!import_transponder_codes_file(c, *path, n)) {
        prompts.message(prompts.text(Txt::kTextFileCannotRead));
        return false;
    }
    tell_unknown(prompts, n, Txt::kAmbNumberNotAssigned, true);
    if (n.bad_number > 0 || n.unreadable > 0)
        prompts.message(transponder_codes_summary(prompts.lang(), n));
    return true;
}

bool run_import_decoder_times(Competition& c, Prompts& prompts, DecoderFileKind kind) {
    const Txt ask = kind == DecoderFileKind::kFinish ? Txt::kAmbFinishAsk : Txt::kAmbStartAsk;
    if (!prompts.ask_yes_no(prompts.text(ask))) return false;
    std::optional<std::string> path = choose_file(prompts);
    if (!path) return false;
    TransponderImportCounts n;
    if (!import_decoder_times_file(c, *path, kind, n)) {
        prompts.message(prompts.text(Txt::kTextFileCannotRead));
        return false;
    }
    tell_unknown(prompts, n, Txt::kAmbChipNotAssigned, false);
    if (n.unreadable > 0) prompts.message(decoder_times_summary(prompts.lang(), n));
    if (n.lines_full > 0) prompts.message(prompts.text(Txt::kNoMemoryForFinish));
    return true;
}

bool run_clear_transponder_codes(Competition& c, Prompts& prompts) {
    if (!prompts.ask_yes_no_captioned(prompts.text(Txt::kAmbClearAsk),
                                      prompts.text(Txt::kAttention)))
        return false;
    clear_transponder_codes(c);
    return true;
}

}  // namespace skarvel
