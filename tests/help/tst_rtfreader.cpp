// The rich-text reader: text and formats of each construct, hostile input, and documents written by
// real word processors.
#include "help/rtfcodepages.h"
#include "help/rtfreader.h"
#include "support/pixels.h"
#include "support/testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

namespace {

// Paragraphs joined with newlines; line breaks, pictures and no-break spaces stay as they are.
QString textOf(const QTextDocument& doc) {
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        blocks << b.text();
    }
    return blocks.join(u'\n');
}

QString readText(const QByteArray& rtf) {
    QTextDocument doc;
    if (!rtf::read(rtf, doc)) {
        return QStringLiteral("<not rtf>");
    }
    return textOf(doc);
}

// The character format of the first character of `word`.
QTextCharFormat formatOf(const QTextDocument& doc, const QString& word) {
    const QTextCursor found = doc.find(word);
    if (found.isNull()) {
        return {};
    }
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

QString sourceDir() {
    return QStringLiteral(RAVENMARK_SOURCE_DIR "/tests/help");
}

// Words of a plain-text rendering, without what only decorates: list bullets, table rules,
// picture placeholders.
QStringList wordsOf(QString text) {
    QStringList words;
    for (const QString& line : text.split(u'\n')) {
        static const QRegularExpression rule(QStringLiteral("^[-+|= ]*$"));
        if (rule.match(line).hasMatch()) {
            continue;
        }
        for (const QString& w :
             line.split(QRegularExpression(QStringLiteral("[\\s\\x{2028}]+")), Qt::SkipEmptyParts)) {
            if (w != u"-" && w != u"\u2022" && w != u"[]" && w != u"\uFFFC" && w != u"|") {
                words << w;
            }
        }
    }
    return words;
}

bool run(const QString& program, const QStringList& args, const QString& dir, QByteArray* out = nullptr) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning() << program << args << p.readAllStandardError();
        return false;
    }
    if (out != nullptr) {
        *out = p.readAllStandardOutput();
    }
    return true;
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private slots:
    void text_data();
    void text();
    void notRtf();
    void characterFormats_data();
    void characterFormats();
    void paragraphFormats_data();
    void paragraphFormats();
    void tableColumns_data();
    void tableColumns();
    void pictures_data();
    void pictures();
    void cutAnywhere();
    void codePagesMatchPython_data();
    void codePagesMatchPython();
    void realWriters_data();
    void realWriters();
    void corpusReplay();
};

