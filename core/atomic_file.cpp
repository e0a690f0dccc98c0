#include "core/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/file_io.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cwchar>
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

bool AtomicFile::open(const std::string& path, int* error) {
    namespace fs = std::filesystem;
    discard();
    error_ = 0;
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
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) {
        int err = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        set_error(error, err);
        return false;
    }
    fd_ = fd;
    target_ = path;
    temp_ = tmpl;
    open_ = true;
    return true;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (!open_ || error_ != 0) return false;
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd_, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error_ = errno != 0 ? errno : EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFile::commit(int* error) {
    if (!open_) {
        set_error(error, error_ != 0 ? error_ : EBADF);
        return false;
    }
    if (error_ == 0 && ::fsync(fd_) != 0) error_ = errno;
    if (::close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
    if (error_ == 0 && ::rename(temp_.c_str(), target_.c_str()) != 0) error_ = errno;
    if (error_ != 0) {
        int err = error_;
        discard();
        error_ = err;
        set_error(error, err);
        return false;
    }
    open_ = false;
    // Make the rename itself durable.
    std::filesystem::path dir = utf8_path(target_).parent_path();
    if (dir.empty()) dir = ".";
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (open_) ::unlink(temp_.c_str());
    open_ = false;
}

#else

bool AtomicFile::open(const std::string& path, int* error) {
    namespace fs = std::filesystem;
    discard();
    error_ = 0;
    if (path.empty()) {
        set_error(error, ENOENT);
        return false;
    }
    fs::path target = utf8_path(path);
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        set_error(error, EISDIR);
        return false;
    }
    // A temporary name of our own, made exclusively: a user's file of any name is never
    // overwritten or removed. (Shared for reading and writing: a printer may write it by name.)
    fs::path tmp;
    int fd = -1;
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        unsigned salt = unsigned(GetCurrentProcessId()) * 2654435761u ^ unsigned(GetTickCount()) ^
                        (++counter * 40503u);
        wchar_t suffix[32];
        std::swprintf(suffix, 32, L".tmp%06x", salt & 0xFFFFFFu);
        tmp = target;
        tmp += suffix;
        if (_wsopen_s(&fd, tmp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _SH_DENYNO,
                      _S_IREAD | _S_IWRITE) != 0) {
            fd = -1;
            if (errno != EEXIST) {
                set_error(error, errno);
                return false;
            }
        }
    }
    if (fd < 0) {
        set_error(error, EEXIST);
        return false;
    }
    std::FILE* f = _fdopen(fd, "wb");
    if (!f) {
        int err = errno;
        _close(fd);
        _wremove(tmp.c_str());
        set_error(error, err);
        return false;
    }
    file_ = f;
    target_ = path;
    std::u8string u8 = tmp.u8string();
    temp_.assign(u8.begin(), u8.end());
    open_ = true;
    return true;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (!open_ || error_ != 0) return false;
    if (std::fwrite(data, 1, size, static_cast<std::FILE*>(file_)) != size) {
        error_ = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

bool AtomicFile::commit(int* error) {
    if (!open_) {
        set_error(error, error_ != 0 ? error_ : EBADF);
        return false;
    }
    auto* f = static_cast<std::FILE*>(file_);
    if (error_ == 0 && (std::fflush(f) != 0 || _commit(_fileno(f)) != 0)) error_ = errno;
    if (std::fclose(f) != 0 && error_ == 0) error_ = errno;
    file_ = nullptr;
    // Replaces the target, on the disk before it returns.
    if (error_ == 0 && !MoveFileExW(utf8_path(temp_).c_str(), utf8_path(target_).c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error_ = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    if (error_ != 0) {
        int err = error_;
        discard();
        error_ = err;
        set_error(error, err);
        return false;
    }
    open_ = false;
    return true;
}

void AtomicFile::discard() {
    if (file_) std::fclose(static_cast<std::FILE*>(file_));
    file_ = nullptr;
    if (open_) {
        std::error_code ec;
        std::filesystem::remove(utf8_path(temp_), ec);
    }
    open_ = false;
}

#endif

bool write_file_atomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                           int* error) {
    AtomicFile file;
    if (!file.open(path, error)) return false;
    if (!file.write(data, size)) {
        file.commit(error);  // says why, and removes the temporary file
        return false;
    }
    return file.commit(error);
}

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
