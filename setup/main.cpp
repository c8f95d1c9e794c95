// The program's entry: the whole game runs in RunTessaroc.
#include "setup.h"

int main() {
    return RunTessaroc();
}
