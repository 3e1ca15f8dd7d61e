// Erase and Flash: the routine prepared in target RAM, then one erase run on
// the GUI thread, or the image programmed chunk by chunk on a worker thread.
//
// Only one operation runs at a time: Erase and Flash refuse to start while
// either runs. The worker shares with the GUI thread its published
// percentage, the cancel and done flags and the final result; it never
// touches a window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "flash_info.h"
#include "mirobel/flash_target.h"

namespace mirobel {

// The image as the worker reads it: a file by default, a test's source in
// tests.
class ImageSource {
public:
    virtual ~ImageSource() = default;
    // The length in bytes; false when it cannot be opened.
    virtual bool Open(uint64_t& length) = 0;
    // Up to `size` bytes; 0 at the end, -1 when the read fails.
    virtual int64_t Read(uint8_t* buffer, uint32_t size) = 0;
};
using ImageSourceFactory = std::function<std::unique_ptr<ImageSource>(const std::string& path)>;
std::unique_ptr<ImageSource> OpenImageFile(const std::string& path);

struct FlashRequest {
    FlashInfo info;
    std::string device;     // the routine is "flash\<device>.o"
    std::string imagePath;  // Flash only
};

class FlashEngine {
public:
    explicit FlashEngine(FlashTarget& target, ImageSourceFactory images = &OpenImageFile);
    // Cancels a flash that runs and waits for its worker (pumping on the GUI
    // thread, so that the worker's calls there are served).
    ~FlashEngine();
    FlashEngine(const FlashEngine&) = delete;
    FlashEngine& operator=(const FlashEngine&) = delete;

    // On the GUI thread: the erase, waiting in ModalWait. The result, and
    // in `message` a text for a failure that has one (routine file, RAM
    // range, another operation running).
    uint32_t Erase(const FlashRequest& request, std::string* message = nullptr);

    // On the GUI thread: the parameter block and routine written, then the
    // worker started. False (nothing done) while an operation runs. A failed
    // preparation starts no worker: the flash is done at once with its
    // result and message.
    bool StartFlash(const FlashRequest& request);

    bool Busy() const { return busy_.load(std::memory_order_acquire); }
    // The worker's state, for the progress dialog's timer.
    int Percent() const;
    bool Done() const { return done_.load(std::memory_order_acquire); }
    uint32_t Result() const;
    std::string Message() const;
    // The worker stops before its next chunk (FLASH_CANCELLED).
    void Cancel() { cancel_.store(true, std::memory_order_release); }
    // Waits until the flash is done and its worker has ended; on the GUI
    // thread it pumps messages meanwhile. False when `timeoutMs` passed
    // first (-1: no limit). Then the breakpoints kept out of the flash and
    // the RAM area for the operation are back (on the GUI thread).
    bool WaitUntilDone(int timeoutMs = -1);

private:
    void Worker(FlashRequest request);
    void Finish(uint32_t result, const std::string& message);
    void Join();
    void SuspendBreakpoints(const FlashInfo& info);
    void ResumeBreakpoints();

    FlashTarget& target_;
    ImageSourceFactory images_;
    std::thread worker_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> done_{false};
    std::atomic<bool> cancel_{false};
    bool suspended_ = false;  // GUI thread only
    // The progress, result and message, as the worker publishes them.
    mutable std::mutex mutex_;
    int percent_ = 0;
    uint32_t result_ = FLASH_OK;
    std::string message_;
};

}  // namespace mirobel
