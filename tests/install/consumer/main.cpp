// Makes and frees one viewer through the installed header and library.
#include <VirtRova.h>

#include <cstdio>

int main() {
    ViewerContext* viewer = Create();
    if (!viewer) return 1;
    Destroy(viewer);
    std::puts("viewer made and freed");
    return 0;
}
