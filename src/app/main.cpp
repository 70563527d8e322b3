#include "app/startup.h"

int main(int argc, char **argv)
{
    return g_runDesktop(argc, argv);
}
