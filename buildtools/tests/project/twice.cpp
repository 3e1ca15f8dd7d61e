namespace {
struct Doubler {
    int value;
    int get() const { return value * 2; }
};
}  // namespace

extern "C" int twice(int x)
{
    return Doubler{x}.get();
}
