#include "support/runprogram.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace ks::test {

namespace {

std::vector<char *> pointers(std::vector<std::string> &strings)
{
    std::vector<char *> result;
    for (std::string &s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

ProgramRun runProgram(const TempDir &dir, const std::string &program,
                      const std::vector<std::string> &args,
                      const std::vector<std::string> *environment)
{
    const std::string outPath = dir.path("run.stdout");
    const std::string errPath = dir.path("run.stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<std::string> argvStore{program};
    argvStore.insert(argvStore.end(), args.begin(), args.end());
    std::vector<char *> argv = pointers(argvStore);
    std::vector<std::string> envStore = environment ? *environment : std::vector<std::string>{};
    std::vector<char *> envp = pointers(envStore);

    ProgramRun run;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(),
                                    environment ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        run.err = "cannot start " + program;
        return run;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    run.out = dir.read("run.stdout");
    run.err = dir.read("run.stderr");
    return run;
}

} // namespace ks::test
