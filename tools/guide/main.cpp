// skarvel-guide: builds the file F1 opens from the user guide's source at build time.
//   skarvel-guide SOURCE.md LANGUAGE OUT.mht
// The pictures the guide names (relative to SOURCE.md's folder) go inside the archive.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/atomic_file.h"
#include "tools/guide/guide_doc.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: skarvel-guide SOURCE.md LANGUAGE OUT.mht\n");
        return 2;
    }
    const std::string source = argv[1], language = argv[2], target = argv[3];
    constexpr std::size_t kLimit = 64u << 20;
    std::string markdown;
    if (!skarvel::read_file_bytes(source, kLimit, markdown)) {
        std::fprintf(stderr, "skarvel-guide: cannot read %s\n", source.c_str());
        return 1;
    }
    const std::size_t slash = source.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : source.substr(0, slash);
    const std::string html = skarvel::guide::guide_html(markdown, language);
    int missing = 0;
    const std::string archive = skarvel::guide::web_archive(
        html, "Skarvel", [&](const std::string& url, std::string& bytes) {
            if (skarvel::read_file_bytes(folder + "/" + url, kLimit, bytes)) return true;
            std::fprintf(stderr, "skarvel-guide: %s names %s, which is missing\n", source.c_str(),
                         url.c_str());
            ++missing;
            return false;
        });
    if (missing != 0) return 1;
    int error = 0;
    if (!skarvel::write_file_atomically(target,
                                        reinterpret_cast<const std::uint8_t*>(archive.data()),
                                        archive.size(), &error)) {
        std::fprintf(stderr, "skarvel-guide: %s: %s\n", target.c_str(), std::strerror(error));
        return 1;
    }
    return 0;
}