void TestRtfReader::text_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    // Groups and control words
    QTest::newRow("plain") << QByteArray("{\\rtf1 Hello}") << "Hello";
    QTest::newRow("space ends a word, the next one is text")
        << QByteArray("{\\rtf1\\b Hi\\b0  you}") << "Hi you";
    QTest::newRow("escaped braces and backslash") << QByteArray("{\\rtf1 a\\{b\\}c\\\\d}") << "a{b}c\\d";
    QTest::newRow("line ends are not text") << QByteArray("{\\rtf1 a\r\nb\nc}") << "abc";
    QTest::newRow("unknown word ignored") << QByteArray("{\\rtf1 \\frobnicate42 text}") << "text";
    QTest::newRow("nothing after the document") << QByteArray("{\\rtf1 a}b{c}") << "a";
    QTest::newRow("leading white space") << QByteArray("\r\n {\\rtf1 a}") << "a";
    // Breaks
    QTest::newRow("par") << QByteArray("{\\rtf1 one\\par two}") << "one\ntwo";
    QTest::newRow("backslash newline is par") << QByteArray("{\\rtf1 one\\\ntwo}") << "one\ntwo";
    QTest::newRow("page and sect end paragraphs") << QByteArray("{\\rtf1 a\\page b\\sect c}") << "a\nb\nc";
    QTest::newRow("line") << QByteArray("{\\rtf1 a\\line b}") << QStringLiteral("a\u2028b");
    QTest::newRow("tab") << QByteArray("{\\rtf1 a\\tab b}") << "a\tb";
    QTest::newRow("special spaces and hyphens")
        << QByteArray("{\\rtf1 a\\~b\\-c\\_d}") << QStringLiteral("a\u00A0b\u00ADc\u2011d");
    QTest::newRow("named characters")
        << QByteArray("{\\rtf1 \\bullet\\endash\\emdash\\lquote\\rquote\\ldblquote\\rdblquote}")
        << QStringLiteral("\u2022\u2013\u2014\u2018\u2019\u201C\u201D");
    // Code pages
    QTest::newRow("1252 by default") << QByteArray("{\\rtf1 \\'80 \\'e9}") << QStringLiteral("\u20AC \u00E9");
    QTest::newRow("ansicpg 1250") << QByteArray("{\\rtf1\\ansi\\ansicpg1250 \\'9a\\'e8}")
                                  << QStringLiteral("\u0161\u010D");
    QTest::newRow("font charset 238 over a 1252 document")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial "
                      "CE;}}\\'e8\\f1\\'e8}")
        << QStringLiteral("\u00E8\u010D");
    QTest::newRow("font charset 204") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset204 Arial;}}\\'cf\\'f0}")
                                      << QStringLiteral("\u041F\u0440");
    QTest::newRow("default font's charset")
        << QByteArray("{\\rtf1\\deff1{\\fonttbl{\\f1\\fcharset161 A;}}\\'e1}") << QStringLiteral("\u03B1");
    QTest::newRow("font code page") << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset1\\cpg1257 A;}}\\'e0}")
                                    << QStringLiteral("\u0105");
    QTest::newRow("plain returns to the default font")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 A;}{\\f1\\fcharset204 B;}}\\f1\\'e0\\plain\\'e0}")
        << QStringLiteral("\u0430\u00E0");
    QTest::newRow("Symbol font bullet")
        << QByteArray("{\\rtf1{\\fonttbl{\\f2\\fcharset2 Symbol;}}{\\f2\\'b7}x}")
        << QStringLiteral("\u2022x");
    QTest::newRow("unknown code page reads as 1252")
        << QByteArray("{\\rtf1\\ansicpg932 \\'e9}") << QStringLiteral("\u00E9");
    QTest::newRow("bad hex digits dropped") << QByteArray("{\\rtf1 a\\'zzb}") << "azzb";
    // Unicode
    QTest::newRow("u with one fallback") << QByteArray("{\\rtf1 \\u8364?5}") << QStringLiteral("\u20AC5");
    QTest::newRow("u with hex fallback") << QByteArray("{\\rtf1 \\u233\\'e9x}") << QStringLiteral("\u00E9x");
    QTest::newRow("uc2") << QByteArray("{\\rtf1\\uc2 \\u8364??x}") << QStringLiteral("\u20ACx");
    QTest::newRow("uc0") << QByteArray("{\\rtf1\\uc0 \\u8364?x}") << QStringLiteral("\u20AC?x");
    QTest::newRow("uc is scoped to its group")
        << QByteArray("{\\rtf1{\\uc2 \\u233??}\\u233?x}") << QStringLiteral("\u00E9\u00E9x");
    QTest::newRow("fallback ends at a brace")
        << QByteArray("{\\rtf1\\uc3{\\u233?}x}") << QStringLiteral("\u00E9x");
    QTest::newRow("negative u") << QByteArray("{\\rtf1 \\u-4064?}") << QStringLiteral("\uF020");
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}")
                                    << QStringLiteral("\U0001F600");
    // Destinations
    QTest::newRow("starred unknown destination skipped")
        << QByteArray("{\\rtf1{\\*\\foo bar{\\b x}}baz}") << "baz";
    QTest::newRow("tables and info skipped")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}{\\stylesheet{\\s1 "
                      "Heading;}}"
                      "{\\info{\\title T}{\\author A}}body}")
        << "body";
    QTest::newRow("header, footer, footnote skipped")
        << QByteArray("{\\rtf1{\\header H}{\\footer F}a{\\footnote N}b}") << "ab";
    QTest::newRow("field shows its result")
        << QByteArray("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}") << "link";
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v secret}b\\v c\\v0 d}") << "abd";
    QTest::newRow("old list number") << QByteArray(
                                            "{\\rtf1{\\*\\pn\\pnlvlblt{\\pntxtb x}}{\\pntext 1.\\tab}Item}")
                                     << "1.\tItem";
    QTest::newRow("list text") << QByteArray("{\\rtf1{\\listtext\\pard\\plain \\u8226\\'95\\tab}Item}")
                               << QStringLiteral("\u2022\tItem");
    QTest::newRow("alternative picture skipped")
        << QByteArray("{\\rtf1 a{\\nonshppict{\\pict\\wmetafile8 0102}}b}") << "ab";
    QTest::newRow("binary data skipped with its braces") << QByteArray("{\\rtf1 a\\bin3 {}}b}") << "ab";
    // Tables
    QTest::newRow("Word row")
        << QByteArray(
               "{\\rtf1\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row\\pard after\\par}")
        << "a\tb\nafter\n";
    QTest::newRow("cells ending in par")
        << QByteArray("{\\rtf1{\\trowd\\cellx9\\intbl{{\\pard\\intbl x\\par}\\cell}{{\\pard\\intbl "
                      "y\\par}\\cell}\\intbl\\row}z}")
        << "x\ty\nz";
    QTest::newRow("two paragraphs in a cell")
        << QByteArray("{\\rtf1\\trowd\\pard\\intbl p\\par q\\cell r\\cell\\row}")
        << QStringLiteral("p\u2028q\tr\n");
    QTest::newRow("empty cell keeps its place")
        << QByteArray("{\\rtf1\\trowd\\intbl a\\cell\\cell c\\cell\\row}") << "a\t\tc\n";
    // Malformed and hostile input
    QTest::newRow("malformed: unclosed groups") << QByteArray("{\\rtf1 a{\\b b{\\i c") << "abc";
    QTest::newRow("malformed: extra closing braces") << QByteArray("{\\rtf1 a}}}}b") << "a";
    QTest::newRow("malformed: cut in a word") << QByteArray("{\\rtf1 a\\pa") << "a";
    QTest::newRow("malformed: cut after backslash") << QByteArray("{\\rtf1 a\\") << "a";
    QTest::newRow("malformed: cut in hex") << QByteArray("{\\rtf1 a\\'e") << "ae";
    QTest::newRow("malformed: cut in u") << QByteArray("{\\rtf1 a\\u83") << QStringLiteral("aS");
    QTest::newRow("malformed: cut in a picture") << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e") << "a";
    QTest::newRow("malformed: cut in font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari") << "";
    QTest::newRow("malformed: huge parameter")
        << QByteArray("{\\rtf1\\fs99999999999999999999999 a\\li-99999999999999999999 b}") << "ab";
    QTest::newRow("malformed: huge u")
        << QByteArray("{\\rtf1 \\u99999999999999?x}") << QString(QChar(char16_t(1000000000 % 65536))) + "x";
    QTest::newRow("malformed: huge uc") << QByteArray("{\\rtf1\\uc99999999999 \\u65 abc}") << "A";
    QTest::newRow("malformed: huge bin") << QByteArray("{\\rtf1 a\\bin99999999999999999999 bcd}") << "a";
    QTest::newRow("malformed: negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << "ab";
    QTest::newRow("malformed: huge colour")
        << QByteArray("{\\rtf1{\\colortbl;\\red99999\\green-5\\blue300;}\\cf1 a}") << "a";
    QTest::newRow("malformed: picture in a picture") << QByteArray("{\\rtf1{\\pict{\\pict 00}00}a}") << "a";
    QTest::newRow("malformed: very long word") << "{\\rtf1\\" + QByteArray(100000, 'x') + " a}"
                                               << "a";
    QTest::newRow("malformed: very long number") << "{\\rtf1\\fs" + QByteArray(100000, '9') + " a}"
                                                 << "a";
    QTest::newRow("malformed: NUL and control bytes") << QByteArray("{\\rtf1 a\0\x01\x1f b}", 14) << "a b";
    QTest::newRow("malformed: 100000 nested groups")
        << "{\\rtf1 " + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}') + "x}"
        << "deepx";
    QTest::newRow("malformed: 100000 unclosed groups") << "{\\rtf1 " + QByteArray(100000, '{') + "deep"
                                                       << "deep";
    QTest::newRow("malformed: deep skipped destination")
        << "{\\rtf1{\\*\\x " + QByteArray(50000, '{') + "no" + QByteArray(50000, '}') + "}yes}"
        << "yes";
    QTest::newRow("malformed: formatting deep down ends with its group")
        << "{\\rtf1 " + QByteArray(2000, '{') + "\\b x" + QByteArray(2000, '}') + "y}"
        << "xy";
}

