/* Compiled as Thumb code in an interwork project. */
int thumb_sum(int a, int b)
{
    return a + b;
}
