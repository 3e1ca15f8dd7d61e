#include "shell/splash.h"

#include <filesystem>

#include "platform/modules.h"

namespace shell {

CSplashThread::CSplashThread()
{
    SetDefaultFonts();
    SetDefaultLayout();
}

void CSplashThread::SetDefaultFonts()
{
    fonts_[0] = {48, 700, true, true, "Courier New"};
    fonts_[1] = {18, 700, false, true, "Courier New"};
    fonts_[2] = {8, 400, false, false, "Courier New"};
    fonts_[3] = {22, 700, true, true, "Courier New"};
    fonts_[4] = {18, 700, true, true, "Courier New"};
}

void CSplashThread::SetDefaultLayout()
{
    // Origins of the first, second list, version, third, fourth list, title
    // and fifth list, then the line steps of the five lists.
    static constexpr int words[24] = {52,  86,  52, 121, 52, 210, 121, 210, 210, 210, 255, 210,
                                      255, 225, 0,  30,  0,  30,  0,   15,  0,   15,  0,   15};
    for (int i = 0; i < 24; ++i)
        layout_[i] = words[i];
}

std::string CSplashThread::BitmapFile() const
{
    if (bitmapId_ == 0)
        return {};
    std::string file = platform::ProgramFolder() + "/quelm_bitmap_" + std::to_string(bitmapId_) + ".bmp";
    return std::filesystem::is_regular_file(file) ? file : std::string();
}

int CSplashThread::FontPixelHeight(int logPixelsY, double points)
{
    return static_cast<int>((logPixelsY / 72) * points + 0.5);
}

bool CSplashThread::Start()
{
    if (BitmapFile().empty()) {
        End();
        return false;
    }
    return true;
}

void CSplashThread::End()
{
    if (ended_)
        return;
    ended_ = true;
    if (front_)
        front_();
}

CQuelmSplash::CQuelmSplash()
{
    SetBitmapId(327);
    SetDisplayTime(4000);
    SetStepInterval(2);
}

}  // namespace shell
