#pragma once

// Runs one program as a child process and measures it from outside: the time until it reports
// a mark on its standard output (its first line), and the operating system's own accounting of
// the finished child (user + system CPU, peak resident memory). Used to compare the client with
// a bare Qt program doing the same visible work, the two run in turn so that a machine whose
// speed drifts moves both.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

struct ProcessRun {
    bool ok = false;
    double markSeconds = 0; // start -> first line on stdout
    double wallSeconds = 0; // start -> exit
    double cpuSeconds = 0;  // user + system of the child
    double peakMB = 0;      // largest resident set
    std::string output;     // everything written on stdout
};

inline ProcessRun runProcess(const std::vector<std::string> &argv)
{
    ProcessRun run;
    int out[2];
    if (argv.empty() || pipe(out) != 0)
        return run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        close(out[0]);
        close(out[1]);
        return run;
    }
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char *> args;
        for (const std::string &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    char buffer[4096];
    bool marked = false;
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        run.output.append(buffer, size_t(n));
        if (!marked && run.output.find('\n') != std::string::npos) {
            marked = true;
            run.markSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    close(out[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6 +
                     double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
    run.peakMB = double(usage.ru_maxrss) / 1024.0;
    run.ok = marked && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// A figure the child prints as "name=value" on its output; 0 when missing.
inline double figure(const std::string &output, const std::string &name)
{
    const std::string key = name + "=";
    size_t at = output.find(key);
    while (at != std::string::npos && at > 0 && output[at - 1] != ' ' && output[at - 1] != '\n')
        at = output.find(key, at + 1);
    return at == std::string::npos ? 0 : std::atof(output.c_str() + at + key.size());
}

} // namespace bench
