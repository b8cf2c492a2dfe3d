// Writes the mixed ANSI flood file the terminals are timed on.
//   make_flood FILE [megabytes]   (default 100; whole blocks, so slightly over)
#include "bench/MixedAnsiStream.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_flood FILE [megabytes]\n");
        return 2;
    }
    const long long total = (argc > 2 ? std::atoll(argv[2]) : 100) * 1000 * 1000;
    std::FILE *file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    MixedAnsiStream stream;
    long long written = 0;
    while (written < total) {
        const std::string block = stream.next();
        if (std::fwrite(block.data(), 1, block.size(), file) != block.size())
            break;
        written += static_cast<long long>(block.size());
    }
    if (std::fclose(file) != 0 || written < total) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("%lld\n", written);
    return 0;
}
