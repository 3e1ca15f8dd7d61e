// A library without an ordinal table of its own that depends on one with a
// table.
extern "C" int TestPlugAnswer();

extern "C" int TestNoTableAnswer()
{
    return TestPlugAnswer() + 1;
}
