#pragma once

#include "cli/clicommand.h"

#include <QList>

class MsgData;
struct _MsgMessage;

// Deletes messages (by row id) or a whole conversation from a local database, with the
// attachment files nothing else refers to. Phone databases and backups are never changed.
class DeleteCommand : public CliCommand
{
public:
    QString name() const override { return QStringLiteral("delete"); }
    QString usage() const override
    {
        return QStringLiteral("SOURCE (--message ROWID... | --chat ID)");
    }
    QString summary() const override
    {
        return QStringLiteral("delete messages or a conversation from a local database");
    }
    int run(CliContext &context, const QStringList &args) override;

private:
    struct Request
    {
        QString source;
        QList<qint64> rowids;
        QString chat;
    };

    static Request parse(const QStringList &args);
    // Every listed row id must name a message; all or nothing is deleted.
    static QList<_MsgMessage *> messagesByRowId(const MsgData &data, const QList<qint64> &rowids);
};
