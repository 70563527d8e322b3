#include "frame/translation.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    g_installTranslation();
    return 0;
}
