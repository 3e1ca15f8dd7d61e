#include "host_tools.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace zk::test {

namespace {

void CloseFd(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         std::chrono::milliseconds timeout, const std::vector<std::string>& extraEnv)
{
    ProcessResult result;
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
        result.exitStatus = 127;
        return result;
    }
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    for (const auto& e : extraEnv)
        env.push_back(e);
    std::vector<char*> cargv, cenv;
    for (const auto& a : argv)
        cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    for (const auto& e : env)
        cenv.push_back(const_cast<char*>(e.c_str()));
    cenv.push_back(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        setpgid(0, 0);
        execvpe(cargv[0], cargv.data(), cenv.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    int inFd = inPipe[1], outFd = outPipe[0], errFd = errPipe[0];
    if (pid < 0) {
        CloseFd(inFd);
        CloseFd(outFd);
        CloseFd(errFd);
        result.exitStatus = 127;
        return result;
    }
    signal(SIGPIPE, SIG_IGN);
    fcntl(inFd, F_SETFL, O_NONBLOCK);
    size_t written = 0;
    if (input.empty())
        CloseFd(inFd);

    auto deadline = std::chrono::steady_clock::now() + timeout;
    char buf[65536];
    while (outFd >= 0 || errFd >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3];
        int n = 0;
        int outIdx = -1, errIdx = -1, inIdx = -1;
        if (outFd >= 0) {
            outIdx = n;
            fds[n++] = {outFd, POLLIN, 0};
        }
        if (errFd >= 0) {
            errIdx = n;
            fds[n++] = {errFd, POLLIN, 0};
        }
        if (inFd >= 0) {
            inIdx = n;
            fds[n++] = {inFd, POLLOUT, 0};
        }
        int r = poll(fds, n, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (r < 0 && errno != EINTR)
            break;
        if (r <= 0)
            continue;
        auto drain = [&](int idx, int& fd, std::string& sink) {
            if (idx < 0 || !(fds[idx].revents & (POLLIN | POLLHUP | POLLERR)))
                return;
            ssize_t got = read(fd, buf, sizeof buf);
            if (got > 0)
                sink.append(buf, static_cast<size_t>(got));
            else if (got == 0 || errno != EINTR)
                CloseFd(fd);
        };
        drain(outIdx, outFd, result.out);
        drain(errIdx, errFd, result.err);
        if (inIdx >= 0 && (fds[inIdx].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t put = write(inFd, input.data() + written, input.size() - written);
            if (put > 0)
                written += static_cast<size_t>(put);
            if (put < 0 && errno != EAGAIN)
                CloseFd(inFd);
            if (written == input.size())
                CloseFd(inFd);
        }
    }
    CloseFd(inFd);
    CloseFd(outFd);
    CloseFd(errFd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitStatus = 128 + WTERMSIG(status);
    return result;
}

std::string FixturePath(const std::string& name)
{
    return std::string(ZK_FIXTURE_DIR) + "/" + name + ".elf";
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace zk::test
