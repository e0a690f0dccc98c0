#include "shared/identity.h"

#include <unistd.h>

#include <random>

namespace skarvel::shared {

std::string new_origin_id() {
    std::random_device rd;
    static const char digits[] = "0123456789abcdef";
    std::string id;
    for (int i = 0; i < 8; ++i) {
        unsigned v = rd();
        for (int k = 0; k < 4; ++k) id += digits[(v >> (4 * k)) & 0xF];
    }
    return id;
}

std::string host_name() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    return buf;
}

}  // namespace skarvel::shared
