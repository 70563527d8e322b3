#include "frame/translation.h"

#include <QCoreApplication>
#include <QTranslator>

#include <memory>

bool g_installTranslation()
{
    // Lives as long as the application; installed once.
    static QTranslator *translator = nullptr;
    if (translator)
        return true;
    auto loaded = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!loaded->load(QStringLiteral(":/en.qm")))
        return false;
    QCoreApplication::installTranslator(loaded.get());
    translator = loaded.release();
    return true;
}

QString g_tr(const char *key)
{
    return QCoreApplication::translate(kTranslationContext, key);
}
