#include "core/record_lookup.h"

namespace skarvel {

RecordLookup::RecordLookup(const Competition& c) {
    for (int i = 0; i < c.tables.clubs.capacity(); ++i)
        if (const Club* r = c.tables.clubs[i]) clubs_.emplace(r->id, r);
    for (int i = 0; i < c.tables.classes.capacity(); ++i)
        if (const ClassRecord* r = c.tables.classes[i]) classes_.emplace(r->id, r);
    for (int i = 0; i < c.tables.courses.capacity(); ++i)
        if (const Course* r = c.tables.courses[i]) courses_.emplace(r->id, r);
}

}  // namespace skarvel
