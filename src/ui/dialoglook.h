#pragma once

class QDialog;

// The common look of the program's own dialogs: frameless, movable by dragging, the style sheet.
void g_applyDialogLook(QDialog &dialog);
