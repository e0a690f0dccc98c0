#include "platform/page_device.h"

namespace skarvel {

std::vector<std::string> RecordedPage::texts() const {
    std::vector<std::string> out;
    for (const auto& item : items)
        if (item.kind == PageItem::Text) out.push_back(item.text);
    return out;
}

const PageFont* RecordedPage::font_of(std::size_t i) const {
    if (i >= items.size() || items[i].custom_font < 0) return nullptr;
    return &custom_fonts[static_cast<std::size_t>(items[i].custom_font)].page_font;
}

RecordingPageDevice::RecordingPageDevice(std::string document_name) {
    doc.name = std::move(document_name);
}

void RecordingPageDevice::begin_page() {
    if (doc.ended || in_page_) {
        ++faults;
        if (doc.ended) return;
        doc.pages.back().ended = true;
    }
    doc.pages.emplace_back();
    in_page_ = true;
}

void RecordingPageDevice::end_page() {
    if (doc.ended || !in_page_) {
        ++faults;
        return;
    }
    doc.pages.back().ended = true;
    in_page_ = false;
}

void RecordingPageDevice::end_document() {
    if (doc.ended) return;
    if (in_page_) {
        ++faults;  // a page left open is closed by the document end
        doc.pages.back().ended = true;
        in_page_ = false;
    }
    doc.ended = true;
}

void RecordingPageDevice::set_font(ReportFont font) {
    font_ = font;
    custom_active_ = custom_pending_ = false;
}

void RecordingPageDevice::set_custom_font(const PageFont& font) {
    custom_ = font;
    custom_active_ = custom_pending_ = true;
}

void RecordingPageDevice::text_at(double x_mm, double y_mm, std::string_view text) {
    if (doc.ended || !in_page_) {
        ++faults;
        return;
    }
    RecordedPage& page = doc.pages.back();
    if (custom_active_ && (custom_pending_ || page.custom_fonts.empty())) {
        page.custom_fonts.push_back(
            {page.items.size(), custom_, static_cast<int>(dpi * custom_.height_inch)});
        custom_pending_ = false;
    }
    PageItem item{PageItem::Text, x_mm, y_mm, font_, std::string(text)};
    if (custom_active_) item.custom_font = static_cast<int>(page.custom_fonts.size()) - 1;
    page.items.push_back(std::move(item));
}

void RecordingPageDevice::rule_at(double y_mm) {
    if (doc.ended || !in_page_) {
        ++faults;
        return;
    }
    doc.pages.back().items.push_back({PageItem::Rule, 0, y_mm, font_, {}});
}

void RecordingPageDevice::line_at(double x1_mm, double y1_mm, double x2_mm, double y2_mm,
                                  double width_mm, bool dotted) {
    if (doc.ended || !in_page_) {
        ++faults;
        return;
    }
    PageItem item{PageItem::Line, x1_mm, y1_mm, font_, {}};
    item.x2_mm = x2_mm;
    item.y2_mm = y2_mm;
    item.width_mm = width_mm;
    item.dotted = dotted;
    doc.pages.back().items.push_back(item);
}

namespace {
// A recording device that hands its document back to the provider when the report is done.
class ProvidedRecordingDevice : public RecordingPageDevice {
  public:
    ProvidedRecordingDevice(RecordingPrinterProvider& owner, std::string name)
        : RecordingPageDevice(std::move(name)), owner_(owner) {}
    ~ProvidedRecordingDevice() override {
        owner_.documents.push_back(doc);
        owner_.faults.push_back(faults);
    }

  private:
    RecordingPrinterProvider& owner_;
};
}  // namespace

std::unique_ptr<PageDevice> RecordingPrinterProvider::open_document(std::string_view document_name,
                                                                    std::string& error,
                                                                    PageOrientation orientation) {
    if (!fail_with.empty()) {
        error = fail_with;
        return nullptr;
    }
    auto dev = std::make_unique<ProvidedRecordingDevice>(*this, std::string(document_name));
    dev->fails = fail_on_paper;
    dev->doc.orientation = orientation;
    return dev;
}

}  // namespace skarvel
