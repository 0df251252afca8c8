#include "kesto.h"

int main(int argc, char **argv)
{
    return KestoMain(argc, argv);
}
