// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

namespace kalvero::test {

// A program started by a test, its standard output and error on pipes.
struct Child {
    pid_t pid = -1;
    int out = -1;
    int err = -1;
};

inline Child spawn(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::pair<std::string, std::string>>& env = {},
                   const std::string& directory = {}) {
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(err[0]);
        const int devnull = ::open("/dev/null", O_RDONLY);
        ::dup2(devnull, STDIN_FILENO);
        for (const auto& [name, value] : env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        if (!directory.empty() && ::chdir(directory.c_str()) != 0) {
            ::_exit(126);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    return {pid, out[0], err[0]};
}

// Everything until the writer closes it, or until it stays quiet for timeoutMs.
inline std::string readAll(int fd, int timeoutMs = 20000) {
    std::string text;
    char buffer[4096];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, timeoutMs) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

inline std::string firstLine(int fd) {
    std::string line;
    char c = 0;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 5000) > 0 && ::read(fd, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line;
}

// Reads lines until one holds text; false when the writer ends or stays quiet first.
inline bool lineWith(int fd, const std::string& text) {
    for (std::string line = firstLine(fd); !line.empty(); line = firstLine(fd)) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

inline int exitCode(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace kalvero::test
