#include "exchange/iof_commands.h"

#include "core/text_format.h"

namespace skarvel {

bool run_iof_import(Competition& c, Prompts& prompts, const LanguageTable& lang,
                    IofImportKind kind) {
    auto path = prompts.choose_open_file(lang.text(Txt::kIofFileFilter));
    if (!path) return false;
    IofImportReport r = iof_import_file(c, kind, *path, lang);
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
