// The clipboard: text as bytes in the text layer's codec. The Qt layer
// installs a service over QClipboard; without one the text stays in memory
// (tests). The Win32 calls the system makes (OpenClipboard, SetClipboardData
// with a CF_TEXT global block...) go to the installed service.
#pragma once

#include <string>

#include "platform/win32.h"

namespace platform {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void SetText(const std::string& bytes) = 0;
    virtual std::string GetText() const = 0;
    virtual bool HasText() const { return !GetText().empty(); }
};

Clipboard& GetClipboard();
// Installs a service (null: the memory one); returns the previous one.
Clipboard* SetClipboard(Clipboard* clipboard);

}  // namespace platform

extern "C" {
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
// CF_TEXT: a global block of NUL-terminated text; the clipboard owns it then.
HGLOBAL SetClipboardData(UINT format, HGLOBAL data);
// A block the clipboard owns (valid until the clipboard closes).
HGLOBAL GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
}
