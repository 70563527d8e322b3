#include "export/unhintedface.h"

#include "export/exportlog.h"

#include <QFont>
#include <QFontDatabase>
#include <QRawFont>
#include <QtEndian>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

namespace {

// The tables a copy keeps. Left out: the hinting programs and their storage ("cvt ", "fpgm",
// "prep"), tables only hinting uses ("LTSH", "VDMX") and the signature of the original file.
const char *const kKeptTables[] = {"BASE", "GDEF", "GPOS", "GSUB", "JSTF", "MATH", "OS/2",
                                   "cmap", "gasp", "glyf", "hdmx", "head", "hhea", "hmtx",
                                   "kern", "loca", "maxp", "name", "post", "vhea", "vmtx"};

// Name records replaced by the copy's own: family, unique id, full name and the typographic
// and WWS family names that would otherwise still name the original.
constexpr quint16 kReplacedNames[] = {1, 3, 4, 16, 17, 21, 22};

quint16 u16(const QByteArray &data, int at)
{
    return qFromBigEndian<quint16>(data.constData() + at);
}

quint32 u32(const QByteArray &data, int at)
{
    return qFromBigEndian<quint32>(data.constData() + at);
}

void put16(QByteArray &data, int at, quint16 value)
{
    qToBigEndian(value, data.data() + at);
}

void put32(QByteArray &data, int at, quint32 value)
{
    qToBigEndian(value, data.data() + at);
}

void append16(QByteArray &data, quint16 value)
{
    data.append(2, '\0');
    put16(data, int(data.size()) - 2, value);
}

void append32(QByteArray &data, quint32 value)
{
    data.append(4, '\0');
    put32(data, int(data.size()) - 4, value);
}

void padTo4(QByteArray &data)
{
    data.append((4 - data.size() % 4) % 4, '\0');
}

// One glyph's description without its instructions; nothing when it is cut short.
std::optional<QByteArray> stripGlyph(const QByteArray &glyph)
{
    const int size = int(glyph.size());
    if (size == 0)
        return glyph;
    if (size < 10)
        return std::nullopt;
    const auto contours = static_cast<qint16>(u16(glyph, 0));
    if (contours >= 0) {
        const int lengthAt = 10 + 2 * contours;
        if (lengthAt + 2 > size || lengthAt + 2 + u16(glyph, lengthAt) > size)
            return std::nullopt;
        QByteArray out = glyph.left(lengthAt);
        append16(out, 0);
        out.append(glyph.mid(lengthAt + 2 + u16(glyph, lengthAt)));
        return out;
    }
    // A composite: its components, each flagged as having no instructions after the last.
    constexpr quint16 kWordArgs = 0x1, kScale = 0x8, kMore = 0x20, kXYScale = 0x40,
                      kTwoByTwo = 0x80, kInstructions = 0x100;
    QByteArray out = glyph.left(10);
    int at = 10;
    for (bool more = true; more;) {
        if (at + 4 > size)
            return std::nullopt;
        const quint16 flags = u16(glyph, at);
        const int length = 4 + ((flags & kWordArgs) ? 4 : 2) +
                           ((flags & kScale)      ? 2
                            : (flags & kXYScale)  ? 4
                            : (flags & kTwoByTwo) ? 8
                                                  : 0);
        if (at + length > size)
            return std::nullopt;
        const int from = int(out.size());
        out.append(glyph.mid(at, length));
        put16(out, from, flags & ~kInstructions);
        at += length;
        more = (flags & kMore) != 0;
    }
    return out;
}

// "glyf" without instructions and its "loca" in the long format.
bool stripGlyphs(QByteArray &glyf, QByteArray &loca, bool longOffsets, int glyphCount)
{
    const int entry = longOffsets ? 4 : 2;
    if (glyphCount <= 0 || loca.size() < qsizetype(glyphCount + 1) * entry)
        return false;
    const auto offset = [&](int index) {
        return longOffsets ? u32(loca, index * 4) : quint32(u16(loca, index * 2)) * 2;
    };
    QByteArray newGlyf;
    QByteArray newLoca;
    for (int i = 0; i < glyphCount; ++i) {
        const quint32 from = offset(i);
        const quint32 to = offset(i + 1);
        if (to < from || to > quint32(glyf.size()))
            return false;
        const std::optional<QByteArray> glyph = stripGlyph(glyf.mid(from, to - from));
        if (!glyph)
            return false;
        append32(newLoca, quint32(newGlyf.size()));
        newGlyf.append(*glyph);
        padTo4(newGlyf);
    }
    append32(newLoca, quint32(newGlyf.size()));
    glyf = newGlyf;
    loca = newLoca;
    return true;
}

QByteArray utf16be(const QString &text)
{
    QByteArray out;
    for (const QChar c : text)
        append16(out, c.unicode());
    return out;
}

// The naming table with the copy's family in place of the original's; empty when unreadable.
QByteArray renamed(const QByteArray &name, const QString &family)
{
    if (name.size() < 6)
        return QByteArray();
    const int count = u16(name, 2);
    const int strings = u16(name, 4);
    if (6 + 12 * count > name.size())
        return QByteArray();
    // platform, encoding, language, name id -> text
    std::map<std::tuple<quint16, quint16, quint16, quint16>, QByteArray> records;
    for (int i = 0; i < count; ++i) {
        const int at = 6 + 12 * i;
        const quint16 language = u16(name, at + 4);
        const quint16 id = u16(name, at + 6);
        const int from = strings + u16(name, at + 10);
        const int length = u16(name, at + 8);
        if (from + length > name.size())
            return QByteArray();
        if (language >= 0x8000 || std::find(std::begin(kReplacedNames), std::end(kReplacedNames),
                                            id) != std::end(kReplacedNames))
            continue;
        records[{u16(name, at), u16(name, at + 2), language, id}] = name.mid(from, length);
    }
    constexpr quint16 kMac = 1, kWindows = 3, kUnicodeBmp = 1, kEnglish = 0x409;
    // Every PDF carries this table in its font subset; texts the Windows records hold too (the
    // licence, many kilobytes) are kept there only.
    std::set<quint16> windowsIds;
    for (const auto &record : records) {
        if (std::get<0>(record.first) == kWindows)
            windowsIds.insert(std::get<3>(record.first));
    }
    for (auto it = records.begin(); it != records.end();) {
        const bool twice =
            std::get<0>(it->first) == kMac && windowsIds.count(std::get<3>(it->first));
        it = twice ? records.erase(it) : std::next(it);
    }
    records[{kWindows, kUnicodeBmp, kEnglish, 1}] = utf16be(family);
    records[{kWindows, kUnicodeBmp, kEnglish, 3}] = utf16be(family);
    records[{kWindows, kUnicodeBmp, kEnglish, 4}] = utf16be(family);

    QByteArray out;
    append16(out, 0);
    append16(out, quint16(records.size()));
    append16(out, quint16(6 + 12 * records.size()));
    QByteArray texts;
    for (const auto &[key, text] : records) {
        const auto [platform, encoding, language, id] = key;
        for (const quint16 value :
             {platform, encoding, language, id, quint16(text.size()), quint16(texts.size())})
            append16(out, value);
        texts.append(text);
    }
    return out + texts;
}

// The character map with its full Unicode subtable (format 12: ranges, searched on every look-up)
// replaced by one glyph number per character from 0 on (format 10: an array, read directly).
// A PDF's font subset looks up every character of the basic plane once. Unchanged when there is
// no such subtable or the array would be large.
QByteArray withDirectLookUp(const QByteArray &cmap)
{
    constexpr quint32 kMaxChars = 0x30000;
    if (cmap.size() < 4)
        return cmap;
    const int records = u16(cmap, 2);
    if (4 + 8 * records > cmap.size())
        return cmap;
    std::vector<int> replaced;
    QByteArray glyphs;
    for (int i = 0; i < records; ++i) {
        const int at = 4 + 8 * i;
        const quint32 table = u32(cmap, at + 4);
        if (table + 16 > quint32(cmap.size()) || u16(cmap, int(table)) != 12)
            continue;
        replaced.push_back(at);
        if (!glyphs.isEmpty())
            continue; // the same map under another platform's name
        const quint32 groups = u32(cmap, int(table) + 12);
        if (groups > (quint32(cmap.size()) - table - 16) / 12)
            return cmap;
        for (quint32 g = 0; g < groups; ++g) {
            const int group = int(table + 16 + 12 * g);
            const quint32 first = u32(cmap, group);
            const quint32 last = u32(cmap, group + 4);
            const quint32 glyph = u32(cmap, group + 8);
            if (last < first || last >= kMaxChars || quint64(glyph) + (last - first) > 0xFFFF)
                return cmap;
            if (quint32(glyphs.size()) < 2 * (last + 1))
                glyphs.resize(2 * (last + 1), '\0');
            for (quint32 c = first; c <= last; ++c)
                put16(glyphs, int(2 * c), quint16(glyph + (c - first)));
        }
    }
    if (glyphs.isEmpty())
        return cmap;
    QByteArray out = cmap;
    padTo4(out);
    for (const int at : replaced)
        put32(out, at + 4, quint32(out.size()));
    append16(out, 10);
    append16(out, 0);
    append32(out, quint32(20 + glyphs.size()));
    append32(out, 0); // language
    append32(out, 0); // first character
    append32(out, quint32(glyphs.size() / 2));
    return out + glyphs;
}

quint32 checksum(const QByteArray &table)
{
    QByteArray padded = table;
    padTo4(padded);
    quint32 sum = 0;
    for (int at = 0; at < padded.size(); at += 4)
        sum += u32(padded, at);
    return sum;
}

// A font file of the given tables, with the checksums it declares.
QByteArray fontFile(const std::map<QByteArray, QByteArray> &tables)
{
    const auto count = quint16(tables.size());
    quint16 power = 1;
    quint16 log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    QByteArray out;
    append32(out, 0x00010000);
    append16(out, count);
    append16(out, quint16(power * 16));
    append16(out, log);
    append16(out, quint16(count * 16 - power * 16));
    int headAt = -1;
    quint32 offset = 12 + 16 * count;
    for (const auto &[tag, data] : tables) { // std::map keeps the tags sorted, as required
        out.append(tag);
        append32(out, checksum(data));
        append32(out, offset);
        append32(out, quint32(data.size()));
        offset += quint32(data.size() + (4 - data.size() % 4) % 4);
    }
    for (const auto &[tag, data] : tables) {
        if (tag == "head")
            headAt = int(out.size());
        out.append(data);
        padTo4(out);
    }
    if (headAt >= 0)
        put32(out, headAt + 8, 0xB1B0AFBA - checksum(out));
    return out;
}

} // namespace

