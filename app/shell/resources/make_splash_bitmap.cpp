// Draws the splash bitmap (resource 327) at build time: make_splash_bitmap OUT.bmp
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_splash_bitmap OUT.bmp\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QImage image(420, 270, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0, QColor(232, 240, 250));
    sky.setColorAt(1, QColor(176, 200, 228));
    p.fillRect(image.rect(), sky);

    // A processor package with its pins, and traces running off it.
    QRect chip(300, 40, 90, 90);
    p.setPen(QPen(QColor(90, 110, 140), 2));
    for (int i = 0; i < 6; ++i) {
        int y = chip.top() + 12 + i * 13;
        p.drawLine(chip.left() - 10, y, chip.left(), y);
        p.drawLine(chip.right(), y, chip.right() + 10, y);
        int x = chip.left() + 12 + i * 13;
        p.drawLine(x, chip.top() - 10, x, chip.top());
        p.drawLine(x, chip.bottom(), x, chip.bottom() + 10);
    }
    p.setPen(QPen(QColor(120, 150, 190), 2));
    for (int i = 0; i < 4; ++i) {
        int y = 52 + i * 26;
        p.drawLine(0, y - 30, 200, y - 30);
        p.drawLine(200, y - 30, 240, y);
        p.drawLine(240, y, chip.left() - 10, y);
        p.setBrush(QColor(120, 150, 190));
        p.drawEllipse(QPoint(30 * (i + 1), y - 30), 3, 3);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 52, 70));
    p.drawRoundedRect(chip, 6, 6);
    QFont mark("DejaVu Sans", 14, QFont::Bold);
    mark.setPixelSize(20);
    p.setFont(mark);
    p.setPen(QColor(220, 230, 240));
    p.drawText(chip, Qt::AlignCenter, "ARM");

    QFont title("DejaVu Serif");
    title.setPixelSize(40);
    title.setBold(true);
    title.setItalic(true);
    p.setFont(title);
    p.setPen(QColor(20, 40, 90));
    p.drawText(QRect(30, 150, 380, 46), Qt::AlignLeft | Qt::AlignVCenter, "Zelkor for Arm");
    QFont line("DejaVu Sans");
    line.setPixelSize(13);
    p.setFont(line);
    p.setPen(QColor(30, 50, 80));
    p.drawText(QRect(32, 190, 380, 18), Qt::AlignLeft | Qt::AlignVCenter,
               "An Integrated Tool for Embedded Development");
    p.end();
    if (!image.save(argv[1], "BMP")) {
        std::fprintf(stderr, "make_splash_bitmap: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
