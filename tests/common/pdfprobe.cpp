#include "pdfprobe.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

QString PdfProbe::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    EXPECT_TRUE(finished) << program.toStdString() << " did not finish";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0)
        << program.toStdString() << ": " << process.readAllStandardError().toStdString();
    if (!finished || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfProbe::text(const QString &path)
{
    return run(QStringLiteral("pdftotext"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
}

int PdfProbe::pageCount(const QString &path)
{
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                                             QRegularExpression::MultilineOption)
                                              .match(info);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QStringList PdfProbe::fonts(const QString &path)
{
    // Rows after the two header lines: name type encoding emb sub uni object ID
    const QStringList lines =
        run(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList names;
    for (const QString &line : lines.mid(2))
        names << line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    return names;
}

QList<QSize> PdfProbe::images(const QString &path)
{
    // Rows: page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    const QStringList lines = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path})
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QList<QSize> sizes;
    for (const QString &line : lines.mid(2)) {
        const QStringList cells = line.simplified().split(QLatin1Char(' '));
        if (cells.size() > 4 && cells.at(2) == QLatin1String("image"))
            sizes << QSize(cells.at(3).toInt(), cells.at(4).toInt());
    }
    return sizes;
}
