// Draws the user-defined button images ("User Buttons.bmp") at build time:
// make_user_buttons OUT.bmp. A strip of 16 x 15 images, one colour each
// with a dark frame, as a 24-bit bottom-up BMP.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_user_buttons OUT.bmp\n");
        return 2;
    }
    constexpr int kWidth = 16, kHeight = 15;
    const uint32_t colours[] = {0x3060C0, 0x30A050, 0xC04040, 0xC0A020, 0x8040A0, 0x209090, 0x707070, 0xD07020};
    constexpr int kCount = sizeof(colours) / sizeof(colours[0]);
    const int width = kWidth * kCount;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + stride * kHeight);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, width);
    Put32(out, kHeight);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, stride * kHeight);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = kHeight - 1; y >= 0; --y) {
        int written = 0;
        for (int x = 0; x < width; ++x) {
            const int ix = x % kWidth;
            uint32_t rgb = colours[x / kWidth];
            if (ix == 0 || ix == kWidth - 1 || y == 0 || y == kHeight - 1)
                rgb = 0xC0C0C0;  // the gap between images
            else if (ix == 1 || ix == kWidth - 2 || y == 1 || y == kHeight - 2)
                rgb = 0x202020;
            out.push_back(rgb & 0xFF);
            out.push_back((rgb >> 8) & 0xFF);
            out.push_back((rgb >> 16) & 0xFF);
            written += 3;
        }
        for (; written < stride; ++written)
            out.push_back(0);
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size()) {
        std::fprintf(stderr, "make_user_buttons: %s cannot be written\n", argv[1]);
        return 1;
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
