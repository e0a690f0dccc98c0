// Runs the built skarvel-cli (or any shell command) as a script does: standard output
// captured, the exit code kept.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace skarvel::testing {

struct CliResult {
    int code = -1;
    std::string out;
};

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

// skarvel-cli ARGS, its standard error dropped.
inline CliResult cli(const std::string& args) {
    return shell(std::string(SKARVEL_CLI_PATH) + " " + args + " 2>/dev/null");
}

inline std::string read_all(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace skarvel::testing
