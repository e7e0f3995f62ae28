#include "TemporaryDirectory.h"
#include "views/primitives/ViewFonts.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLocale>
#include <QProcess>
#include <QRawFont>
#include <QScreen>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

const QString simplifiedFamily = QStringLiteral("Noto Sans CJK SC");

// The faces that draw `text` in `font`, with each glyph's index in its face.
QList<QGlyphRun> glyphRuns(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return layout.glyphRuns();
}

// Characters whose Simplified Chinese forms differ from the Japanese ones in the same family.
const QString chineseSample = QStringLiteral("所启次置");

// Chinese and Latin text of a view are drawn by the Simplified Chinese face, at the weight asked
// for, glyph for glyph as that face maps them, whatever locale this process runs under (the
// locale cases below run this same test in a child process under each locale).
TEST(ViewFontsTests, ChineseAndLatinTextComeFromTheSimplifiedFaceAtTheAskedWeight)
{
    const QByteArray expectedLocale = qgetenv("PULSEGROVE_EXPECTED_LOCALE");
    if (!expectedLocale.isEmpty()) {
        ASSERT_EQ(QLocale::system().name(), QString::fromLatin1(expectedLocale));
    }

    const QRawFont japanese = QRawFont::fromFont(QFont(QStringLiteral("Noto Sans CJK JP")));
    const QRawFont simplified = QRawFont::fromFont(QFont(simplifiedFamily));
    ASSERT_EQ(simplified.familyName(), simplifiedFamily) << "the Simplified Chinese face is not installed";
    const QList<quint32> simplifiedGlyphs = simplified.glyphIndexesForString(chineseSample);
    if (japanese.familyName() == QStringLiteral("Noto Sans CJK JP")) {
        ASSERT_NE(japanese.glyphIndexesForString(chineseSample), simplifiedGlyphs)
            << "the sample must tell the two faces apart";
    }

    struct Case {
        QFont::Weight weight;
        int faceWeight;
        const char *styleName;
    };
    for (const Case &c :
         {Case{QFont::Normal, QFont::Normal, "Regular"}, Case{QFont::Medium, QFont::Medium, "Medium"},
          Case{QFont::Bold, QFont::Bold, "Bold"}}) {
        SCOPED_TRACE(c.styleName);
        const QFont font = ViewFonts::systemFont(10.5, c.weight);
        for (const QString &text : {chineseSample, QStringLiteral("PRO 20× 12:30")}) {
            const QList<QGlyphRun> runs = glyphRuns(text, font);
            ASSERT_FALSE(runs.isEmpty());
            for (const QGlyphRun &run : runs) {
                EXPECT_EQ(run.rawFont().familyName(), simplifiedFamily) << text.toStdString();
                EXPECT_EQ(run.rawFont().weight(), c.faceWeight) << text.toStdString();
                EXPECT_EQ(run.rawFont().styleName(), QString::fromLatin1(c.styleName)) << text.toStdString();
            }
            if (text == chineseSample) {
                EXPECT_EQ(runs.first().glyphIndexes().size(), chineseSample.size());
            }
        }
        // The weights share the character map, so the regular face's indexes hold for each.
        EXPECT_EQ(glyphRuns(chineseSample, font).first().glyphIndexes(), simplifiedGlyphs);
    }
    EXPECT_EQ(QFontInfo(QApplication::font()).family(), simplifiedFamily);
}

// One design point is one logical pixel at any font DPI, so text keeps its proportion to the
// layout's fixed sizes; the DPI case below runs this same test under a font DPI of 144.
TEST(ViewFontsTests, SizesAreLogicalPixelsAndTrackingWidensText)
{
    const QByteArray expectedDpi = qgetenv("PULSEGROVE_EXPECTED_FONT_DPI");
    if (!expectedDpi.isEmpty()) {
        ASSERT_EQ(qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()), expectedDpi.toInt());
    }

    for (const qreal points : {9.0, 10.5, 14.0, 30.0}) {
        const QFont font = ViewFonts::systemFont(points, QFont::Bold);
        EXPECT_NEAR(QFontInfo(font).pixelSize(), points, 0.5) << points;
        EXPECT_NEAR(QFontMetricsF(font).height(), points * 1.45, points * 0.1) << points;
    }
    EXPECT_NEAR(QFontInfo(QApplication::font()).pixelSize(), ViewFonts::bodyPoints, 0.5);

    const QFont font = ViewFonts::systemFont(14, QFont::Bold);
    const QString text = QStringLiteral("PLUS");
    const qreal plain = QFontMetricsF(font).horizontalAdvance(text);
    EXPECT_NEAR(QFontMetricsF(ViewFonts::tracked(font, 0.5)).horizontalAdvance(text) - plain, 4 * 0.5, 0.3);
}

// Runs one test of this executable in a child process with extra environment variables set
// before the application and its fonts start; the child's own assertions decide.
void expectChildPasses(const char *testName, const QList<std::pair<QString, QString>> &environment)
{
    QProcess child;
    QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
    childEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    childEnvironment.remove(QStringLiteral("PULSEGROVE_VIEW_SNAPSHOTS"));
    for (const auto &[name, value] : environment)
        childEnvironment.insert(name, value);
    child.setProcessEnvironment(childEnvironment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ViewFontsTests.") + QString::fromLatin1(testName)});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
}

TEST(ViewFontsTests, TheSimplifiedFaceHoldsUnderEveryLocale)
{
    struct Case {
        const char *lang, *expectedLocale;
    };
    for (const Case &c :
         {Case{"en_US.UTF-8", "en_US"}, Case{"ja_JP.UTF-8", "ja_JP"}, Case{"zh_TW.UTF-8", "zh_TW"}}) {
        SCOPED_TRACE(c.lang);
        const QString lang = QString::fromLatin1(c.lang);
        expectChildPasses(
            "ChineseAndLatinTextComeFromTheSimplifiedFaceAtTheAskedWeight",
            {{QStringLiteral("LANG"), lang},
             {QStringLiteral("LC_ALL"), lang},
             {QStringLiteral("LANGUAGE"), lang.section(QLatin1Char('.'), 0, 0)},
             {QStringLiteral("PULSEGROVE_EXPECTED_LOCALE"), QString::fromLatin1(c.expectedLocale)}});
    }
}

// A screen of 144 DPI as a desktop without scaling reports it (font DPI 144), and as Qt reports
// it when it rounds that screen's scale to 2 (font DPI 72).
TEST(ViewFontsTests, SizesHoldAtOtherFontDpis)
{
    const testing::TemporaryDirectory folder;
    const QString screens = QString::fromStdString(
        folder
            .writeFile("screens.json", R"({"screens": [{"name": "dense", "x": 0, "y": 0, "width": 1920,
            "height": 1080, "logicalDpi": 144, "logicalBaseDpi": 96, "dpr": 1}]})")
            .string());
    struct Case {
        const char *variable, *value, *fontDpi;
    };
    for (const Case &c : {Case{"QT_ENABLE_HIGHDPI_SCALING", "0", "144"},
                          Case{"QT_SCALE_FACTOR_ROUNDING_POLICY", "Round", "72"}}) {
        SCOPED_TRACE(c.variable);
        expectChildPasses(
            "SizesAreLogicalPixelsAndTrackingWidensText",
            {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screens},
             {QString::fromLatin1(c.variable), QString::fromLatin1(c.value)},
             {QStringLiteral("PULSEGROVE_EXPECTED_FONT_DPI"), QString::fromLatin1(c.fontDpi)}});
    }
}

} // namespace
} // namespace pulsegrove
