static inline int twice(int v)
{
    return v < 1000 ? v * 2 : v;
}
