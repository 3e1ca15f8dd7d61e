// The simulator's print routine: every text the simulator produces goes to
// two independent outputs, the console and a log file, each behind its own
// switch (both off at start). Memory writes can also be traced into a
// separate write-data log. The files are opened for writing (truncated).
//
// One thread at a time: the run thread may trace writes while a run goes;
// nothing else touches the object then.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zk::sim {

// "I#=%d PC=0x%08x DA=0x%08x Wd=0x%08x\n": instruction count, PC, data
// address and the written data.
std::string WriteDataTraceLine(uint32_t icount, uint32_t pc, uint32_t address, uint32_t data);

class SimOutput {
public:
    using ConsoleSink = std::function<void(std::string_view text)>;

    // The console is standard output until another sink is set.
    SimOutput();
    ~SimOutput();
    SimOutput(const SimOutput&) = delete;
    SimOutput& operator=(const SimOutput&) = delete;

    void SetConsole(ConsoleSink sink);

    // Print(text): to the console when printing is on, to the log file when
    // logging is on and a log file is open.
    void Print(std::string_view text);

    // Whether a Print now reaches the console or the log file (a caller may
    // skip making a text no one takes).
    bool Heard() const { return printing_ || (logging_ && log_); }

    void SetPrinting(bool on) { printing_ = on; }
    bool Printing() const { return printing_; }
    void SetLogging(bool on) { logging_ = on; }
    bool Logging() const { return logging_; }

    // Opens (truncates) the log file, closing any open one first; false when
    // the file cannot be opened (no log file is open then). The switch is
    // left as it was.
    bool OpenLogFile(const std::string& name);
    void CloseLogFile();
    bool LogFileOpen() const { return log_ != nullptr; }
    // Name of the open log file, empty when none.
    const std::string& LogFileName() const { return logName_; }

    // The write-data log, likewise.
    bool OpenWriteDataLog(const std::string& name);
    void CloseWriteDataLog();
    bool WriteDataLogOpen() const { return writeData_ != nullptr; }
    const std::string& WriteDataLogName() const { return writeDataName_; }

    // Appends one trace line when the write-data log is open. The lines are
    // buffered; Flush() or closing writes them out.
    void TraceWrite(uint32_t icount, uint32_t pc, uint32_t address, uint32_t data);
    void Flush();

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    using File = std::unique_ptr<std::FILE, FileCloser>;

    static bool Open(File& file, std::string& name, const std::string& newName);

    ConsoleSink console_;
    bool printing_ = false;
    bool logging_ = false;
    File log_;
    std::string logName_;
    File writeData_;
    std::string writeDataName_;
};

}  // namespace zk::sim
