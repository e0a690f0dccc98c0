#include "shared/state_dir.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "shared/identity.h"

namespace skarvel::shared {

StateDir::~StateDir() {
    if (lock_fd_ >= 0) ::close(lock_fd_);  // lets go of the lock
}

std::string StateDir::default_root() {
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x)
        return std::string(x) + "/skarvel/shared";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/skarvel/shared";
}

std::unique_ptr<StateDir> StateDir::claim(const std::string& root,
                                          const std::string& competition_id,
                                          const std::string& prefix, const std::string& origin) {
    namespace fs = std::filesystem;
    for (int n = 1; n < 100; ++n) {
        fs::path dir = fs::path(root) / competition_id / (prefix + "-" + std::to_string(n));
        std::error_code ec;
        fs::create_directories(dir, ec);
        if (ec) return nullptr;
        int fd = ::open((dir / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return nullptr;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;  // another program holds it
        }
        fs::path id_file = dir / "origin";
        std::string id;
        if (fs::exists(id_file)) {
            if (!origin.empty()) {
                ::close(fd);
                continue;  // a folder of another writer
            }
            std::ifstream in(id_file);
            std::getline(in, id);
        }
        if (id.empty()) {
            id = origin.empty() ? new_origin_id() : origin;
            std::ofstream out(id_file, std::ios::trunc);
            out << id << "\n";
            if (!out) {
                ::close(fd);
                return nullptr;
            }
        }
        auto s = std::unique_ptr<StateDir>(new StateDir);
        s->path_ = dir.string();
        s->origin_ = id;
        s->lock_fd_ = fd;
        return s;
    }
    return nullptr;
}

}  // namespace skarvel::shared
