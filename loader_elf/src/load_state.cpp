#include "load_state.h"

#include "debug_dispatch.h"

namespace tarnel {

ElfLoadState& State()
{
    static ElfLoadState state;
    return state;
}

const ElfImage& LoadedElfImage()
{
    return State().image;
}

const std::vector<std::string>& LoadMessages()
{
    return State().messages;
}

void ReportReaderMessage(std::string text)
{
    std::vector<std::string>& m = State().messages;
    if (m.size() < MAX_READER_MESSAGES)
        m.push_back(std::move(text));
}

ReadErrors LoadReadErrors()
{
    return ReadErrors(State().imagePath, ReportReaderMessage);
}

void FreeSectionTable()
{
    ElfLoadState& s = State();
    s.image.sections.clear();
    s.image.sections.shrink_to_fit();
    s.notes.Clear();
}

void ForgetLoadedImage()
{
    ElfLoadState& s = State();
    s.startPC = 0;
    s.tables.sourceFiles.clear();
    s.tables.classRanges.clear();
    if (Readers().forgetImage)
        Readers().forgetImage();
}

}  // namespace tarnel
