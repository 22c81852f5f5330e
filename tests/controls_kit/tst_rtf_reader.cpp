#include "rtf_reader.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

// The formatting of the character at offset `at` of the document's plain text.
static QTextCharFormat formatAt(QTextDocument &doc, const QString &text)
{
    const int at = doc.toPlainText().indexOf(text);
    if (at < 0)
        return QTextCharFormat();
    QTextCursor cursor(&doc);
    cursor.setPosition(at + 1); // the format of the character before the cursor
    return cursor.charFormat();
}

class TestRtfReader : public QObject
{
    Q_OBJECT

private slots:
    void formattingAndTables();
    void escapesAndSpecialCharacters();
    void unicodeSkipsItsStandIn();
    void skippedDestinations();
    void plainTextInput();
    void truncatedAndUnbalanced();
    void deepNesting();
    void randomGarbage();
    void hugeParameters();
};

void TestRtfReader::formattingAndTables()
{
    const QByteArray rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}{\\f1 Courier New;}}"
        "{\\colortbl\\red64\\green64\\blue64;\\red255\\green255\\blue64;\\red64\\green64\\blue255;}"
        "\\pard\\f0\\fs32\\cf0\r\n{\\b Title}\\par\\fs24 plain {\\cf1\\b Yellow} {\\cf2 Blue}"
        " {\\f1 mono} back\\par}";
    QTextDocument doc;
    RtfReader::read(rtf, &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("Title\nplain Yellow Blue mono back\n"));

    const QTextCharFormat title = formatAt(doc, QStringLiteral("Title"));
    QCOMPARE(title.fontWeight(), int(QFont::Bold));
    QCOMPARE(title.fontPointSize(), 16.0);
    QCOMPARE(title.foreground().color(), QColor(64, 64, 64));
    QCOMPARE(title.fontFamilies().toStringList(), QStringList{QStringLiteral("Verdana")});

    const QTextCharFormat plain = formatAt(doc, QStringLiteral("plain"));
    QCOMPARE(plain.fontWeight(), int(QFont::Normal));
    QCOMPARE(plain.fontPointSize(), 12.0);

    const QTextCharFormat yellow = formatAt(doc, QStringLiteral("Yellow"));
    QCOMPARE(yellow.foreground().color(), QColor(255, 255, 64));
    QCOMPARE(yellow.fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, QStringLiteral("Blue")).foreground().color(), QColor(64, 64, 255));
    QCOMPARE(formatAt(doc, QStringLiteral("Blue")).fontWeight(), int(QFont::Normal));
    QCOMPARE(formatAt(doc, QStringLiteral("mono")).fontFamilies().toStringList(),
             QStringList{QStringLiteral("Courier New")});
    // Group ends restore the formatting from before the group.
    const QTextCharFormat back = formatAt(doc, QStringLiteral("back"));
    QCOMPARE(back.foreground().color(), QColor(64, 64, 64));
    QCOMPARE(back.fontFamilies().toStringList(), QStringList{QStringLiteral("Verdana")});

    // \b0 turns bold off, an unknown colour index falls back to the default.
    RtfReader::read("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;}\\b bold\\b0  thin \\cf9 x}", &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("bold thin x"));
    QCOMPARE(formatAt(doc, QStringLiteral("thin")).fontWeight(), int(QFont::Normal));
    QVERIFY(!formatAt(doc, QStringLiteral("x")).hasProperty(QTextFormat::ForegroundBrush));
}

void TestRtfReader::escapesAndSpecialCharacters()
{
    QTextDocument doc;
    RtfReader::read("{\\rtf1 a\\{b\\}c\\\\d group \\emdash  dash\\'e9\\'80\\tab t\\~n}", &doc);
    QCOMPARE(doc.toRawText(), QStringLiteral("a{b}c\\d group \u2014 dash\u00e9\u20ac\tt\u00a0n"));
    // A \'hh with bad digits reads what it can.
    RtfReader::read("{\\rtf1 x\\'zy\\'4}", &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("xzy"));
}

