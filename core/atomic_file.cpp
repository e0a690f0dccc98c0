#include "core/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/file_io.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace skarvel {

namespace {

void set_error(int* error, int err) {
    if (error) *error = err != 0 ? err : EIO;
}

}  // namespace

#ifndef _WIN32

bool write_file_atomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                           int* error) {
    namespace fs = std::filesystem;
    if (path.empty()) {
        set_error(error, ENOENT);
        return false;
    }
    fs::path target = utf8_path(path);
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    // An existing directory at the target is not a file we may replace.
    struct stat st {};
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        set_error(error, EISDIR);
        return false;
    }
    std::string tmpl = (dir / (target.filename().string() + ".tmpXXXXXX")).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        set_error(error, errno);
        return false;
    }
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        set_error(error, err);
        return false;
    };
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) return fail(errno);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        set_error(error, err);
        return false;
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        set_error(error, err);
        return false;
    }
    // Make the rename itself durable.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

#else

bool write_file_atomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                           int* error) {
    namespace fs = std::filesystem;
    fs::path target = utf8_path(path);
    fs::path tmp = target;
    tmp += ".tmp";
    std::FILE* f = _wfopen(tmp.c_str(), L"wb");  // the temporary name is a path already
    if (!f) {
        set_error(error, errno);
        return false;
    }
    bool ok =
        std::fwrite(data, 1, size, f) == size && std::fflush(f) == 0 && _commit(_fileno(f)) == 0;
    int err = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        fs::remove(tmp);
        set_error(error, err);
        return false;
    }
    std::error_code ec;
    fs::rename(tmp, target, ec);  // replaces an existing file
    if (ec) {
        fs::remove(tmp);
        set_error(error, ec.default_error_condition().value());
        return false;
    }
    return true;
}

#endif

bool read_file_bytes(const std::string& path, std::size_t limit, std::string& bytes, int* error) {
    bytes.clear();
    FileHandle file = open_file(path, "rb", error);
    if (!file) return false;
    std::FILE* f = file.get();
    // Reserve the whole file at once when its size is known (a directory opens on some
    // systems but then fails to read).
    std::error_code ec;
    auto known = std::filesystem::file_size(utf8_path(path), ec);
    if (!ec) bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(known, limit)));
    std::size_t chunk = 1 << 20;
    bool ok = true;
    while (bytes.size() < limit) {
        std::size_t want = std::min(chunk, limit - bytes.size());
        std::size_t old = bytes.size();
        bytes.resize(old + want);
        std::size_t got = std::fread(bytes.data() + old, 1, want, f);
        bytes.resize(old + got);
        if (got < want) {
            ok = !std::ferror(f);
            break;
        }
    }
    if (!ok) set_error(error, EIO);
    return ok;
}

}  // namespace skarvel
