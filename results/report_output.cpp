#include "results/report_output.h"

#include <algorithm>
#include <cstdio>

#include "core/cp1251.h"
#include "core/file_io.h"
#include "core/records.h"
#include "platform/file_messages.h"

namespace skarvel {

using namespace literals;

std::unique_ptr<PageDevice> open_printer_report(ReportEnv& env, std::string_view document_name,
                                                PageOrientation orientation) {
    std::string error;
    auto dev = env.printers.open_document(document_name, error, orientation);
    if (!dev && !error.empty()) env.prompts.message(error);
    return dev;
}

// --- fitting the page ---

PageFont fit_to_page(PageFont font, std::size_t chars, double x_mm) {
    constexpr double kMmPerInch = 25.4;
    const double room = kPageWidthMm - x_mm;
    if (chars == 0 || room <= 0) return font;
    const double widest_inch = room / (static_cast<double>(chars) * kFixedAdvanceEm * kMmPerInch);
    if (font.height_inch > widest_inch) font.height_inch = widest_inch;
    return font;
}

void select_fitting_font(PageDevice& dev, ReportFont font, std::size_t widest_chars, double x_mm) {
    const PageFont wanted = report_page_font(font);
    const PageFont fitted = fit_to_page(wanted, widest_chars, x_mm);
    if (fitted == wanted)
        dev.set_font(font);
    else
        dev.set_custom_font(fitted);
}

// --- sectioned pages ---

void SectionedPrinter::begin_section(std::string title, std::string header, int line_count) {
    title_ = std::move(title);
    header_ = std::move(header);
    count_ = line_count;
    lines_.clear();
    widest_ = header_.size();
    pos_ = 0;
    page_open_ = false;
    y_ = kFirstLineY;
}

void SectionedPrinter::body_font() {
    select_fitting_font(dev_, ReportFont::Body, widest_, kHeaderX);
}

void SectionedPrinter::start_page() {
    dev_.begin_page();
    ++pages_;
    dev_.set_font(ReportFont::Title);
    dev_.text_at(kTitleX, kTitleY, title_);
    dev_.rule_at(kTitleRuleY);
    dev_.set_font(ReportFont::Body);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %d/%d", std::string("Лист"_cp1251).c_str(),
                  pos_ / kLinesPerPage + 1, count_ / kLinesPerPage + 1);
    dev_.text_at(kCounterX, kCounterY, buf);
    body_font();
    dev_.text_at(kHeaderX, kHeaderY, header_);
    y_ = kFirstLineY;
    page_open_ = true;
}

void SectionedPrinter::line(std::string_view text) {
    widest_ = std::max(widest_, text.size());
    lines_.emplace_back(std::string(text));
}

void SectionedPrinter::skip() {
    lines_.emplace_back(std::nullopt);
}

void SectionedPrinter::end_section(const std::vector<std::string>& footer) {
    for (const auto& f : footer) widest_ = std::max(widest_, f.size());
    for (const auto& text : lines_) {
        if (text) {
            if (!page_open_) start_page();
            dev_.text_at(kHeaderX, y_, *text);
            y_ += kLineStep;
        }
        if (page_open_ && pos_ % kLinesPerPage == kLinesPerPage - 1) {
            dev_.end_page();
            page_open_ = false;
        }
        ++pos_;
    }
    lines_.clear();
    if (!page_open_) start_page();
    dev_.rule_at(y_);
    body_font();
    double y = y_;
    for (const auto& f : footer) {
        dev_.text_at(kHeaderX, y, f);
        y += kLineStep;
    }
    dev_.end_page();
    page_open_ = false;
}

bool end_printer_report(ReportEnv& env, PageDevice& dev, bool printed) {
    dev.end_document();
    if (!printed || dev.ok()) return true;
    env.prompts.message(env.prompts.text(Txt::kPrinterFailed));
    return false;
}

// --- files ---

