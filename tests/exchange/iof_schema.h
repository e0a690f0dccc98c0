// Checks a written IOF XML message against the federation's schema with xmllint.
#pragma once

#include <string>

#include "tests/run_program.h"

namespace skarvel::test {

// Runs xmllint on a written message against the federation's schema; "" when it validates,
// else xmllint's complaint. A check that did not run is a failure, never a pass: xmllint must
// have started and said that the file validates.
inline std::string schema_errors(const std::string& path) {
    testing::ProgramRun run =
        testing::run_program(SKARVEL_XMLLINT, "--noout --schema \"" + std::string(SKARVEL_IOF_DIR) +
                                                  "/IOF.xsd\" \"" + path + "\"");
    if (!run.started) return std::string("xmllint could not be run: ") + SKARVEL_XMLLINT;
    if (run.code == 0 && run.err.find(" validates") != std::string::npos) return {};
    return "xmllint exit " + std::to_string(run.code) + ": " + run.err;
}

}  // namespace skarvel::test

// A written message validates against the schema. xmllint is a Linux program: on Windows the
// check is left out, and cli_same_everywhere compares the Windows messages with the Linux ones
// byte for byte instead.
#ifdef _WIN32
#define SKARVEL_EXPECT_VALID_IOF(path) (void)(path)
#else
#define SKARVEL_EXPECT_VALID_IOF(path) EXPECT_EQ(skarvel::test::schema_errors(path), "") << (path)
#endif
