#include "export/unhintedface.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QPainterPath>
#include <QRawFont>

#include <algorithm>
#include <cmath>

// The copy draws the same glyphs with the same outlines and advances, and holds no hinting.
TEST(UnhintedFaceTest, CopyKeepsGlyphsOutlinesAndAdvancesButNoHinting)
{
    QRawFont original = QRawFont::fromFont(QFont(QStringLiteral("DejaVu Sans")));
    ASSERT_FALSE(original.fontTable("fpgm").isEmpty()) << "needs a hinted TrueType face";
    const QByteArray file = UnhintedFace::strip(original, QStringLiteral("Copy Sans"));
    ASSERT_FALSE(file.isEmpty());
    // At one pixel per font unit, hinting of the original moves points by rounding at most.
    const qreal size = original.unitsPerEm();
    original.setPixelSize(size);
    const QRawFont copy(file, size);
    ASSERT_TRUE(copy.isValid());
    EXPECT_EQ(copy.familyName(), QStringLiteral("Copy Sans"));
    for (const char *table : {"fpgm", "prep", "cvt "})
        EXPECT_TRUE(copy.fontTable(table).isEmpty()) << table;

    // Plain and accented (composite) letters, other scripts, digits, signs and beyond the basic
    // plane (double-struck A, a face).
    const QString text =
        QStringLiteral("Hamburg Åæ ÿ Ǻ ő Ωμέγα Жёлтый שלום سلام 0-9 € ∑ ✓ \U0001D538 \U0001F643");
    const QList<quint32> glyphs = original.glyphIndexesForString(text);
    ASSERT_FALSE(glyphs.contains(0u));
    ASSERT_EQ(copy.glyphIndexesForString(text), glyphs);
    EXPECT_EQ(copy.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics),
              original.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics));
    for (const quint32 glyph : glyphs) {
        const QPainterPath mine = copy.pathForGlyph(glyph);
        const QPainterPath theirs = original.pathForGlyph(glyph);
        EXPECT_EQ(mine.elementCount(), theirs.elementCount()) << glyph;
        const QRectF a = mine.boundingRect();
        const QRectF b = theirs.boundingRect();
        EXPECT_LE(std::max({std::abs(a.left() - b.left()), std::abs(a.top() - b.top()),
                            std::abs(a.right() - b.right()), std::abs(a.bottom() - b.bottom())}),
                  2.0)
            << glyph;
    }
}
