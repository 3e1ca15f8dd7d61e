#include "platform/modal_ui.h"
#include "text_view_core.h"

namespace textcore {

namespace {

constexpr const char* kMessages[] = {
    "The text cannot be inserted. The line length would exceed 255 characters.",
    "The selected text length cannot exceed 32767.",
    "There isn't enough space in the undo buffer to save this action. Do you want to continue ?",
    "There are too many lines in this file. The file will be truncated.",
    "The text cannot be inserted. The file would exceed the max lines 32767.",
    "The line length exceeds 255 characters. The line will be truncated. Continue?",
    "This is not a text file. Continue?",
};

}  // namespace

const char* TextViewMessageText(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kMessages)))
        return "";
    return kMessages[index];
}

int TextViewMessage(int index, unsigned type)
{
    platform::MessageBoxRequest request;
    request.text = TextViewMessageText(index);
    request.caption = platform::AppName();
    request.type = type;
    return platform::ShowMessageBox(request);
}

}  // namespace textcore
