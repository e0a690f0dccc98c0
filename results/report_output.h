// The report channels every list of the program goes through: the printer (a PageDevice in a
// started document), an HTML file opened in the browser when complete, and a plain text file.
// They share one page geometry, one page head and one set of failure messages.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/atomic_file.h"
#include "core/competition_info.h"
#include "core/prompts.h"
#include "platform/page_device.h"

namespace skarvel {

// What a report needs from the outside world; the desktop program passes its message boxes,
// printer and shell, tests pass scripted and recording ones.
struct ReportEnv {
    Prompts& prompts;
    PrinterProvider& printers;
    ShellOpener& shell;
};

// --- printer channel ---

// A device in a started document named `document_name`; on failure the message
// ("GetPrinterDeviceDefaults = 0", "CreatePrinterDC = 0") has been shown and null returned.
std::unique_ptr<PageDevice> open_printer_report(
    ReportEnv& env, std::string_view document_name,
    PageOrientation orientation = PageOrientation::kPortrait);
// Ends the printed document and checks that the device took all of it (the printer, or the
// PDF file whole on the disk): false, after "printer failed" was shown, when it did not. A
// document that printed nothing is not checked (`printed` false: the report says so itself).
bool end_printer_report(ReportEnv& env, PageDevice& dev, bool printed = true);
inline void report_font(PageDevice& dev, ReportFont font) {
    dev.set_font(font);
}
inline void print_text_at(PageDevice& dev, double x_mm, double y_mm, std::string_view text) {
    dev.text_at(x_mm, y_mm, text);
}
inline void print_rule_at(PageDevice& dev, double y_mm) {
    dev.rule_at(y_mm);
}

// A line of `chars` fixed-pitch characters drawn at x mm stays on the page: `font` as it is
// when the line fits, else the same font made smaller until it does.
PageFont fit_to_page(PageFont font, std::size_t chars, double x_mm);
// Selects `font` for lines of at most `widest_chars` characters at x mm: the report font itself
// when they fit, else a smaller one of the same face that keeps them on the page.
void select_fitting_font(PageDevice& dev, ReportFont font, std::size_t widest_chars, double x_mm);

// Page geometry of every sectioned report.
constexpr int kLinesPerPage = 60;
constexpr double kTitleX = 1, kTitleY = 10, kTitleRuleY = 18;
constexpr double kCounterX = 170, kCounterY = 1;
constexpr double kHeaderX = 1, kHeaderY = 20;
constexpr double kFirstLineY = 24, kLineStep = 4;

// Lays out one section after another: every section starts on a new page, a page holds 60
// body lines, each page carries the title, the rule, "Лист %d/%d" and the column header, and
// the section ends with a rule and its footer lines. A section whose line count is a multiple
// of 60 puts its rule and footer on one more page (with the same page frame). A section whose
// widest line would run past the page is set in a body font that keeps it on the page, so the
// section is drawn when it ends.
class SectionedPrinter {
  public:
    explicit SectionedPrinter(PageDevice& dev) : dev_(dev) {}
    // `line_count` positions follow (printed or skipped); it fixes the page total.
    void begin_section(std::string title, std::string header, int line_count);
    // The next position's line.
    void line(std::string_view text);
    // Counts the next position without drawing it (no page is started for it).
    void skip();
    // Draws the section with its rule and footer.
    void end_section(const std::vector<std::string>& footer);
    int pages_started() const { return pages_; }

  private:
    void start_page();
    void body_font();
    PageDevice& dev_;
    std::string title_, header_;
    std::vector<std::optional<std::string>> lines_;  // a skipped position holds nothing
    std::size_t widest_ = 0;
    int count_ = 0;
    int pos_ = 0;
    bool page_open_ = false;
    double y_ = kFirstLineY;
    int pages_ = 0;
};

// --- files ---

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

class StringSink : public ByteSink {
  public:
    void write(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// A report file written in binary (no newline translation), through a temporary file that
// replaces the target only when the report is whole and on the disk (AtomicFile): a full disk
// or an abandoned report keeps the last good file. Write errors are remembered so that they
// are reported instead of showing a cut file as done.
class ReportFile : public ByteSink {
  public:
    // Starts the file; null when it cannot be created (`error`: the errno value).
    static std::unique_ptr<ReportFile> create(const std::string& path, int* error = nullptr);
    void write(std::string_view bytes) override;
    // Puts the whole file in place; false (the target untouched) when anything could not be
    // written (`error`: the errno value).
    bool close(int* error = nullptr);
    bool failed() const { return file_.failed(); }
    const std::string& path() const { return file_.path(); }

  private:
    ReportFile() = default;
    AtomicFile file_;
};

// The parts of the HTML page head that differ between reports. Texts are Windows-1251.
struct HtmlHead {
    std::string_view title_line;  // the whole "<title>...</title>\r\n" line
    std::string_view heading;  // e.g. "<br>ПРОТОКОЛ РЕЗУЛЬТАТОВ\r\n"; may be empty
    bool paragraph_style = false;  // the "p, .text" style of the individual result protocol
    std::string_view after_date = "<br>\r\n";
    std::string_view after_place = "<br>\r\n";
    std::string_view block_end = "</h1>\r\n";
};

std::string html_page_head(const CompetitionInfo& info, const HtmlHead& head);

// Text from the records (names, clubs, comments) as HTML text: "&", "<", ">" and '"' become
// entities, so an imported name cannot break the page or inject markup. Other bytes are kept.
std::string html_escape(std::string_view text);
// The same, appended to `out`.
void append_html_escaped(std::string& out, std::string_view text);

// Asks where to save an HTML report (default extension "htm", the report's default name)
// and creates the file. Null when the user cancels (silently) or the file cannot be created
// ("Не могу записать в указанный файл" shown).
std::unique_ptr<ReportFile> open_html_report(ReportEnv& env, std::string_view default_name_cp1251);
// Writes the page end, closes the file and shows it in the browser. A file that could not be
// written completely gets the write failure message instead. Returns whether all went well.
bool finish_html_report(ReportEnv& env, ReportFile& file);

// The same save dialog for another file kind; `filter` like "TXT-файл(*.txt) |*.txt||",
// `extension` without the dot; `title_cp1251` names the dialog when not empty. Shows the
// failure message itself; null on cancel or failure.
std::unique_ptr<ReportFile> open_report_file(ReportEnv& env, std::string_view filter_cp1251,
                                             std::string_view default_name_cp1251,
                                             std::string_view extension,
                                             std::string_view title_cp1251 = {});

// A plain text report: lines end in CR LF.
class ReportText {
  public:
    // Save dialog as open_report_file; check `ok()` afterwards.
    ReportText(ReportEnv& env, std::string_view filter_cp1251, std::string_view default_name_cp1251,
               std::string_view extension = "txt");
    bool ok() const { return file_ != nullptr; }
    void line(std::string_view text);
    void write(std::string_view bytes);
    // Closes; shows the file when `open_with_shell`. False (message shown) on a write error.
    bool finish(bool open_with_shell);
    ReportFile* file() { return file_.get(); }

  private:
    ReportEnv& env_;
    std::unique_ptr<ReportFile> file_;
};

}  // namespace skarvel
