// The splash screen: a bitmap with a version line, shown while the program
// starts as an embedded or automation server, ending after its display
// time, on a click or Esc, or at once when its bitmap is missing. The window
// itself lives on the GUI thread (the Qt part draws it); this is its record:
// timers, fonts, layout words, texts and the end that brings the main
// window to the front.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <string>

#include "platform/win32.h"

namespace shell {

struct SplashFont {
    double points;
    int weight;
    bool italic;
    bool trueTypePrecision;  // OUT_TT_PRECIS, else the default precision
    std::string face;
};

inline constexpr uintptr_t kSplashStepTimer = 1;
inline constexpr uintptr_t kSplashDisplayTimer = 999;

class CSplashThread {
public:
    CSplashThread();
    virtual ~CSplashThread() = default;

    void SetBitmapId(UINT id) { bitmapId_ = id; }
    void SetDisplayTime(UINT ms) { displayTime_ = ms; }
    void SetStepInterval(UINT ms) { stepInterval_ = ms; }
    void SetTitle(const std::string& title) { title_ = title; }
    // The window to bring to the front at the end.
    void SetMainWindowFront(std::function<void()> front) { front_ = std::move(front); }
    void AddFirstLine(const std::string& line) { lists_[0].push_back(line); }
    void AddSecondLine(const std::string& line) { lists_[1].push_back(line); }
    void AddFifthLine(const std::string& line) { lists_[4].push_back(line); }

    UINT BitmapId() const { return bitmapId_; }
    UINT DisplayTime() const { return displayTime_; }
    UINT StepInterval() const { return stepInterval_; }
    const std::string& Title() const { return title_; }
    const std::string& VersionText() const { return version_; }
    const std::list<std::string>& Lines(int list) const { return lists_[list]; }
    const SplashFont& Font(int index) const { return fonts_[index]; }
    int LayoutWord(int index) const { return layout_[index]; }
    // The bitmap's file: the program folder's "quelm_bitmap_<id>.bmp";
    // empty when the id is 0 or the file is missing.
    std::string BitmapFile() const;
    // Cell height in pixels of a font: (dpi / 72) * points + 0.5, truncated.
    static int FontPixelHeight(int logPixelsY, double points);

    // The start (the thread's InitInstance): false, and the end at once,
    // when there is no bitmap to show.
    bool Start();
    virtual void Step() {}
    // Brings the main window to the front; once.
    void End();
    bool Ended() const { return ended_; }

protected:
    virtual void SetDefaultFonts();
    virtual void SetDefaultLayout();

    UINT bitmapId_ = 0;
    UINT displayTime_ = 30;
    UINT stepInterval_ = 0;
    SplashFont fonts_[5];
    int layout_[24] = {};
    std::string title_;
    std::string version_ = "Version 0.6";
    std::list<std::string> lists_[5];
    std::function<void()> front_;
    bool ended_ = false;
};

// The application's splash: bitmap 327, 4 s, a 2 ms step.
class CQuelmSplash : public CSplashThread {
public:
    CQuelmSplash();
};

}  // namespace shell
