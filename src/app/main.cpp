// korvid: turns a video into an animated preview grid.
#include <cstdio>

int main() {
    std::puts("Varnelo");
    return 0;
}