void TestRtfReader::text() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QTextDocument doc;
    QVERIFY(rtf::read(rtf, doc));
    QCOMPARE(textOf(doc), expected);
    QVERIFY(doc.characterCount() <= rtf.size() + 1);
}

void TestRtfReader::notRtf() {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old"));
    QVERIFY(!rtf::read("plain text", doc));
    QVERIFY(doc.isEmpty());
    QVERIFY(!rtf::read("", doc));
    QVERIFY(!rtf::read("{\\rt", doc));
    QVERIFY(rtf::read("{\\rtf", doc));
}

void TestRtfReader::characterFormats_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strike");
    QTest::addColumn<double>("points");
    QTest::addColumn<QString>("colour");     // "" when none is set
    QTest::addColumn<QString>("background"); // "" when none is set
    QTest::addColumn<QString>("family");     // "" when none is set

    const QByteArray head = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\froman Times New Roman;}}"
                            "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    auto row = [&](const char* name, const char* body, const char* word, bool b, bool i, bool u, bool s,
                   double pt, const char* fg, const char* bg, const char* family) {
        QTest::newRow(name) << head + body + "}" << QString::fromUtf8(word) << b << i << u << s << pt
                            << QString::fromLatin1(fg) << QString::fromLatin1(bg)
                            << QString::fromLatin1(family);
    };
    row("default", "plain", "plain", false, false, false, false, 12, "", "", "Arial");
    row("bold", "\\b bold", "bold", true, false, false, false, 12, "", "", "Arial");
    row("b0 ends bold", "\\b x\\b0 after", "after", false, false, false, false, 12, "", "", "Arial");
    row("group restores", "{\\b\\i x}after", "after", false, false, false, false, 12, "", "", "Arial");
    row("italic", "\\i it", "it", false, true, false, false, 12, "", "", "Arial");
    row("underline", "\\ul un", "un", false, false, true, false, 12, "", "", "Arial");
    row("double underline", "\\uldb un", "un", false, false, true, false, 12, "", "", "Arial");
    row("ulnone", "\\ul x\\ulnone after", "after", false, false, false, false, 12, "", "", "Arial");
    row("ul0", "\\ul x\\ul0 after", "after", false, false, false, false, 12, "", "", "Arial");
    row("strike", "\\strike st", "st", false, false, false, true, 12, "", "", "Arial");
    row("size in half points", "\\fs36 big", "big", false, false, false, false, 18, "", "", "Arial");
    row("size zero is the default", "\\fs0 sz", "sz", false, false, false, false, 12, "", "", "Arial");
    row("font", "\\f1 serif", "serif", false, false, false, false, 12, "", "", "Times New Roman");
    row("unknown font keeps none", "\\f7 unk", "unk", false, false, false, false, 12, "", "", "");
    row("colour", "\\cf1 red", "red", false, false, false, false, 12, "#ff0000", "", "Arial");
    row("auto colour", "\\cf1 x\\cf0 auto", "auto", false, false, false, false, 12, "", "", "Arial");
    row("colour beyond the table", "\\cf9 none", "none", false, false, false, false, 12, "", "", "Arial");
    row("highlight", "\\highlight2 hi", "hi", false, false, false, false, 12, "", "#0000ff", "Arial");
    row("cb", "\\cb1 hi", "hi", false, false, false, false, 12, "", "#ff0000", "Arial");
    row("plain resets", "\\b\\i\\fs40\\cf1\\f1 x\\plain after", "after", false, false, false, false, 12, "",
        "", "Arial");
    row("all at once", "\\b\\i\\ul\\strike\\fs20\\cf2\\highlight1\\f1 all", "all", true, true, true, true, 10,
        "#0000ff", "#ff0000", "Times New Roman");
}