std::unique_ptr<ReportFile> ReportFile::create(const std::string& path, int* error) {
    std::unique_ptr<ReportFile> f(new ReportFile);
    if (!f->file_.open(path, error)) return nullptr;
    return f;
}

void ReportFile::write(std::string_view bytes) {
    if (!bytes.empty()) file_.write(bytes.data(), bytes.size());
}

bool ReportFile::close(int* error) {
    return file_.commit(error);
}

std::string html_page_head(const CompetitionInfo& info, const HtmlHead& head) {
    std::string s;
    s += "<html><head>\r\n";
    s += "<meta content=\"text/html; charset=windows-1251\" http-equiv=\"Content-Type\">\r\n";
    s += head.title_line;
    s += "<style type=\"text/css\">\r\n";
    s += "<!--\r\n";
    s += "body {\t\tmargin-left:10;margin-top:10;}\r\n";
    s += "A:hover {color:#FF0000;}\r\n";
    s += "H1  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;"
         "color: #333366;text-align: center;}\r\n";
    s += "H2  {font-family: Arial, Helvetica, sans-serif;font-size: 12pt;font-weight: bold;"
         "color: #FF0000;text-align: left;  }\r\n";
    if (head.paragraph_style)
        s += "p, .text  {font-family: Arial, Helvetica, sans-serif;font-size: 9pt;"
             "font-weight: regular;color: #000000;text-align: justify;}\r\n";
    s += "-->\r\n</style>\r\n</head><body link=\"#00A5DE\" vlink=\"#00A5DE\">\r\n";
    s += "<h1>";
    for (const auto& line : info.title_lines) {
        std::string_view t = field_text(line);
        if (t.empty()) continue;
        s += t;
        s += "<br>\r\n";
    }
    if (std::string_view d = field_text(info.date); !d.empty()) {
        s += d;
        s += head.after_date;
    }
    if (std::string_view p = field_text(info.place); !p.empty()) {
        s += p;
        s += head.after_place;
    }
    s += head.heading;
    s += head.block_end;
    return s;
}

std::string html_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    append_html_escaped(out, text);
    return out;
}

void append_html_escaped(std::string& out, std::string_view text) {
    for (char ch : text) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += ch;
        }
    }
}

std::unique_ptr<ReportFile> open_report_file(ReportEnv& env, std::string_view filter_cp1251,
                                             std::string_view default_name_cp1251,
                                             std::string_view extension,
                                             std::string_view title_cp1251) {
    auto chosen = choose_save_path(env.prompts, env.prompts.lang(), filter_cp1251,
                                   cp1251_to_utf8(default_name_cp1251), extension, title_cp1251);
    if (!chosen) return nullptr;
    const std::string& path = *chosen;
    auto file = ReportFile::create(path);
    if (!file) env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
    return file;
}

std::unique_ptr<ReportFile> open_html_report(ReportEnv& env, std::string_view default_name_cp1251) {
    return open_report_file(env, env.prompts.text(Txt::kHtmlFilesFilter), default_name_cp1251,
                            "htm");
}

bool finish_html_report(ReportEnv& env, ReportFile& file) {
    file.write("\r\n</body>\r\n</html>\r\n");
    if (!file.close()) {
        env.prompts.message(env.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    env.shell.open_path(file.path());
    return true;
}

ReportText::ReportText(ReportEnv& env, std::string_view filter_cp1251,
                       std::string_view default_name_cp1251, std::string_view extension)
    : env_(env), file_(open_report_file(env, filter_cp1251, default_name_cp1251, extension)) {}

void ReportText::line(std::string_view text) {
    if (!file_) return;
    file_->write(text);
    file_->write("\r\n");
}

void ReportText::write(std::string_view bytes) {
    if (file_) file_->write(bytes);
}

bool ReportText::finish(bool open_with_shell) {
    if (!file_) return false;
    if (!file_->close()) {
        env_.prompts.message(env_.prompts.text(Txt::kCannotWriteFile));
        return false;
    }
    if (open_with_shell) env_.shell.open_path(file_->path());
    return true;
}

}  // namespace skarvel
