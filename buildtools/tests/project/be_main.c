/* Big-endian demo: no library calls. */
extern int thumb_sum(int a, int b);

int main(void)
{
    return thumb_sum(1, -1);
}