void TestRtfReader::characterFormats() {
    QFETCH(QByteArray, rtf);
    QFETCH(QString, word);
    QTextDocument doc;
    QVERIFY(rtf::read(rtf, doc));
    QVERIFY2(!doc.find(word).isNull(), qPrintable(textOf(doc)));
    const QTextCharFormat f = formatOf(doc, word);
    QTEST(f.fontWeight() >= QFont::Bold, "bold");
    QTEST(f.fontItalic(), "italic");
    QTEST(f.fontUnderline(), "underline");
    QTEST(f.fontStrikeOut(), "strike");
    QTEST(f.fontPointSize(), "points");
    QTEST(f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name() : QString(), "colour");
    QTEST(f.hasProperty(QTextFormat::BackgroundBrush) ? f.background().color().name() : QString(),
          "background");
    QTEST(f.fontFamilies().toStringList().value(0), "family");
}

void TestRtfReader::paragraphFormats_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("block");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<double>("left"); // pixels, at 15 twips a pixel
    QTest::addColumn<double>("right");
    QTest::addColumn<double>("indent");
    QTest::addColumn<double>("before");
    QTest::addColumn<double>("after");
    QTest::addColumn<int>("heading");

    const int L = int(Qt::AlignLeft), C = int(Qt::AlignHCenter), R = int(Qt::AlignRight),
              J = int(Qt::AlignJustify);
    const auto row = [](const char* name, const char* rtf, int block, int alignment, double left,
                        double right, double indent, double before, double after, int heading) {
        QTest::newRow(name) << QByteArray(rtf) << block << alignment << left << right << indent << before
                            << after << heading;
    };
    row("default", "{\\rtf1 a\\par}", 0, L, 0, 0, 0, 0, 0, 0);
    row("centred", "{\\rtf1\\qc a\\par}", 0, C, 0, 0, 0, 0, 0, 0);
    row("right", "{\\rtf1\\qr a\\par}", 0, R, 0, 0, 0, 0, 0, 0);
    row("justified", "{\\rtf1\\qj a\\par}", 0, J, 0, 0, 0, 0, 0, 0);
    row("indents and spacing", "{\\rtf1\\li720\\ri150\\fi-360\\sb120\\sa240 a\\par}", 0, L, 48, 10, -24, 8,
        16, 0);
    row("pard resets", "{\\rtf1\\qc\\li720 a\\par\\pard b\\par}", 1, L, 0, 0, 0, 0, 0, 0);
    row("properties carry on", "{\\rtf1\\qr\\li300 a\\par b\\par}", 1, R, 20, 0, 0, 0, 0, 0);
    row("set at the end of the paragraph", "{\\rtf1 a\\qc\\par}", 0, C, 0, 0, 0, 0, 0, 0);
    row("group paragraph", "{\\rtf1{\\pard\\qc a\\par}b\\par}", 1, L, 0, 0, 0, 0, 0, 0);
    row("last paragraph without par", "{\\rtf1 a\\par\\qc b}", 1, C, 0, 0, 0, 0, 0, 0);
    row("outline level is a heading", "{\\rtf1\\outlinelevel1 h\\par}", 0, L, 0, 0, 0, 0, 0, 2);
}

