#pragma once

#include <QString>

// The folders of pictures shipped beside the program and shared by the bubble view, the HTML
// export and printing: "bubble" (style sheet, bubble backgrounds, empty photo) and "emoji" (one
// PNG per code, "1F604.png").

// The folder that holds "bubble" and "emoji": the program's own folder when they are there (the
// build copies them beside every program), else the source tree's res/ (tests and tools run from
// the build tree). The bubble view uses it as its page's base address. Empty when neither exists.
QString g_pictureBaseDir();

// g_pictureBaseDir() + "/bubble", or empty when that folder does not exist.
QString g_bubblePictureDir();

// g_pictureBaseDir() + "/emoji", or empty when that folder does not exist.
QString g_emojiPictureDir();

// Whether the emoji folder holds a picture for the code ("1F604").
bool g_hasEmojiPicture(const QString &code);
