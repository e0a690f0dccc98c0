// Clubs, classes and courses by id, built once for a report or a walk: the first record in
// slot order wins, as with Competition::find_*_by_id, without a walk over the whole table
// for every line.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "core/competition.h"

namespace skarvel {

class RecordLookup {
  public:
    explicit RecordLookup(const Competition& c);
    const Club* club(std::int32_t id) const { return find(clubs_, id); }
    const ClassRecord* klass(std::int32_t id) const { return find(classes_, id); }
    const Course* course(std::int32_t id) const { return find(courses_, id); }
    // The course of a class id, or null when the class or its course does not exist.
    const Course* course_of_class(std::int32_t class_id) const {
        const ClassRecord* k = klass(class_id);
        return k ? course(k->course_id) : nullptr;
    }

  private:
    template <class T>
    static const T* find(const std::unordered_map<std::int32_t, const T*>& map, std::int32_t id) {
        auto it = map.find(id);
        return it == map.end() ? nullptr : it->second;
    }
    std::unordered_map<std::int32_t, const Club*> clubs_;
    std::unordered_map<std::int32_t, const ClassRecord*> classes_;
    std::unordered_map<std::int32_t, const Course*> courses_;
};

}  // namespace skarvel
