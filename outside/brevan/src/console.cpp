// ShlPrintMessage: the console of the main frame, or a sink in its place.
#include <platform/win32.h>

#include <cstring>
#include <string>

#include "brevan/brevan.h"
#include "emu_messages.h"
#include "server_state.h"

namespace brevan {

namespace {

MessageSink*& Sink()
{
    static MessageSink* sink = nullptr;
    return sink;
}

void SendBlock(HWND frame, const std::string& text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block)
        return;
    auto* data = static_cast<char*>(GlobalLock(block));
    std::memcpy(data, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    // The frame frees the block; one it did not take is freed here.
    if (!SendMessage(frame, WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, reinterpret_cast<LPARAM>(block)))
        GlobalFree(block);
}

void NewLine(HWND frame)
{
    SendMessage(frame, WM_EMU_UPDATE_VIEWS, DVK_CONSOLE_TEXT, 0);
}

void ToConsole(const std::string& text, int flag)
{
    HWND frame = Server().frame;
    if (!frame)
        return;
    if (flag == SHL_PRINT_RAW) {
        SendBlock(frame, text);
        return;
    }
    const std::string margin(BREVAN_OUTPUT_MARGIN, ' ');
    size_t start = 0;
    do {
        const size_t end = text.find('\n', start);
        SendBlock(frame, margin + text.substr(start, end == std::string::npos ? end : end - start));
        NewLine(frame);
        start = end == std::string::npos ? end : end + 1;
    } while (start < text.size());
}

}  // namespace

MessageSink* SetMessageSink(MessageSink* sink)
{
    MessageSink* previous = Sink();
    Sink() = sink;
    return previous;
}

}  // namespace brevan

extern "C" int ShlPrintMessage(const char* text, int flag)
{
    const std::string s = text ? text : "";
    if (brevan::MessageSink* sink = brevan::Sink())
        sink->Print(s, flag);
    else
        brevan::ToConsole(s, flag);
    return 0;
}
