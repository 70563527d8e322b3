// Which reactions stand once removals are applied, and how reactions find their targets.
#include "model/msgdata.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "model/msgreactions.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Row
{
    int type;
    const char *sender; // "" for the phone's owner
};

struct Case
{
    const char *name;
    std::vector<Row> rows; // oldest first
    QStringList standing;  // "kind sender"
};

} // namespace

TEST(MsgReactions, RemovalsCancelTheSameSendersEarlierReactionOfTheirKind)
{
    const Case cases[] = {
        {"reaction", {{2000, "a"}}, {"love a"}},
        {"removed", {{2000, "a"}, {3000, "a"}}, {}},
        {"removed by another", {{2000, "a"}, {3000, "b"}}, {"love a"}},
        {"other kind removed", {{2001, "a"}, {3000, "a"}}, {"like a"}},
        {"given again", {{2000, "a"}, {3000, "a"}, {2000, "a"}}, {"love a"}},
        {"removal first", {{3000, "a"}, {2000, "a"}}, {"love a"}},
        {"owner and contact", {{2003, ""}, {2003, "a"}, {3003, ""}}, {"laugh a"}},
    };
    for (const Case &c : cases) {
        MsgData data;
        __MsgData &d = *data.p();
        std::vector<std::unique_ptr<_MsgHandle>> handles;
        auto add = [&](qint64 rowid) {
            return __MsgData::insertOrGet(d.messages, rowid, [&] {
                auto msg = std::make_unique<_MsgMessage>();
                msg->rowid = msg->srcRowId = rowid;
                msg->setGuid(QStringLiteral("G%1").arg(rowid));
                msg->date = int(rowid) * 10;
                return msg;
            });
        };
        add(1);
        for (size_t i = 0; i < c.rows.size(); ++i) {
            _MsgMessage *row = add(qint64(i) + 2);
            row->associated_message_type = c.rows[i].type;
            row->setAssociatedMessageGuid(QStringLiteral("p:0/G1"));
            row->is_from_me = *c.rows[i].sender ? 0 : 1;
            if (!row->is_from_me) {
                handles.push_back(std::make_unique<_MsgHandle>());
                handles.back()->id = QString::fromLatin1(c.rows[i].sender);
                row->handle = handles.back().get();
            }
        }
        MsgReactions::link(d);
        QStringList standing;
        for (const _MsgMessage *r : MsgReactions::standing(*d.messages.value(1)))
            standing << MsgReactions::kindName(r->associated_message_type) + QLatin1Char(' ') +
                            (r->is_from_me ? QString() : r->handle->id);
        for (QString &s : standing)
            s = s.trimmed();
        EXPECT_EQ(standing, c.standing) << c.name;
        // Every row is attached to the target, none is listed alone.
        EXPECT_EQ(d.messages.value(1)->reactions.size(), qsizetype(c.rows.size())) << c.name;
    }
}

TEST(MsgReactions, TargetsAreNamedThreeWays)
{
    const struct
    {
        const char *stored;
        const char *guid;
    } cases[] = {
        {"p:0/ABC", "ABC"}, {"p:12/ABC", "ABC"}, {"bp:ABC", "ABC"}, {"ABC", "ABC"}, {"p:0", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(MsgReactions::targetGuid(QLatin1String(c.stored)), QLatin1String(c.guid))
            << c.stored;
}
