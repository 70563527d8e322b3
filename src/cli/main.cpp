#include "frame/translation.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    g_installTranslation();
    return 0;
}
