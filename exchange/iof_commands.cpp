#include "exchange/iof_commands.h"

#include "core/atomic_file.h"
#include "core/text_format.h"

namespace skarvel {

bool run_iof_import(Competition& c, Prompts& prompts, const LanguageTable& lang,
                    IofImportKind kind) {
    auto path = prompts.choose_open_file(lang.text(Txt::kIofFileFilter));
    if (!path) return false;
    std::string bytes;
    if (!read_file_bytes(*path, kIofMaxFileBytes + 1, bytes)) {
        prompts.message(lang.text(Txt::kIofCannotRead));
        return false;
    }
    // Times written with a zone are read in the competition's: ask which (this computer's
    // proposed).
    IofImportOptions options;
    if ((kind == IofImportKind::kStart || kind == IofImportKind::kResults) &&
        iof_has_zoned_times(bytes)) {
        std::string proposed = utc_offset_text(machine_utc_offset_minutes());
        for (;;) {
            auto answer = prompts.ask_text(lang.text(Txt::kIofZonePrompt), proposed);
            if (!answer) return false;
            int minutes = 0;
            if (parse_utc_offset(*answer, minutes)) {
                options.utc_offset_minutes = minutes;
                break;
            }
            prompts.message(strf_view(lang.text(Txt::kIofBadZone), answer->c_str()));
            proposed = *answer;
        }
    }
    IofImportReport r = iof_import_text(c, kind, bytes, lang, options);
    prompts.message(r.message);
    return r.ok;
}

bool run_iof_export(Competition& c, Prompts& prompts, const LanguageTable& lang,
                    IofExportKind kind) {
    static constexpr const char* kSuggested[] = {"results.xml", "startlist.xml", "entries.xml",
                                                 "courses.xml"};
    auto path = prompts.choose_save_file(lang.text(Txt::kIofFileFilter),
                                         kSuggested[static_cast<int>(kind)]);
    if (!path) return false;
    IofExportReport r = iof_export_file(c, kind, *path, IofExportOptions{}, lang);
    if (!r.ok) {
        prompts.message(r.error);
        return false;
    }
    char buf[1024];
    std::snprintf(buf, sizeof buf, std::string(lang.text(Txt::kIofExported)).c_str(), path->c_str(),
                  r.persons);
    prompts.message(buf);
    return true;
}

}  // namespace skarvel
