#include "ui/chatmatch.h"

#include "model/msgchat.h"
#include "model/msgchatmerge.h"
#include "model/msghandle.h"

namespace {

// Fewer digits than this would match almost every number.
constexpr int kMinDigits = 3;

QString digitsOf(const QString &text)
{
    QString digits;
    for (const QChar c : text) {
        if (c.isDigit())
            digits.append(c);
    }
    return digits;
}

// Digits with the punctuation people type in numbers, and nothing else.
bool looksLikeNumber(const QString &keyword)
{
    static const QString punctuation = QStringLiteral("+-() ./");
    for (const QChar c : keyword) {
        if (!c.isDigit() && !punctuation.contains(c))
            return false;
    }
    return digitsOf(keyword).size() >= kMinDigits;
}

} // namespace

bool g_chatMatchesKeyword(const _MsgChatMerge &merge, const QString &title, const QString &keyword)
{
    if (title.contains(keyword, Qt::CaseInsensitive))
        return true;
    const QString keyDigits = looksLikeNumber(keyword) ? digitsOf(keyword) : QString();
    const auto matches = [&](const QString &text) {
        return text.contains(keyword, Qt::CaseInsensitive) ||
               (!keyDigits.isEmpty() && digitsOf(text).contains(keyDigits));
    };
    for (const _MsgChat *chat : merge.chats) {
        if (matches(chat->chat_identifier))
            return true;
        for (const _MsgHandle *handle : chat->handleMap) {
            if (matches(handle->id) || matches(handle->uncanonicalized_id) ||
                handle->_ct_name.contains(keyword, Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}
