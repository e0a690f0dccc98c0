// libFuzzer target for the IOF XML importer: no input may crash it, and an input it refuses
// leaves the competition as it was.
#include <cstdlib>
#include <memory>
#include <string_view>

#include "exchange/iof_xml.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static LanguageTable lang;
    static auto c = std::make_unique<Competition>();
    std::string_view xml(reinterpret_cast<const char*>(data), size);
    for (IofImportKind kind :
         {IofImportKind::kEntries, IofImportKind::kCourses, IofImportKind::kClasses,
          IofImportKind::kStart, IofImportKind::kResults}) {
        c->clear();
        c->modified = false;
        IofImportReport r = iof_import_text(*c, kind, xml, lang);
        if (!r.ok && (c->modified || c->tables.runners.occupied_count() != 0)) std::abort();
        if (r.message.empty()) std::abort();
    }
    return 0;
}
