#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The two text forms of the collection's files, on decoded text.
//
// Field records: every text field in double quotes, fields separated by one comma,
// a record ended by CR LF; a number is written bare. Reading takes a fixed number of
// fields per record from the character stream, where commas and line ends both end a
// field. Line lists: one item per line, its text unchanged.

class FieldReader {
public:
    explicit FieldReader(QStringView text);

    // Skips the line ends and blanks before the next record and tells whether the text
    // has ended. A file may end without its last CR LF, or with empty lines.
    bool atEnd();

    // Reads count fields. Returns false when the text ended before the last of them
    // (an unclosed quote, or too few fields); the missing fields are then empty.
    bool readRecord(int count, QString* fields);

    // The line (from 1) on which the record last read, or about to be read, began.
    int recordLine() const { return m_recordLine; }

    // Whether a field of the record last read holds a double quote (only a field
    // written without quotes can).
    bool quoteInField() const { return m_quoteInField; }

    // Whether text after the closing quote of a field of the record last read was
    // dropped (only a file edited by hand has any).
    bool droppedText() const { return m_droppedText; }

private:
    bool readField(QString* field);
    void skipBlanks();

    QStringView m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_recordLine = 1;
    bool m_quoteInField = false;
    bool m_droppedText = false;
};

// Builds field records. A text holding a double quote cannot be read back in this form,
// so it is refused: the writer remembers the first such field and writes nothing more.
class RecordWriter {
public:
    void text(QStringView field);
    void number(int value);
    void endRecord();

    bool hasQuote() const { return m_hasQuote; }
    const QString& result() const { return m_out; }

private:
    void separate();

    QString m_out;
    bool m_fieldOpen = false;
    bool m_hasQuote = false;
};

// Replaces each double quote in the fields, which no field can be written with, by a
// full-width ”; right after a byte kept undecoded that ” would join into another
// character, by an apostrophe, so that the kept byte and the text read are written back
// as they are. Tells whether there was one.
bool replaceQuotes(std::vector<QString>& fields);

// Splits a line list into its lines (CR LF, and a lone CR or LF, end a line); a last
// line without its line end is still a line.
QStringList splitLines(QStringView text);

// Joins lines into the line-list form, each followed by CR LF.
QString joinLines(const QStringList& lines);

// The line number (from 1) of a character position in text.
int lineOfPosition(QStringView text, qsizetype pos);
