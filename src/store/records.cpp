#include "records.h"

#include "cp932.h"

namespace {

constexpr char16_t kQuote = u'"';
constexpr char16_t kComma = u',';
constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

FieldReader::FieldReader(QStringView text)
    : m_text(text)
{
}

void FieldReader::skipBlanks()
{
    while (m_pos < m_text.size() && isBlank(m_text[m_pos].unicode()))
        ++m_pos;
}

bool FieldReader::atEnd()
{
    while (m_pos < m_text.size()) {
        const char16_t c = m_text[m_pos].unicode();
        if (c == kLf) {
            ++m_line;
        } else if (c == kCr) {
            if (m_pos + 1 >= m_text.size() || m_text[m_pos + 1].unicode() != kLf)
                ++m_line;
        } else if (!isBlank(c)) {
            break;
        }
        ++m_pos;
    }
    m_recordLine = m_line;
    return m_pos >= m_text.size();
}

// Reads one field and the separator after it. Returns false when the text ends inside
// a quoted field.
bool FieldReader::readField(QString* field)
{
    skipBlanks();
    const char16_t* const begin = m_text.utf16();
    const char16_t* const end = begin + m_text.size();
    const char16_t* p = begin + m_pos;
    bool closed = true;
    if (p < end && *p == kQuote) {
        const char16_t* const start = ++p;
        while (p < end && *p != kQuote) {
            // A quoted field may run over line ends; count them.
            if (*p == kLf || (*p == kCr && (p + 1 >= end || p[1] != kLf)))
                ++m_line;
            ++p;
        }
        *field = QString(reinterpret_cast<const QChar*>(start), p - start);
        if (p < end)
            ++p;
        else
            closed = false;
        // Whatever follows the closing quote up to the separator is dropped.
        while (p < end && *p != kComma && *p != kCr && *p != kLf) {
            if (!isBlank(*p))
                m_droppedText = true;
            ++p;
        }
    } else {
        const char16_t* const start = p;
        while (p < end && *p != kComma && *p != kCr && *p != kLf) {
            if (*p == kQuote)
                m_quoteInField = true;
            ++p;
        }
        const char16_t* last = p;
        while (last > start && isBlank(last[-1]))
            --last;
        *field = QString(reinterpret_cast<const QChar*>(start), last - start);
    }
    // The separator: a comma, or one line end (CR LF counts as one).
    if (p < end) {
        const char16_t c = *p++;
        if (c == kCr) {
            if (p < end && *p == kLf)
                ++p;
            ++m_line;
        } else if (c == kLf) {
            ++m_line;
        }
    }
    m_pos = p - begin;
    return closed;
}

bool FieldReader::readRecord(int count, QString* fields)
{
    m_recordLine = m_line;
    m_quoteInField = false;
    m_droppedText = false;
    for (int i = 0; i < count; ++i) {
        if (m_pos >= m_text.size()) {
            // Even an empty last field is written in quotes: a text that ends right
            // after a comma was cut there.
            for (int j = i; j < count; ++j)
                fields[j].clear();
            return false;
        }
        if (!readField(&fields[i])) {
            for (int j = i + 1; j < count; ++j)
                fields[j].clear();
            return false;
        }
    }
    return true;
}

void RecordWriter::separate()
{
    if (m_fieldOpen)
        m_out += kComma;
    m_fieldOpen = true;
}

void RecordWriter::text(QStringView field)
{
    if (field.contains(kQuote))
        m_hasQuote = true;
    separate();
    m_out += kQuote;
    m_out += field;
    m_out += kQuote;
}

void RecordWriter::number(int value)
{
    separate();
    m_out += QString::number(value);
}

void RecordWriter::endRecord()
{
    m_out += kCr;
    m_out += kLf;
    m_fieldOpen = false;
}

bool replaceQuotes(std::vector<QString>& fields)
{
    bool found = false;
    for (QString& field : fields) {
        for (qsizetype i = field.indexOf(kQuote); i >= 0; i = field.indexOf(kQuote, i + 1)) {
            const bool apart = i == 0 || cp932::keepsApart(field[i - 1], u'”');
            field[i] = apart ? u'”' : u'\'';
            found = true;
        }
    }
    return found;
}

QStringList splitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c != kCr && c != kLf)
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == kCr && i + 1 < size && text[i + 1].unicode() == kLf)
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start).toString());
    return lines;
}

QString joinLines(const QStringList& lines)
{
    QString out;
    for (const QString& line : lines) {
        out += line;
        out += kCr;
        out += kLf;
    }
    return out;
}

int lineOfPosition(QStringView text, qsizetype pos)
{
    int line = 1;
    for (qsizetype i = 0; i < pos && i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == kLf || (c == kCr && (i + 1 >= text.size() || text[i + 1].unicode() != kLf)))
            ++line;
    }
    return line;
}
