// Adds records to a table in its first empty slots, as Table::new_record does, but walks the
// table once for a whole import instead of once per record (new_record searches from slot 0
// every time, which makes a bulk import quadratic).
#pragma once

#include <memory>

#include "core/record_tables.h"

namespace skarvel {

template <class R>
class Appender {
  public:
    explicit Appender(Table<R>& table) : table_(table) {}
    // The free slots from here on: what an import may still add.
    int room() const {
        int n = 0;
        for (int i = next_; i < table_.capacity(); ++i) n += table_[i] == nullptr;
        return n;
    }
    // The new zero-filled record and its slot (the caller has checked that it fits).
    R* add(int* slot = nullptr) {
        while (next_ < table_.capacity() && table_[next_]) ++next_;
        table_.slot(next_) = std::make_unique<R>();
        if (slot) *slot = next_;
        return table_[next_++];
    }

  private:
    Table<R>& table_;
    int next_ = 0;
};

}  // namespace skarvel
