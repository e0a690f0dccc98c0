#include "tools/guide/guide_doc.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <cstdlib>
#include <memory>
#include <set>

#include "results/report_output.h"

namespace skarvel::guide {

namespace {

// A parsed document with the table extension (the command tables need it).
class Parsed {
  public:
    explicit Parsed(const std::string& markdown) {
        cmark_gfm_core_extensions_ensure_registered();
        parser_ = cmark_parser_new(CMARK_OPT_DEFAULT);
        if (cmark_syntax_extension* table = cmark_find_syntax_extension("table"))
            cmark_parser_attach_syntax_extension(parser_, table);
        cmark_parser_feed(parser_, markdown.data(), markdown.size());
        root_ = cmark_parser_finish(parser_);
    }
    ~Parsed() {
        cmark_node_free(root_);
        cmark_parser_free(parser_);
    }
    Parsed(const Parsed&) = delete;
    Parsed& operator=(const Parsed&) = delete;

    cmark_node* root() const { return root_; }
    std::string html() const {
        // Raw HTML in the source is the guide writers' own, so it is kept.
        char* out = cmark_render_html(root_, CMARK_OPT_DEFAULT | CMARK_OPT_UNSAFE,
                                      cmark_parser_get_syntax_extensions(parser_));
        std::string s(out ? out : "");
        std::free(out);
        return s;
    }

    template <class Visit>
    void each(Visit visit) const {
        cmark_iter* it = cmark_iter_new(root_);
        for (cmark_event_type ev; (ev = cmark_iter_next(it)) != CMARK_EVENT_DONE;)
            if (ev == CMARK_EVENT_ENTER) visit(cmark_iter_get_node(it));
        cmark_iter_free(it);
    }

  private:
    cmark_parser* parser_ = nullptr;
    cmark_node* root_ = nullptr;
};

std::string plain_text(cmark_node* node) {
    std::string out;
    for (cmark_node* c = cmark_node_first_child(node); c; c = cmark_node_next(c)) {
        if (const char* lit = cmark_node_get_literal(c)) out += lit;
        out += plain_text(c);
    }
    return out;
}

bool is_local(const std::string& url) {
    return !url.empty() && url.find("://") == std::string::npos && url[0] != '#' &&
           url.rfind("mailto:", 0) != 0;
}

}  // namespace

GuideOutline read_outline(const std::string& markdown) {
    Parsed doc(markdown);
    GuideOutline out;
    doc.each([&out](cmark_node* n) {
        const int line = cmark_node_get_start_line(n);
        switch (cmark_node_get_type(n)) {
            case CMARK_NODE_HEADING:
                out.headings.push_back({cmark_node_get_heading_level(n), plain_text(n), line});
                break;
            case CMARK_NODE_CODE_BLOCK: {
                const char* info = cmark_node_get_fence_info(n);
                const char* text = cmark_node_get_literal(n);
                out.blocks.push_back({info ? info : "", text ? text : "", line});
                break;
            }
            case CMARK_NODE_IMAGE:
            case CMARK_NODE_LINK: {
                const char* url = cmark_node_get_url(n);
                if (url && is_local(url))
                    out.files.push_back({url, line, cmark_node_get_type(n) == CMARK_NODE_IMAGE});
                break;
            }
            default:
                break;
        }
    });
    return out;
}

std::string guide_html(const std::string& markdown, const std::string& language) {
    Parsed doc(markdown);
    // Anchors for the chapters, and the list of chapters after the title.
    std::vector<std::pair<std::string, std::string>> chapters;  // anchor, text
    cmark_node* title = nullptr;
    std::vector<cmark_node*> headings;
    doc.each([&](cmark_node* n) {
        if (cmark_node_get_type(n) != CMARK_NODE_HEADING) return;
        if (cmark_node_get_heading_level(n) == 1 && !title) title = n;
        if (cmark_node_get_heading_level(n) == 2) headings.push_back(n);
    });
    for (cmark_node* h : headings) {
        const std::string anchor = "c" + std::to_string(chapters.size() + 1);
        chapters.push_back({anchor, plain_text(h)});
        cmark_node* a = cmark_node_new(CMARK_NODE_HTML_INLINE);
        cmark_node_set_literal(a, ("<a id=\"" + anchor + "\"></a>").c_str());
        cmark_node_prepend_child(h, a);
    }
    if (title && !chapters.empty()) {
        std::string toc = "<ul class=\"contents\">\n";
        for (const auto& [anchor, text] : chapters)
            toc += "<li><a href=\"#" + anchor + "\">" + html_escape(text) + "</a></li>\n";
        toc += "</ul>\n";
        cmark_node* block = cmark_node_new(CMARK_NODE_HTML_BLOCK);
        cmark_node_set_literal(block, toc.c_str());
        cmark_node_insert_after(title, block);
    }
    const std::string title_text = title ? plain_text(title) : std::string("Skarvel");
    return "<!DOCTYPE html>\n<html lang=\"" + language +
           "\"><head><meta charset=\"utf-8\"><title>" + html_escape(title_text) +
           "</title>\n<style>body{font-family:sans-serif;max-width:56em;margin:2em auto;"
           "padding:0 1em;line-height:1.45}\n"
           "code,pre{font-family:monospace;background:#f4f4f4}pre{padding:.5em;overflow-x:auto}\n"
           "table{border-collapse:collapse;margin:.5em 0}td,th{border:1px solid #bbb;"
           "padding:.2em .5em;text-align:left;vertical-align:top}\n"
           "img{max-width:100%;border:1px solid #ddd}ul.contents{columns:2}</style></head>\n"
           "<body>\n" +
           doc.html() + "</body></html>\n";
}

std::string base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4 + bytes.size() / 57 * 2 + 2);
    std::size_t in_line = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < 3; ++k)
            v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kDigits[(v >> (18 - 6 * k)) & 63] : '=';
        // 76 characters a line, as MIME asks.
        if (++in_line == 19) {
            out += "\r\n";
            in_line = 0;
        }
    }
    if (in_line != 0) out += "\r\n";
    return out;
}

