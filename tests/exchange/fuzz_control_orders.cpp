// libFuzzer target for the course control order reader: no input may crash it, a refused
// file changes nothing, and every course it adds holds at most 100 controls.
#include <cstdlib>
#include <memory>
#include <string_view>

#include "exchange/control_orders.h"

using namespace skarvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const LanguageTable lang;
    static auto c = std::make_unique<Competition>();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (int scale : {100, 1000}) {
        c->clear();
        ControlOrderReport r = import_control_orders(*c, text, scale, lang);
        const auto& courses = c->tables.courses;
        if (r.courses != courses.occupied_count() || (!r.ok && r.courses != 0)) std::abort();
        for (int i = 0; i < courses.used_end(); ++i)
            if (const Course* k = courses[i]; !k || k->control_count < 0 ||
                                              k->control_count > Course::kControlSlots ||
                                              k->length_m < 0 || k->climb_m < 0)
                std::abort();
    }
    return 0;
}
