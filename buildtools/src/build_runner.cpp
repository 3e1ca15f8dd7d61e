#include "buildtools/build_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <thread>

#include "buildtools/paths.h"
#include "platform/clock.h"
#include "platform/win32.h"

extern char** environ;

namespace fendrix {

namespace {

// The largest chunk: 1023 bytes and the terminating NUL fit the receiver's
// 1024-byte buffer.
constexpr size_t kChunk = 1023;

std::string LowerExtension(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// `path` relative to `folder` when it lies below it; as given otherwise.
std::string RelativeTo(const std::string& path, const std::string& folder)
{
    const std::string p = Slashed(path);
    if (folder.empty() || FolderOf(p).empty())
        return p;
    const std::string rel = RelativeFolder(folder, FolderOf(p));
    return (rel.empty() ? std::string() : rel == "./" ? std::string() : rel) + FileNameOf(p);
}

void PostChunk(DWORD thread, const char* bytes, size_t count)
{
    HGLOBAL block = GlobalAlloc(GHND, count + 1);
    if (!block)
        return;
    if (void* data = GlobalLock(block)) {
        std::memcpy(data, bytes, count);
        GlobalUnlock(block);
    }
    if (!PostThreadMessage(thread, BuildOutputMessage, 0, reinterpret_cast<LPARAM>(block)))
        GlobalFree(block);
}

void PostText(DWORD thread, const std::string& text)
{
    for (size_t at = 0; at < text.size(); at += kChunk)
        PostChunk(thread, text.data() + at, std::min(kChunk, text.size() - at));
}

int StatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return 1;
}

}  // namespace

BuildCommand CommandFor(const BuildRequest& request)
{
    BuildCommand command;
    const std::string project = Slashed(request.strings[BuildRequest::kProjectPath]);
    command.folder = FolderOf(project);
    const std::string custom = request.strings[BuildRequest::kCustomBuildFile];
    if (request.customBuild != 0) {
        const std::string file = RelativeTo(custom, command.folder);
        if (LowerExtension(custom) == ".mak")
            command.argv = {"make", "-f", file};
        else
            command.argv = {"sh", file};
    } else {
        std::string name = FileNameOf(project);
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0)
            name.erase(dot);
        command.argv = {"make", "-f", name + ".mak"};
    }
    return command;
}

// One build: its worker thread, the child's process group and the stop
// request. Shared by the runner and the worker, so a stop never touches
// state the worker has already released.
class Build {
public:
    Build(DWORD hostThread, BuildCommand command, uint32_t graceMs)
        : hostThread_(hostThread), command_(std::move(command)), graceMs_(graceMs)
    {
        wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    }
    ~Build()
    {
        // The worker may hold the last reference: then it ends on its own.
        if (thread_.joinable()) {
            if (thread_.get_id() == std::this_thread::get_id())
                thread_.detach();
            else
                thread_.join();
        }
        if (wake_ >= 0)
            close(wake_);
    }

    bool Start(const std::shared_ptr<Build>& self)
    {
        if (wake_ < 0)
            return false;
        try {
            thread_ = std::thread([self] { self->Run(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    void RequestStop()
    {
        stop_ = true;
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(wake_, &one, sizeof one);
    }

    bool Finished() const { return finished_; }

    // Waits at most `ms` of real time for the worker to end, then joins it.
    bool JoinWithin(uint32_t ms)
    {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return workerDone_; }))
            return false;
        lock.unlock();
        if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
            thread_.join();
        return true;
    }

private:
    void Run()
    {
        const int status = RunChild();
        finished_ = true;
        PostThreadMessage(hostThread_, BuildOutputMessage, 1, status);
        std::lock_guard lock(mutex_);
        workerDone_ = true;
        cv_.notify_all();
    }

    int RunChild()
    {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) {
            PostText(hostThread_, std::string("Cannot start the build: ") + strerror(errno) + "\n");
            return 127;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, out[1], 2);
        if (!command_.folder.empty())
            posix_spawn_file_actions_addchdir_np(&actions, command_.folder.c_str());
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        posix_spawnattr_setpgroup(&attr, 0);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &all);

        std::vector<char*> argv;
        for (std::string& arg : command_.argv)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        const int error = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        close(out[1]);
        if (error != 0) {
            close(out[0]);
            std::string text = "Cannot start \"";
            for (size_t i = 0; i < command_.argv.size(); ++i)
                text += (i ? " " : "") + command_.argv[i];
            text += "\" in \"" + command_.folder + "\": " + strerror(error) + "\n";
            PostText(hostThread_, text);
            return 127;
        }
        const int status = Relay(out[0], pid);
        close(out[0]);
        return status;
    }

