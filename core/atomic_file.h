// Writing a whole file so that a crash, a full disk or a bad path never leaves the target
// half written: the bytes go to a temporary file in the target's folder, are flushed to the
// disk, and only then replace the target by a rename.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace skarvel {

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
