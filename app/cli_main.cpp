#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("velbrin-cli %s\n", VELBRIN_VERSION);
            return 0;
        }
    }
    std::fprintf(stderr, "usage: velbrin-cli --version\n");
    return 2;
}
