#include "mirobel/flash_engine.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "mirobel/flash_files.h"
#include "mirobel/flash_protocol.h"
#include "platform/messages.h"

namespace mirobel {

namespace {

class FileImage : public ImageSource {
public:
    explicit FileImage(const std::string& path) : path_(path) {}
    bool Open(uint64_t& length) override
    {
        in_.open(path_, std::ios::binary | std::ios::ate);
        if (!in_)
            return false;
        const std::streamoff end = in_.tellg();
        in_.seekg(0);
        if (end < 0 || !in_)
            return false;
        length = static_cast<uint64_t>(end);
        return true;
    }
    int64_t Read(uint8_t* buffer, uint32_t size) override
    {
        in_.read(reinterpret_cast<char*>(buffer), size);
        if (in_.bad())
            return -1;
        return in_.gcount();
    }

private:
    std::string path_;
    std::ifstream in_;
};

// Reads the routine and writes it with the parameter block.
uint32_t PrepareRoutine(FlashProtocol& protocol, const FlashRequest& request, std::string& message)
{
    std::vector<uint8_t> routine;
    if (!ReadRoutine(request.device, routine, message))
        return FLASH_FILE_ERROR;
    return protocol.Prepare(routine, message);
}

const char* const kBusyText = "Flash programming is already running.";

}  // namespace

std::unique_ptr<ImageSource> OpenImageFile(const std::string& path)
{
    return std::make_unique<FileImage>(path);
}

FlashEngine::FlashEngine(FlashTarget& target, ImageSourceFactory images) : target_(target), images_(std::move(images))
{}

FlashEngine::~FlashEngine()
{
    Cancel();
    WaitUntilDone();
}

uint32_t FlashEngine::Erase(const FlashRequest& request, std::string* message)
{
    std::string text;
    bool idle = false;
    if (!busy_.compare_exchange_strong(idle, true, std::memory_order_acq_rel)) {
        if (message)
            *message = kBusyText;
        return FLASH_REFUSED;
    }
    SuspendBreakpoints(request.info);
    FlashProtocol protocol(target_, &WaitPumping, request.info, FLASH_OP_ERASE);
    uint32_t result = PrepareRoutine(protocol, request, text);
    if (result == FLASH_OK)
        result = protocol.Erase();
    ResumeBreakpoints();
    busy_.store(false, std::memory_order_release);
    if (message)
        *message = text;
    return result;
}

bool FlashEngine::StartFlash(const FlashRequest& request)
{
    bool idle = false;
    if (!busy_.compare_exchange_strong(idle, true, std::memory_order_acq_rel))
        return false;
    Join();  // a worker that ended before
    ResumeBreakpoints();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        percent_ = 0;
        result_ = FLASH_OK;
        message_.clear();
    }
    cancel_.store(false, std::memory_order_release);
    done_.store(false, std::memory_order_release);

    SuspendBreakpoints(request.info);
    FlashProtocol protocol(target_, &WaitPumping, request.info, FLASH_OP_PROGRAM);
    std::string text;
    const uint32_t prepared = PrepareRoutine(protocol, request, text);
    if (prepared != FLASH_OK) {
        ResumeBreakpoints();
        Finish(prepared, text);
        return true;
    }
    worker_ = std::thread(&FlashEngine::Worker, this, request);
    return true;
}

void FlashEngine::Worker(FlashRequest request)
{
    std::unique_ptr<ImageSource> image = images_(request.imagePath);
    uint64_t length = 0;
    if (!image || !image->Open(length)) {
        Finish(FLASH_FILE_ERROR, "Can not open the image file \"" + request.imagePath + "\"");
        return;
    }
    // The block and routine were written by StartFlash.
    FlashProtocol protocol(target_, &WaitSleeping, request.info, FLASH_OP_PROGRAM);

    std::vector<uint8_t> chunk(kChunkSize);
    uint64_t position = 0;
    uint32_t result = FLASH_FILE_ERROR;  // an empty image programs nothing
    std::string message = "The image file \"" + request.imagePath + "\" is empty";
    for (;;) {
        const int64_t n = image->Read(chunk.data(), kChunkSize);
        if (n < 0) {
            result = FLASH_FILE_ERROR;
            message = "Can not read the image file \"" + request.imagePath + "\"";
            break;
        }
        if (n == 0)
            break;
        const uint64_t end = position + static_cast<uint64_t>(n);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            percent_ = length == 0 ? 100 : static_cast<int>(std::min<uint64_t>(end * 100 / length, 100));
        }
        if (cancel_.exchange(false, std::memory_order_acq_rel)) {
            result = FLASH_CANCELLED;
            message.clear();
            break;
        }
        result = protocol.ProgramChunk(static_cast<uint32_t>(position), chunk.data(), static_cast<uint32_t>(n));
        message.clear();
        if (result != FLASH_OK)
            break;
        position = end;
    }
    Finish(result, message);
}

void FlashEngine::Finish(uint32_t result, const std::string& message)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        result_ = result;
        message_ = message;
    }
    done_.store(true, std::memory_order_release);
    busy_.store(false, std::memory_order_release);
}

int FlashEngine::Percent() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return percent_;
}

uint32_t FlashEngine::Result() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return result_;
}

std::string FlashEngine::Message() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return message_;
}

void FlashEngine::SuspendBreakpoints(const FlashInfo& info)
{
    target_.SuspendBreakpoints(
        {{info.flashStart, uint64_t{info.flashStart} + info.flashSize}, {info.ramStart, uint64_t{info.ramEnd} + 1}});
    suspended_ = true;
}

void FlashEngine::ResumeBreakpoints()
{
    if (!suspended_)
        return;
    suspended_ = false;
    if (platform::IsGuiThread())
        target_.ResumeBreakpoints();
    else
        platform::InvokeOnGuiThread([this] { target_.ResumeBreakpoints(); });
}

bool FlashEngine::WaitUntilDone(int timeoutMs)
{
    if (!worker_.joinable()) {
        if (!Busy())
            ResumeBreakpoints();
        return true;
    }
    // On the GUI thread the worker's go and halt run here: serve them while
    // waiting.
    if (platform::IsGuiThread() && !platform::ModalWait([this] { return !Busy(); }, timeoutMs)) {
        if (timeoutMs >= 0)
            return false;
        // A WM_QUIT is queued, which ends ModalWait: keep serving.
        while (Busy())
            platform::PumpWait(10);
    }
    Join();
    ResumeBreakpoints();
    return true;
}

void FlashEngine::Join()
{
    if (worker_.joinable())
        worker_.join();
}

}  // namespace mirobel
