#include "store/records.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestRecords : public QObject {
    Q_OBJECT

private slots:
    void readsFields_data();
    void readsFields();
    void reportsRecordsCutShort_data();
    void reportsRecordsCutShort();
    void countsLinesOfRecords();
    void writesQuotedAndBareFields();
    void refusesDoubleQuotes();
    void splitsLineLists_data();
    void splitsLineLists();
};

void TestRecords::readsFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("fields"); // all records, one after another

    QTest::newRow("comma inside quotes stays")
        << u"\"a,b\",\"c\"\r\n"_s << 2 << QStringList{u"a,b"_s, u"c"_s};
    QTest::newRow("empty quoted field")
        << u"\"\",\"x\"\r\n"_s << 2 << QStringList{QString(), u"x"_s};
    QTest::newRow("blanks inside quotes stay, around unquoted go")
        << u"\" a \",  b c  \r\n"_s << 2 << QStringList{u" a "_s, u"b c"_s};
    QTest::newRow("text after closing quote dropped")
        << u"\"a\"xyz,\"b\"\r\n"_s << 2 << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("quoted field over a line end")
        << u"\"one\r\ntwo\",\"z\"\r\n"_s << 2 << QStringList{u"one\r\ntwo"_s, u"z"_s};
    QTest::newRow("last line without CR LF")
        << u"\"a\",\"b\"\r\n\"c\",\"d\""_s << 2 << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("line end separates fields like a comma")
        << u"\"a\"\r\n\"b\"\r\n"_s << 2 << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("bare number")
        << u"\"ヘルプツアー\",1\r\n"_s << 2 << QStringList{u"ヘルプツアー"_s, u"1"_s};
    QTest::newRow("empty lines at the end")
        << u"\"a\",\"b\"\r\n\r\n\r\n"_s << 2 << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone LF line ends")
        << u"\"a\",\"b\"\n\"c\",\"d\"\n"_s << 2 << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("empty text") << QString() << 2 << QStringList();
}

void TestRecords::readsFields()
{
    QFETCH(QString, text);
    QFETCH(int, count);
    QFETCH(QStringList, fields);
    FieldReader reader(text);
    QStringList got;
    std::vector<QString> record(static_cast<size_t>(count));
    while (!reader.atEnd()) {
        QVERIFY(reader.readRecord(count, record.data()));
        got += QStringList(record.begin(), record.end());
    }
    QCOMPARE(got, fields);
}

void TestRecords::reportsRecordsCutShort_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lastRecord");
    QTest::addColumn<int>("line");
    QTest::newRow("unclosed quote keeps what is there")
        << u"\"a\",\"b\"\r\n\"c\",\"d"_s << QStringList{u"c"_s, u"d"_s} << 2;
    QTest::newRow("too few fields")
        << u"\"a\",\"b\"\r\n\r\n\"c\""_s << QStringList{u"c"_s, QString()} << 3;
    // Every field is written in quotes, so a last line that stops right after a comma
    // was cut there, even when the missing field would have been the last.
    QTest::newRow("last line ends after a comma")
        << u"\"a\",\"b\"\r\n\"c\","_s << QStringList{u"c"_s, QString()} << 2;
}

void TestRecords::reportsRecordsCutShort()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lastRecord);
    QFETCH(int, line);
    FieldReader reader(text);
    QString record[2];
    QVERIFY(!reader.atEnd());
    QVERIFY(reader.readRecord(2, record));
    QVERIFY(!reader.atEnd());
    QVERIFY(!reader.readRecord(2, record));
    QCOMPARE(QStringList(std::begin(record), std::end(record)), lastRecord);
    QCOMPARE(reader.recordLine(), line);
}

void TestRecords::countsLinesOfRecords()
{
    const QString text = u"\"a\",\"x\r\ny\"\r\n\"b\",\"c\"\r\n"_s;
    FieldReader reader(text);
    QString record[2];
    QVERIFY(!reader.atEnd());
    QCOMPARE(reader.recordLine(), 1);
    reader.readRecord(2, record);
    QVERIFY(!reader.atEnd());
    QCOMPARE(reader.recordLine(), 3);
    QCOMPARE(lineOfPosition(text, text.indexOf(u'b')), 3);
}

void TestRecords::writesQuotedAndBareFields()
{
    RecordWriter out;
    out.text(u"初回盤,ブックレット付き"_s);
    out.text(QString());
    out.endRecord();
    out.text(u"ヘルプツアー"_s);
    out.number(0);
    out.endRecord();
    QVERIFY(!out.hasQuote());
    QCOMPARE(out.result(), u"\"初回盤,ブックレット付き\",\"\"\r\n\"ヘルプツアー\",0\r\n"_s);
}

void TestRecords::refusesDoubleQuotes()
{
    RecordWriter out;
    out.text(u"ok"_s);
    QVERIFY(!out.hasQuote());
    out.text(u"say \"hi\""_s);
    QVERIFY(out.hasQuote());
}

void TestRecords::splitsLineLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("CR LF") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("no final line end") << u"a\r\nb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("empty line is an item") << u"a\r\n\r\nb\r\n"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("lone LF and CR") << u"a\nb\rc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("blanks and commas kept") << u" a, b \r\n"_s << QStringList{u" a, b "_s};
    QTest::newRow("empty file") << QString() << QStringList();
}

void TestRecords::splitsLineLists()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(splitLines(text), lines);
    QCOMPARE(splitLines(joinLines(lines)), lines);
}

QTEST_APPLESS_MAIN(TestRecords)
#include "tst_records.moc"
