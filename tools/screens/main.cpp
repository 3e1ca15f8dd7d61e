// screens [--check] OUTDIR [NAME...]: builds each registered window offscreen
// with its realistic content and writes OUTDIR/NAME.png. With --check a
// window whose picture is blank (one colour, or nearly) fails the run.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QSet>

#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/qt/qt_loop.h"
#include "platform/qt/screens.h"

namespace {

// Distinct colours of a picture, counted up to `limit`.
int ColourCount(const QImage& image, int limit)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            seen.insert(image.pixel(x, y));
            if (seen.size() >= limit)
                return limit;
        }
    return static_cast<int>(seen.size());
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::qt::QtLoop loop;
    bool check = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--check")
            check = true;
        else
            args.push_back(argv[i]);
    }
    if (args.empty()) {
        std::fprintf(stderr, "usage: screens [--check] OUTDIR [NAME...]\n");
        return 2;
    }
    QDir out(QString::fromStdString(args[0]));
    if (!out.mkpath(".")) {
        std::fprintf(stderr, "screens: cannot make %s\n", args[0].c_str());
        return 1;
    }
    std::vector<std::string> wanted(args.begin() + 1, args.end());
    int failures = 0, written = 0;
    for (const auto& screen : platform::qt::Screens()) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), screen.name) == wanted.end())
            continue;
        QWidget* w = screen.build();
        if (!w) {
            std::fprintf(stderr, "screens: %s: no window\n", screen.name.c_str());
            ++failures;
            continue;
        }
        w->show();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        QImage image = w->grab().toImage();
        QString path = out.filePath(QString::fromStdString(screen.name) + ".png");
        if (!image.save(path)) {
            std::fprintf(stderr, "screens: cannot write %s\n", qPrintable(path));
            ++failures;
        } else {
            ++written;
            int colours = ColourCount(image, 8);
            std::printf("%s %dx%d %s\n", qPrintable(path), image.width(), image.height(), colours < 3 ? "BLANK" : "ok");
            if (check && colours < 3)
                ++failures;
        }
        w->hide();
        w->deleteLater();
        QApplication::processEvents();
    }
    for (const auto& name : wanted) {
        bool known = false;
        for (const auto& s : platform::qt::Screens())
            known = known || s.name == name;
        if (!known) {
            std::fprintf(stderr, "screens: no window named %s\n", name.c_str());
            ++failures;
        }
    }
    if (written == 0 && failures == 0) {
        std::fprintf(stderr, "screens: no windows registered\n");
        return 1;
    }
    // The screens' windows live to the end of the tool, some in function
    // statics: leave without static destructors, which would destroy those
    // windows after the thread's message queue has gone.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(failures ? 1 : 0);
}