std::string web_archive(const std::string& html, const std::string& title,
                        const std::function<bool(const std::string&, std::string&)>& read) {
    const std::string boundary = "----=_skarvel_guide";
    std::string out = "From: <Skarvel>\r\nSubject: " + title +
                      "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/related; "
                      "type=\"text/html\"; boundary=\"" +
                      boundary + "\"\r\n\r\nThis is a multi-part message in MIME format.\r\n";
    auto part = [&](const std::string& type, const std::string& location,
                    const std::string& bytes) {
        out += "\r\n--" + boundary + "\r\nContent-Type: " + type +
               "\r\nContent-Transfer-Encoding: base64\r\nContent-Location: file:///" + location +
               "\r\n\r\n" + base64(bytes);
    };
    part("text/html; charset=\"utf-8\"", "skarvel.htm", html);
    // The files the page names, each once, under the name it uses (relative to the page).
    std::set<std::string> done;
    for (const char* attr : {"src=\"", "href=\""}) {
        const std::string key = attr;
        for (std::size_t at = html.find(key); at != std::string::npos;
             at = html.find(key, at + 1)) {
            const std::size_t begin = at + key.size();
            const std::size_t end = html.find('"', begin);
            if (end == std::string::npos) break;
            const std::string url = html.substr(begin, end - begin);
            if (!is_local(url) || !done.insert(url).second) continue;
            std::string bytes;
            if (!read(url, bytes)) continue;
            const bool png = url.size() > 4 && url.compare(url.size() - 4, 4, ".png") == 0;
            part(png ? "image/png" : "application/octet-stream", url, bytes);
        }
    }
    out += "\r\n--" + boundary + "--\r\n";
    return out;
}

}  // namespace skarvel::guide