    // Relays the output until the child has ended and its output is read,
    // or until a stop request.
    int Relay(int output, pid_t pid)
    {
        const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        bool outputOpen = true;
        bool exited = false;
        int waitStatus = 0;
        char buffer[kChunk];
        for (;;) {
            if (stop_)
                break;
            if (!exited && waitpid(pid, &waitStatus, WNOHANG) == pid)
                exited = true;
            pollfd fds[3] = {{output, POLLIN, 0}, {wake_, POLLIN, 0}, {pidfd, POLLIN, 0}};
            const nfds_t count = pidfd >= 0 && !exited ? 3 : 2;
            if (!outputOpen)
                fds[0].fd = -1;
            if (!outputOpen && exited)
                break;
            // Without a process file descriptor the child's end is looked at
            // every 100 ms; the output still wakes the poll at once.
            const int timeout = exited ? 0 : (pidfd >= 0 ? -1 : 100);
            const int ready = poll(fds, count, timeout);
            if (ready < 0 && errno == EINTR)
                continue;
            if (outputOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
                const ssize_t n = read(output, buffer, sizeof buffer);
                if (n > 0)
                    PostChunk(hostThread_, buffer, static_cast<size_t>(n));
                else if (n == 0 || (errno != EINTR && errno != EAGAIN))
                    outputOpen = false;
                continue;
            }
            if (exited && ready == 0)
                break;  // ended, and nothing left in the pipe
        }
        if (pidfd >= 0)
            close(pidfd);
        if (exited)
            return StatusOf(waitStatus);
        return StopChild(pid);
    }

    // SIGTERM to the child's group, SIGKILL after the grace, then reaped.
    int StopChild(pid_t pid)
    {
        kill(-pid, SIGTERM);
        const uint64_t start = platform::NowMs();
        int waitStatus = 0;
        bool killed = false;
        for (;;) {
            const pid_t got = waitpid(pid, &waitStatus, WNOHANG);
            if (got == pid || (got < 0 && errno != EINTR))
                break;
            if (!killed && platform::NowMs() - start >= graceMs_) {
                kill(-pid, SIGKILL);
                killed = true;
            }
            platform::SleepMs(5);
        }
        // Whatever of the group outlived its leader goes too.
        kill(-pid, SIGKILL);
        PostText(hostThread_, "Build stopped.\n");
        return StatusOf(waitStatus);
    }

    DWORD hostThread_;
    BuildCommand command_;
    uint32_t graceMs_;
    int wake_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::condition_variable cv_;
    bool workerDone_ = false;
};

BuildRunner& BuildRunner::Instance()
{
    static BuildRunner runner;
    return runner;
}

BuildRunner::~BuildRunner()
{
    Stop();
}

void* BuildRunner::Start(DWORD hostThread, const BuildCommand& command)
{
    std::lock_guard lock(mutex_);
    if (build_ && !build_->Finished())
        return nullptr;
    build_.reset();  // joins the previous worker, which has posted its end
    static std::atomic<uintptr_t> nextId{1};
    auto build = std::make_shared<Build>(hostThread, command, graceMs_);
    if (!build->Start(build))
        return nullptr;
    build_ = build;
    return reinterpret_cast<void*>(nextId++);
}

void BuildRunner::Stop()
{
    std::shared_ptr<Build> build;
    {
        std::lock_guard lock(mutex_);
        build = build_;
    }
    if (!build)
        return;
    build->RequestStop();
    // The worker ends within the grace and a reap; a hung join never blocks the host.
    build->JoinWithin(graceMs_ + 3000);
}

bool BuildRunner::Running()
{
    std::lock_guard lock(mutex_);
    return build_ && !build_->Finished();
}

}  // namespace fendrix
