// A library under the simulator's name that lacks its entry.
extern "C" int Sim_Version()
{
    return 0;
}