void TestRtfReader::paragraphFormats() {
    QFETCH(QByteArray, rtf);
    QFETCH(int, block);
    QTextDocument doc;
    QVERIFY(rtf::read(rtf, doc));
    const QTextBlock b = doc.findBlockByNumber(block);
    QVERIFY(b.isValid());
    const QTextBlockFormat f = b.blockFormat();
    QTEST(int(f.alignment() & Qt::AlignHorizontal_Mask), "alignment");
    QTEST(f.leftMargin(), "left");
    QTEST(f.rightMargin(), "right");
    QTEST(f.textIndent(), "indent");
    QTEST(f.topMargin(), "before");
    QTEST(f.bottomMargin(), "after");
    QTEST(f.headingLevel(), "heading");
}

void TestRtfReader::tableColumns_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<int>("block");
    QTest::addColumn<QList<qreal>>("stops"); // pixels

    QTest::newRow("two columns") << QByteArray(
                                        "{\\rtf1\\trowd\\cellx1500\\cellx3000\\intbl a\\cell b\\cell\\row}")
                                 << 0 << QList<qreal>{100};
    QTest::newRow("three columns")
        << QByteArray("{\\rtf1\\trowd\\cellx1500\\cellx3000\\cellx4500\\intbl a\\cell b\\cell c\\cell\\row}")
        << 0 << QList<qreal>{100, 200};
    QTest::newRow("edges come after the cells")
        << QByteArray("{\\rtf1\\intbl a\\cell b\\cell\\trowd\\cellx750\\cellx3000\\row}") << 0
        << QList<qreal>{50};
    QTest::newRow("each row its own edges")
        << QByteArray("{\\rtf1\\trowd\\cellx9000\\cellx9900\\intbl a\\cell b\\cell\\row"
                      "\\trowd\\cellx300\\cellx9900\\intbl a\\cell b\\cell\\row}")
        << 1 << QList<qreal>{20};
    QTest::newRow("edges out of order are dropped")
        << QByteArray("{\\rtf1\\trowd\\cellx3000\\cellx1500\\cellx4500\\intbl a\\cell b\\cell c\\cell\\row}")
        << 0 << QList<qreal>{200};
    QTest::newRow("indent does not move the stops")
        << QByteArray("{\\rtf1\\trowd\\cellx1500\\cellx3000\\pard\\intbl\\li300 a\\cell b\\cell\\row}") << 0
        << QList<qreal>{100};
    QTest::newRow("tab stops of a hanging list")
        << QByteArray("{\\rtf1\\li360\\fi-360\\tx360\\tx720 1.\\tab a\\par}") << 0 << QList<qreal>{24, 48};
    QTest::newRow("tab stops out of order are dropped")
        << QByteArray("{\\rtf1\\tx720\\tx360\\tx1080 a\\par}") << 0 << QList<qreal>{48, 72};
    QTest::newRow("pard clears tab stops")
        << QByteArray("{\\rtf1\\tx720 a\\par\\pard b\\par}") << 1 << QList<qreal>{};
    QTest::newRow("at most eight tab stops")
        << QByteArray("{\\rtf1\\tx15\\tx30\\tx45\\tx60\\tx75\\tx90\\tx105\\tx120\\tx135 a\\par}") << 0
        << QList<qreal>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("not a table") << QByteArray("{\\rtf1 a\\tab b\\par}") << 0 << QList<qreal>{};
}

