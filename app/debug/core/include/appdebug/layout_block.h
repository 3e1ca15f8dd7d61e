// The window layout block: the placements of the main window's MDI children
// (source documents, disassembly and mixed views, debug windows) in a
// little-endian CArchive stream that the project file keeps as its "Debug:"
// block. The project document writes the block to a temporary file and
// back; the writer and reader below work on that file.
//
// Record, in stream order: DWORD 0xFFFFFFFF; BYTE frame class (0 source
// frame, 1 debug window frame, 2 disassembly frame); BYTE sub-kind (class 1:
// the DebugViewKind; class 2: 14 disassembly, 15 mixed view); the path as a
// CString (class 0: relative to the project); the placement's flags,
// showCmd, min and max positions and normal rectangle (ten DWORDs, the
// rectangle's corner in client coordinates of the main window); then either
// DWORD 0x5AA54BB4 and six words (extended form) or two words (short form of
// older blocks). No header, count or terminator: the list ends with the
// stream.
#pragma once

#include <cstdint>
#include <string>

#include "platform/archive.h"
#include "platform/doc_view.h"
#include "platform/frame_wnd.h"

namespace appdebug {

class CDebugCore;
struct DebugWindowPlacement;

inline constexpr uint32_t kLayoutRecordMarker = 0xFFFFFFFFu;
inline constexpr uint32_t kLayoutExtensionMarker = 0x5AA54BB4u;
// A block shorter than this holds no record worth reading.
inline constexpr uint64_t kLayoutMinimumSize = 27;

enum LayoutFrameClass : uint8_t {
    kLayoutSourceFrame = 0,
    kLayoutDebugFrame = 1,
    kLayoutAsmFrame = 2,
};
inline constexpr uint8_t kLayoutAsmView = 14;
inline constexpr uint8_t kLayoutMixedView = 15;

// One record in memory.
struct LayoutRecord {
    uint8_t frameClass = 0;
    uint8_t subKind = 0;
    std::string path;
    WINDOWPLACEMENT placement;  // length 44
    // Memory window (class 1, kind 4): start address, display unit (low 16
    // bits), background, text and third colour word; Bit window (kind 11):
    // its view's two words in 2 and 3; word 5 reserved.
    uint32_t words[6] = {};
    // Read in the short form (two words); written back in it.
    bool shortForm = false;

    // Empty path, placement and words; length 44; extended form.
    void Clear() { *this = LayoutRecord{}; }
};

// One record in the record's form.
void WriteLayoutRecord(const LayoutRecord& record, CArchive& ar);
// FALSE at the end of the list: the stream ends before the marker, or the
// marker is another value. A record cut inside throws CArchiveException
// (endOfFile), as does a path longer than the bytes left. A short record
// keeps words 2 to 5 of `record` as they were.
BOOL ReadLayoutRecord(LayoutRecord& record, CArchive& ar);

// What the writer and the reader work on. The callers are the project
// document's save and open; the project's path is the base of every stored
// source path.
struct LayoutContext {
    CMDIFrameWnd* mainFrame = nullptr;
    // Debug window records are restored only with a core whose frame is
    // connected.
    CDebugCore* core = nullptr;
    CDocTemplate* sourceTemplate = nullptr;
    CDocTemplate* disassemblyTemplate = nullptr;
    CDocTemplate* mixedTemplate = nullptr;
    std::string projectPath;
};

// The stored form of a source document's path: its bare file name when it
// lies in the project's folder, else its folder relative to the project's
// with backslashes and a trailing backslash, then the file name.
std::string LayoutSourcePath(const std::string& documentPath, const std::string& projectPath);

// The records of the main frame's MDI children from the active one
// backwards in the stacking order. Frames that are neither a source frame,
// a disassembly frame nor a debug window of a known kind are left out.
void StoreDebugLayout(CArchive& ar, const LayoutContext& context);
// Reads records to the end of the list and restores each. A cut record
// ends the restoring with the exception passed on.
void RestoreDebugLayout(CArchive& ar, const LayoutContext& context);

// Creates or truncates the file and writes the layout; nothing (and no
// message) when the file cannot be opened.
void SaveDebugLayout(const std::string& path, const LayoutContext& context);

enum class LayoutLoad {
    Restored,  // read to its end; the file was deleted
    Skipped,   // missing, shorter than 27 bytes or not opened: untouched
    Cut,       // a record was cut or held a path past the end: what came
               // before it is restored, the file stays
};
// Restores the layout of a file written by SaveDebugLayout. A cut block
// never aborts the caller (the project's open goes on).
LayoutLoad LoadDebugLayout(const std::string& path, const LayoutContext& context);

// True when a file of that name exists.
bool FileExists(const std::string& path);

}  // namespace appdebug
