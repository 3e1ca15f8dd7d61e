// fendrix's C entry points: each converts its arguments and forwards to the
// typed interfaces.
#include "buildtools/exports.h"

#include "buildtools/build_runner.h"
#include "buildtools/compiler_block.h"
#include "buildtools/link_script.h"
#include "buildtools/makefile_writer.h"
#include "buildtools/module_state.h"
#include "buildtools/page_set.h"

#define FENDRIX_EXPORT __attribute__((visibility("default")))

namespace fendrix {

void HandleCompilerInfo(int op, void* a, void* b, int c)
{
    if (!a)
        return;
    auto& info = *static_cast<CompilerInfo*>(a);
    switch (op) {
    case 0:
        if (b)
            CopyCompilerInfo(info, *static_cast<CompilerInfo*>(b));
        break;
    case 1:
        if (!b)
            break;
        if (SerializeCompilerInfo(info, *static_cast<CArchive*>(b), c) && static_cast<CArchive*>(b)->IsLoading())
            Module::Instance().TakeFoldersFrom(info);
        break;
    case 2:
        ResetCompilerInfo(info, static_cast<const char*>(b));
        Module::Instance().State().projectDir = FolderOf(info.projectPath);
        break;
    default: break;
    }
}

int UpdateLinkModules(CompilerInfo& info)
{
    Module& module = Module::Instance();
    RefreshFromPages(info, module.State());
    module.RefreshFrom(info);
    const ModuleState& state = module.State();
    if (!state.customBuild)
        WriteMakefile(info, state);
    if (!state.userLinkScript)
        WriteLinkScript(info.projectPath, state.topOfMemory);
    return 1;
}

}  // namespace fendrix

extern "C" {

FENDRIX_EXPORT void TCHandleCompilerInfo(int op, void* a, void* b, int c)
{
    fendrix::HandleCompilerInfo(op, a, b, c);
}

FENDRIX_EXPORT int GetProjectSetting(CompilerInfo* info, void*)
{
    return info ? fendrix::ProjectSetting(*info) : 2;
}

FENDRIX_EXPORT int TCUpdateLinkModules(CompilerInfo* info)
{
    return info ? fendrix::UpdateLinkModules(*info) : 1;
}

FENDRIX_EXPORT void* TCBuild(void* request)
{
    if (!request)
        return nullptr;
    const BuildRequest fields = ReadBuildRequest(request);
    ::operator delete(request);
    return fendrix::BuildRunner::Instance().Start(fields.threadId, fendrix::CommandFor(fields));
}

FENDRIX_EXPORT void TCStopBuild()
{
    fendrix::BuildRunner::Instance().Stop();
}

FENDRIX_EXPORT const char* GetDefaultCompiler()
{
    return "";
}

FENDRIX_EXPORT void GetSupportCompilers(int) {}

FENDRIX_EXPORT void GetLibDir(void*) {}

}  // extern "C"
