#include "simdisasm/sim_output.h"

#include "simdisasm/text_format.h"

namespace zk::sim {

namespace {

void WriteToStdout(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

std::string WriteDataTraceLine(uint32_t icount, uint32_t pc, uint32_t address, uint32_t data)
{
    // The count is unsigned: past 2^31 instructions it keeps counting up.
    return Format("I#=%u PC=0x%08x DA=0x%08x Wd=0x%08x\n", icount, pc, address, data);
}

SimOutput::SimOutput() : console_(WriteToStdout) {}

SimOutput::~SimOutput() = default;

void SimOutput::SetConsole(ConsoleSink sink)
{
    console_ = sink ? std::move(sink) : ConsoleSink(WriteToStdout);
}

void SimOutput::Print(std::string_view text)
{
    if (printing_)
        console_(text);
    if (logging_ && log_) {
        // Flushed at once so that the log holds everything shown so far,
        // even when the process ends without closing it.
        std::fwrite(text.data(), 1, text.size(), log_.get());
        std::fflush(log_.get());
    }
}

bool SimOutput::Open(File& file, std::string& name, const std::string& newName)
{
    file.reset();
    name.clear();
    std::FILE* f = std::fopen(newName.c_str(), "w");
    if (!f)
        return false;
    file.reset(f);
    name = newName;
    return true;
}

bool SimOutput::OpenLogFile(const std::string& name)
{
    return Open(log_, logName_, name);
}

void SimOutput::CloseLogFile()
{
    log_.reset();
    logName_.clear();
}

bool SimOutput::OpenWriteDataLog(const std::string& name)
{
    return Open(writeData_, writeDataName_, name);
}

void SimOutput::CloseWriteDataLog()
{
    writeData_.reset();
    writeDataName_.clear();
}

void SimOutput::TraceWrite(uint32_t icount, uint32_t pc, uint32_t address, uint32_t data)
{
    if (!writeData_)
        return;
    const std::string line = WriteDataTraceLine(icount, pc, address, data);
    std::fwrite(line.data(), 1, line.size(), writeData_.get());
}

void SimOutput::Flush()
{
    if (log_)
        std::fflush(log_.get());
    if (writeData_)
        std::fflush(writeData_.get());
}

}  // namespace zk::sim
