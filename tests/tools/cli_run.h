// Runs the built skarvel-cli as a script does: standard output captured, standard error
// dropped, the exit code kept.
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

inline CliResult cli(const std::string& args) {
    std::string cmd = std::string(SKARVEL_CLI_PATH) + " " + args + " 2>/dev/null";
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

inline std::string read_all(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace skarvel::testing
