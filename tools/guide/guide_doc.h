// The user guide's source (Markdown, one file per language under docs/) read once for two
// uses: the F1 file the desktop program opens (a web archive, .mht, with every picture inside)
// and the guide's check (the command lines it shows, the pictures it names).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace skarvel::guide {

struct CodeBlock {
    std::string info;  // what follows the opening fence: "sh", "sh db", "text", ...
    std::string text;
    int line = 0;  // of the opening fence, from 1
};

struct FileRef {
    std::string url;  // as written, relative to the guide's folder
    int line = 0;
    bool image = false;
};

struct Heading {
    int level = 0;
    std::string text;
    int line = 0;
};

struct GuideOutline {
    std::vector<Heading> headings;
    std::vector<CodeBlock> blocks;
    std::vector<FileRef> files;  // pictures and links to files beside the guide (no web links)
};

GuideOutline read_outline(const std::string& markdown);

// The guide as one HTML page (UTF-8): the first heading is the title, a list of the chapters
// (second-level headings) with links follows it.
std::string guide_html(const std::string& markdown, const std::string& language);

// A web archive (MIME multipart/related, as browsers save "web page, single file") of `html`,
// with each file it names in src= or href= that `read(url, bytes)` finds stored as a part.
std::string web_archive(
    const std::string& html, const std::string& title,
    const std::function<bool(const std::string& url, std::string& bytes)>& read);

std::string base64(const std::string& bytes);

}  // namespace skarvel::guide
