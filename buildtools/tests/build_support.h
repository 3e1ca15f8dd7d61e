// Helpers of the build tests: a request through `TCBuild` and the messages it
// posts to the calling thread.
#pragma once

#include <string>
#include <vector>

#include "compiler_info.h"
#include "platform/messages.h"
#include "platform/win32.h"

namespace fendrix::test {

struct BuildOutcome {
    std::vector<std::string> chunks;
    std::string text;
    int finished = 0;
    LPARAM status = -1;
};

inline void* StartBuild(const std::string& projectPath, bool custom = false, const std::string& customFile = {})
{
    platform::EnsureMessageQueue();
    BuildRequest request;
    request.threadId = GetCurrentThreadId();
    request.customBuild = custom ? 1 : 0;
    request.strings[BuildRequest::kCustomBuildFile] = customFile;
    request.strings[BuildRequest::kProjectPath] = projectPath;
    return TCBuild(WriteBuildRequest(request));
}

// Takes the calling thread's build messages until the finished message
// (`onChunk` sees each chunk as it arrives); then takes what else is queued.
template <typename OnChunk>
BuildOutcome ReceiveBuild(OnChunk onChunk)
{
    BuildOutcome outcome;
    MSG msg;
    while (outcome.finished == 0 && GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != BuildOutputMessage)
            continue;
        if (msg.wParam == 1) {
            ++outcome.finished;
            outcome.status = msg.lParam;
            continue;
        }
        auto block = reinterpret_cast<HGLOBAL>(msg.lParam);
        const std::string chunk(static_cast<const char*>(GlobalLock(block)));
        GlobalUnlock(block);
        GlobalFree(block);
        outcome.chunks.push_back(chunk);
        outcome.text += chunk;
        onChunk(chunk);
    }
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == BuildOutputMessage && msg.wParam == 1)
            ++outcome.finished;
    return outcome;
}

inline BuildOutcome ReceiveBuild()
{
    return ReceiveBuild([](const std::string&) {});
}

}  // namespace fendrix::test
