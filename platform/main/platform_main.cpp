// main() of every program: hands over to the layer's start-up.
#include <windows.h>

int main() { plat::RunMain(PlatAppEntry()); }
