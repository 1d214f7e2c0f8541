#include "flow/module1.h"

int main(int argc, char** argv) {
    return Main(argc, argv);
}