QByteArray UnhintedFace::strip(const QRawFont &face, const QString &family)
{
    std::map<QByteArray, QByteArray> tables;
    for (const char *tag : kKeptTables) {
        const QByteArray data = face.fontTable(tag);
        if (!data.isEmpty())
            tables[QByteArray(tag)] = data;
    }
    QByteArray &head = tables["head"];
    QByteArray &maxp = tables["maxp"];
    QByteArray &name = tables["name"];
    if (head.size() < 54 || maxp.size() < 32 || u32(maxp, 0) != 0x00010000 ||
        !tables.count("glyf") || !tables.count("loca") || !tables.count("cmap"))
        return QByteArray();
    if (!stripGlyphs(tables["glyf"], tables["loca"], u16(head, 50) != 0, u16(maxp, 4)))
        return QByteArray();
    put16(head, 50, 1); // long "loca" offsets
    put32(head, 8, 0);  // the file's checksum adjustment, set when it is put together
    put16(maxp, 26, 0); // the largest glyph program
    name = renamed(name, family);
    tables["cmap"] = withDirectLookUp(tables["cmap"]);
    if (name.isEmpty())
        return QByteArray();
    return fontFile(tables);
}

QString UnhintedFace::install(const QFont &font)
{
    const QRawFont face = QRawFont::fromFont(font);
    const QString family = face.familyName() + QStringLiteral(" Unhinted");
    const QByteArray file = strip(face, family);
    const int id = file.isEmpty() ? -1 : QFontDatabase::addApplicationFontFromData(file);
    if (id < 0 || !QFontDatabase::applicationFontFamilies(id).contains(family)) {
        qCWarning(lcExport) << "cannot make an unhinted copy of" << font.family()
                            << "- the original is used";
        return font.family();
    }
    return family;
}
