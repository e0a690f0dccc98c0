// The result protocol of an individual competition: one section per class or per course,
// one fixed-width line per runner, on the printer or as an HTML page. The settings are the
// result-print settings stored in the competition header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/competition.h"
#include "results/report_output.h"
#include "results/result_compute.h"

namespace skarvel {

// Where the protocol's lines go: exactly one of the two is set.
struct ProtocolOutput {
    PageDevice* printer = nullptr;
    ByteSink* html = nullptr;
};

struct ProtocolRun {
    int sections = 0;      // sections written
    bool stopped = false;  // ended early ("Нет такой дистанции !")
};

// Recounts and recomputes the results, then writes every section (and, for HTML, the closing
// officials block). Neither the HTML page head nor the page end is written here.
ProtocolRun write_result_protocol(Competition& c, const ProtocolOutput& out, Prompts& prompts,
                                  const std::vector<std::int32_t>* points_table);

// The page head of the HTML protocol.
std::string result_protocol_head(const CompetitionInfo& info);
// The navigation line of the extended HTML (empty when no entries).
std::string result_navigation_line(const Competition& c);

enum class ProtocolStatus { Done, Cancelled, Failed, Empty };

// The command after its dialog: points table, channel, sections, page end, and the message
// when nothing was printed.
ProtocolStatus run_result_protocol(Competition& c, ReportEnv& env);

// The column header of a printed page and of an HTML section.
std::string printer_column_header(const CompetitionInfo& info, bool ranks, bool by_course);

}  // namespace skarvel
