#include "model/countrylibdb.h"

#include "frame/appdirs.h"
#include "frame/translation.h"
#include "model/modellog.h"
#include "model/sqlite3exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

namespace {

const char *const kResourcePath = ":/res/countries.db";

[[noreturn]] void throwCantCreate(const QString &path, const QString &reason)
{
    throw std::runtime_error(g_tr("IDS_COUNTRY_LIB_CANT_CREATE_%1_%2")
                                 .arg(QDir::toNativeSeparators(path), reason)
                                 .toStdString());
}

// Written through a temporary file and renamed into place, so that an interrupted copy never
// leaves a partial library behind to be reused from then on.
void copyLibraryTo(const QString &path)
{
    QFile resource(QString::fromLatin1(kResourcePath));
    if (!resource.exists())
        throw std::runtime_error(g_tr("IDS_COUNTRY_LIB_NOT_FOUND").toStdString());
    if (!resource.open(QIODevice::ReadOnly))
        throwCantCreate(path, resource.errorString());

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly) || target.write(resource.readAll()) < 0 ||
        !target.commit())
        throwCantCreate(path, target.errorString());
    qCInfo(lcModel) << "country library copied to" << path;
}

_CountryInfo countryOfRow(const Sqlite3Cursor &row)
{
    return _CountryInfo(row.getText(QStringLiteral("sn")), row.getText(QStringLiteral("n")),
                        row.getText(QStringLiteral("ln")), row.getText(QStringLiteral("pnum")),
                        row.getText(QStringLiteral("mmc")), row.getText(QStringLiteral("numc")),
                        row.getText(QStringLiteral("r1")));
}

Sqlite3Sql mccQuery(const QString &mcc)
{
    Sqlite3Sql sql("select c.* from mmc_sn as m inner join countries as c "
                   "on m.[sn] = c.sn and m.mmc=?");
    sql.addTextParam(mcc.trimmed());
    return sql;
}

} // namespace

CountryLibDb::CountryLibDb(const QString &mcc) : m_mcc(mcc) {}

CountryLibDb::~CountryLibDb() = default;

QString CountryLibDb::dbPath()
{
    return g_dataSaveDir().filePath(QStringLiteral("countries.db"));
}

void CountryLibDb::openCheck()
{
    if (isOpen())
        return;

    const QString path = dbPath();
    if (!QFileInfo(path).isFile())
        copyLibraryTo(path);
    openThrow(path, kOpenReadWrite);
    // A copy without the library's tables (an empty or damaged file) would fail every lookup for
    // as long as it stays; the embedded library takes its place.
    if (!hasLibraryTables()) {
        qCWarning(lcModel) << "replacing damaged country library" << path;
        close();
        copyLibraryTo(path);
        openThrow(path, kOpenReadWrite);
    }

    m_defCountryInfo =
        m_mcc.isEmpty() ? _CountryInfo() : firstCountry(mccQuery(m_mcc)).value_or(_CountryInfo());
    qCDebug(lcModel) << "default country of MCC" << m_mcc << "is" << m_defCountryInfo.sn;
}

bool CountryLibDb::hasLibraryTables()
{
    try {
        Sqlite3Cursor tables = queryThrow("select count(*) from sqlite_master where type='table' "
                                          "and name in ('countries', 'mmc_sn')");
        return tables.moveNext() && tables.getInt64(0) == 2;
    } catch (const Sqlite3Exception &e) {
        qCWarning(lcModel) << "country library unreadable:" << e.what();
        return false;
    }
}

const _CountryInfo &CountryLibDb::defCountryInfo()
{
    openCheck();
    return m_defCountryInfo;
}

_CountryInfo CountryLibDb::infoByMMC(const QString &mcc, bool *found)
{
    openCheck();
    return orDefault(firstCountry(mccQuery(mcc)), found);
}

_CountryInfo CountryLibDb::infoByCode(const QString &code, bool *found)
{
    openCheck();
    Sqlite3Sql sql("select * from countries where sn=?");
    sql.addTextParam(code.trimmed().toUpper());
    return orDefault(firstCountry(sql), found);
}

std::optional<_CountryInfo> CountryLibDb::firstCountry(const Sqlite3Sql &sql)
{
    Sqlite3Cursor rows = queryThrow(sql);
    if (!rows.moveNext())
        return std::nullopt;
    return countryOfRow(rows);
}

_CountryInfo CountryLibDb::orDefault(const std::optional<_CountryInfo> &info, bool *found) const
{
    if (found)
        *found = info.has_value();
    return info.value_or(m_defCountryInfo);
}