void TestRtfReader::unicodeSkipsItsStandIn()
{
    QTextDocument doc;
    RtfReader::read("{\\rtf1\\uc1 A\\u8364?B\\u-3913?C\\uc2\\u946\\'3f\\'3fD}", &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("A\u20acB\uf0b7C\u03b2D"));
    // \uc0: nothing stands in.
    RtfReader::read("{\\rtf1\\uc0\\u65 x}", &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("Ax"));
}

void TestRtfReader::skippedDestinations()
{
    QTextDocument doc;
    RtfReader::read("{\\rtf1{\\*\\generator Writer;}{\\info{\\title T}}{\\stylesheet{\\s0 Normal;}}"
                    "{\\*\\unknownthing {nested text}}shown{\\unknownword kept}}",
                    &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("shownkept"));
}

void TestRtfReader::plainTextInput()
{
    QTextDocument doc;
    RtfReader::read("just {text}\nsecond line", &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("just {text}\nsecond line"));
    RtfReader::read(QByteArray(), &doc);
    QCOMPARE(doc.toPlainText(), QString());
    RtfReader::read("{\\rtf1 x}", nullptr); // no document: nothing happens
}

void TestRtfReader::truncatedAndUnbalanced()
{
    const QByteArray rtf =
        "{\\rtf1{\\fonttbl{\\f0 Verdana;}}{\\colortbl\\red1;}\\f0\\fs24 {\\b t}\\'e9\\u946?x\\par}";
    QTextDocument doc;
    for (int n = 0; n <= rtf.size(); ++n)
        RtfReader::read(rtf.left(n), &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("t\u00e9\u03b2x\n"));

    // Text after the document's closing brace and stray closing braces are ignored.
    RtfReader::read("{\\rtf1 in}}} out", &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("in"));
    RtfReader::read("{\\rtf1 open {{{ never closed", &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("open  never closed"));
    RtfReader::read("{\\rtf1 \\", &doc);
    RtfReader::read("{\\rtf1 \\'", &doc);
    RtfReader::read("{\\rtf1 \\u", &doc);
    RtfReader::read("{\\rtf1 \\fs-", &doc);
}

void TestRtfReader::deepNesting()
{
    const int depth = 200000;
    QByteArray rtf = "{\\rtf1\\b ";
    rtf += QByteArray(depth, '{');
    rtf += "\\b0 deep";
    rtf += QByteArray(depth, '}');
    rtf += " after}";
    QTextDocument doc;
    RtfReader::read(rtf, &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("deep after"));
    // The brace count still matches beyond the depth limit: "after" is bold again.
    QCOMPARE(formatAt(doc, QStringLiteral("after")).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, QStringLiteral("deep")).fontWeight(), int(QFont::Normal));
}

void TestRtfReader::randomGarbage()
{
    QRandomGenerator rng(4410);
    const char alphabet[] = "{}\\'*;abcfsu0123456789- \r\n";
    QTextDocument doc;
    for (int round = 0; round < 300; ++round) {
        QByteArray data = "{\\rtf1 ";
        const int len = int(rng.bounded(2000));
        for (int i = 0; i < len; ++i) {
            data +=
                rng.bounded(2) ? char(rng.bounded(256)) : alphabet[rng.bounded(int(sizeof(alphabet) - 1))];
        }
        RtfReader::read(data, &doc);
        QVERIFY(doc.characterCount() <= data.size() + 1);
    }
}

void TestRtfReader::hugeParameters()
{
    QTextDocument doc;
    RtfReader::read("{\\rtf1\\fs99999999999999999999 a\\cf-5 b\\uc99999999\\u99999999 cd\\f-2147483648 e"
                    "\\fs-4 f\\red999 g}",
                    &doc);
    QVERIFY(doc.toPlainText().startsWith(QStringLiteral("ab")));
    QVERIFY(formatAt(doc, QStringLiteral("a")).fontPointSize() > 0);
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtf_reader.moc"