void TestRtfReader::tableColumns() {
    QFETCH(QByteArray, rtf);
    QFETCH(int, block);
    QTextDocument doc;
    QVERIFY(rtf::read(rtf, doc));
    QList<qreal> positions;
    for (const QTextOption::Tab& tab : doc.findBlockByNumber(block).blockFormat().tabPositions()) {
        positions << tab.position;
    }
    QTEST(positions, "stops");
}

void TestRtfReader::pictures_data() {
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size"); // of the first picture, in pixels; empty when none

    const QByteArray red = pixels::encoded(pixels::filled({4, 3}, Qt::red), "PNG");
    const QByteArray jpeg = pixels::encoded(pixels::filled({5, 5}, Qt::blue), "JPEG");

    QTest::newRow("png in hex") << "{\\rtf1 a{\\pict\\pngblip " + red.toHex() + "}b}"
                                << QStringLiteral("a\uFFFCb") << QSize(4, 3);
    QTest::newRow("hex split by line ends")
        << "{\\rtf1{\\pict\\pngblip\r\n" + red.toHex().insert(10, "\r\n ") + "}}" << QStringLiteral("\uFFFC")
        << QSize(4, 3);
    QTest::newRow("jpeg") << "{\\rtf1{\\pict\\jpegblip " + jpeg.toHex() + "}}" << QStringLiteral("\uFFFC")
                          << QSize(5, 5);
    QTest::newRow("goal size in twips")
        << "{\\rtf1{\\pict\\pngblip\\picwgoal1500\\pichgoal750 " + red.toHex() + "}}"
        << QStringLiteral("\uFFFC") << QSize(100, 50);
    QTest::newRow("scaled goal size")
        << "{\\rtf1{\\pict\\pngblip\\picwgoal1500\\pichgoal750\\picscalex50\\picscaley200 " + red.toHex() +
               "}}"
        << QStringLiteral("\uFFFC") << QSize(50, 100);
    QTest::newRow("binary png") << "{\\rtf1{\\pict\\pngblip\\bin" + QByteArray::number(red.size()) + " " +
                                       red + "}x}"
                                << QStringLiteral("\uFFFCx") << QSize(4, 3);
    QTest::newRow("shppict shown") << "{\\rtf1{\\*\\shppict{\\pict\\pngblip " + red.toHex() +
                                          "}}{\\nonshppict{\\pict\\wmetafile8 00}}}"
                                   << QStringLiteral("\uFFFC") << QSize(4, 3);
    QTest::newRow("metafile skipped")
        << QByteArray("{\\rtf1 a{\\pict\\wmetafile8 0102ff}b}") << "ab" << QSize();
    QTest::newRow("png that is not one")
        << QByteArray("{\\rtf1 a{\\pict\\pngblip 0102ff}b}") << "ab" << QSize();
    QTest::newRow("png without data") << QByteArray("{\\rtf1 a{\\pict\\pngblip}b}") << "ab" << QSize();
}

