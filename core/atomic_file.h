// Writing a whole file so that a crash, a full disk or a bad path never leaves the target
// half written: the bytes go to a temporary file in the target's folder, are flushed to the
// disk, and only then replace the target by a rename.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace skarvel {

// A file written in pieces that replaces its target only when whole: the bytes go to a
// temporary file in the target's folder; commit() flushes it to the disk and renames it over
// the target. A write that fails (a full disk) is remembered and fails the commit; an object
// that ends without a commit removes the temporary file. The target is untouched until the
// rename, so a failed or abandoned write keeps the last good file.
class AtomicFile {
  public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile() { discard(); }

    // Creates the temporary file for `path` (UTF-8). False (and `error`: the errno value)
    // when it cannot be created or the target is a folder.
    bool open(const std::string& path, int* error = nullptr);
    bool is_open() const { return open_; }
    // Appends bytes; false once anything failed.
    bool write(const void* data, std::size_t size);
    bool failed() const { return error_ != 0; }
    // The temporary file, for a writer that writes it by name itself (the PDF printer).
    const std::string& temp_path() const { return temp_; }
    const std::string& path() const { return target_; }
    // Flushes to the disk and replaces the target; false (`error` set, target untouched) when
    // anything failed.
    bool commit(int* error = nullptr);
    // Removes the temporary file; the target stays as it was.
    void discard();

  private:
    std::string target_, temp_;
    bool open_ = false;
    int error_ = 0;
#ifdef _WIN32
    void* file_ = nullptr;  // std::FILE*
#else
    int fd_ = -1;
#endif
};

// Writes `size` bytes to `path` atomically. On failure the old file (if any) is untouched, the
// temporary file is removed and `error` (if given) holds the errno value that says why (the
// caller words the message, see platform/file_messages.h). `path` is UTF-8.
bool write_file_atomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                           int* error = nullptr);

// Reads at most `limit` bytes of a file named in UTF-8. False when the file cannot be opened
// or read (`error`: the errno value).
bool read_file_bytes(const std::string& path, std::size_t limit, std::string& bytes,
                     int* error = nullptr);

}  // namespace skarvel
