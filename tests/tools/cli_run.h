// Runs the built skarvel-cli (or any shell command) as a script does: standard output
// captured, the exit code kept.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "tests/run_program.h"

namespace skarvel::testing {

struct CliResult {
    int code = -1;
    std::string out;
};

inline CliResult cli(const std::string& args) {
    ProgramRun run = run_program(SKARVEL_CLI_PATH, args);
    return {run.started ? run.code : -1, run.out};
}

#ifndef _WIN32
// A shell command line (POSIX only): its standard output and exit code.
inline CliResult shell(const std::string& cmd) {
    CliResult r;
    std::FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, got);
    int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}
#endif

inline std::string read_all(const std::filesystem::path& p) {
    return read_file_text(p);
}

}  // namespace skarvel::testing
