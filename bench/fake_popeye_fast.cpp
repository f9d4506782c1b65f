// The benchmark's stand-in for Popeye: called as Popeye is ("-maxmem <memory> <file>"), it
// reads its input file and answers every problem with one key, as the real Popeye does for a
// simple #2 with NoBoard. It does no more than that, so that the benchmark measures the
// program's own work per item and not a script interpreter's start.
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4)
        return 2;
    std::FILE* input = std::fopen(argv[3], "rb");
    if (!input) {
        std::fputs("error opening input file: No such file or directory\n", stderr);
        return 0;
    }
    char buffer[4096];
    while (std::fread(buffer, 1, sizeof buffer, input) > 0) {
    }
    std::fclose(input);
    std::fputs("Popeye Linux-6.18.44-fc-v1374-unknown-64Bit v4.104 (4 MB)\n\n"
               "   1.Rb3-g3 ! threat:\n          2.Rg3-g8 #\n\n\n"
               "solution finished. Time = 0.005 s\n\n\n",
               stdout);
    return 0;
}
