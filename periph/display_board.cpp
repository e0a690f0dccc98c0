#include "periph/display_board.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/time_text.h"
#include "periph/page_text.h"
#include "results/result_compute.h"

namespace skarvel {

namespace {

// Fixed bytes before each line, and the end of the frame.
constexpr std::uint8_t kLead[kBoardLineCount][5] = {
    {0x01, 0x81, 0x9C},
    {0x8C, 0x07, 0x02, 0x81, 0x9C},
    {0x8C, 0x08, 0x03, 0x81, 0x9C},
    {0x8C, 0x09, 0x04, 0x81, 0x9C},
};
constexpr int kLeadSize[kBoardLineCount] = {3, 5, 5, 5};
constexpr std::uint8_t kTail[3] = {0x8C, 0x0A, 0x0E};

// "%-26.26s", then every blank a full stop.
std::string board_field(const std::string& text) {
    std::string s = text.substr(0, kBoardLineWidth);
    s.resize(kBoardLineWidth, ' ');
    std::replace(s.begin(), s.end(), ' ', '.');
    return s;
}

}  // namespace

int board_first_line(const Competition& c) {
    return c.tables.finish_lines.live_count();
}

namespace {

// board_line on fresh results.
std::string line_text(const Competition& c, int index) {
    const FinishLine* line = c.tables.finish_lines[index];
    const Runner* r = line ? c.runner_by_number(line->start_number) : nullptr;
    if (!r || line->time() == 0) return board_field(".");
    std::string text;
    append_format(text, "%-16.16s", std::string(field_text(r->name)).c_str());
    text += '.';
    if (r->status != 0)
        text += finish_status_text(r->status);
    else
        text += format_time_text(r->result, 0).substr(1);
    return board_field(text);
}

}  // namespace

std::string board_line(Competition& c, int index) {
    if (const FinishLine* line = c.tables.finish_lines[index]) runner_place(c, line->start_number);
    return line_text(c, index);
}

BoardLines board_lines(Competition& c, int first_line) {
    // Results once for the frame; the places of its runners are stored as runner_place does.
    std::vector<int> numbers;
    for (int k = 1; k <= kBoardLineCount; ++k)
        if (const FinishLine* line = c.tables.finish_lines[first_line - 5 + k])
            numbers.push_back(line->start_number);
    runner_places(c, numbers);
    BoardLines lines;
    for (int k = 1; k <= kBoardLineCount; ++k) lines[k - 1] = line_text(c, first_line - 5 + k);
    return lines;
}

BoardFrame board_frame(const BoardLines& lines) {
    BoardFrame f{};
    for (int k = 0; k < kBoardLineCount; ++k) {
        int at = kBoardLineOffsets[k];
        std::memcpy(f.data() + at - kLeadSize[k], kLead[k], kLeadSize[k]);
        std::string s = lines[k];
        s.resize(kBoardLineWidth, '.');
        std::memcpy(f.data() + at, s.data(), kBoardLineWidth);
    }
    std::memcpy(f.data() + kBoardFrameSize - 3, kTail, 3);
    return f;
}

bool parse_board_frame(const std::uint8_t* frame, BoardLines& lines) {
    bool ok = true;
    for (int k = 0; k < kBoardLineCount; ++k) {
        int at = kBoardLineOffsets[k];
        ok = ok && std::memcmp(frame + at - kLeadSize[k], kLead[k], kLeadSize[k]) == 0;
        lines[k].assign(reinterpret_cast<const char*>(frame + at), kBoardLineWidth);
    }
    return ok && std::memcmp(frame + kBoardFrameSize - 3, kTail, 3) == 0;
}

bool send_board_frame(StationLink& link, const BoardFrame& frame) {
    for (std::uint8_t byte : frame) {
        if (!link.send(&byte, 1)) return false;
        link.read_stuffed_byte();
    }
    return !link.stop_requested();
}

int run_display_board(StationLink& link, const std::function<BoardFrame()>& next_frame,
                      int max_frames) {
    int sent = 0;
    while (!link.stop_requested() && (max_frames == 0 || sent < max_frames)) {
        if (!send_board_frame(link, next_frame())) break;
        ++sent;
        if (max_frames == 0 || sent < max_frames) link.pause_ms(kBoardPauseMs);
    }
    return sent;
}

}  // namespace skarvel
