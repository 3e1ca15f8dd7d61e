struct Ring {
    int value;
    Ring& self;
    unsigned flag : 3;
};
enum Mode { Up = 1, Down = -1 };
class Box {
public:
    Box(int w) : width_(w) {}
    int Grow(int by)
    {
        width_ += by;
        return width_;
    }

private:
    int width_;
};
typedef short Grid[2][3];
Ring ring{1, ring, 2};
Grid grid;
Box box(4);
extern "C" int sum(int n)
{
    int total = 0;
    for (int i = 0; i < n; ++i) {
        int step = box.Grow(i) * (ring.self.flag ? Up : Down);
        total += step + grid[1][i % 3];
    }
    return total;
}
