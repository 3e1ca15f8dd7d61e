// Any bytes as a watch file: decoded on their own and read through a file
// as a project's reopening does. A file either gives lists that encode to
// the very same bytes, or restores nothing with a message. Never a crash,
// a hang or an allocation the file's counts ask for.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "quinar/quinar.h"
#include "quinar/symbol_store.h"
#include "watch_file.h"

using namespace quinar;

namespace {

// One file per fuzzing process, removed when it exits.
struct FuzzFile {
    std::string path = "/tmp/quinar_watchfile_fuzz_" + std::to_string(::getpid());
    ~FuzzFile() { ::unlink(path.c_str()); }
};

const std::string& FilePath()
{
    static FuzzFile file;
    return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    WatchLists lists;
    WatchFileFault fault;
    const bool decoded = DecodeWatchFile({data, size}, &lists, &fault);
    if (decoded && EncodeWatchFile(lists) != std::vector<uint8_t>(data, data + size))
        std::abort();
    if (!decoded && fault.offset > size)
        std::abort();

    Symbols().SetWatchList(0, {"sentinel"});
    if (FILE* f = std::fopen(FilePath().c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    const int restored = Var_RestoreVar(FilePath().c_str());
    if ((restored == 0) != decoded)
        std::abort();
    if (restored != 0 && (Symbols().WatchList(0).size() != 1 || Symbols().WatchFileMessage().empty()))
        std::abort();
    return 0;
}