void TestRtfReader::pictures() {
    QFETCH(QByteArray, rtf);
    QFETCH(QSize, size);
    QTextDocument doc;
    QVERIFY(rtf::read(rtf, doc));
    QTEST(textOf(doc), "text");
    if (size.isEmpty()) {
        return;
    }
    QTextCursor c = doc.find(QString(QChar(0xFFFC)));
    QVERIFY(!c.isNull());
    const QTextImageFormat f = c.charFormat().toImageFormat();
    QVERIFY(f.isValid());
    QCOMPARE(QSize(qRound(f.width()), qRound(f.height())), size);
    const QImage image = doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    QVERIFY(!image.isNull());
}

void TestRtfReader::cutAnywhere() {
    // A sample with every kind of construct, cut at each byte: the text read is never longer than the
    // whole document's, and cutting after the last brace changes nothing.
    QFile sample(sourceDir() + QStringLiteral("/../../fuzz/corpus/rtf/basic.rtf"));
    QVERIFY(sample.open(QIODevice::ReadOnly));
    const QByteArray whole = sample.readAll();
    const QString full = readText(whole);
    QVERIFY(full.contains(QStringLiteral("Bold on")));
    for (qsizetype n = 5; n <= whole.size(); ++n) {
        QTextDocument doc;
        QVERIFY(rtf::read(whole.first(n), doc));
        QVERIFY2(doc.characterCount() <= full.size() + 2, qPrintable(QString::number(n)));
    }
}

void TestRtfReader::codePagesMatchPython_data() {
    QTest::addColumn<int>("codePage");
    for (int cp = 1250; cp <= 1258; ++cp) {
        QTest::newRow(qPrintable(QString::number(cp))) << cp;
    }
}

void TestRtfReader::codePagesMatchPython() {
    QFETCH(int, codePage);
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        QSKIP("python3 is not installed");
    }
    const QString script = QStringLiteral("import sys\n"
                                          "cp = 'cp' + sys.argv[1]\n"
                                          "for b in range(256):\n"
                                          "    try: print(ord(bytes([b]).decode(cp)))\n"
                                          "    except UnicodeDecodeError: print(0xFFFD)\n");
    QByteArray out;
    QVERIFY(run(python, {QStringLiteral("-c"), script, QString::number(codePage)}, QDir::tempPath(), &out));
    const QList<QByteArray> lines = out.trimmed().split('\n');
    QCOMPARE(lines.size(), 256);
    for (int b = 0; b < 256; ++b) {
        QCOMPARE(int(rtf::decodeByte(codePage, static_cast<unsigned char>(b))), lines[b].toInt());
    }
}

void TestRtfReader::realWriters_data() {
    QTest::addColumn<QString>("writer");
    QTest::newRow("pandoc") << QStringLiteral("pandoc");
    QTest::newRow("LibreOffice") << QStringLiteral("soffice");
}

