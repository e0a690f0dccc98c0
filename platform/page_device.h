// A printed page seen by report code: millimetres from the top left corner of the printable
// area, one fixed-pitch font in two sizes, text lines and horizontal rules. The desktop
// program draws on a real printer (or a PDF file); tests use RecordingPageDevice and look at
// every text, rule and page break.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skarvel {

// The sizes of the report font ("Courier New Cyr", fixed pitch): the page title is a
// third of an inch high and bold, everything else is 10 pt and regular. The start protocol
// prints its lines at 11 pt when it has no card-number column (BodyLarge).
enum class ReportFont { Title, Body, BodyLarge };

constexpr double kPageWidthMm = 210.0;
// A sheet turned on its side (the large bibs): its width in the same millimetres.
constexpr double kLandscapeWidthMm = 297.0;
enum class PageOrientation { kPortrait, kLandscape };
// A fixed-pitch character is 0.6 em wide (Courier New's 1229 of 2048 units).
constexpr double kFixedAdvanceEm = 1229.0 / 2048.0;

// A font of its own, for sheets that are not lists (the split printout, the result plate):
// a face, the character height in inches (the device makes whole dots of it at its vertical
// resolution), the weight (400 regular, 700 bold) and fixed or proportional pitch.
struct PageFont {
    std::string face;
    double height_inch = 0;
    int weight = 400;
    bool fixed_pitch = true;
    bool operator==(const PageFont&) const = default;
};

// The report font as a font of its own ("Courier New Cyr"; the title a third of an inch and
// bold, the body 10 pt, the large body 11 pt).
inline PageFont report_page_font(ReportFont font) {
    const double inch = font == ReportFont::Title       ? 0.33333334
                        : font == ReportFont::BodyLarge ? 0.15277778
                                                        : 0.1388889;
    return {"Courier New Cyr", inch, font == ReportFont::Title ? 700 : 400, true};
}

class PageDevice {
  public:
    virtual ~PageDevice() = default;
    virtual void begin_page() = 0;
    virtual void end_page() = 0;
    // Ends the document; a device that was ended ignores every later call.
    virtual void end_document() = 0;
    // Selects the font for the texts that follow (until the next call).
    virtual void set_font(ReportFont font) = 0;
    // Draws Windows-1251 text with its top left corner at (x, y), unclipped.
    virtual void text_at(double x_mm, double y_mm, std::string_view text) = 0;
    // A solid black line 1 mm wide across the page (x 0 .. 210 mm) at y.
    virtual void rule_at(double y_mm) = 0;
    // Selects a font of its own for the texts that follow (until the next font call); a
    // device without one uses the body font.
    virtual void set_custom_font(const PageFont& font) {
        (void)font;
        set_font(ReportFont::Body);
    }
    // The vertical resolution in dots per inch.
    virtual int dots_per_inch() const { return 600; }
    // A straight line from (x1, y1) to (x2, y2) with a pen `width_mm` wide, solid or dotted
    // (frames, grids and cut lines of cards).
    virtual void line_at(double x1_mm, double y1_mm, double x2_mm, double y2_mm, double width_mm,
                         bool dotted) = 0;
    // False once the device could not put something on paper (a page the printer refused, a
    // document that could not be finished); reports then say so instead of reporting success.
    virtual bool ok() const { return true; }
};

// Opens a printed document (the default printer, or the PDF file the user chose).
class PrinterProvider {
  public:
    virtual ~PrinterProvider() = default;
    // Set while the program prints by itself (a split sheet per card while reading): such a
    // document never asks the user anything (a PDF goes into the folder of the last PDF file).
    bool automatic = false;
    // A device in a started document named `document_name` on A4 sheets of the orientation
    // given, or null with `error` set to the message the user should see (left empty when the
    // user cancelled: nothing to say).
    virtual std::unique_ptr<PageDevice> open_document(
        std::string_view document_name, std::string& error,
        PageOrientation orientation = PageOrientation::kPortrait) = 0;
};

// Shows a finished file with the system's "open" action (the browser for HTML).
class ShellOpener {
  public:
    virtual ~ShellOpener() = default;
    virtual void open_path(const std::string& path) = 0;
};

// --- recording implementations for tests and headless runs ---

struct PageItem {
    enum Kind { Text, Rule, Line } kind = Text;
    double x_mm = 0;
    double y_mm = 0;
    ReportFont font = ReportFont::Body;
    std::string text;  // Windows-1251
    // Lines only: the other end, the pen width and whether it is dotted.
    double x2_mm = 0;
    double y2_mm = 0;
    double width_mm = 0;
    bool dotted = false;
    // Texts only: index into the page's `custom_fonts`, or -1 for a report font.
    int custom_font = -1;
};

struct RecordedPage {
    std::vector<PageItem> items;
    bool ended = false;
    // The texts of the page in drawing order (rules left out).
    std::vector<std::string> texts() const;
    // The custom font of item `i` (null when it was drawn in a report font).
    const PageFont* font_of(std::size_t i) const;
    // Custom fonts in use on the page: each applies from item `first_item` on, until the
    // next entry or a report font.
    struct FontUse {
        std::size_t first_item = 0;
        PageFont page_font;
        int height_dots = 0;
    };
    std::vector<FontUse> custom_fonts;
};

struct RecordedDocument {
    std::string name;
    PageOrientation orientation = PageOrientation::kPortrait;
    std::vector<RecordedPage> pages;
    bool ended = false;
};

// Keeps everything drawn; drawing outside a page is recorded as a fault (`faults`), so
// tests catch report code that forgets a page start.
class RecordingPageDevice : public PageDevice {
  public:
    explicit RecordingPageDevice(std::string document_name = {});
    void begin_page() override;
    void end_page() override;
    void end_document() override;
    void set_font(ReportFont font) override;
    void text_at(double x_mm, double y_mm, std::string_view text) override;
    void rule_at(double y_mm) override;
    void set_custom_font(const PageFont& font) override;
    int dots_per_inch() const override { return dpi; }
    void line_at(double x1_mm, double y1_mm, double x2_mm, double y2_mm, double width_mm,
                 bool dotted) override;

    bool ok() const override { return !fails; }

    RecordedDocument doc;
    int faults = 0;
    // The device says it could not put everything on paper (a printer that failed, a PDF file
    // on a full disk).
    bool fails = false;
    // The resolution the device claims (custom font heights are whole dots of it).
    int dpi = 600;

  private:
    bool in_page_ = false;
    ReportFont font_ = ReportFont::Body;
    bool custom_active_ = false;
    bool custom_pending_ = false;
    PageFont custom_;
};

// Hands out recording devices; the documents stay readable after the report ends.
class RecordingPrinterProvider : public PrinterProvider {
  public:
    std::unique_ptr<PageDevice> open_document(
        std::string_view document_name, std::string& error,
        PageOrientation orientation = PageOrientation::kPortrait) override;
    // When set, opening fails with this message (as with no printer installed).
    std::string fail_with;
    // When set, every document fails on paper (its device's ok() is false).
    bool fail_on_paper = false;
    // Every device handed out, in order (owned by the report while it runs; kept here by
    // copying its document at destruction).
    std::vector<RecordedDocument> documents;
    std::vector<int> faults;
};

class RecordingShellOpener : public ShellOpener {
  public:
    void open_path(const std::string& path) override { opened.push_back(path); }
    std::vector<std::string> opened;
};

}  // namespace skarvel
