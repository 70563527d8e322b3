#include "ui/dialoglook.h"

#include "ui/stylesheet.h"
#include "ui/winmovable.h"

#include <QDialog>

void g_applyDialogLook(QDialog &dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    new WinMovable(&dialog); // a child of the dialog, which owns it
    dialog.setStyleSheet(getStyleSheet());
}
