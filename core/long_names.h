// Names longer than the record fields hold, kept beside the competition file: the full name of a
// class (8 characters in its record), a course (10) or a club (20), and the family and given
// name of a runner as a message split them (the record keeps "family given" in 25). The
// records keep their short form; a long name belongs to its record only while the record still
// shows the short form it was given, so a name typed over in the program wins.
//
// Stored in "<competition file>.names", UTF-8 text, one name a line (CR LF):
//   Skarvel long names 1
//   class<TAB>id<TAB>short form<TAB>full name
//   course<TAB>id<TAB>short form<TAB>full name
//   club<TAB>id<TAB>short form<TAB>full name
//   runner<TAB>id<TAB>short form<TAB>family name<TAB>given name
// Lines of another shape are skipped when read. The file is written (atomically) with every
// save of the competition file and removed when there is nothing to keep.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "core/record_tables.h"

namespace skarvel {

class Competition;

struct LongName {
    std::string shown;  // the record's name field when the name was kept (Windows-1251)
    std::string full;   // the full name; a runner's family name
    std::string given;  // a runner's given name
};

class LongNames {
  public:
    using Key = std::pair<int, std::int32_t>;  // table (kRunners .. kCourses), record id

    void set(RecordType type, std::int32_t id, LongName name) {
        names_[{type, id}] = std::move(name);
    }
    void erase(RecordType type, std::int32_t id) { names_.erase({type, id}); }
    // The long name of the record while its name field still shows `shown`; null otherwise.
    const LongName* find(RecordType type, std::int32_t id, std::string_view shown) const {
        auto it = names_.find({type, id});
        return it != names_.end() && it->second.shown == shown ? &it->second : nullptr;
    }
    const std::map<Key, LongName>& entries() const { return names_; }
    bool empty() const { return names_.empty(); }
    void clear() { names_.clear(); }

  private:
    std::map<Key, LongName> names_;
};

// The long names of the competition's live records that still show their short form, in the
// stored form above; empty when there are none.
std::string encode_long_names(const Competition& c);
// Reads the stored form into `names` (cleared first). False when the text is not a names file
// (its first line is not the header); bad lines are skipped.
bool decode_long_names(std::string_view text, LongNames& names);

// "<competition file>.names".
std::string long_names_path_for(const std::string& competition_path);
// Writes the stored form beside the competition file atomically, or removes that file when
// `encoded` is empty. False and the errno value on failure (the old file is untouched).
bool write_long_names(const std::string& competition_path, const std::string& encoded,
                      int* error = nullptr);
// Reads the file beside the competition file into c.long_names (cleared first; nothing when
// there is no such file).
void read_long_names(Competition& c, const std::string& competition_path);

}  // namespace skarvel
