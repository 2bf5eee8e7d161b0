#include "filelisting.h"

#include <QDir>
#include <QDirIterator>

#include <algorithm>

QString foldLetterCase(const QString& name)
{
    // Most names hold no capital ASCII letter and are shared, not copied.
    const auto capital = std::find_if(name.cbegin(), name.cend(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    if (capital == name.cend())
        return name;
    QString folded = name;
    for (QChar& c : folded)
        c = QChar(foldLetterCase(c.unicode()));
    return folded;
}

FileListing::FileListing(QString folder, QString pattern)
    : m_folder(std::move(folder))
    , m_pattern(std::move(pattern))
{
    refresh();
}

bool FileListing::matches(QStringView pattern, QStringView name)
{
    // Iterative wildcard match with one backtracking point for the last '*'.
    qsizetype p = 0, n = 0, star = -1, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size()
                   && (pattern[p] == u'?' || foldLetterCase(pattern[p].unicode()) == foldLetterCase(name[n].unicode()))) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

void FileListing::refresh()
{
    m_names.clear();
    QDirIterator it(m_folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        // What is no regular file (a FIFO, a socket) counts as missing.
        if (matches(m_pattern, name) && it.fileInfo().isFile())
            m_names.append(name);
    }
    std::sort(m_names.begin(), m_names.end());
    m_set = QSet<QString>(m_names.begin(), m_names.end());
}
