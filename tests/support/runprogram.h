#pragma once

#include "support/tempdir.h"

#include <string>
#include <vector>

namespace ks::test {

struct ProgramRun
{
    int exitCode = -1; // -1 when the program did not exit normally (a crash)
    std::string out;
    std::string err;
};

// Runs program with args, no standard input, its output caught in files of
// dir. environment replaces the caller's environment when given.
ProgramRun runProgram(const TempDir &dir, const std::string &program,
                      const std::vector<std::string> &args,
                      const std::vector<std::string> *environment = nullptr);

} // namespace ks::test