void TestRtfReader::realWriters() {
    // GIVEN a document with headings, emphasis, accents, the euro, lists, a table and a picture,
    // written as rich text by a real word processor
    QFETCH(QString, writer);
    const QString pandoc = QStandardPaths::findExecutable(QStringLiteral("pandoc"));
    if (pandoc.isEmpty()) {
        QSKIP("pandoc is not installed");
    }
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (writer == u"soffice" && soffice.isEmpty()) {
        QSKIP("LibreOffice is not installed");
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!testfiles::write(dir.filePath(QStringLiteral("dot.png")),
                              pixels::encoded(pixels::filled({8, 8}, QColor(0x20, 0x40, 0xC0)), "PNG"))
                 .isEmpty());
    const QString markdown = QStringLiteral(
        "# Getting started\n\n"
        "Plain text with **bold**, *italic* and ***both***. Accents: caf\u00E9, na\u00EFve, "
        "Dvo\u0159\u00E1k, \u0141\u00F3d\u017A; the euro \u20AC5.\n\n"
        "## A list\n\n- first item\n- second item with **bold**\n\n1. numbered one\n2. numbered two\n\n"
        "| Key | Action |\n|-----|--------|\n| S   | start  |\n| R   | reset  |\n\n"
        "Picture: ![](dot.png)\n\nLast paragraph.\n");
    QVERIFY(!testfiles::write(dir.filePath(QStringLiteral("doc.md")), markdown.toUtf8()).isEmpty());
    const QString rtfPath = dir.filePath(QStringLiteral("doc.rtf"));
    if (writer == u"pandoc") {
        QVERIFY(run(pandoc,
                    {QStringLiteral("-s"), QStringLiteral("-t"), QStringLiteral("rtf"),
                     QStringLiteral("doc.md"), QStringLiteral("-o"), rtfPath},
                    dir.path()));
    } else {
        QVERIFY(run(pandoc, {QStringLiteral("doc.md"), QStringLiteral("-o"), QStringLiteral("doc.docx")},
                    dir.path()));
        QVERIFY(
            run(soffice,
                {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                 QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("rtf"),
                 QStringLiteral("--outdir"), dir.path(), QStringLiteral("doc.docx")},
                dir.path()));
    }
    QFile rtfFile(rtfPath);
    QVERIFY2(rtfFile.open(QIODevice::ReadOnly), qPrintable(rtfPath));

    // WHEN the reader reads it
    QTextDocument doc;
    QVERIFY(rtf::read(rtfFile.readAll(), doc));

    // THEN its words are pandoc's plain reading of the document, the picture is there, and the
    // formatting the writer gave survives. The reference is pandoc's reading of the Markdown source:
    // Debian 12's pandoc (2.17) reads rich text wrongly itself, dropping the character after each
    // \uN? escape (jgm/pandoc#8264) and moving a list that precedes a table into the table.
    QByteArray plain;
    QVERIFY(run(pandoc, {QStringLiteral("-t"), QStringLiteral("plain"), QStringLiteral("doc.md")}, dir.path(),
                &plain));
    QCOMPARE(wordsOf(textOf(doc)), wordsOf(QString::fromUtf8(plain)));
    QVERIFY(textOf(doc).contains(QChar(0xFFFC)));
    QVERIFY(formatOf(doc, QStringLiteral("bold,")).fontWeight() >= QFont::Bold);
    QVERIFY(formatOf(doc, QStringLiteral("italic")).fontItalic());
    QVERIFY(formatOf(doc, QStringLiteral("Getting")).fontPointSize() >
            formatOf(doc, QStringLiteral("Plain")).fontPointSize());
    QVERIFY(textOf(doc).contains(QStringLiteral("Key\tAction")));
}

void TestRtfReader::corpusReplay() {
    // The fuzzer's seeds and every input it ever found a fault with.
    int files = 0;
    QDirIterator it(sourceDir() + QStringLiteral("/../../fuzz/corpus/rtf"), QDir::Files);
    while (it.hasNext()) {
        QFile f(it.next());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QTextDocument doc;
        rtf::read(bytes, doc);
        QVERIFY2(doc.characterCount() <= bytes.size() + 1, qPrintable(f.fileName()));
        ++files;
    }
    QVERIFY(files >= 5);
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
